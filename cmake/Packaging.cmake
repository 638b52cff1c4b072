# SPDX-License-Identifier: GPL-3.0-or-later
# What an installed Tirelo V carries beside its programs, and the Debian package of it all:
# the version that --version prints (PROJECT_VERSION, nowhere else), the manual pages made
# from docs/man/*.scd, the AppStream metadata, the copyright and changelog files, and the
# CPack settings for `cpack -G DEB`. Included last, when every program target exists.
include(GNUInstallDirs)

foreach(program tirelo tirelo-evd ladeko-ftp)
  if(TARGET ${program})
    target_compile_definitions(${program} PRIVATE TIRELO_VERSION="${PROJECT_VERSION}")
  endif()
endforeach()

set(TIRELO_METAINFO ${PROJECT_SOURCE_DIR}/packaging/de.ombrax.tirelo.metainfo.xml)
# The pages carry the date of the newest release in the metadata, not the day of the build.
file(STRINGS ${TIRELO_METAINFO} release_line REGEX "<release version=" LIMIT_COUNT 1)
string(REGEX MATCH "date=\"([0-9-]+)\"" _ "${release_line}")
set(TIRELO_RELEASE_DATE "${CMAKE_MATCH_1}")
execute_process(COMMAND date -u -d "${TIRELO_RELEASE_DATE}" +%s
                OUTPUT_VARIABLE TIRELO_RELEASE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE)

# Manual pages: scdoc source -> roff -> gzip -9n (no name or time stamp in the archive).
find_program(TIRELO_SCDOC scdoc)
find_program(TIRELO_GZIP gzip)
set(TIRELO_MAN_PAGES tirelo tirelo-evd ladeko-ftp)
set(TIRELO_MAN_DIR ${PROJECT_BINARY_DIR}/man)
set(man_outputs)
if(TIRELO_SCDOC AND TIRELO_GZIP)
  foreach(page ${TIRELO_MAN_PAGES})
    configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page}.1.scd ${TIRELO_MAN_DIR}/${page}.1.scd @ONLY)
    set(roff ${TIRELO_MAN_DIR}/${page}.1)
    add_custom_command(OUTPUT ${roff} ${roff}.gz
      COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${TIRELO_RELEASE_EPOCH}
              sh -c "\"$0\" < \"$1\" > \"$2\"" ${TIRELO_SCDOC} ${roff}.scd ${roff}
      COMMAND sh -c "\"$0\" -9n -c \"$1\" > \"$1.gz\"" ${TIRELO_GZIP} ${roff}
      DEPENDS ${roff}.scd VERBATIM)
    list(APPEND man_outputs ${roff} ${roff}.gz)
    install(FILES ${roff}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
else()
  message(WARNING "scdoc or gzip missing (scripts/setup installs them): no manual pages")
endif()
add_custom_target(tirelo_manpages ALL DEPENDS ${man_outputs})

# Debian's doc folder: the machine-readable copyright (the licence text itself is the system's
# /usr/share/common-licenses/GPL-3) and the changelog, whose newest entry is this version.
set(TIRELO_DOC_DIR ${PROJECT_BINARY_DIR}/packaging)
add_custom_command(OUTPUT ${TIRELO_DOC_DIR}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TIRELO_DOC_DIR}
  COMMAND sh -c "gzip -9n -c \"$0\" > \"$1\"" ${PROJECT_SOURCE_DIR}/packaging/changelog
          ${TIRELO_DOC_DIR}/changelog.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog VERBATIM)
add_custom_target(tirelo_changelog ALL DEPENDS ${TIRELO_DOC_DIR}/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${TIRELO_DOC_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tirelo)
install(FILES ${TIRELO_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The package. Its staging install runs with DESTDIR and the prefix /usr, so the desktop
# entry names /usr/bin/tirelo and no MIME or desktop database is built into the package
# (the triggers of shared-mime-info and desktop-file-utils do that on the target machine).
set(CPACK_PACKAGE_NAME tirelo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Ombrax)
set(CPACK_PACKAGE_CONTACT "Ombrax <tirelo@ombrax.de>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.ombrax.de/tirelo/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its window-system plugin at run time, so no library dependency names it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, xdg-utils")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "vocabulary trainer for German-speaking learners of French")
file(READ ${PROJECT_SOURCE_DIR}/packaging/description.txt CPACK_DEBIAN_PACKAGE_DESCRIPTION)
string(STRIP "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}" CPACK_DEBIAN_PACKAGE_DESCRIPTION)
include(CPack)

if(TARGET tirelo AND TARGET tirelo-evd AND TARGET ladeko-ftp)
  add_subdirectory(tests/packaging)
endif()
