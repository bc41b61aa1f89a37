if(TARGET vexal_client)
  target_sources(vexal_client PRIVATE tablesound.cpp tablesound.h)
endif()
