# GoogleTest from Debian's sources, built by each toolchain for itself.
if(NOT FUZZ)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()

# add_gtest(NAME SOURCES... [LIBS...]) builds a GoogleTest program and registers
# it with CTest. Windows programs run through CMAKE_CROSSCOMPILING_EMULATOR (Wine).
function(add_gtest name)
  cmake_parse_arguments(arg "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBS} GTest::gtest_main GTest::gmock)
  add_test(NAME ${name} COMMAND ${name})
endfunction()

# add_fuzz_target(NAME SOURCES... [LIBS...]) builds a libFuzzer target (FUZZ=ON only).
function(add_fuzz_target name)
  if(FUZZ)
    cmake_parse_arguments(arg "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${arg_SOURCES})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE ${arg_LIBS})
  endif()
endfunction()

# one_bitness(TESTS tests... [PROGRAMS targets...]): long suites whose checks
# do not depend on the bitness. The 64-bit build alone runs them
# (scripts/test), so the 32-bit build leaves their programs out of its
# default build.
function(one_bitness)
  cmake_parse_arguments(arg "" "" "TESTS;PROGRAMS" ${ARGN})
  set_tests_properties(${arg_TESTS} PROPERTIES LABELS one_bitness)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4 AND arg_PROGRAMS)
    set_target_properties(${arg_PROGRAMS} PROPERTIES EXCLUDE_FROM_ALL TRUE)
  endif()
endfunction()
