target_sources(vexal_core PRIVATE inifile.cpp)
