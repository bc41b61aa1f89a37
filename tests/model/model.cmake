vexal_add_test(round_rules_tests
               SOURCES roundstate_test.cpp settlement_test.cpp ../rules/cards.cpp
               LIBS vexal_core)
vexal_add_test(model_players_tests SOURCES players_test.cpp LIBS vexal_core)
vexal_add_test(session_model_tests SOURCES sessionmodel_test.cpp LIBS vexal_core)
vexal_add_test(round_model_tests SOURCES roundmodel_test.cpp ../rules/cards.cpp LIBS vexal_core)
