# Encoding names, the search for a document's encoding, and decoding to UTF-8.
folio_fuzz(encoding_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/encoding_fuzz.cpp LIBS folio_base)
