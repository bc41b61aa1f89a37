target_sources(vexal_core PRIVATE gifparser.cpp)
if(TARGET vexal_client)
  target_sources(vexal_client PRIVATE anigif.cpp)
endif()
