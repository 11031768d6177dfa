folio_test(support_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/support_test.cpp)
