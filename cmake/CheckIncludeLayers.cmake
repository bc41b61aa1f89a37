# Fails, listing each offending line, when a folder includes from a layer above its own. The client
# is layered bottom to top as
#   rules/ (cards, plays, hint) → net/ (frames, messages, dispatcher) → core/ (launch string,
#   scheduler, clock, INI files) → model/ (the table's plain state) → table/ and the other
#   widget and device folders → app/ (start-up, main loop, wiring)
# and the lowest four are the plain C++ of vexal_core, which the server links too: no Qt header
# reaches them.
# Usage: cmake -DSOURCE_DIR=<project root> -P CheckIncludeLayers.cmake
cmake_policy(VERSION 3.25)

# Each folder and what its files must not include; "Qt" stands for any Qt header.
set(layer_rules
    "rules: net core model table media platform chat props video app Qt"
    "net: core model table media platform chat props video app Qt"
    "core: model table media platform chat props video app Qt"
    "model: table media platform chat props video app Qt"
    "table: app"
    "media: app"
    "platform: app"
    "chat: app"
    "props: app"
    "video: app")

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR is not set")
endif()

set(bad "")
set(checked 0)
foreach(rule IN LISTS layer_rules)
  if(NOT rule MATCHES "^([a-z]+): (.+)$")
    message(FATAL_ERROR "unreadable layer rule: ${rule}")
  endif()
  set(folder ${CMAKE_MATCH_1})
  string(REPLACE " " ";" forbidden "${CMAKE_MATCH_2}")
  file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.hpp
       ${SOURCE_DIR}/${folder}/*.cpp ${SOURCE_DIR}/${folder}/*.cc)
  foreach(file IN LISTS files)
    math(EXPR checked "${checked} + 1")
    file(READ ${SOURCE_DIR}/${file} text)
    # Split into lines without CMake's list syntax getting in the way: brackets, backslashes and
    # semicolons would join or split lines.
    string(REPLACE "\\" "<bs>" text "${text}")
    string(REPLACE "[" "<lb>" text "${text}")
    string(REPLACE "]" "<rb>" text "${text}")
    string(REPLACE ";" "<sc>" text "${text}")
    string(REPLACE "\n" ";" lines "${text}")
    set(number 0)
    foreach(line IN LISTS lines)
      math(EXPR number "${number} + 1")
      if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*([\"<])([^\">]+)[\">]")
        continue()
      endif()
      set(quote "${CMAKE_MATCH_1}")
      set(target "${CMAKE_MATCH_2}")
      set(layer "")
      if(quote STREQUAL "<")
        if(target MATCHES "^(Q[A-Za-z0-9_]*|Qt[A-Za-z0-9_]*/.*)$")
          set(layer Qt)
        endif()
      elseif(target MATCHES "^([a-z0-9_]+)/")
        set(layer ${CMAKE_MATCH_1})
      endif()
      if(layer AND layer IN_LIST forbidden)
        string(STRIP "${line}" shown)
        list(APPEND bad "${file}:${number}: ${shown}   (${folder}/ may not include ${layer})")
      endif()
    endforeach()
  endforeach()
endforeach()

if(bad)
  foreach(entry IN LISTS bad)
    string(REPLACE "<bs>" "\\" entry "${entry}")
    string(REPLACE "<lb>" "[" entry "${entry}")
    string(REPLACE "<rb>" "]" entry "${entry}")
    string(REPLACE "<sc>" ";" entry "${entry}")
    message("${entry}")
  endforeach()
  list(LENGTH bad count)
  message(FATAL_ERROR "${count} includes against the layers")
endif()
message(STATUS "checked the includes of ${checked} files against the layers")
