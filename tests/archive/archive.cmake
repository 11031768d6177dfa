folio_test(archive_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/backup_format_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/backup_run_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/backup_threads_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/backup_identity_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/backup_changes_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/file_pattern_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/archive_reader_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/book_file_test.cpp
  LIBS folio_archive)
