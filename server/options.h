// The command line of vexal-server.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "server/hall.h"

namespace vexal::server {

// One loop per core the system reports (at least one).
int defaultThreads();

// The most tables one server process offers. Every table in play holds a connection, so the
// process's open-file limit bounds it first (20,000 where it was measured, with 8,000 tables at
// a human pace taking a quarter of one core and 111 MiB; see docs/scaling.md).
inline constexpr int kMaxTables = 20'000;

struct Options {
    uint16_t port = 6000;
    int selfPlayRounds = 0;  // --selfplay N: play N bot rounds in-process and exit
    LogLevel logLevel = LogLevel::Info;
    bool seedGiven = false;
    int threads = defaultThreads();  // event loops, each with its own share of the tables
    HallConfig hall;
};

// Parses the flags (argv[0] excluded). On failure returns nothing and says why in `error`.
std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string& error);

extern const char* const kUsage;

}  // namespace vexal::server
