# The chat's plain decisions: filter, line forms, history, send gate and quick phrases.
target_sources(vexal_core PRIVATE chat.cpp)
