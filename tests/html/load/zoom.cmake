# Zoom: a page at zoom 2 against the same page with every length doubled.
folio_test(zoom_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/zoom_test.cpp
  LIBS folio_load)
