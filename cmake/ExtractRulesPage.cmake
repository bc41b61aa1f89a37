# cmake -DIN=docs/game-rules.md -DOUT=rules.md -P ExtractRulesPage.cmake
# Cuts the players' part of the game's rules, the section "## How to play" up to the next section
# of its level, into the page the table client ships. A rules file without that section stops the
# build rather than ship an empty page.
file(READ "${IN}" text)
string(FIND "${text}" "\n## How to play\n" start)
if(start LESS 0)
  message(FATAL_ERROR "${IN} has no section \"## How to play\"")
endif()
math(EXPR start "${start} + 1")
string(SUBSTRING "${text}" ${start} -1 rest)
# The next "## " heading ends the part; "### " subsections belong to it.
string(FIND "${rest}" "\n## " end)
if(end GREATER 0)
  math(EXPR end "${end} + 1")
  string(SUBSTRING "${rest}" 0 ${end} rest)
endif()
file(WRITE "${OUT}" "${rest}")
