# styledump FILE.css: the style list a sheet gives after the built-in rules, entry by entry.
add_executable(styledump ${CMAKE_CURRENT_LIST_DIR}/styledump.cpp)
target_link_libraries(styledump PRIVATE folio_style)
