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

# Each fuzz target as name:entry point; the name is also its corpus folder's.
set(TARVENDO_FUZZ_TARGETS
  frame_reader:fuzzFrameReader client_server:fuzzClientServer game:fuzzGame)

# add_fuzz_program(<program> <name:entry> [definitions...]): fuzz/FuzzMain.cpp
# around one target's entry point.
function(add_fuzz_program program target)
  string(REPLACE ":" ";" parts ${target})
  list(GET parts 1 entry)
  add_executable(${program} ${PROJECT_SOURCE_DIR}/fuzz/FuzzMain.cpp)
  target_compile_definitions(${program} PRIVATE TARVENDO_FUZZ_ENTRY=${entry} ${ARGN})
  target_link_libraries(${program} PRIVATE tarvendo_fuzz_targets)
endfunction()

if(TARVENDO_FUZZ OR TARVENDO_BUILD_TESTS)
  add_subdirectory(${PROJECT_SOURCE_DIR}/fuzz)
endif()
