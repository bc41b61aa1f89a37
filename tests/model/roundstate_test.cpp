// The round's pure decisions: laying out received plays, multipliers, piles, calls and titles.
#include "model/roundstate.h"

#include "../rules/cards.h"

#include <gtest/gtest.h>

namespace vexal {
namespace {

// A received wild card standing for `rank`.
CardCode wildFor(int rank, int jokerRank = kRankSmallJoker, int id = 104) {
    return makeCard(jokerRank, rank << 4, id);
}

std::string laidText(const std::vector<LaidCard>& laid) {
    std::string out;
    for (const LaidCard& c : laid) {
        if (!out.empty())
            out += ' ';
        out += isWild(c.code) ? "W" + std::to_string((static_cast<uint32_t>(c.code) >> 4) & 0xF)
                              : testing::describe(c.code);
    }
    return out;
}

TEST(ReceivedPlayLayout, WildCardsGoWhereTheirRankBelongs) {
    struct Case {
        const char* name;
        std::vector<CardCode> received;
        const char* expected;
    };
    using testing::cards;
    auto with = [](std::vector<CardCode> v, std::initializer_list<CardCode> extra) {
        v.insert(v.end(), extra);
        return v;
    };
    const Case cases[] = {
        {"8 7 7 6 6 and a wild 8", with(cards("8d 7d 7c 6d 6c"), {wildFor(8)}), "8d W8 7d 7c 6d 6c"},
        {"10 10 8 8 and two wild 9", with(cards("10d 10c 8d 8c"), {wildFor(9), wildFor(9, 17, 105)}),
         "10d 10c W9 W9 8d 8c"},
        {"wild below the lowest goes last", with(cards("9d 9c 8d 8c"), {wildFor(7), wildFor(7, 17, 105)}),
         "9d 9c 8d 8c W7 W7"},
        {"wild received first, pair", {wildFor(9), makeCard(9, 1, 3)}, "9d W9"},
        {"all wild", {wildFor(2), wildFor(2, 17, 105)}, "W2 W2"},
        // A wild card naming no rank was still played: it is shown, last.
        {"wild naming no rank", {wildFor(0), makeCard(5, 1, 3)}, "5d W0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(laidText(layOutReceivedPlay(c.received)), c.expected) << c.name;
}

TEST(ReceivedPlayLayout, EntriesAndPictures) {
    const std::vector<CardCode> play = {makeCard(12, kSuitHearts, 1), wildFor(12, kRankBigJoker, 107)};
    const std::vector<LaidCard> laid = layOutReceivedPlay(play);
    ASSERT_EQ(laid.size(), 2u);
    EXPECT_EQ(laid[0].entry, 12 * 256 + 4);
    EXPECT_EQ(laid[0].picture, 2 * 16 + 12);
    EXPECT_EQ(laid[1].entry, 17 * 256);
    EXPECT_EQ(laid[1].picture, 17);
}

TEST(RoundDecisions, BombFactorsMultiply) {
    const std::pair<PlayType, int> cases[] = {{6, 1}, {7, 2}, {10, 2}, {11, 2}, {13, 2}, {14, 4},
                                              {15, 6}, {16, 8}, {17, 10}, {18, 12}, {19, 14}, {3, 1}};
    for (auto [type, factor] : cases)
        EXPECT_EQ(bombFactor(type), factor) << type;
    EXPECT_EQ(bombFactor(15) * bombFactor(15), 36);
}

TEST(RoundDecisions, BackPilePictures) {
    const std::tuple<int, int, int> cases[] = {{1, 1, 521}, {3, 1, 523}, {2, 2, 525}, {1, 3, 527}, {1, 7, 527},
                                               {2, 8, 531}, {3, 12, 532}, {1, 13, 533}, {1, 20, 536}, {3, 27, 541},
                                               {1, 0, 0}, {0, 5, 0}};
    for (auto [seat, count, picture] : cases)
        EXPECT_EQ(backPilePicture(seat, count), picture) << seat << "/" << count;
}

// The highest callable slot whose card is held once; a card held twice (a hidden call, one against
// three) only when nothing callable is held once.
TEST(RoundDecisions, AutomaticCallPrefersACardHeldOnce) {
    struct Case {
        const char* hand;
        int slot;
        const char* why;
    };
    const Case cases[] = {
        {"3d 9c 5d 10c Kh 2s BJ", 1, "the highest callable slot"},
        {"Ad Jd Qd", 2, "every card held once"},
        {"5d 10c Kh 2s SJ", -1, "nothing callable"},
        {"9c 4h 3d 3d", 1, "both 3d held: the 4h below them in the scan"},
        {"9c 9c 4h 3d 3d", 2, "the only card held once sits in the middle"},
        {"Ah 3s 3d 3d", 1, "same rank, other suit: 3s is held once"},
        {"9c 9c 3d 3d", 3, "only pairs: the scan's first, from slot 26 down"},
        {"9c 9c 3d 3d 5s 10h", 3, "only pairs among the callable cards, point cards after them"},
        {"Kd Kd 9c 9c 2s", 3, "only pairs: Ks and 2s are never called"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(automaticCallSlot(testing::hand(c.hand)), c.slot) << c.hand << ": " << c.why;
    EXPECT_EQ(copiesHeld(testing::hand("9c 9c 9d"), testing::cards("9c")[0]), 2);
    EXPECT_EQ(copiesHeld(testing::hand("9c 9c 9d"), testing::cards("9d")[0]), 1);
    EXPECT_EQ(copiesHeld(testing::hand("9c 9c 9d"), testing::cards("9h")[0]), 0);
}

TEST(RoundDecisions, CalledCardPictureShowsAceAsOne) {
    EXPECT_EQ(calledCardPicture(14, kSuitDiamonds), 301);
    EXPECT_EQ(calledCardPicture(14, kSuitSpades), 301 + 39);
    EXPECT_EQ(calledCardPicture(9, kSuitHearts), 300 + 26 + 9);
}

TEST(RoundDecisions, CountdownsAndTitles) {
    EXPECT_EQ(playCountdownSeconds(2, false), 15);
    EXPECT_EQ(playCountdownSeconds(0, false), 15);
    EXPECT_EQ(playCountdownSeconds(8, false), 8);
    EXPECT_EQ(playCountdownSeconds(8, true), 1);
    EXPECT_EQ(levelTitle(1), "第一级");
    EXPECT_EQ(levelTitle(10), "第十级");
    EXPECT_EQ(levelTitle(11), "第十一级");
    EXPECT_EQ(levelTitle(20), "第二十级");
    EXPECT_EQ(levelTitle(37), "第三十七级");
    EXPECT_EQ(levelTitle(40), "第四十级");
    EXPECT_EQ(levelTitle(0), "");
    EXPECT_EQ(levelTitle(41), "");
}

}  // namespace

TEST(MultiplierBadge, AnyMultiplierFitsInAFewCharacters) {
    const struct {
        double multiplier;
        const char* text;
    } cases[] = {{1, "1"},           {36, "36"},          {9999, "9999"},          {10000, "1.0万"},
                 {16384, "1.6万"},   {98304, "9.8万"},    {131072, "13万"},        {99999999, "9999万"},
                 {1e8, "1.0亿"},     {1.5e9, "15亿"},     {14.0 * 1e12, ">9999亿"}, {-1, "?"}};
    for (const auto& c : cases)
        EXPECT_EQ(multiplierBadgeText(c.multiplier), c.text) << c.multiplier;
}

}  // namespace vexal
