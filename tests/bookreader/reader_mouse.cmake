# The book window under the mouse in a real X server: the context menu, frame borders dragged,
# and the error dialog of a clicked link with F5 pressed in it.
folio_test(reader_mouse_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/reader_menu_test.cpp
          ${CMAKE_SOURCE_DIR}/platform/base/sanitizer/lsan_fontconfig.cpp
  LIBS folio_bookreader folio_fltk LABELS gui)
