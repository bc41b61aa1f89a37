# The fixtures are written with giflib's encoder, which comes with the client's packages.
if(TARGET GIF::GIF)
  vexal_add_test(gifparser_tests SOURCES gifparser_test.cpp LIBS vexal_core GIF::GIF)
endif()
