vexal_add_test(server_messages_tests
               SOURCES messages_test.cpp login_test.cpp playframe_test.cpp ../rules/cards.cpp
               LIBS vexal_core)
