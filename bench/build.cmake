# The whole build: `foliobuilder build` over a site of many small pages and one of a few big
# files, beside `zip -r` and `tar | pigz -p2` at the same levels, all run as programs.
if(TARGET foliobuilder AND TARGET folio3_reader)
  folio_bench(build_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/build_bench.cpp)
  target_compile_definitions(build_bench PRIVATE
    FOLIO_BUILDER_PROGRAM="$<TARGET_FILE:foliobuilder>")
  add_dependencies(build_bench foliobuilder folio3_reader)
endif()
