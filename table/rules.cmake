# The rules window, and the rules page it shows: the players' part of docs/game-rules.md, cut out
# at build time and compiled into the client, so the page and the rules cannot part ways.
if(TARGET vexal_client)
  target_sources(vexal_client PRIVATE rulesview.cpp rulesview.h)

  set(VEXAL_RULES_DIR ${CMAKE_BINARY_DIR}/rules)
  set(VEXAL_RULES_PAGE ${VEXAL_RULES_DIR}/rules.md)
  set(VEXAL_RULES_QRC ${VEXAL_RULES_DIR}/vexal_rules.qrc)
  set(VEXAL_RULES_CPP ${VEXAL_RULES_DIR}/qrc_vexal_rules.cpp)
  file(CONFIGURE OUTPUT ${VEXAL_RULES_QRC}
       CONTENT "<RCC>\n  <qresource prefix=\"/rules\">\n    <file>rules.md</file>\n  </qresource>\n</RCC>\n")
  add_custom_command(OUTPUT ${VEXAL_RULES_PAGE}
    COMMAND ${CMAKE_COMMAND} -DIN=${CMAKE_SOURCE_DIR}/docs/game-rules.md -DOUT=${VEXAL_RULES_PAGE}
            -P ${CMAKE_SOURCE_DIR}/cmake/ExtractRulesPage.cmake
    DEPENDS ${CMAKE_SOURCE_DIR}/docs/game-rules.md ${CMAKE_SOURCE_DIR}/cmake/ExtractRulesPage.cmake
    COMMENT "Cutting the rules page out of docs/game-rules.md"
    VERBATIM)
  add_custom_command(OUTPUT ${VEXAL_RULES_CPP}
    COMMAND Qt6::rcc --name vexal_rules -o ${VEXAL_RULES_CPP} ${VEXAL_RULES_QRC}
    DEPENDS ${VEXAL_RULES_QRC} ${VEXAL_RULES_PAGE}
    COMMENT "Compiling the rules page into a resource collection"
    VERBATIM)
  # Registered through qInitResources_vexal_rules(), which table/rulesview.cpp calls, so the linker
  # keeps the page in every program with the rules window.
  add_library(vexal_rules_page STATIC ${VEXAL_RULES_CPP})
  target_link_libraries(vexal_rules_page PUBLIC Qt6::Core)
  set_target_properties(vexal_rules_page PROPERTIES AUTOMOC OFF AUTORCC OFF)
  target_link_libraries(vexal_client PUBLIC vexal_rules_page)
endif()
