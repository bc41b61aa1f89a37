vexal_add_test(session_core_tests
               SOURCES launchparams_test.cpp scheduler_test.cpp
                       videosetting_test.cpp
               LIBS vexal_core)
vexal_add_test(session_robustness_tests SOURCES robustness_test.cpp LIBS vexal_core)
vexal_add_test(inifile_tests SOURCES inifile_test.cpp LIBS vexal_core)
