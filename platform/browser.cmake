# The machine's web browser: whether there is one, and opening an address in it.
if(TARGET vexal_client)
  target_sources(vexal_client PRIVATE browser.cpp browser.h)
endif()
