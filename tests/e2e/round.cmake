# Four real clients play a round against the real server.
if(VEXAL_BUILD_TESTS AND TARGET vexal AND TARGET vexal-server)
  add_test(NAME round_e2e_four_clients
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/round_play.sh $<TARGET_FILE_DIR:vexal> ${CMAKE_BINARY_DIR}/e2e-round 240)
  set_tests_properties(round_e2e_four_clients PROPERTIES TIMEOUT 300 LABELS e2e)
endif()
