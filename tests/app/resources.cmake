# The builder's built-in pages and pictures: the registry, the loader and the pages' content.
folio_test(resource_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/resource_loader_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/builtin_pages_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/builtin_pages_render_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/kq_file_launch_test.cpp
  LIBS folio_app folio_load folio_style)
