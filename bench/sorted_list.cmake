# Sorted lists as pages fill them: a page's ID attributes into the lexer's name list, a style
# sheet's rules into the document's sheet, and plain sorted adds, each up to 200,000 entries
# with Google Benchmark's fit of how time grows; std::multiset of the same names is the peer.
folio_bench(sorted_list_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/sorted_list_bench.cpp
  LIBS folio_reader folio_style)
