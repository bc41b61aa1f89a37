# Not a Google Benchmark program: bench/figures runs it next to the client as the floor any Qt
# Widgets window has on the machine.
if(TARGET Qt6::Widgets)
  add_executable(bare_window bare_window.cpp)
  set_target_properties(bare_window PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  target_link_libraries(bare_window PRIVATE Qt6::Widgets)
endif()
