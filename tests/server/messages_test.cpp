// Round trips and fixed byte layouts of the command codecs.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "net/messages/calling.h"
#include "net/messages/chat.h"
#include "net/messages/deal.h"
#include "net/messages/departure.h"
#include "net/messages/play.h"
#include "net/messages/seating.h"
#include "net/messages/settlement.h"
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
    s.sex = 2;  // any non-zero byte is male, and travels as it is
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
    EXPECT_EQ(f[64], 2);
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
    EXPECT_EQ(d.sex, 2);
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

std::vector<CardCode> someCards(int n) {
    std::vector<CardCode> cards;
    for (int i = 0; i < n; ++i)
        cards.push_back(makeCard(3 + i % 13, 1 << (i % 4), i));
    return cards;
}

TEST(DealCodec, FreshAndResumedDeals) {
    struct Case {
        int cards;
        uint32_t resume;
    };
    for (Case c : {Case{27, 258}, Case{5, 0x7FFFFFFF}, Case{0, 1}}) {
        Deal d{4, someCards(c.cards), true, "房费", c.resume};
        CommandFrame f = encode(d);
        EXPECT_EQ(f[3], 1);
        Deal back = decodeDeal(f);
        EXPECT_EQ(back.cards, d.cards) << c.cards;
        EXPECT_EQ(back.resumeNumber, c.resume);
        EXPECT_TRUE(back.noteAlone);
        EXPECT_EQ(back.note, "房费");
        if (c.cards < 27) {
            EXPECT_GE(f[16 + 4 * c.cards + 3], 0x80);  // the stop code ends the hand
        }
    }
    // The note is code page 936 text, lead byte first: B7 D1 D3 C3 reads 费用.
    Deal noted = decodeDeal(bytesAt(Command::Deal, {{148, 1}, {149, 0xB7}, {150, 0xD1}, {151, 0xD3}, {152, 0xC3}}));
    EXPECT_TRUE(noted.noteAlone);
    EXPECT_EQ(noted.note, "费用");
    // Resume number 258 is written most significant byte first; card 0 least significant first.
    CommandFrame f = encode(Deal{1, {makeCard(13, 8, 42)}, false, "", 258});
    EXPECT_EQ(f[268], 0);
    EXPECT_EQ(f[270], 1);
    EXPECT_EQ(f[271], 2);
    EXPECT_EQ(f[16], 8);
    EXPECT_EQ(f[17], 13);
    EXPECT_EQ(f[19], 42);
}

// A deal written byte by byte rather than by encode: the hand comes out in frame order, and a
// code whose byte 3 is 128 or more ends it with the cards before it kept.
TEST(DealCodec, ReadsTheHandInFrameOrderUpToABrokenCode) {
    CommandFrame frame = wire::makeFrame(Command::Deal, 4);
    std::vector<CardCode> written;
    for (size_t k = 0; k < kHandSlots; ++k) {
        written.push_back(makeCard(3 + k % 13, 1 << (k % 4), 80 - static_cast<int>(k)));
        cardToBytes(written.back(), std::span<uint8_t, 4>(frame.data() + 16 + 4 * k, 4));
    }
    EXPECT_EQ(decodeDeal(frame).cards, written);

    frame[16 + 4 * 5 + 3] = 200;
    const Deal cut = decodeDeal(frame);
    ASSERT_EQ(cut.cards.size(), 5u);
    EXPECT_EQ(cut.cards[4], makeCard(7, 1, 76));
    EXPECT_EQ(cut.cards, std::vector<CardCode>(written.begin(), written.begin() + 5));
}

TEST(CallingCodec, TurnAndChoices) {
    for (uint8_t offer : {kOfferRoarOrPass, kOfferCallOrRoar, kOfferRoarOnly}) {
        CallingTurn t = decodeCallingTurn(encode(CallingTurn{8, offer}));
        EXPECT_EQ(t.offer, offer);
        EXPECT_EQ(t.seatBit, 8);
    }
    const CallChoice cases[] = {{1, kChoiceCall, 14, 4}, {2, kChoiceRoar, 0, 0}, {4, kChoicePass, 0, 0}};
    for (const auto& c : cases) {
        CommandFrame f = encode(c);
        EXPECT_EQ(f[3], 3);
        EXPECT_EQ(f[11], c.choice);
        CallChoice d = decodeCallChoice(f);
        EXPECT_EQ(d.seatBit, c.seatBit);
        EXPECT_EQ(d.rank, c.rank);
        EXPECT_EQ(d.suitBit, c.suitBit);
    }
    // A pass that carries stray rank bytes decodes without them.
    EXPECT_EQ(decodeCallChoice(bytesAt(Command::CallResult, {{11, 0}, {14, 9}})).rank, 0);
    for (int rank = 3; rank <= 17; ++rank)
        EXPECT_EQ(isCallableRank(rank), rank != 5 && rank != 10 && rank != 13 && rank < 15) << rank;
}

TEST(PlayCodec, ReportLayout) {
    PlayReport p;
    p.seatBit = 2;
    p.nextSeatBit = 4;
    p.trickFlag = kTrickToByte16;
    p.takerBit = 8;
    p.type = 4;
    p.cards = someCards(24);
    p.tablePoints = 300;
    p.partnerRevealed = true;
    p.turnSeconds = 20;
    CommandFrame f = encode(p);
    EXPECT_EQ(f[17], 24);
    EXPECT_EQ(f[116], 300 & 0xFF);  // 24 cards end at byte 115; the points follow untouched
    EXPECT_EQ(f[117], 1);
    EXPECT_EQ(f[121], 1);
    EXPECT_EQ(f[255], 20);
    PlayReport d = decodePlayReport(f);
    EXPECT_EQ(d.cards, p.cards);
    EXPECT_EQ(d.trickFlag, kTrickToByte16);
    EXPECT_EQ(d.takerBit, 8);
    EXPECT_EQ(d.nextSeatBit, 4);
    EXPECT_EQ(d.tablePoints, 300);
    EXPECT_TRUE(d.partnerRevealed);
    EXPECT_EQ(d.type, 4);

    PlayReport pass = decodePlayReport(encode(PlayReport{1, 2, kTrickGoesOn, 0, 0, {}, 25, false, 15}));
    EXPECT_TRUE(pass.cards.empty());
    EXPECT_EQ(pass.tablePoints, 25);
    EXPECT_TRUE(closesTrick(kTrickToPlayer));
    EXPECT_FALSE(closesTrick(2));
}

TEST(SettlementCodec, RecordRoundTripAndByteOrders) {
    SettlementRecord r;
    r.seatBit = 4;
    r.stake = 0x01020304;
    r.coinUnit = kCoinUnitCoins;
    r.heldCards = someCards(27);
    r.place = 3;
    r.subtotalGain = false;
    r.subtotal = 4800;
    r.finalGain = false;
    r.finalAmount = 0x0102030405;
    r.level = 40;
    r.roared = true;
    r.callerBit = 2;
    r.partnerBit = 8;
    r.cardPoints = 0x0105;
    r.finalPoints = 200;
    r.percentage = 5;
    r.capped = true;
    r.escapedBits = 0x0A;
    CommandFrame f = encode(r);
    EXPECT_EQ(f[3], 9);
    EXPECT_EQ(f[8], 1);  // stake most significant first
    EXPECT_EQ(f[11], 4);
    EXPECT_EQ(f[16], 27);
    EXPECT_EQ(f[127], 26);  // the 27th card's id fills byte 127, just before the place
    EXPECT_EQ(f[128], 3);
    EXPECT_EQ(f[130], 4800 & 0xFF);  // amounts least significant first
    EXPECT_EQ(f[139], 0x05);
    EXPECT_EQ(f[149], 8);
    EXPECT_EQ(f[150], 2);
    EXPECT_EQ(f[151], 1);  // points most significant first
    EXPECT_EQ(f[152], 5);
    SettlementRecord d = decodeSettlement(f);
    EXPECT_EQ(d.heldCards, r.heldCards);
    EXPECT_EQ(d.stake, r.stake);
    EXPECT_EQ(d.signedSubtotal(), -4800);
    EXPECT_EQ(d.signedFinal(), -int64_t{0x0102030405});
    EXPECT_EQ(d.level, 40);
    EXPECT_TRUE(d.roared);
    EXPECT_EQ(d.callerBit, 2);
    EXPECT_EQ(d.partnerBit, 8);
    EXPECT_EQ(d.cardPoints, 0x0105);
    EXPECT_EQ(d.finalPoints, 200);
    EXPECT_TRUE(d.capped);
    EXPECT_EQ(d.escapedBits, 0x0A);
    EXPECT_EQ(d.percentage, 5);
}

TEST(ChatCodec, LineFields) {
    ChatLine c{2, 1, 3, 8, 0, "张三说道： hi"};
    CommandFrame f = encode(c);
    ChatLine d = decodeChatLine(f);
    EXPECT_EQ(d.text, c.text);
    EXPECT_EQ(d.addresseeBit, 8);
    EXPECT_EQ(d.phraseNumber, 3);
    EXPECT_EQ(f[9], 1);
    EXPECT_EQ(f[11], 8);
}

}  // namespace
}  // namespace vexal
