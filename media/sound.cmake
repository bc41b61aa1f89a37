if(TARGET vexal_client)
  target_sources(vexal_client PRIVATE sound.cpp vosset.cpp)
endif()
