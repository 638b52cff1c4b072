# tirelo_add_fuzz_target(NAME SOURCES files... LIBRARIES libs...): a libFuzzer program (clang
# only). The sources under test are listed among its SOURCES so that they are compiled with
# the fuzzer's coverage; the rest comes from the libraries. A UBSan report stops the run and
# leaves a reproducer. cmake/FuzzTargets.cmake lists it for scripts/fuzz with the seeds in
# corpus/NAME/ beside its first source.
include_guard(GLOBAL)

function(tirelo_add_fuzz_target name)
  cmake_parse_arguments(PARSE_ARGV 1 FUZZ "" "" "SOURCES;LIBRARIES")
  set(flags -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)
  add_executable(${name} ${FUZZ_SOURCES})
  target_link_libraries(${name} PRIVATE ${FUZZ_LIBRARIES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
  target_compile_options(${name} PRIVATE ${flags})
  target_link_options(${name} PRIVATE ${flags})
endfunction()
