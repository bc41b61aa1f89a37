file(GLOB _vexal_message_sources ${CMAKE_CURRENT_SOURCE_DIR}/messages/*.cpp)
target_sources(vexal_core PRIVATE ${_vexal_message_sources})
