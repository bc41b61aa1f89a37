# The WAV files in common/ beside bin/: effects and the background tune synthesized by
# vexal-soundgen, quick-phrase voices spoken by espeak-ng from the default chat.ini, which is
# copied next to the programs. Without espeak-ng the build stops here rather than ship silence.
if(TARGET vexal_client)
  find_program(VEXAL_ESPEAK_NG espeak-ng REQUIRED)
  add_executable(vexal-soundgen soundgen.cpp)
  target_include_directories(vexal-soundgen PRIVATE ${CMAKE_SOURCE_DIR})
  # The voice files are named by the chat's own rule.
  target_link_libraries(vexal-soundgen PRIVATE vexal_core)
  set_target_properties(vexal-soundgen PROPERTIES AUTOMOC OFF AUTORCC OFF
                        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})

  set(VEXAL_SOUND_STAMP ${VEXAL_COMMON_DIR}/sounds.stamp)
  add_custom_command(OUTPUT ${VEXAL_SOUND_STAMP}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:vexal-soundgen> ${VEXAL_COMMON_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/chat.ini
            ${VEXAL_ESPEAK_NG}
    COMMAND ${CMAKE_COMMAND} -E touch ${VEXAL_SOUND_STAMP}
    DEPENDS vexal-soundgen ${CMAKE_CURRENT_SOURCE_DIR}/chat.ini
    COMMENT "Synthesizing the sounds and speaking the quick-phrase voices into ${VEXAL_COMMON_DIR}"
    VERBATIM)
  add_custom_command(OUTPUT ${VEXAL_BIN_DIR}/chat.ini
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/chat.ini ${VEXAL_BIN_DIR}/chat.ini
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/chat.ini
    VERBATIM)
  add_custom_target(vexal_sounds ALL DEPENDS ${VEXAL_SOUND_STAMP} ${VEXAL_BIN_DIR}/chat.ini)
  # The client is never built without the sounds and quick phrases it plays.
  if(TARGET vexal)
    add_dependencies(vexal vexal_sounds)
  endif()
endif()
