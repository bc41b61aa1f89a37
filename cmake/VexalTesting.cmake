# vexal_add_test(NAME SOURCES src... [LIBS lib...] [QT])
# One GoogleTest program per call; each test case is registered with CTest on its own.
# QT runs the program on the offscreen platform (the Qt test main also picks the dummy audio driver
# when none is set: the discovery step passes on only the first entry of the list); without the client
# (no Qt) such a test is not built at all.
function(vexal_add_test name)
  cmake_parse_arguments(T "QT" "" "SOURCES;LIBS" ${ARGN})
  if(NOT VEXAL_BUILD_TESTS)
    return()
  endif()
  # A build without the client (the server alone) has no Qt: its Qt tests are left out.
  if(T_QT AND NOT TARGET vexal_client)
    return()
  endif()
  find_package(GTest REQUIRED)
  add_executable(${name} ${T_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE VEXAL_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                             VEXAL_BINARY_DIR="${CMAKE_BINARY_DIR}")
  set(env "")
  if(T_QT)
    list(APPEND env QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy)
  endif()
  include(GoogleTest)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300)
endfunction()
