# Four real clients chat through the real server with key and mouse events on their windows.
if(VEXAL_BUILD_TESTS AND TARGET vexal AND TARGET vexal-server)
  add_test(NAME chat_e2e_four_clients
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/chat_play.sh $<TARGET_FILE_DIR:vexal> ${CMAKE_BINARY_DIR}/e2e-chat 60)
  set_tests_properties(chat_e2e_four_clients PROPERTIES TIMEOUT 120 LABELS e2e)
endif()
