if(TARGET vexal_client)
  vexal_add_test(resources_tests SOURCES resources_test.cpp LIBS vexal_client QT)
  vexal_add_test(artgen_gifwriter_tests SOURCES resources_gifwriter_test.cpp ${CMAKE_SOURCE_DIR}/assets/artgen/gifwriter.cpp
                 LIBS Qt6::Gui GIF::GIF QT)
endif()
if(TARGET artgen_gifwriter_tests)
  target_include_directories(artgen_gifwriter_tests PRIVATE ${CMAKE_SOURCE_DIR})
endif()
