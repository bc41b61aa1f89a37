# Real clients reach the real server through a SOCKS5 proxy with a user name and password.
find_program(VEXAL_MICROSOCKS microsocks)
if(VEXAL_BUILD_TESTS AND TARGET vexal AND TARGET vexal-server AND VEXAL_MICROSOCKS)
  add_test(NAME round_e2e_socks5
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/proxy_play.sh $<TARGET_FILE_DIR:vexal> ${CMAKE_BINARY_DIR}/e2e-socks5 100 round)
  add_test(NAME round_e2e_socks5_wrong_password
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/proxy_play.sh $<TARGET_FILE_DIR:vexal> ${CMAKE_BINARY_DIR}/e2e-socks5-refused 30 wrong-password)
  set_tests_properties(round_e2e_socks5 PROPERTIES TIMEOUT 150 LABELS e2e)
  set_tests_properties(round_e2e_socks5_wrong_password PROPERTIES TIMEOUT 60 LABELS e2e)
endif()
