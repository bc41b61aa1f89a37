vexal_add_test(windowbus_tests SOURCES windowbus_test.cpp ${CMAKE_SOURCE_DIR}/tests/table/qt_test_main.cpp
               LIBS vexal_client QT)
