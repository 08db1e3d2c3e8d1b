# One interface target that carries the language level, warnings and
# sanitizer flags for every target of the project.
add_library(tarvendo_common INTERFACE)
target_compile_features(tarvendo_common INTERFACE cxx_std_20)
target_compile_options(tarvendo_common INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(tarvendo_common INTERFACE TARVENDO_VERSION="${PROJECT_VERSION}")
# GCC 12 reports string concatenations at -O2 as overlapping copies
# (-Wrestrict); it is the compiler's false positive, not ours.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(tarvendo_common INTERFACE -Wno-restrict)
endif()
if(TARVENDO_WERROR)
  target_compile_options(tarvendo_common INTERFACE -Werror)
endif()

if(TARVENDO_SANITIZE STREQUAL "address")
  target_compile_options(tarvendo_common INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(tarvendo_common INTERFACE -fsanitize=address,undefined)
elseif(TARVENDO_SANITIZE STREQUAL "thread")
  target_compile_options(tarvendo_common INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(tarvendo_common INTERFACE -fsanitize=thread)
elseif(NOT TARVENDO_SANITIZE STREQUAL "")
  message(FATAL_ERROR "TARVENDO_SANITIZE must be address, thread or empty")
endif()
if(TARVENDO_SANITIZE)
  # Memory figures mean nothing under a sanitizer.
  target_compile_definitions(tarvendo_common INTERFACE TARVENDO_SANITIZED)
endif()

# add_tarvendo_test(<name> LABEL <label> [QT] [TIMEOUT <s>] SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable per group of test files, registered with CTest,
# linked with the shared helpers. QT: the Qt helpers and a main that makes the
# QApplication, run on the offscreen platform with settings of its own.
function(add_tarvendo_test name)
  cmake_parse_arguments(T "QT" "LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  if(T_QT)
    target_link_libraries(${name} PRIVATE ${T_LIBS} tarvendo_qt_test_support)
  else()
    target_link_libraries(${name} PRIVATE ${T_LIBS} tarvendo_test_support GTest::gmock
                          GTest::gtest_main)
  endif()
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT})
  if(T_QT)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT
      "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${CMAKE_CURRENT_BINARY_DIR}/config-${name}")
  endif()
endfunction()
