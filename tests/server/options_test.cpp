// The command line of vexal-server.
#include <gtest/gtest.h>

#include "server/options.h"

namespace vexal::server {
namespace {

TEST(ServerOptions, FlagsAndTheirRefusals) {
    std::string error;
    std::optional<Options> o = parseOptions({"--port", "0", "--tables", "3", "--bot-wait", "0", "--turn-seconds", "20",
                                             "--seed", "42", "--log-level", "debug", "--stake", "50", "--wealth", "3",
                                             "--reconnect-seconds", "5", "--selfplay", "10", "--accounts",
                                             "/var/lib/vexal/accounts.txt", "--relief-floor", "5000",
                                             "--reliefs-per-day", "0"},
                                            error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->port, 0);
    EXPECT_EQ(o->hall.tables, 3);
    EXPECT_TRUE(o->hall.table.bots);
    EXPECT_EQ(o->hall.table.botWait, Millis(0));
    EXPECT_EQ(o->hall.table.turnSeconds, 20);
    EXPECT_EQ(o->hall.table.seed, 42u);
    EXPECT_TRUE(o->seedGiven);
    EXPECT_EQ(o->logLevel, LogLevel::Debug);
    EXPECT_EQ(o->hall.table.stake, 50);
    EXPECT_EQ(o->hall.table.wealth, 3);
    EXPECT_EQ(o->hall.table.reconnectWindow, Millis(5000));
    EXPECT_EQ(o->selfPlayRounds, 10);
    EXPECT_EQ(o->hall.accountsFile, "/var/lib/vexal/accounts.txt");
    EXPECT_EQ(o->hall.table.reliefFloor, 5000);
    EXPECT_EQ(o->hall.table.reliefsPerDay, 0);
    std::optional<Options> defaults = parseOptions({}, error);
    ASSERT_TRUE(defaults);
    EXPECT_TRUE(defaults->hall.accountsFile.empty());
    EXPECT_EQ(defaults->hall.table.reliefFloor, 20'000);
    EXPECT_EQ(defaults->hall.table.reliefsPerDay, 3);

    for (const char* off : {"off", "-1"}) {
        std::optional<Options> noBots = parseOptions({"--bot-wait", off}, error);
        ASSERT_TRUE(noBots) << off;
        EXPECT_FALSE(noBots->hall.table.bots) << off;
    }

    struct Refused {
        std::vector<std::string> args;
        const char* says;
    };
    const Refused refused[] = {
        {{"--port"}, "needs a value"},
        {{"--port", "70000"}, "must lie in"},
        {{"--turn-seconds", "2"}, "must lie in"},  // the client would read 2 as 15
        {{"--tables", "two"}, "whole number"},
        {{"--stake", "10x"}, "whole number"},
        {{"--log-level", "loud"}, "unknown log level"},
        {{"--accounts", ""}, "needs a file name"},
        {{"--reliefs-per-day", "-1"}, "must lie in"},
        {{"--colour", "red"}, "unknown flag"},
    };
    for (const Refused& r : refused) {
        error.clear();
        EXPECT_FALSE(parseOptions(r.args, error)) << r.args[0];
        EXPECT_NE(error.find(r.says), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace vexal::server
