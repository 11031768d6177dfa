# htmltokens: the lexer's symbols of an HTML file, one per line.
add_library(folio_htmltokens_dump STATIC ${CMAKE_CURRENT_LIST_DIR}/htmltokens_dump.cpp)
target_link_libraries(folio_htmltokens_dump PUBLIC folio_reader)
add_executable(htmltokens ${CMAKE_CURRENT_LIST_DIR}/htmltokens.cpp)
target_link_libraries(htmltokens PRIVATE folio_htmltokens_dump)
