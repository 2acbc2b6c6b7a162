# Flags common to both builds, then those of each side.
add_compile_options(-Wall -Wextra -Wno-unused-parameter)
# Line tables are enough for a backtrace and build much faster than full
# debug information.
foreach(lang C CXX)
  string(REGEX REPLACE "(^| )-g( |$)" "\\1-g1\\2" CMAKE_${lang}_FLAGS_RELWITHDEBINFO "${CMAKE_${lang}_FLAGS_RELWITHDEBINFO}")
endforeach()

if(WIN32)
  add_compile_definitions(UNICODE _UNICODE _WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX WIN32_LEAN_AND_MEAN)
  # Programs and DLLs share one folder, where the loader finds the DLLs.
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
elseif(FUZZ)
  # Fuzz build (clang): code under test is instrumented, targets link libFuzzer.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=address,undefined)
else()
  # Native code is built for testing: every native binary runs with ASan and UBSan.
  set(SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_compile_options(${SANITIZE_FLAGS} -g1)
  add_link_options(${SANITIZE_FLAGS})
endif()
