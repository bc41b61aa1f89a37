vexal_add_test(net_frame_tests SOURCES frame_test.cpp LIBS vexal_core)
vexal_add_test(net_rings_tests SOURCES rings_test.cpp LIBS vexal_core)
vexal_add_test(net_socks5_tests SOURCES socks5_test.cpp LIBS vexal_core)
vexal_add_test(net_dispatcher_tests SOURCES dispatcher_test.cpp LIBS vexal_core)
