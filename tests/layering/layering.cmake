# The include layering of the libraries: scans the sources, so it links nothing of ours.
folio_test(layering_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/include_rules.cpp
    ${CMAKE_CURRENT_LIST_DIR}/layering_test.cpp)
