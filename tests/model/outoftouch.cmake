vexal_add_test(table_out_of_touch_tests SOURCES outoftouch_test.cpp ../rules/cards.cpp LIBS vexal_core)
