# Pages of many form controls and of a drop-down list with many options, shown in a viewer:
# in a real window when a display is there (the controls get their widgets), else headless.
if(TARGET folio_fltk)
  folio_bench(controls_bench
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/controls_bench.cpp
    LIBS folio_view folio_fltk)
endif()
