// vexal-server with two event loops, each owning one of two tables: logins and reconnects reach
// the loop of their table whichever loop accepted the connection, and the accounts' state is
// shared (a seated account cannot log in through the other loop).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "net/messages/seating.h"
#include "wireclient.h"

namespace vexal::server::testing {
namespace {

// The accounts of the other seats as the player's seat information named them.
std::vector<std::string> tableMates(const Player& p) {
    std::vector<std::string> names;
    for (const CommandFrame& f : p.received)
        if (f[kCommandByte] == commandByte(Command::SeatInfo)) {
            std::string account = decodeSeatInfo(f).account;
            if (account != p.account && std::find(names.begin(), names.end(), account) == names.end())
                names.push_back(account);
        }
    return names;
}

std::optional<uint8_t> loginResult(const Player& p) {
    for (const CommandFrame& f : p.received)
        if (f[kCommandByte] == commandByte(Command::Login))
            return f[15];
    return std::nullopt;
}

TEST(ServerThreads, LoginsAndReconnectsReachTheLoopOfTheirTable) {
    ServerProcess server({"--tables", "2", "--threads", "2", "--bot-wait", "0", "--bot-delay-ms", "30",
                          "--turn-seconds", "5", "--seed", "7", "--log-level", "info", "--reconnect-seconds",
                          "60", "--stake", "10", "--start-coins", "100000000"});
    ASSERT_NE(server.log().find("2 threads"), std::string::npos) << server.log();

    // Table 0 fills with bots and deals; the next login goes to table 1, on the other loop.
    Player alice, bob;
    alice.account = "alice";
    bob.account = "bob";
    login(alice, server.port());
    ASSERT_TRUE(pump({&alice}, [&] { return alice.dealt.size() == 27; }));
    login(bob, server.port());
    ASSERT_TRUE(pump({&alice, &bob}, [&] { return bob.dealt.size() == 27; }));
    const std::vector<std::string> aliceMates = tableMates(alice), bobMates = tableMates(bob);
    ASSERT_EQ(aliceMates.size(), 3u);
    ASSERT_EQ(bobMates.size(), 3u);
    for (const std::string& name : aliceMates)
        EXPECT_EQ(name.rfind("bot0-", 0), 0u) << name;
    for (const std::string& name : bobMates)
        EXPECT_EQ(name.rfind("bot1-", 0), 0u) << name;
    const std::string log = server.log();
    EXPECT_NE(log.find("table 0 seat 0: alice sits down"), std::string::npos) << log;
    EXPECT_NE(log.find("table 1 seat 0: bob sits down"), std::string::npos) << log;

    // Two of each, so that each loop accepts one: a new player finds every table running, and
    // a seated account is refused wherever its second login lands.
    for (const char* name : {"carol", "carol", "bob", "bob", "alice", "alice"}) {
        Player late;
        late.account = name;
        login(late, server.port());
        ASSERT_TRUE(pump({&alice, &bob, &late}, [&] { return loginResult(late).has_value(); })) << name;
        EXPECT_EQ(*loginResult(late), 2) << name;
        ASSERT_TRUE(pump({&alice, &bob, &late}, [&] { return late.conn->finished(); })) << name;
    }

    // Bob's connection breaks; reconnects come in on new connections, whichever loop takes them:
    // a wrong token is refused by the loop holding his seat, the right one gets the seat back.
    const uint8_t token0 = bob.token[0], token1 = bob.token[1];
    const uint32_t resume = bob.resume;
    bob.conn->close();
    bob.conn.reset();
    ASSERT_TRUE(pump({&alice}, [&] { return server.log().find("table 1 seat 0: connection lost") != std::string::npos; }));
    for (int attempt = 0; attempt < 2; ++attempt) {
        sendReconnect(bob, server.port(), static_cast<uint8_t>(token0 ^ 0x5A), token1, resume);
        ASSERT_TRUE(pump({&alice, &bob}, [&] { return bob.reconnectAnswer.has_value(); })) << server.log();
        EXPECT_NE(*bob.reconnectAnswer, 1);
    }
    sendReconnect(bob, server.port(), token0, token1, resume);
    ASSERT_TRUE(pump({&alice, &bob}, [&] { return bob.reconnectAnswer.has_value(); }));
    EXPECT_EQ(*bob.reconnectAnswer, 1);
    EXPECT_NE(server.log().find("table 1 seat 0: bob reconnects"), std::string::npos);

    // Both tables play on to a settlement, each on its own loop.
    ASSERT_TRUE(pump({&alice, &bob}, [&] { return alice.settlements >= 1 && bob.settlements >= 1; }, 30000));
    EXPECT_EQ(server.terminate(), 0);
}

}  // namespace
}  // namespace vexal::server::testing
