folio_test(render_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/render_command_test.cpp
  LIBS folio_app)
