if(TARGET vexal_server_game)
  vexal_add_bench(server_selfplay_bench server_selfplay.cpp)
  target_link_libraries(server_selfplay_bench PRIVATE vexal_server_game)
  # Not a Google Benchmark program: bench/figures runs it against a live server.
  add_executable(server_load server_load.cpp)
  set_target_properties(server_load PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  target_link_libraries(server_load PRIVATE vexal_server_game)
endif()
