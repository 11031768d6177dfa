# The cascade in property sets per second over a sheet of a few hundred rules and a realistic
# element stack, beside the same matching done naively with std::map lookups; and sheet
# parsing in MB/s.
folio_bench(cascade_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/cascade_bench.cpp LIBS folio_style)
