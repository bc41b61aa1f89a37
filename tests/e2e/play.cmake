# scripts/play with no display: the demo session under its own account, never the player's.
if(VEXAL_BUILD_TESTS AND TARGET vexal AND TARGET vexal-server AND TARGET kestrel-lobby)
  add_test(NAME play_headless_demo_keeps_player_account
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/play_headless.sh ${PROJECT_SOURCE_DIR} $<TARGET_FILE_DIR:vexal>
                   ${CMAKE_BINARY_DIR}/e2e-play)
  set_tests_properties(play_headless_demo_keeps_player_account PROPERTIES TIMEOUT 300 LABELS e2e)
endif()
