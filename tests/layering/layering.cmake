# The layering of the libraries, in their includes and in their CMake link lines: scans the
# sources, so it links nothing of ours.
folio_test(layering_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/include_rules.cpp
    ${CMAKE_CURRENT_LIST_DIR}/link_rules.cpp
    ${CMAKE_CURRENT_LIST_DIR}/layering_test.cpp)
