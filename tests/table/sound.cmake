vexal_add_test(table_sound_tests
               SOURCES tablesound_test.cpp ../rules/cards.cpp qt_test_main.cpp
               LIBS vexal_app Qt6::Test QT)
