# The account file and the relief rule, alone so that the lobby can read the server's accounts.
add_library(vexal_accounts STATIC accounts.cpp)
target_include_directories(vexal_accounts PUBLIC ${CMAKE_SOURCE_DIR})

# The game classes (no Asio) are a library of their own, so the tests and the benchmark drive the
# same code the server runs.
add_library(vexal_server_game STATIC deck.cpp round.cpp scoring.cpp bot.cpp table.cpp hall.cpp directory.cpp log.cpp
            options.cpp selfplay.cpp)
target_link_libraries(vexal_server_game PUBLIC vexal_core vexal_accounts)

find_package(Threads REQUIRED)
add_executable(vexal-server main.cpp netserver.cpp)
# Asio decides on aligned allocation from macros of whichever standard header came first, so two
# files could disagree on how handler memory is freed; one fixed choice for every file.
target_compile_definitions(vexal-server PRIVATE ASIO_STANDALONE ASIO_NO_DEPRECATED ASIO_DISABLE_STD_ALIGNED_ALLOC)
target_link_libraries(vexal-server PRIVATE vexal_server_game Threads::Threads)
