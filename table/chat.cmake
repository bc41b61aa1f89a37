# The chat's windows: the chat box's keys, the history, the quick phrases and the speech bubbles.
if(TARGET vexal_client)
  target_sources(vexal_client PRIVATE chatview.cpp chatview.h)
endif()
