vexal_add_test(cp936_tests SOURCES cp936_test.cpp LIBS vexal_core)
