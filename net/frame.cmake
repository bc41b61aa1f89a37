target_sources(vexal_core PRIVATE frame.cpp rings.cpp)
