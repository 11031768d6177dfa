# Layout dumps of tests/data/layout, reference pairs of tests/data/ref and stored pictures of
# tests/data/pictures. FOLIO_UPDATE=1 rewrites the expected dumps and pictures.
folio_test(layout_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/layout_test.cpp
  LIBS folio_load)
