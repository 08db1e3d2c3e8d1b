# libFuzzer builds: clang only. Every target is instrumented for coverage and
# checked by AddressSanitizer and UBSan, so a finding deep in a layer is
# reported where it happens.
option(TARVENDO_FUZZ "Build the libFuzzer programs (needs clang)" OFF)

if(TARVENDO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "TARVENDO_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  if(NOT TARVENDO_SANITIZE STREQUAL "")
    message(FATAL_ERROR "TARVENDO_FUZZ brings its own sanitizers; leave TARVENDO_SANITIZE empty")
  endif()
  target_compile_options(tarvendo_common INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(tarvendo_common INTERFACE -fsanitize=address,undefined)
endif()

if(TARVENDO_FUZZ OR TARVENDO_BUILD_TESTS)
  add_subdirectory(${PROJECT_SOURCE_DIR}/fuzz)
endif()
