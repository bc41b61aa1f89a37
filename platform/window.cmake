if(TARGET vexal_client)
  target_sources(vexal_client PRIVATE windowbus.cpp singleinstance.cpp messagebox.cpp trace.cpp)
endif()
