# The reader's window in a real X server: starts its own Xvfb; fails when Xvfb or xdotool is
# missing. Screenshots go to the build folder's gui-screens/.
folio_test(reader_window_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/reader_window_test.cpp
          ${CMAKE_SOURCE_DIR}/platform/base/sanitizer/lsan_fontconfig.cpp
  LIBS folio_bookreader folio_fltk LABELS gui)
# Two tests run the real program.
add_dependencies(reader_window_tests folio3_reader)
