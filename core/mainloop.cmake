if(TARGET vexal_client)
  target_sources(vexal_client PRIVATE mainloop.cpp mainloop.h)
endif()
