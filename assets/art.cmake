# The numbered GIF pictures: drawn at build time by vexal-artgen and compiled into vexal_art.
if(TARGET vexal_client)
  add_executable(vexal-artgen
    artgen/main.cpp artgen/gifwriter.cpp artgen/draw.cpp artgen/cards.cpp artgen/deal.cpp
    artgen/buttons.cpp artgen/table.cpp artgen/animations.cpp artgen/portraits.cpp artgen/video.cpp)
  target_include_directories(vexal-artgen PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(vexal-artgen PRIVATE Qt6::Core Qt6::Gui GIF::GIF)
  set_target_properties(vexal-artgen PROPERTIES AUTOMOC OFF AUTORCC OFF)

  set(VEXAL_ART_DIR ${CMAKE_BINARY_DIR}/art)
  set(VEXAL_ART_QRC ${VEXAL_ART_DIR}/vexal_art.qrc)
  set(VEXAL_ART_CPP ${VEXAL_ART_DIR}/qrc_vexal_art.cpp)
  # A failed drawing or a missing font stops the build; leak checks are for the tests, not for
  # this build tool.
  add_custom_command(OUTPUT ${VEXAL_ART_QRC}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:vexal-artgen> --out ${VEXAL_ART_DIR} --qrc ${VEXAL_ART_QRC}
    DEPENDS vexal-artgen
    COMMENT "Drawing the numbered GIF pictures into ${VEXAL_ART_DIR}"
    VERBATIM)
  add_custom_command(OUTPUT ${VEXAL_ART_CPP}
    COMMAND Qt6::rcc --name vexal_art -o ${VEXAL_ART_CPP} ${VEXAL_ART_QRC}
    DEPENDS ${VEXAL_ART_QRC}
    COMMENT "Compiling the pictures into a resource collection"
    VERBATIM)
  # The resources register through qInitResources_vexal_art(), which media/resources.cpp calls,
  # so the linker keeps them in every program that loads a picture.
  add_library(vexal_art STATIC ${VEXAL_ART_CPP})
  target_link_libraries(vexal_art PUBLIC Qt6::Core)
  set_target_properties(vexal_art PROPERTIES AUTOMOC OFF AUTORCC OFF)
  target_link_libraries(vexal_client PUBLIC vexal_art)

  add_executable(vexal-contactsheet contactsheet.cpp)
  target_link_libraries(vexal-contactsheet PRIVATE vexal_client)
endif()
