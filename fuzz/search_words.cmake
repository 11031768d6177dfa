# The book search's words, alone: no document engine needed.
folio_fuzz(search_words_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/search_words_fuzz.cpp ${CMAKE_SOURCE_DIR}/bookreader/search_words.cpp
  LIBS folio_base folio_utf8proc)
