# A build in which a file changes while it is packed: the warning and the exit status.
folio_test(changed_files_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/changed_files_test.cpp
  LIBS folio_app)
