# The lobby takes its table back to a seat: real server, lobby and table processes.
if(TARGET vexal_client AND TARGET vexal-server AND TARGET kestrel-lobby)
  vexal_add_test(lobby_e2e_tests SOURCES lobby_e2e_test.cpp ${CMAKE_SOURCE_DIR}/tests/table/qt_test_main.cpp
                 LIBS vexal_client QT)
  add_dependencies(lobby_e2e_tests vexal vexal-server kestrel-lobby)
endif()
