if(TARGET kestrel_lobby)
  vexal_add_test(lobby_tests SOURCES lobby_test.cpp ../table/qt_test_main.cpp LIBS kestrel_lobby Qt6::Test QT)
endif()
