if(TARGET vexal_client)
  vexal_add_test(sound_tests SOURCES sound_test.cpp anigif_qtmain.cpp LIBS vexal_client Qt6::Test QT)
  # The asset test plays the build's own sound folders.
  if(TARGET vexal_sounds AND TARGET sound_tests)
    add_dependencies(sound_tests vexal_sounds)
  endif()
endif()
