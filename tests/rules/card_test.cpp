#include "rules/card.h"

#include <gtest/gtest.h>

#include <set>

#include "tests/rules/cards.h"

namespace vexal {
namespace {

struct PictureCase {
    uint8_t b0, b1, b2, b3;
    int rank, suitIndex, picture, large, small;
    bool wild;
};

TEST(Card, DerivedValuesAndPictures) {
    const PictureCase cases[] = {
        {8, 13, 0, 42, 13, 3, 61, 61, 352, false},   // K of spades
        {1, 14, 0, 0, 14, 0, 14, 14, 301, false},    // A of diamonds
        {2, 15, 0, 7, 15, 1, 31, 31, 315, false},    // 2 of clubs
        {4, 12, 9, 127, 12, 2, 44, 44, 338, false},  // Q of hearts; byte 2 is never read
        {8, 3, 0, 5, 3, 3, 51, 51, 342, false},     {1, 17, 0, 107, 17, 0, 17, 17, 354, true},  // big joker
        {0, 16, 0, 106, 16, 0, 16, 16, 353, true},                                              // small joker
        {0x91, 17, 0, 3, 17, 0, 17, 17, 354, true},  // a received wild card: high nibble ignored
    };
    const CardPictureTable large = CardPictureTable::forScale(1.0);
    const CardPictureTable small = CardPictureTable::forScale(0.78125);
    for (const PictureCase& c : cases) {
        const uint8_t bytes[4] = {c.b0, c.b1, c.b2, c.b3};
        const CardCode code = cardFromBytes(std::span<const uint8_t, 4>(bytes));
        SCOPED_TRACE(testing::describe(code));
        EXPECT_EQ(cardRank(code), c.rank);
        EXPECT_EQ(suitIndex(code), c.suitIndex);
        EXPECT_EQ(pictureIndex(code), c.picture);
        EXPECT_EQ(isWild(code), c.wild);
        EXPECT_EQ(cardId(code), c.b3);
        EXPECT_EQ(large.resource(c.picture), c.large);
        EXPECT_EQ(small.resource(c.picture), c.small);
        uint8_t back[4] = {};
        cardToBytes(code, std::span<uint8_t, 4>(back));
        EXPECT_EQ(std::vector<uint8_t>(back, back + 4), std::vector<uint8_t>(bytes, bytes + 4));
    }
}

TEST(Card, TextAsPlayersReadIt) {
    const std::pair<CardCode, const char*> cases[] = {
        {makeCard(10, kSuitSpades, 1), "♠10"},
        {makeCard(kRankAce, kSuitHearts, 2), "♥A"},
        {makeCard(kRankTwo, kSuitClubs, 3), "♣2"},
        {makeCard(3, kSuitDiamonds, 4), "♦3"},
        {makeCard(11, kSuitSpades, 5), "♠J"},
        {makeCard(kRankSmallJoker, 0, 6), "小王"},
        {makeCard(kRankBigJoker, 1, 7), "大王"},
        {makeCard(kRankBigJoker, 0x91, 8), "大王=9"},          // a wild card in a play
        {makeCard(kRankSmallJoker, (13 << 4) | 1, 9), "小王=K"},
        {makeCard(2, kSuitSpades, 10), "?"},                   // no such rank
        {makeCard(5, kSuitSpades | kSuitHearts, 11), "?"},     // two suits
        {makeCard(5, 0, 12), "?"},                             // no suit
    };
    for (const auto& [code, text] : cases)
        EXPECT_EQ(cardText(code), text) << testing::describe(code);
}

TEST(Card, PictureTablesCoverEveryCardOnceAndNothingElse) {
    for (double scale : {1.0, 0.78125}) {
        const CardPictureTable table = CardPictureTable::forScale(scale);
        std::set<int> resources;
        for (int picture = 0; picture < 64; ++picture) {
            const bool card = picture == kPictureCardBack || isValidPictureIndex(picture);
            EXPECT_EQ(!table.entry(picture).empty(), card) << "picture " << picture << " scale " << scale;
            if (card) {
                resources.insert(table.resource(picture));
            }
        }
        EXPECT_EQ(resources.size(), 52u + 3u);
        if (scale != 1.0) {
            EXPECT_EQ(*resources.lower_bound(300), 301);
            EXPECT_EQ(*resources.rbegin(), 354);
        }
    }
    EXPECT_TRUE(CardPictureTable::forScale(1.0).entry(64).empty());
    EXPECT_TRUE(CardPictureTable::forScale(1.0).entry(-1).empty());
}

TEST(Card, SetCardPictureRejectsCorruptCodes) {
    struct Case {
        int picture;
        bool valid;
    };
    const Case cases[] = {
        {3, true},   {15, true},  {16, true},   {17, true},  {18, true},  {63, true}, {2, false},
        {0, false},  {32, false}, {34, false},  {48, false}, {49, false},  // big joker with the hearts bit
        {64, false}, {-1, false}, {200, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isValidPictureIndex(c.picture), c.valid) << c.picture;
    }
    EXPECT_FALSE(isValidPictureIndex(pictureIndex(makeCard(kRankBigJoker, kSuitHearts, 1))));
    EXPECT_FALSE(isValidPictureIndex(pictureIndex(makeCard(2, kSuitSpades, 1))));
}

TEST(Card, RelativeSeatsAndSeatBits) {
    EXPECT_EQ(relativeSeat(1, 3), 2);
    EXPECT_EQ(relativeSeat(3, 3), 0);
    EXPECT_EQ(relativeSeat(0, 3), 1);
    EXPECT_EQ(relativeSeat(2, 3), 3);
    const int bits[] = {0, 1, 2, 4, 8, 3, 12};
    const int seats[] = {0, 0, 1, 2, 3, 1, 3};
    for (size_t i = 0; i < std::size(bits); ++i) {
        EXPECT_EQ(bitIndex(bits[i]), seats[i]) << bits[i];
    }
}

TEST(Card, RemovingASlotClosesUpCodesAndImages) {
    Hand hand = testing::hand("3 4 5 6");
    hand.images = {};
    for (int i = 0; i < 4; ++i) {
        hand.images[i] = static_cast<uint16_t>(10 + i);
    }
    removeSlot(hand, 1);
    ASSERT_EQ(hand.count, 3);
    EXPECT_EQ(testing::describe(hand.cards()), "3d 5d 6d");
    EXPECT_EQ(hand.images[1], 12);
    EXPECT_EQ(hand.images[2], 13);
    removeSlot(hand, 3);  // beyond the count: nothing
    EXPECT_EQ(hand.count, 3);
}

}  // namespace
}  // namespace vexal
