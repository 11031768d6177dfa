# A whole page: read, laid out at three widths, dumped and painted. fontconfig's own blocks are
# kept out of the leak report, as in the test programs that make fonts.
folio_fuzz(document_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/document_fuzz.cpp
          ${CMAKE_SOURCE_DIR}/tests/platform/gui/lsan_fontconfig.cpp
  LIBS folio_load)
