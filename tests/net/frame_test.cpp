#include "net/frame.h"
#include "net/messages/wire.h"

#include <gtest/gtest.h>

#include <string>

namespace vexal {
namespace {

TEST(Frame, BuiltFrameIsZeroButCommandAndSeat) {
    const CommandFrame frame = makeFrame(Command::KeepAlive, seatBit(2));
    for (size_t i = 0; i < kFrameSize; ++i) {
        const uint8_t expected = i == kCommandByte ? 24 : i == kSeatByte ? 4 : 0;
        EXPECT_EQ(frame[i], expected) << "byte " << i;
    }
}

TEST(Frame, SeatBitsAndRelativeSeats) {
    struct Case { uint8_t byte6; int seat; };
    for (const Case c : {Case{0x00, 0}, {0x01, 0}, {0x02, 1}, {0x04, 2}, {0x08, 3}, {0x84, 2}, {0xF0, 0},
                         {0x0C, 3}, {0x03, 1}}) {
        CommandFrame frame{};
        frame[kSeatByte] = c.byte6;
        EXPECT_EQ(frameSeat(frame), c.seat) << int(c.byte6);
        EXPECT_EQ(frameSeatBits(frame), c.byte6 & 0x0F);
    }
    for (int seat = 0; seat < 4; ++seat) EXPECT_EQ(seatOfBit(seatBit(seat)), seat);
    // Own seat 3: seat 0 is next (1), seat 1 opposite (2), seat 2 the last (3).
    EXPECT_EQ(relativeSeat(0, 3), 1);
    EXPECT_EQ(relativeSeat(1, 3), 2);
    EXPECT_EQ(relativeSeat(2, 3), 3);
    EXPECT_EQ(relativeSeat(3, 3), 0);
    for (int own = 0; own < 4; ++own)
        for (int seat = 0; seat < 4; ++seat) EXPECT_EQ(absoluteSeat(relativeSeat(seat, own), own), seat);
}

TEST(Frame, IntegersInBothByteOrders) {
    CommandFrame frame{};
    writeBe32(frame, 268, 258);
    EXPECT_EQ((std::array<uint8_t, 4>{frame[268], frame[269], frame[270], frame[271]}),
              (std::array<uint8_t, 4>{0, 0, 1, 2}));
    EXPECT_EQ(readBe32(frame, 268), 258u);
    EXPECT_EQ(readLe32(frame, 268), 0x02010000u);
    writeLe32(frame, 20, 0x11223344);
    EXPECT_EQ(frame[20], 0x44);
    EXPECT_EQ(readLe32(frame, 20), 0x11223344u);
    writeBe16(frame, 8, 1032);
    EXPECT_EQ(frame[8], 4);
    EXPECT_EQ(frame[9], 8);
    EXPECT_EQ(readBe16(frame, 8), 1032);
    writeLe16(frame, 30, 0xABCD);
    EXPECT_EQ(readLe16(frame, 30), 0xABCD);
    EXPECT_EQ(frame[30], 0xCD);
    // A field running past the frame's end is a programming error, never a silent read outside it.
    EXPECT_THROW(readBe32(frame, 269), std::out_of_range);
}

TEST(Frame, SignedAmounts) {
    struct Case { std::array<uint8_t, 9> bytes; double amount; };  // sign byte, then least significant first
    const Case cases[] = {
        {{0, 0, 0, 0, 0, 0, 0, 0, 0}, 0.0},
        {{0, 0xE8, 0x03, 0, 0, 0, 0, 0, 0}, 1000.0},
        {{1, 0xE8, 0x03, 0, 0, 0, 0, 0, 0}, -1000.0},
        {{7, 5, 0, 0, 0, 0, 0, 0, 0}, -5.0},  // any non-zero sign byte is negative
        {{0, 0, 0, 0, 0, 0, 0, 0, 1}, 72057594037927936.0},
        {{0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 18446744073709551615.0},
    };
    for (const Case& c : cases) {
        CommandFrame frame{};
        std::copy(c.bytes.begin(), c.bytes.end(), frame.begin() + 16);
        EXPECT_DOUBLE_EQ(readAmount(frame), c.amount);
    }
    for (int64_t amount : {int64_t{0}, int64_t{123456789012}, int64_t{-77}, INT64_MIN + 1, INT64_MIN}) {
        CommandFrame frame{};
        writeAmount(frame, amount);
        EXPECT_DOUBLE_EQ(readAmount(frame), static_cast<double>(amount)) << amount;
    }
}

TEST(Frame, TextReadings) {
    using Reader = std::string (*)(const CommandFrame&, size_t, size_t);
    const Reader one = wire::readOneBytePerChar, mixed = wire::readMixed, two = wire::readTwoBytePerChar;
    struct Case { std::string bytes; size_t last; Reader read; std::string utf8; };
    const Case cases[] = {
        {"abc\0xyz", 40, one, "abc"},
        {"abcdef", 17, one, "ab"},  // the field's end comes first
        {"a\xB0\xA1z", 40, mixed, "a\xE5\x95\x8Az"},
        {"\xB0\xA1\xB0\xA1", 40, two, "\xE5\x95\x8A\xE5\x95\x8A"},
        {"\xB0\xA1\xB0", 18, two, "\xE5\x95\x8A"},  // half a character at the field's end is dropped
        {"", 40, mixed, ""},
    };
    for (const Case& c : cases) {
        CommandFrame frame{};
        std::copy(c.bytes.begin(), c.bytes.end(), frame.begin() + 16);
        EXPECT_EQ(c.read(frame, 16, c.last), c.utf8) << c.bytes;
    }
    // A field that runs to the frame's last byte stops there even when no zero byte ends it.
    CommandFrame full{};
    full.fill('x');
    EXPECT_EQ(wire::readOneBytePerChar(full, 268, 400), "xxxx");
}

TEST(Frame, SessionTokenSkipsReconnectAnswers) {
    SessionToken token;
    CommandFrame answer = makeFrame(Command::ReconnectAnswer, 1);
    answer[260] = 9;
    answer[261] = 8;
    EXPECT_FALSE(token.takeFrom(answer));
    EXPECT_EQ(token, (SessionToken{0, 0}));
    CommandFrame deal = makeFrame(Command::Deal, 1);
    deal[260] = 9;
    deal[261] = 8;
    EXPECT_TRUE(token.takeFrom(deal));
    EXPECT_EQ(token, (SessionToken{9, 8}));
}

TEST(Frame, PluginMarkers) {
    struct Case { Command command; std::array<uint8_t, 4> marker; bool plugin; };
    const Case cases[] = {
        {Command::Chat, {0, 0, 1, 16}, true},   {Command::Chat, {0, 0, 1, 4}, true},
        {Command::Chat, {0, 0, 1, 17}, false},  {Command::Chat, {16, 1, 0, 0}, false},
        {Command::Chat, {0, 0, 0, 0}, false},   {Command::PluginB, {0, 0, 1, 16}, false},
    };
    for (const Case& c : cases) {
        CommandFrame frame = makeFrame(c.command, 1);
        std::copy(c.marker.begin(), c.marker.end(), frame.begin() + kChatMarkerByte);
        EXPECT_EQ(isPluginMessage(frame), c.plugin);
    }
}

TEST(Frame, ChatTextPacking) {
    CommandFrame frame = makeFrame(Command::Chat, 2);
    frame[9] = 1;    // fields in front of the text stay
    frame[13] = 5;
    frame[239] = 7;  // marker and anything behind the text are cleared
    frame[271] = 9;
    std::string pending = "a\xE5\x95\x8A";  // "a啊": 0x61, then B0 A1
    ASSERT_TRUE(packChatText(frame, pending));
    EXPECT_TRUE(pending.empty());
    EXPECT_EQ(frame[9], 1);
    EXPECT_EQ(frame[13], 5);
    EXPECT_EQ(frame[16], 0x61);
    EXPECT_EQ(frame[17], 0xB0);
    EXPECT_EQ(frame[18], 0xA1);
    for (size_t i = 19; i < kFrameSize; ++i) EXPECT_EQ(frame[i], 0) << "byte " << i;
}

TEST(Frame, ChatTextIsCutToHundredCharacters) {
    struct Case { std::string text; size_t lastByte; std::string sent; };
    std::string wide;
    for (int i = 0; i < 100; ++i) wide += "\xE5\x95\x8A";
    const Case cases[] = {
        {std::string(100, 'x') + "y", 115, std::string(100, 'x')},  // the 101st character is dropped
        {wide + "\xE5\x95\x8A", 215, wide},  // 100 double-byte characters fill 16..215
    };
    for (const Case& c : cases) {
        CommandFrame frame = makeFrame(Command::Chat, 1);
        std::string pending = c.text;
        ASSERT_TRUE(packChatText(frame, pending));
        EXPECT_NE(frame[c.lastByte], 0);
        for (size_t i = c.lastByte + 1; i < kFrameSize; ++i) ASSERT_EQ(frame[i], 0) << "byte " << i;
        EXPECT_EQ(wire::readMixed(frame, 16, 271), c.sent);
    }
    CommandFrame untouched = makeFrame(Command::Chat, 1);
    untouched[200] = 3;
    std::string empty;
    EXPECT_FALSE(packChatText(untouched, empty));
    EXPECT_EQ(untouched[200], 3);
}

}  // namespace
}  // namespace vexal
