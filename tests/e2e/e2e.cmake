folio_test(e2e_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/e2e_test.cpp LIBS folio_app)
# The test runs the real programs.
add_dependencies(e2e_tests foliobuilder folio3_reader)
