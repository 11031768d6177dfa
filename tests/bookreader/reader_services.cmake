# The reader's services: the page source, background sound, remembered state, the icon reader.
folio_test(reader_services_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/reader_services_test.cpp
    ${CMAKE_SOURCE_DIR}/platform/base/sanitizer/lsan_fontconfig.cpp
  LIBS folio_bookreader folio_view folio_image folio_gui)
