target_sources(vexal_core PRIVATE socks5.cpp)
