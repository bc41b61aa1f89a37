# The 规则 button's view and the rules page shipped with the client.
if(TARGET vexal_client)
  vexal_add_test(rules_view_tests SOURCES rules_test.cpp ../rules/cards.cpp qt_test_main.cpp
                 LIBS vexal_client Qt6::Test QT)
endif()
