folio_test(dist_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/dist_test.cpp LIBS folio_base)
# The checks look at the programs a user gets, so they need both built first.
add_dependencies(dist_tests foliobuilder folio3_reader)
if(FOLIO_SANITIZE)
  target_compile_definitions(dist_tests PRIVATE FOLIO_SANITIZER_BUILD=1)
endif()
# apt and dpkg hold one system-wide lock: the package test must not run beside another.
set_tests_properties(dist_tests PROPERTIES RUN_SERIAL TRUE LABELS dist)
