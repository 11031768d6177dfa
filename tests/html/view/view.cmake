# The viewer control headless: scroll bars, keys, wheel, pointer, selection, links, visited
# list, history, positions, meta refresh, forms; timers on the test clock.
folio_test(view_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/viewer_scroll_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/viewer_input_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/viewer_links_test.cpp
  LIBS folio_view)
