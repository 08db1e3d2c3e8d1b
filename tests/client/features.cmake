# The results, the keyboard, the menus, accessibility and scaling.
add_tarvendo_test(client_feature_tests LABEL client QT
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ResultsTest.cpp ${CMAKE_CURRENT_LIST_DIR}/KeyboardTest.cpp)
