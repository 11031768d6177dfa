# The words of the book search alone: what makes a word and what it folds to, without the
# document engine or a book.
folio_test(search_words_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/search_words_test.cpp ${CMAKE_SOURCE_DIR}/bookreader/search_words.cpp
  LIBS folio_base folio_utf8proc)
