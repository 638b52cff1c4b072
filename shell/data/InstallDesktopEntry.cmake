# Run by `cmake --install`: writes the desktop entry with the path the program really gets
# under the prefix of this install (--prefix or CMAKE_INSTALL_PREFIX, without DESTDIR, which
# only stages the files), so a double click starts the installed program even when its folder
# is not on PATH. Given: TIRELO_DESKTOP_IN, TIRELO_DESKTOP_OUT (a scratch file), TIRELO_BINDIR
# and TIRELO_DATADIR (relative to the prefix or absolute).

foreach(dir BINDIR DATADIR)
  if(IS_ABSOLUTE "${TIRELO_${dir}}")
    set(full_${dir} "${TIRELO_${dir}}")
  else()
    set(full_${dir} "${CMAKE_INSTALL_PREFIX}/${TIRELO_${dir}}")
  endif()
endforeach()
set(program "${full_BINDIR}/tirelo")

# The Exec rules: an argument holding a reserved character is quoted, and inside the quotes
# '"', '`', '$' and '\' take a backslash; on top come the escapes of every string value
# ('\' doubled) and of the field codes ('%' doubled).
set(exec "${program}")
string(REGEX MATCH [=[[] 	"'\\><~|&;$*?#()`]]=] reserved "${program}")
string(FIND "${program}" "\n" newline)
if(reserved OR NOT newline EQUAL -1)
  string(REPLACE "\\" "\\\\" exec "${exec}")
  string(REPLACE "\"" "\\\"" exec "${exec}")
  string(REPLACE "`" "\\`" exec "${exec}")
  string(REPLACE "$" "\\$" exec "${exec}")
  set(exec "\"${exec}\"")
endif()
string(REPLACE "\\" "\\\\" exec "${exec}")
string(REPLACE "%" "%%" exec "${exec}")

set(TIRELO_EXEC "${exec}")
configure_file("${TIRELO_DESKTOP_IN}" "${TIRELO_DESKTOP_OUT}" @ONLY)
file(INSTALL DESTINATION "${full_DATADIR}/applications" TYPE FILE FILES "${TIRELO_DESKTOP_OUT}")

# A plain install (no staging) refreshes the databases of its data folder, so the types and
# the entry are known at once; packages leave that to their own triggers.
if("$ENV{DESTDIR}" STREQUAL "")
  find_program(update_mime update-mime-database)
  find_program(update_desktop update-desktop-database)
  if(update_mime)
    execute_process(COMMAND "${update_mime}" "${full_DATADIR}/mime" OUTPUT_QUIET ERROR_QUIET)
  endif()
  if(update_desktop)
    execute_process(COMMAND "${update_desktop}" "${full_DATADIR}/applications" OUTPUT_QUIET ERROR_QUIET)
  endif()
endif()
