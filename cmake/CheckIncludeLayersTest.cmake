# The layer check on a made-up tree: every breach must be listed with its file and line, no allowed
# include may be, and the same tree without its breaches must pass.
# Usage: cmake -DCHECK=<CheckIncludeLayers.cmake> -DWORK_DIR=<scratch folder>
#              -P CheckIncludeLayersTest.cmake
cmake_policy(VERSION 3.25)

# file | its lines; lines marked "BAD" are breaches, the rest are allowed. {sc}, {lb} and {bs} stand
# for a semicolon, an unpaired "[" and a backslash, which the line counting must not trip over.
set(tree
    "rules/arrange.h|#include \"rules/card.h\"|#include \"net/command.h\" BAD|// #include \"app/main.h\""
    "rules/hint.cpp|#include <QString> BAD|char c = '{lb}', d = '{bs}{bs}'{sc}|#include \"core/clock.h\" BAD"
    "net/frame.cpp|#include \"rules/card.h\"|#include \"net/frame.h\"|  #  include \"core/clock.h\" BAD"
    "core/clock.h|#include \"net/command.h\"|#include \"media/sound.h\" BAD|#include <QtCore/QObject> BAD"
    "model/session.h|#include \"core/launchparams.h\"|#include \"table/round.h\" BAD"
    "table/round.cpp|#include <QWidget>|#include \"model/session.h\"|#include \"app/wiring.h\" BAD"
    "video/player.h|#include \"media/sound.h\"|#include \"app/mainloop.h\" BAD"
    "app/main.cpp|#include \"table/round.h\"|#include <QApplication>")

function(write_tree root with_breaches)
  file(REMOVE_RECURSE ${root})
  foreach(entry IN LISTS tree)
    string(REPLACE "|" ";" parts "${entry}")
    list(POP_FRONT parts name)
    set(text "")
    foreach(line IN LISTS parts)
      if(line MATCHES "^(.*) BAD$")
        if(NOT with_breaches)
          set(line "// left out")
        else()
          set(line "${CMAKE_MATCH_1}")
        endif()
      endif()
      string(REPLACE "{sc}" ";" line "${line}")
      string(REPLACE "{bs}" "\\" line "${line}")
      string(REPLACE "{lb}" "[" line "${line}")
      string(APPEND text "${line}\n")
    endforeach()
    file(WRITE ${root}/${name} "${text}")
  endforeach()
endfunction()

function(run_check root result_var output_var)
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${root} -P ${CHECK}
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(${result_var} ${result} PARENT_SCOPE)
  set(${output_var} "${out}${err}" PARENT_SCOPE)
endfunction()

set(failures "")

write_tree(${WORK_DIR}/breached TRUE)
run_check(${WORK_DIR}/breached result output)
if(result EQUAL 0)
  list(APPEND failures "the breached tree passed")
endif()
# Every breach by file and line, and nothing else.
set(expected
    "rules/arrange.h:2: #include \"net/command.h\""
    "rules/hint.cpp:1: #include <QString>"
    "rules/hint.cpp:3: #include \"core/clock.h\""
    "net/frame.cpp:3: #  include \"core/clock.h\""
    "core/clock.h:2: #include \"media/sound.h\""
    "core/clock.h:3: #include <QtCore/QObject>"
    "model/session.h:2: #include \"table/round.h\""
    "table/round.cpp:3: #include \"app/wiring.h\""
    "video/player.h:2: #include \"app/mainloop.h\"")
foreach(line IN LISTS expected)
  string(FIND "${output}" "${line}" at)
  if(at EQUAL -1)
    list(APPEND failures "not listed: ${line}")
  endif()
endforeach()
string(REGEX MATCHALL "[a-z]+/[a-z]+\\.[a-z]+:[0-9]+:" listed "${output}")
list(LENGTH listed listed_count)
list(LENGTH expected expected_count)
if(NOT listed_count EQUAL expected_count)
  list(APPEND failures "listed ${listed_count} lines, expected ${expected_count}:\n${output}")
endif()

write_tree(${WORK_DIR}/clean FALSE)
run_check(${WORK_DIR}/clean result output)
if(NOT result EQUAL 0)
  list(APPEND failures "the tree without breaches failed:\n${output}")
endif()

if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "${text}")
endif()
message(STATUS "the layer check lists every breach and passes the clean tree")
