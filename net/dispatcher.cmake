target_sources(vexal_core PRIVATE dispatcher.cpp)
