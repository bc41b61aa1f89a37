if(TARGET vexal_client)
  vexal_add_test(platform_socket_tests SOURCES socketadapter_test.cpp socks5proxy_test.cpp socket_qtmain.cpp
                 LIBS vexal_client Qt6::Test QT)
endif()
