# Search across a book: the index, the hits and their places in the laid-out page, --search.
folio_test(book_search_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/book_search_test.cpp
  LIBS folio_bookreader folio_load)
