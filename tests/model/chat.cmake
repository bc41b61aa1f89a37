vexal_add_test(chat_model_tests SOURCES chat_test.cpp LIBS vexal_core)
