vexal_add_test(server_game_tests SOURCES fixtures.cpp round_test.cpp scoring_test.cpp LIBS vexal_server_game)
