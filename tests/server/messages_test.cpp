// Round trips and fixed byte layouts of the seating, login and departure codecs.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "net/messages/departure.h"
#include "net/messages/login.h"
#include "net/messages/seating.h"
#include "net/messages/wire.h"

namespace vexal {
namespace {

CommandFrame bytesAt(Command c, std::vector<std::pair<size_t, uint8_t>> bytes) {
    CommandFrame f = wire::makeFrame(c, 0);
    for (auto [at, v] : bytes)
        f[at] = v;
    return f;
}

TEST(WireText, ReadingsOfTheSameBytes) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;  // written from byte 16; the field is 16..47
        std::string oneByte, mixed, twoByte;
    };
    const std::string bad = "\xEF\xBF\xBD";
    const std::vector<Case> cases = {
        {"ascii", {'a', 'b', 'c'}, "abc", "abc", "abc"},
        {"double-byte then ascii", {0xC4, 0xE3, 0x41}, bad + bad + "A", "你A", "你A"},
        {"two double-byte characters", {0xB0, 0xA1, 0xC4, 0xE3}, bad + bad + bad + bad, "啊你", "啊你"},
        {"lead byte before the terminator", {'x', 0xC4}, "x" + bad, "x" + bad, "x" + bad},
        {"empty", {}, "", "", ""},
    };
    for (const auto& c : cases) {
        CommandFrame f{};
        for (size_t i = 0; i < c.bytes.size(); ++i)
            f[16 + i] = c.bytes[i];
        EXPECT_EQ(wire::readOneBytePerChar(f, 16, 47), c.oneByte) << c.name;
        EXPECT_EQ(wire::readMixed(f, 16, 47), c.mixed) << c.name;
        EXPECT_EQ(wire::readTwoBytePerChar(f, 16, 47), c.twoByte) << c.name;
    }
    // A lead byte in the field's last byte is read alone, never joined with the next field.
    CommandFrame f{};
    f[47] = 0xC4;
    f[48] = 0xE3;
    EXPECT_EQ(wire::readMixed(f, 47, 47), bad);
}

TEST(WireText, WritersNeverSplitACharacterOrPassTheFieldEnd) {
    CommandFrame f{};
    wire::writeMixed(f, 16, 18, "a你好");  // "a" + one pair fits, the second pair does not
    EXPECT_EQ(f[16], 'a');
    EXPECT_EQ(f[17], 0xC4);
    EXPECT_EQ(f[18], 0xE3);
    EXPECT_EQ(f[19], 0);

    CommandFrame g{};
    wire::writeTwoBytePerChar(g, 72, 79, "Lv 农民 xyz");  // ASCII goes full width; 4 characters fit
    EXPECT_EQ(wire::readTwoBytePerChar(g, 72, 79), "Ｌｖ　农");
    EXPECT_EQ(g[80], 0);

    CommandFrame h{};
    wire::writeOneBytePerChar(h, 16, 31, "ab你");
    EXPECT_EQ(wire::readOneBytePerChar(h, 16, 31), "ab?");
}

TEST(WireAmount, SignAndMagnitude) {
    struct Case {
        std::vector<uint8_t> bytes;  // 16..24
        int64_t amount;
    };
    const std::vector<Case> cases = {
        {{0, 0x10, 0x27, 0, 0, 0, 0, 0, 0}, 10000},
        {{1, 0xE8, 0x03, 0, 0, 0, 0, 0, 0}, -1000},
        {{7, 0xF4, 0x01, 0, 0, 0, 0, 0, 0}, -500},
        {{0, 0, 0, 0, 0, 0, 0, 0, 0x01}, int64_t{1} << 56},
        {{0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, std::numeric_limits<int64_t>::max()},
        {{1, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, -std::numeric_limits<int64_t>::max()},
    };
    for (const auto& c : cases) {
        CommandFrame f{};
        for (size_t i = 0; i < c.bytes.size(); ++i)
            f[16 + i] = c.bytes[i];
        EXPECT_EQ(wire::getSignedAmount(f, 16), c.amount);
        CommandFrame g{};
        wire::putSignedAmount(g, 16, c.amount);
        EXPECT_EQ(wire::getSignedAmount(g, 16), c.amount);
    }
    CommandFrame f{};
    wire::putSignedAmount(f, 16, std::numeric_limits<int64_t>::min());
    EXPECT_EQ(f[16], 1);
    EXPECT_EQ(f[24], 0x80);
}

TEST(SeatingCodec, LoginAnswerLayout) {
    LoginAnswer a{2, 20, 1, "http://127.0.0.1/ad"};
    CommandFrame f = encode(a);
    EXPECT_EQ(f[3], 18);
    EXPECT_EQ(f[6], 2);
    EXPECT_EQ(f[11], 20);
    EXPECT_EQ(f[15], 1);
    EXPECT_EQ(f[16], 'h');
    LoginAnswer b = decodeLoginAnswer(f);
    EXPECT_EQ(b.turnSeconds, 20);
    EXPECT_EQ(b.result, 1);
    EXPECT_EQ(b.advertisement, a.advertisement);
    EXPECT_EQ(decodeLoginAnswer(bytesAt(Command::Login, {{15, 3}, {6, 0x84}})).seatBit, 4);
}

TEST(SeatingCodec, SeatInfoRoundTripAndOffsets) {
    SeatInfo s;
    s.addresseeBit = 4;
    s.nickname = "张三abc";
    s.faceCode = "w10";
    s.male = true;
    s.location = "上海";
    s.score = 123456789012;
    s.credit = 5;
    s.coins = 65000;
    s.statistic3 = 7;
    s.level = "农民";
    s.statistics456 = {8, 9, 10};
    s.loginCount = 11;
    s.disconnectCount = 12;
    s.wins = 13;
    s.losses = 14;
    s.account = "bot3";
    s.title = "高手";
    s.ready = true;
    s.extraText1 = "x1";
    s.extraText2 = "y2";
    s.seatBit = 8;
    s.wealthMultiple = 3;
    s.pluginRefused = true;
    CommandFrame f = encode(s);
    // A few fields by their fixed place, so a shifted offset cannot pass as a round trip.
    EXPECT_EQ(f[3], 20);
    EXPECT_EQ(f[16], 0xD5);  // 张 = D5C5
    EXPECT_EQ(f[48], 'w');
    EXPECT_EQ(f[64], 1);
    EXPECT_EQ(f[96], 65000 & 0xFF);
    EXPECT_EQ(f[97], 65000 >> 8);
    EXPECT_EQ(f[168], 'b');
    EXPECT_EQ(f[208], 1);
    EXPECT_EQ(f[226], 8);
    EXPECT_EQ(f[234], 3);
    EXPECT_EQ(f[255], 1);

    SeatInfo d = decodeSeatInfo(f);
    EXPECT_EQ(d.addresseeBit, 4);
    EXPECT_EQ(d.nickname, s.nickname);
    EXPECT_EQ(d.faceCode, s.faceCode);
    EXPECT_TRUE(d.male);
    EXPECT_EQ(d.location, s.location);
    EXPECT_EQ(d.score, s.score);
    EXPECT_EQ(d.credit, s.credit);
    EXPECT_EQ(d.coins, s.coins);
    EXPECT_EQ(d.statistic3, s.statistic3);
    EXPECT_EQ(d.level, s.level);
    EXPECT_EQ(d.statistics456, s.statistics456);
    EXPECT_EQ(d.loginCount, 11u);
    EXPECT_EQ(d.disconnectCount, 12u);
    EXPECT_EQ(d.wins, 13u);
    EXPECT_EQ(d.losses, 14u);
    EXPECT_EQ(d.account, s.account);
    EXPECT_EQ(d.title, s.title);
    EXPECT_TRUE(d.ready);
    EXPECT_EQ(d.extraText1, s.extraText1);
    EXPECT_EQ(d.extraText2, s.extraText2);
    EXPECT_EQ(d.seatBit, 8);
    EXPECT_EQ(d.wealthMultiple, 3u);
    EXPECT_TRUE(d.pluginRefused);
}

TEST(SeatingCodec, TableStateBothDirections) {
    struct Case {
        TableState m;
        TableStateKind kind;
    };
    const std::vector<Case> cases = {
        {{0x0F, 0, 1, true}, TableStateKind::Forming},
        {{0x01, 1, 0, false}, TableStateKind::Nothing},
        {{0x02, 2, 0, false}, TableStateKind::HideAdvertisement},
        {{0x06, 5, 0x04, false}, TableStateKind::CoinShortage},
    };
    for (const auto& c : cases) {
        TableState d = decodeTableState(encode(c.m));
        EXPECT_EQ(d.seatBits, c.m.seatBits);
        EXPECT_EQ(d.state, c.m.state);
        EXPECT_EQ(d.byte11, c.m.byte11);
        EXPECT_EQ(d.startAnimationNow, c.m.startAnimationNow);
        EXPECT_EQ(tableStateKind(d.state), c.kind);
    }
    for (bool ready : {true, false}) {
        CommandFrame f = encode(ReadyOrLeave{2, ready});
        EXPECT_EQ(f[15], ready ? 1 : 0);
        EXPECT_EQ(decodeReadyOrLeave(f).ready, ready);
        EXPECT_EQ(decodeReadyOrLeave(f).seatBit, 2);
    }
}

TEST(DepartureCodec, PlayerLeftAccountReadings) {
    // Byte 8 = 1 shifts the first character by one: 0x62 0x62 0x63 names "abc".
    CommandFrame f = bytesAt(Command::PlayerLeft, {{8, 1}, {16, 0x62}, {17, 0x62}, {18, 0x63}});
    EXPECT_EQ(decodePlayerLeft(f).account, "abc");
    for (bool plusOne : {false, true}) {
        CommandFrame g = encode(PlayerLeft{1, "abc", true, plusOne});
        EXPECT_EQ(g[8], plusOne ? 1 : 0);
        EXPECT_EQ(g[16], plusOne ? 'b' : 'a');
        PlayerLeft d = decodePlayerLeft(g);
        EXPECT_EQ(d.account, "abc");
        EXPECT_TRUE(d.shortCountdown);
    }
    EXPECT_EQ(decodePlayerLeft(bytesAt(Command::PlayerLeft, {})).account, "");
}

TEST(DepartureCodec, RemovalReadyAndCoins) {
    Removal r = decodeRemoval(encode(Removal{1, "您的金币不够 (test)"}));
    EXPECT_EQ(r.reason, "您的金币不够 (test)");

    EXPECT_FALSE(decodeReadyNotice(bytesAt(Command::ReadyNotice, {{16, 'a'}})).ready);
    ReadyNotice n = decodeReadyNotice(encode(ReadyNotice{8, true, "player4"}));
    EXPECT_TRUE(n.ready);
    EXPECT_EQ(n.account, "player4");

    CommandFrame own = encodeOwnCoinChange(CoinChange{1, -500, "ignored"});
    EXPECT_EQ(own[3], 91);
    EXPECT_EQ(own[16], 1);
    EXPECT_EQ(own[17], 0xF4);
    EXPECT_EQ(own[25], 0);  // command 91 carries no account
    EXPECT_EQ(decodeCoinChange(own).amount, -500);
    EXPECT_EQ(decodeCoinChange(own).account, "");

    CommandFrame other = encodeOtherCoinChange(CoinChange{1, 1000, "李四x"});
    EXPECT_EQ(other[3], 92);
    EXPECT_EQ(other[25], 0xC0);  // 李 = C0EE, lead byte first
    CoinChange c = decodeCoinChange(other);
    EXPECT_EQ(c.amount, 1000);
    EXPECT_EQ(c.account, "李四x");
}

TEST(LoginCodec, LoginAndReconnectFrames) {
    CommandFrame login = encode(LoginRequest{false, "acct", "pw", 0, 0, 0});
    EXPECT_EQ(login[3], 18);
    EXPECT_EQ(login[14], 1);
    EXPECT_EQ(login[16], 'a');
    EXPECT_EQ(login[32], 'p');
    EXPECT_EQ(login[6], 0);

    // Resume number 258 with token 0x12 0x34: least significant byte first at 268.
    CommandFrame re = encode(LoginRequest{true, "acct", "pw", 0x12, 0x34, 258});
    EXPECT_EQ(re[3], 28);
    EXPECT_EQ(re[260], 0x12);
    EXPECT_EQ(re[261], 0x34);
    EXPECT_EQ(re[268], 0x02);
    EXPECT_EQ(re[269], 0x01);
    EXPECT_EQ(re[270], 0);
    LoginRequest d = decodeLoginRequest(re);
    EXPECT_TRUE(d.reconnect);
    EXPECT_EQ(d.account, "acct");
    EXPECT_EQ(d.password, "pw");
    EXPECT_EQ(d.resumeNumber, 258u);
    EXPECT_EQ(d.token0, 0x12);

    // A 16-character account runs straight into the password; the account field stops at 31.
    LoginRequest full = decodeLoginRequest(encode(LoginRequest{false, "abcdefghijklmnop", "secret"}));
    EXPECT_EQ(full.account, "abcdefghijklmnop");
    EXPECT_EQ(full.password, "secret");

    for (bool accepted : {true, false})
        EXPECT_EQ(decodeReconnectAnswer(encode(ReconnectAnswer{1, accepted})).accepted, accepted);
}

}  // namespace
}  // namespace vexal
