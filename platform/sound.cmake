if(TARGET vexal_client)
  target_sources(vexal_client PRIVATE sounddevice.cpp)
endif()
