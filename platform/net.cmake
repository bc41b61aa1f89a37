if(TARGET vexal_client)
  target_sources(vexal_client PRIVATE socketadapter.cpp socks5driver.cpp)
endif()
