# The viewer control headless: scroll bars, keys, wheel, pointer, selection, links, visited
# list, history, positions, meta refresh, forms; timers on the test clock.
folio_test(view_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/viewer_scroll_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/viewer_input_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/viewer_links_test.cpp
  LIBS folio_view)
# The viewer in a real window: starts its own Xvfb; fails when Xvfb or xdotool is missing.
folio_test(view_gui_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/viewer_gui_test.cpp
          ${CMAKE_SOURCE_DIR}/platform/base/sanitizer/lsan_fontconfig.cpp
  LIBS folio_view folio_fltk LABELS gui)
