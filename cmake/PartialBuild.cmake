# A partial build leaves core folders out (TIRELO_SKIP, e.g. "ftpclient"). A folder goes with
# every folder it builds on, so what is left always links; the windows and the program link all
# core folders and go whenever one of them goes. After this file, TIRELO_SKIP holds the whole
# list and TIRELO_BUILD_UI is off when a folder is left out.

set(TIRELO_CORE_FOLDERS platform remote trainer ftpclient sftpclient ftptool shell)  # in the order they build
set(TIRELO_NEEDS_trainer platform)
set(TIRELO_NEEDS_ftpclient platform)
set(TIRELO_NEEDS_sftpclient platform remote ftpclient)
set(TIRELO_NEEDS_ftptool platform ftpclient sftpclient)  # ladeko-ftp speaks SFTP too
set(TIRELO_NEEDS_shell platform)
# The core folders a test folder needs (without a line: its own). The client's tests need only
# the client; the SFTP tests run ladeko-ftp.
set(TIRELO_TEST_NEEDS_ftpclient ftpclient)
set(TIRELO_TEST_NEEDS_sftpclient sftpclient ftptool)

set(_skip ${TIRELO_SKIP})
foreach(_dir IN LISTS _skip)
  if(NOT _dir IN_LIST TIRELO_CORE_FOLDERS)
    message(FATAL_ERROR "TIRELO_SKIP: no core folder '${_dir}' (there are: ${TIRELO_CORE_FOLDERS})")
  endif()
endforeach()
foreach(_dir IN LISTS TIRELO_CORE_FOLDERS)
  foreach(_need IN LISTS TIRELO_NEEDS_${_dir})
    if(_need IN_LIST _skip AND NOT _dir IN_LIST _skip)
      list(APPEND _skip ${_dir})
      message(STATUS "TIRELO_SKIP: ${_dir} is left out too, it builds on ${_need}")
    endif()
  endforeach()
endforeach()
set(TIRELO_SKIP ${_skip})
if(TIRELO_SKIP AND TIRELO_BUILD_UI)
  message(STATUS "TIRELO_SKIP: the windows and the program are left out, they need every core folder")
  set(TIRELO_BUILD_UI OFF)
endif()
unset(_skip)

# True in RESULT when every folder named is built.
function(tirelo_folders_built result)
  set(${result} TRUE PARENT_SCOPE)
  foreach(dir IN LISTS ARGN)
    if(dir IN_LIST TIRELO_SKIP)
      set(${result} FALSE PARENT_SCOPE)
    endif()
  endforeach()
endfunction()

# True in RESULT when the tests of core folder DIR can be built.
function(tirelo_tests_buildable result dir)
  if(DEFINED TIRELO_TEST_NEEDS_${dir})
    tirelo_folders_built(built ${TIRELO_TEST_NEEDS_${dir}})
  else()
    tirelo_folders_built(built ${dir})
  endif()
  set(${result} ${built} PARENT_SCOPE)
endfunction()
