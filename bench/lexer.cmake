# The HTML lexer beside libxml2's HTML parser and gumbo.
pkg_check_modules(LEXER_PEERS IMPORTED_TARGET libxml-2.0 gumbo)
if(LEXER_PEERS_FOUND)
  folio_bench(lexer_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/lexer_bench.cpp
    LIBS folio_reader PkgConfig::LEXER_PEERS)
  target_compile_definitions(lexer_bench PRIVATE
    FOLIO_LEXER_PAGES="${CMAKE_CURRENT_LIST_DIR}/lexer_pages")
else()
  message(STATUS "lexer_bench skipped: libxml-2.0 or gumbo not found")
endif()
