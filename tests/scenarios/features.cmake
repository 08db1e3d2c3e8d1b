# The client against real programs: its own binary under an Xvfb of its own,
# played with xdotool's key presses, whose deals open by themselves and
# whose history exports as CSV.
if(NOT TARVENDO_BUILD_CLIENT)
  return()
endif()

add_tarvendo_test(scenario_keyboard_tests LABEL e2e TIMEOUT 180
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/KeyboardScenarioTest.cpp)
target_compile_definitions(scenario_keyboard_tests PRIVATE
  TARVENDO_CLIENT_PROGRAM="$<TARGET_FILE:tarvendo>")
add_dependencies(scenario_keyboard_tests tarvendo)
