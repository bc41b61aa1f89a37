if(TARGET vexal_client)
  vexal_add_test(browser_tests SOURCES browser_test.cpp LIBS vexal_client QT)
endif()
