target_sources(vexal_core PRIVATE card.cpp sort.cpp classify.cpp arrange.cpp hint.cpp)
