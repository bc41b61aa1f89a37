# A client whose connection breaks during a round comes back to its seat by itself: directly, cut
# after two tricks were taken, and through a SOCKS5 proxy, cut in the first trick.
if(VEXAL_BUILD_TESTS AND TARGET vexal AND TARGET vexal-server)
  add_test(NAME round_e2e_reconnect
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/reconnect_play.sh $<TARGET_FILE_DIR:vexal> ${CMAKE_BINARY_DIR}/e2e-reconnect 100 direct 2)
  set_tests_properties(round_e2e_reconnect PROPERTIES TIMEOUT 150 LABELS e2e)
  find_program(VEXAL_MICROSOCKS microsocks)
  if(VEXAL_MICROSOCKS)
    add_test(NAME round_e2e_reconnect_socks5
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/reconnect_play.sh $<TARGET_FILE_DIR:vexal> ${CMAKE_BINARY_DIR}/e2e-reconnect-socks5 100 socks5)
    set_tests_properties(round_e2e_reconnect_socks5 PROPERTIES TIMEOUT 150 LABELS e2e)
  endif()
endif()
