if(TARGET vexal_client)
  vexal_add_test(resources_tests SOURCES resources_test.cpp LIBS vexal_client QT)
  vexal_add_test(artgen_gifwriter_tests SOURCES resources_gifwriter_test.cpp ${CMAKE_SOURCE_DIR}/assets/artgen/gifwriter.cpp
                 LIBS Qt6::Gui GIF::GIF QT)
endif()
if(TARGET artgen_gifwriter_tests)
  target_include_directories(artgen_gifwriter_tests PRIVATE ${CMAKE_SOURCE_DIR})
endif()

# The artwork generator must stop the build, with a reason, when it cannot draw what was asked.
if(TARGET vexal-artgen AND VEXAL_BUILD_TESTS)
  set(_nofonts ${CMAKE_CURRENT_BINARY_DIR}/nofonts.conf)
  file(WRITE ${_nofonts} "<?xml version=\"1.0\"?>\n<fontconfig><dir>${CMAKE_CURRENT_BINARY_DIR}/no-such-fonts</dir>"
                         "<cachedir>${CMAKE_CURRENT_BINARY_DIR}/nofonts-cache</cachedir></fontconfig>\n")
  add_test(NAME ArtGen.FailsWithoutItsFont
           COMMAND ${CMAKE_COMMAND} -E env FONTCONFIG_FILE=${_nofonts} QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
                   $<TARGET_FILE:vexal-artgen> --out ${CMAKE_CURRENT_BINARY_DIR}/art-nofont)
  set_tests_properties(ArtGen.FailsWithoutItsFont PROPERTIES
                       PASS_REGULAR_EXPRESSION "font \"WenQuanYi Micro Hei\" is not installed")
  add_test(NAME ArtGen.FailsOnAnUnwritableDirectory
           COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
                   $<TARGET_FILE:vexal-artgen> --out /proc/vexal-art --only 3)
  set_tests_properties(ArtGen.FailsOnAnUnwritableDirectory PROPERTIES PASS_REGULAR_EXPRESSION "vexal-artgen: cannot create")
endif()
