folio_test(app_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/file_collection_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/builder_commands_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/create_command_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/name_clashes_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/command_line_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/option_parser_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/printable_name_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/prefixed_stream_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/reader_options_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sample_site_test.cpp
    # A book's pictures are shown through a viewer, whose fonts keep fontconfig's caches.
    ${CMAKE_SOURCE_DIR}/platform/base/sanitizer/lsan_fontconfig.cpp
  LIBS folio_app)
