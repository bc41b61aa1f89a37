if(TARGET vexal_client)
  vexal_add_test(round_table_tests
                 SOURCES round_test.cpp ../rules/cards.cpp qt_test_main.cpp
                 LIBS vexal_client Qt6::Test QT)
endif()
