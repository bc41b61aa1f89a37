if(TARGET vexal_server_game)
  vexal_add_test(server_game_tests SOURCES fixtures.cpp round_test.cpp scoring_test.cpp hall_test.cpp reconnect_test.cpp
                 sheet_test.cpp options_test.cpp bot_test.cpp accounts_test.cpp deadlines_test.cpp ../rules/cards.cpp
                 LIBS vexal_server_game)
  # The quick phrases the client ships: the bots' lines are checked against them.
  target_compile_definitions(server_game_tests PRIVATE VEXAL_CHAT_INI="${CMAKE_SOURCE_DIR}/assets/chat.ini")
endif()

# The protocol tests start the real server process and talk to it over loopback TCP.
if(TARGET vexal-server)
  vexal_add_test(server_protocol_tests SOURCES protocol_test.cpp threads_test.cpp wireclient.cpp LIBS vexal_server_game)
  add_dependencies(server_protocol_tests vexal-server)
endif()
