folio_test(gui_dialogs_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/dialogs_test.cpp LIBS folio_gui)
folio_test(gui_launcher_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/launcher_test.cpp LIBS folio_gui)
folio_test(gui_controls_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/application_test.cpp ${CMAKE_CURRENT_LIST_DIR}/controls_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/paint_test.cpp ${CMAKE_CURRENT_LIST_DIR}/peer_test.cpp
          ${CMAKE_SOURCE_DIR}/platform/base/sanitizer/lsan_fontconfig.cpp
  LIBS folio_gui)
