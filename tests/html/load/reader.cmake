folio_test(reader_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/reader_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frame_reader_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/png_writer_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/soup_test.cpp
  LIBS folio_load)
