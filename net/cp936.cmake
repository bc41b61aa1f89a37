target_sources(vexal_core PRIVATE cp936.cpp)
