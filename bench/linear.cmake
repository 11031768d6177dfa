# Costs that must stay linear in the page: paragraph pages, tall pages written as PNG, one long
# paragraph, many style rules, and the memory of one animated GIF used many times.
if(TARGET folio_load)
  folio_bench(linear_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/linear_bench.cpp
    LIBS folio_load)
  target_compile_definitions(linear_bench PRIVATE FOLIO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endif()
