if(TARGET vexal_client AND TARGET vexal-server)
  vexal_add_test(table_e2e_tests SOURCES table_e2e_test.cpp ${CMAKE_SOURCE_DIR}/tests/table/qt_test_main.cpp
                 LIBS vexal_client QT)
  add_dependencies(table_e2e_tests vexal vexal-server kestrel-lobby)
endif()
