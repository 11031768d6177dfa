# foliobuilder run as a child process: concurrent builds and interrupted builds.
folio_test(build_process_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/build_process_test.cpp
  LIBS folio_bookreader)
add_dependencies(build_process_tests foliobuilder folio3_reader)
