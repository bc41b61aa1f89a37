# The main loop with the table wired into it: lobby messages, ticks, the receive path.
if(TARGET vexal_app)
  vexal_add_test(table_window_tests SOURCES table_window_test.cpp ../table/qt_test_main.cpp
                 LIBS vexal_app Qt6::Test QT)
endif()
# The chat on the table window: the chat box, the portraits, the phrase list, bubbles and voices.
if(TARGET vexal_app)
  vexal_add_test(chat_window_tests SOURCES chat_window_test.cpp ../table/qt_test_main.cpp
                 LIBS vexal_app Qt6::Test QT)
endif()
# Where the table's windows, bubbles, clocks and the score sheet land, at both table sizes.
if(TARGET vexal_app)
  vexal_add_test(table_layout_tests SOURCES layout_test.cpp ../table/qt_test_main.cpp
                 LIBS vexal_app Qt6::Test QT)
endif()
