vexal_add_test(inifile_tests SOURCES inifile_test.cpp LIBS vexal_core)
