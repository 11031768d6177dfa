# A whole page: read, laid out at the width its last byte picks, dumped and painted;
# document_fuzz_full lays every input out at every width (slower, for long runs). fontconfig's
# own blocks are kept out of the leak report, as in the test programs that make fonts.
folio_fuzz(document_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/document_fuzz.cpp
          ${CMAKE_SOURCE_DIR}/platform/base/sanitizer/lsan_fontconfig.cpp
  LIBS folio_load)
folio_fuzz(document_fuzz_full
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/document_fuzz.cpp
          ${CMAKE_SOURCE_DIR}/platform/base/sanitizer/lsan_fontconfig.cpp
  LIBS folio_load)
if(FOLIO_FUZZ)
  target_compile_definitions(document_fuzz_full PRIVATE FOLIO_FUZZ_EVERY_WIDTH)
endif()
