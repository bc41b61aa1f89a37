# The table window is the client's; its geometry is plain arithmetic, shared with the tests.
target_sources(vexal_core PRIVATE tablegeometry.cpp)
if(TARGET vexal_client)
  target_sources(vexal_client PRIVATE mainform.cpp widgets.cpp frame.cpp panels.cpp windows.cpp webpanel.cpp
                 pictures.cpp shuffle.cpp sessionview.cpp sessionview.h)
endif()
