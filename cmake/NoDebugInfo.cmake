# Builds without debug information: a build that is only compiled and tested (CI) spends a
# good part of its compiler and linker time writing it. Given to cmake as
#   -DCMAKE_PROJECT_TireloV_INCLUDE=<this file>
# it takes the -g options out of every build type's flags; options a target sets itself
# (the fuzz targets keep -g for their reports) stay.
foreach(_config DEBUG RELEASE RELWITHDEBINFO MINSIZEREL)
  string(REGEX REPLACE "(^| )-g[^ ]*" "" _flags "${CMAKE_CXX_FLAGS_${_config}}")
  set(CMAKE_CXX_FLAGS_${_config} "${_flags} -g0")
endforeach()
unset(_flags)
unset(_config)
