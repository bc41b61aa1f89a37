// The own play and pass as command 7 carries them, and the server's reading of it.
#include "net/messages/play.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/rules/cards.h"

namespace vexal {
namespace {

using testing::selection;

CommandFrame playFrame(const char* cards, PlayType type, uint8_t seatBit = 4) {
    const auto frame = buildPlayFrame(seatBit, type, arrangePlay(type, selection(cards, 40)));
    EXPECT_TRUE(frame.has_value()) << cards;
    return frame.value_or(CommandFrame{});
}

// Every byte of the frame other than the ones listed is 0.
void expectOnly(const CommandFrame& frame, const std::vector<std::pair<size_t, int>>& bytes) {
    CommandFrame expected{};
    for (auto [at, value] : bytes) {
        expected[at] = static_cast<uint8_t>(value);
    }
    for (size_t i = 0; i < kFrameSize; ++i) {
        EXPECT_EQ(frame[i], expected[i]) << "byte " << i;
    }
}

TEST(PlayFrame, BytesOfPlaysAndPass) {
    expectOnly(playFrame("W", kPlaySingle),
               {{3, 7}, {6, 4}, {15, 2}, {17, 1}, {18, 1}, {19, 1}, {20, 40}, {45, 2}});
    // Wild card and 9 (ids 40 and 41): the 9 first, the wild card standing for 9.
    expectOnly(playFrame("W 9", kPlayPair),
               {{3, 7}, {6, 4}, {15, 2}, {17, 2}, {18, 2}, {19, 1}, {20, 41}, {21, 40}, {45, 9}});
    expectOnly(playFrame("W W BJ BJ", kPlayBombOf4, 8), {{3, 7},
                                                         {6, 8},
                                                         {15, 2},
                                                         {17, 4},
                                                         {18, 11},
                                                         {19, 4},
                                                         {20, 42},
                                                         {21, 43},
                                                         {22, 40},
                                                         {23, 41},
                                                         {45, 2},
                                                         {49, 2},
                                                         {53, 2},
                                                         {57, 2}});
    expectOnly(playFrame("Ks 10s 5s", kPlayFiveTenKingSpades),
               {{3, 7}, {6, 4}, {15, 2}, {17, 3}, {18, 10}, {20, 40}, {21, 41}, {22, 42}});
    expectOnly(buildPassFrame(2), {{3, 7}, {6, 2}, {15, 1}});
}

TEST(PlayFrame, PlaysThatCannotTravelAreRefused) {
    std::vector<ArrangedCard> tooMany(25, ArrangedCard{makeCard(3, 1, 0), 0});
    EXPECT_FALSE(buildPlayFrame(1, kPlayPairRun, tooMany).has_value());
    std::vector<ArrangedCard> wild(5, ArrangedCard{makeCard(kRankSmallJoker, 0, 0), 2});
    EXPECT_FALSE(buildPlayFrame(1, 12, wild).has_value());
    EXPECT_FALSE(buildPlayFrame(1, kPlaySingle, {}).has_value());
}

TEST(PlayFrame, DecodesWhatWasBuilt) {
    const CommandFrame frame = playFrame("7 5 5 W BJ W", kPlayPairRun, 0x82);
    const auto play = decodePlayFrame(frame);
    ASSERT_TRUE(play.has_value());
    EXPECT_FALSE(play->pass);
    EXPECT_EQ(play->seatBit, 2);  // the high bits of byte 6 never matter
    EXPECT_EQ(play->type, kPlayPairRun);
    EXPECT_EQ(play->wildCount, 3);
    EXPECT_EQ(play->cardIds.size(), 6u);
    EXPECT_EQ((std::array<int, 4>{play->wildRanks[0], play->wildRanks[1], play->wildRanks[2], 0}),
              (std::array<int, 4>{7, 6, 6, 0}));

    const auto pass = decodePlayFrame(buildPassFrame(8));
    ASSERT_TRUE(pass.has_value());
    EXPECT_TRUE(pass->pass);
    EXPECT_EQ(pass->seatBit, 8);
}

TEST(PlayFrame, DecoderRefusesMalformedFrames) {
    const CommandFrame good = playFrame("9 9", kPlayPair);
    struct Case {
        size_t at;
        uint8_t value;
    };
    const Case cases[] = {{3, 6}, {15, 0}, {15, 3}, {17, 0}, {17, 25}, {19, 5}};
    for (const Case& c : cases) {
        CommandFrame bad = good;
        bad[c.at] = c.value;
        EXPECT_FALSE(decodePlayFrame(bad).has_value()) << "byte " << c.at << " = " << int(c.value);
    }
}

}  // namespace
}  // namespace vexal
