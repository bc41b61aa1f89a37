vexal_add_test(rules_tests
               SOURCES cards.cpp card_test.cpp sort_test.cpp classify_test.cpp arrange_test.cpp hint_test.cpp
                       hint_property_test.cpp property_test.cpp
               LIBS vexal_core)
