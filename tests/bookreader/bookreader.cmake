folio_test(bookreader_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/reader_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/book_pieces_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/damaged_book_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/terminal_prompt_test.cpp
    # --search reads the pages' text with the engine, which brings up fontconfig.
    ${CMAKE_SOURCE_DIR}/platform/base/sanitizer/lsan_fontconfig.cpp
  LIBS folio_bookreader)
