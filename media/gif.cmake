target_sources(vexal_core PRIVATE gifparser.cpp)
