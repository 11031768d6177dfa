# The frame viewer headless: frame-set sizes and layout, targets, failures, history, the
# order of the owner's requests, border dragging, refresh; timers on the test clock.
folio_test(frame_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/frame_layout_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/frame_viewer_test.cpp
  LIBS folio_view)
# foliobuilder render of a frame-set page: the whole set painted into one picture.
folio_test(frame_render_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/frame_render_test.cpp
  LIBS folio_app)
