# A whole page: read, laid out at three widths, dumped and painted.
folio_fuzz(document_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/document_fuzz.cpp LIBS folio_load)
