vexal_add_test(table_players_tests SOURCES players_test.cpp tablegeometry_test.cpp LIBS vexal_core)
if(TARGET vexal_client)
  vexal_add_test(table_window_tests SOURCES table_window_test.cpp qt_test_main.cpp LIBS vexal_client Qt6::Test QT)
endif()
