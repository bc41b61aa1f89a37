if(TARGET vexal_client)
  vexal_add_test(sound_tests SOURCES sound_test.cpp anigif_qtmain.cpp LIBS vexal_client Qt6::Test QT)
endif()
