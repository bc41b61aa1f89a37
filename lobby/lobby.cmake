if(TARGET vexal_client)
  # The account file reader is the server's own (plain C++, no Asio), compiled in here so a
  # build without the server still has it.
  add_library(kestrel_lobby STATIC lobbywindow.cpp lobbywindow.h lobbystate.cpp lobbystate.h
              ${CMAKE_SOURCE_DIR}/server/accounts.cpp)
  target_link_libraries(kestrel_lobby PUBLIC vexal_client)
  add_executable(kestrel-lobby main.cpp)
  target_link_libraries(kestrel-lobby PRIVATE kestrel_lobby)
endif()
