if(TARGET vexal_client)
  vexal_add_test(anigif_tests SOURCES anigif_test.cpp anigif_qtmain.cpp
                 LIBS vexal_client GIF::GIF Qt6::Test QT)
endif()
