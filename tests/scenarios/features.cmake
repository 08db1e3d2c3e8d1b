# The client's results and keyboard play against real programs: an admin in
# this process whose deals open by themselves and export as CSV, and the real
# client under an Xvfb of its own, played with xdotool's key presses.
if(NOT TARVENDO_BUILD_CLIENT)
  return()
endif()

add_tarvendo_test(scenario_results_tests LABEL e2e QT TIMEOUT 180
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ResultsScenarioTest.cpp)
target_compile_definitions(scenario_results_tests PRIVATE
  TARVENDO_SCENARIO_OUTPUT_DIR="${CMAKE_CURRENT_BINARY_DIR}")
add_tarvendo_test(scenario_keyboard_tests LABEL e2e TIMEOUT 180
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/KeyboardScenarioTest.cpp)
target_compile_definitions(scenario_keyboard_tests PRIVATE
  TARVENDO_CLIENT_PROGRAM="$<TARGET_FILE:tarvendo>")
add_dependencies(scenario_keyboard_tests tarvendo)
