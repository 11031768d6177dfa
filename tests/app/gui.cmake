# The builder's window in a real X server: starts its own Xvfb; fails when Xvfb or xdotool is
# missing. Screenshots go to the build folder's gui-screens/.
folio_test(builder_gui_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/builder_gui_test.cpp
          ${CMAKE_SOURCE_DIR}/platform/base/sanitizer/lsan_fontconfig.cpp
  LIBS folio_app folio_fltk LABELS gui)
# One test starts the real program.
add_dependencies(builder_gui_tests foliobuilder)
