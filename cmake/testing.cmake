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
