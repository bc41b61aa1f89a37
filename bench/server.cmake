if(TARGET vexal_server_game)
  vexal_add_bench(server_selfplay_bench server_selfplay.cpp)
  target_link_libraries(server_selfplay_bench PRIVATE vexal_server_game)
endif()
