target_sources(vexal_core PRIVATE numbers.cpp launchparams.cpp clock.cpp
               scheduler.cpp videosetting.cpp inifile.cpp)
