#include "net/socks5.h"

#include <gtest/gtest.h>

#include <vector>

namespace vexal {
namespace {

using Bytes = std::vector<uint8_t>;
using Action = Socks5Handshake::Step::Action;

TEST(Socks5Messages, AsTheyGoOnTheWire) {
    EXPECT_EQ(socks5Greeting(), (Bytes{5, 2, 0, 2}));
    // Two-character name and three-character password: 8 bytes.
    EXPECT_EQ(socks5AuthRequest("ab", "xyz"), (Bytes{1, 2, 'a', 'b', 3, 'x', 'y', 'z'}));
    // A character needing two code page bytes still counts one and goes out as 0.
    EXPECT_EQ(socks5AuthRequest("a\xE5\x95\x8A", ""), (Bytes{1, 2, 'a', 0, 0}));
    EXPECT_EQ(socks5AuthRequest(std::string(300, 'u'), "p").size(), 1u + 1 + 255 + 1 + 1);

    struct Case { const char* host; uint16_t port; Bytes request; };
    const Case cases[] = {
        {"10.1.2.3", 6000, {5, 1, 0, 1, 10, 1, 2, 3, 23, 112}},
        {"127.0.0.1", 80, {5, 1, 0, 1, 127, 0, 0, 1, 0, 80}},
        {"10.300.2", 65535, {5, 1, 0, 1, 10, 0, 2, 0, 255, 255}},  // bad and missing parts are 0
        {"1..2.3", 1, {5, 1, 0, 1, 1, 0, 2, 3, 0, 1}},
        {"game.local", 6000, {5, 1, 0, 3, 10, 'g', 'a', 'm', 'e', '.', 'l', 'o', 'c', 'a', 'l', 23, 112}},
    };
    for (const Case& c : cases) EXPECT_EQ(socks5ConnectRequest(c.host, c.port), c.request) << c.host;
}

TEST(Socks5Messages, ConnectReplyLengthByAddressType) {
    struct Case { Bytes head; int length; };
    const Case cases[] = {
        {{5, 0, 0}, 0},          {{5, 0, 0, 1}, 10}, {{5, 0, 0, 4}, 22},
        {{5, 0, 0, 3}, 0},       {{5, 0, 0, 3, 9}, 16}, {{5, 0, 0, 3, 0}, 7},
        {{5, 0, 0, 2, 1}, -1},
    };
    for (const Case& c : cases) EXPECT_EQ(socks5ConnectReplyLength(c.head), c.length);
}

// A proxy's replies, delivered in the given pieces; the test follows the handshake through.
struct Scenario {
    const char* name;
    bool withAuth;
    std::vector<Bytes> arrivals;
    std::vector<Bytes> expectedSends;  // greeting first, then one per Send step
    Action last;
    std::string message;
    Bytes gameBytes;
};

TEST(Socks5Handshake, RunsThroughWholeAndSplitReplies) {
    const Bytes auth{1, 4, 'u', 's', 'e', 'r', 2, 'p', 'w'};
    const Bytes connect{5, 1, 0, 1, 10, 1, 2, 3, 23, 112};
    const Bytes ipv4Reply{5, 0, 0, 1, 127, 0, 0, 1, 0x1F, 0x90};
    Bytes ipv6Reply{5, 0, 0, 4};
    ipv6Reply.resize(22, 0xEE);
    const Bytes domainReply{5, 0, 0, 3, 3, 'a', 'b', 'c', 0, 80};
    const Bytes greeting = socks5Greeting();

    const Scenario scenarios[] = {
        {"no authentication", false, {{5, 0}, ipv4Reply}, {greeting, connect}, Action::Through, "", {}},
        {"user and password", true, {{5, 2}, {1, 0}, ipv4Reply}, {greeting, auth, connect}, Action::Through, "", {}},
        {"every reply split byte by byte", true,
         {{5}, {2}, {1}, {0}, {5}, {0}, {0}, {1, 127, 0}, {0, 1, 0x1F}, {0x90}},
         {greeting, auth, connect}, Action::Through, "", {}},
        {"IPv6 reply in two pieces", false,
         {{5, 0}, Bytes(ipv6Reply.begin(), ipv6Reply.begin() + 12), Bytes(ipv6Reply.begin() + 12, ipv6Reply.end())},
         {greeting, connect}, Action::Through, "", {}},
        {"domain reply, length byte arriving alone", false,
         {{5, 0}, {5, 0, 0, 3}, {3}, {'a', 'b', 'c', 0}, {80}}, {greeting, connect}, Action::Through, "", {}},
        {"game bytes behind the connect reply", false,
         {{5, 0}, {5, 0, 0, 3, 3, 'a', 'b', 'c', 0, 80, 0xAA, 0xBB, 0xCC}}, {greeting, connect}, Action::Through,
         "", {0xAA, 0xBB, 0xCC}},
        {"no acceptable method", true, {{5, 0xFF}}, {greeting}, Action::Fail, std::string(kProxyRequestFailed), {}},
        {"not SOCKS5", true, {{4, 0}}, {greeting}, Action::Fail, std::string(kProxyRequestFailed), {}},
        {"wrong password", true, {{5, 2}, {1}, {1}}, {greeting, auth}, Action::Fail, std::string(kProxyAuthFailed), {}},
        {"connect refused", true, {{5, 2}, {1, 0}, {5, 5, 0, 1}}, {greeting, auth, connect}, Action::Fail,
         std::string(kProxyConnectFailed), {}},
        {"unknown address type", false, {{5, 0}, {5, 0, 0, 9, 1}}, {greeting, connect}, Action::Fail,
         std::string(kProxyConnectFailed), {}},
    };
    for (const Scenario& s : scenarios) {
        Socks5Handshake handshake({s.withAuth ? "user" : "", s.withAuth ? "pw" : "", "10.1.2.3", 6000});
        std::vector<Bytes> sends{handshake.start()};
        Socks5Handshake::Step step;
        for (size_t i = 0; i < s.arrivals.size(); ++i) {
            step = handshake.feed(s.arrivals[i]);
            if (step.action == Action::Send) sends.push_back(step.send);
            if (i + 1 < s.arrivals.size()) {
                ASSERT_TRUE(step.action == Action::Wait || step.action == Action::Send) << s.name << " arrival " << i;
            }
        }
        EXPECT_EQ(step.action, s.last) << s.name;
        EXPECT_EQ(step.message, s.message) << s.name;
        EXPECT_EQ(step.gameBytes, s.gameBytes) << s.name;
        EXPECT_EQ(sends, s.expectedSends) << s.name;
        EXPECT_EQ(handshake.state(), s.last == Action::Through ? Socks5Handshake::State::Through
                                                               : Socks5Handshake::State::Failed) << s.name;
        // Nothing more happens once the handshake is over.
        EXPECT_EQ(handshake.feed(Bytes{5, 0}).action, Action::Wait) << s.name;
    }
}

TEST(Socks5Handshake, ClosedSocketFailsWithTheAwaitedReplysMessage) {
    struct Case { std::vector<Bytes> before; std::string message; };
    const Case cases[] = {
        {{}, std::string(kProxyRequestFailed)},
        {{{5, 2}}, std::string(kProxyAuthFailed)},
        {{{5, 0}, {5, 0, 0}}, std::string(kProxyConnectFailed)},
    };
    for (const Case& c : cases) {
        Socks5Handshake handshake({"u", "p", "1.2.3.4", 1});
        handshake.start();
        for (const Bytes& b : c.before) handshake.feed(b);
        const auto step = handshake.socketClosed();
        EXPECT_EQ(step.action, Action::Fail);
        EXPECT_EQ(step.message, c.message);
    }
    Socks5Handshake idle;
    EXPECT_EQ(idle.socketClosed().action, Action::Wait);
    EXPECT_EQ(idle.feed(Bytes{5, 0}).action, Action::Wait);  // not started: bytes are not a reply
}

}  // namespace
}  // namespace vexal
