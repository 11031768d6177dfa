folio_test(support_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/support_test.cpp)

# The GUI tests' X server. Run once as it is, and once with no Xvfb to be found, where the
# program must fail (exit status 1) and say why rather than skip its tests.
folio_test(xvfb_session_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/xvfb_session_test.cpp
          ${CMAKE_SOURCE_DIR}/platform/base/sanitizer/lsan_fontconfig.cpp
  LIBS folio_fltk LABELS gui)
add_test(NAME xvfb_session_fails_without_server
  COMMAND sh -c "out=$(env PATH=/nonexistent-folder \"$0\" --gtest_filter='SessionTest.*' 2>&1); status=$?; echo \"$out\"; echo \"exit status $status\"; [ $status -eq 1 ] && echo \"$out\" | grep -q 'no X server for the GUI tests: Xvfb is not installed'"
    $<TARGET_FILE:xvfb_session_tests>
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
set_tests_properties(xvfb_session_fails_without_server PROPERTIES LABELS gui)
