#include "rules/sort.h"

#include <gtest/gtest.h>

#include "tests/rules/cards.h"

namespace vexal {
namespace {

using testing::describe;

struct SortCase {
    const char* hand;
    const char* bySize;
    const char* byCount;
};

TEST(Sort, BothOrders) {
    const SortCase cases[] = {
        {"Kc 5d BJ 3s 10h Ad", "BJ Kc 10h 5d Ad 3s", "BJ Ad Kc 10h 5d 3s"},
        // Copies held decide the count order, even above the "2".
        {"7d 2s Qh 7c Qd 7s", "2s Qh Qd 7s 7c 7d", "7s 7c 7d Qh Qd 2s"},
        // The full size order: jokers, K, 10, 5, then 2 A Q J 9 8 7 6 4 3; spades first in a rank.
        {"3d 4d 6d 7d 8d 9d Jd Qd Ad 2d 5d 10d Kd SJ BJ 5s 5h 5c",
         "BJ SJ Kd 10d 5s 5h 5c 5d 2d Ad Qd Jd 9d 8d 7d 6d 4d 3d",
         "BJ SJ 5s 5h 5c 5d 2d Ad Kd Qd Jd 10d 9d 8d 7d 6d 4d 3d"},
        // Two K of spades from the two decks stay side by side.
        {"Ks 3d Kh Ks Kd", "Ks Ks Kh Kd 3d", "Ks Ks Kh Kd 3d"},
    };
    for (const SortCase& c : cases) {
        Hand big = testing::hand(c.hand);
        ASSERT_TRUE(SortbyBig(big, big.count));
        EXPECT_EQ(describe(big.cards()), c.bySize) << c.hand;
        Hand num = testing::hand(c.hand);
        ASSERT_TRUE(SortbyNum(num, num.count));
        EXPECT_EQ(describe(num.cards()), c.byCount) << c.hand;
        for (int i = 0; i < big.count; ++i) {
            EXPECT_EQ(big.images[i], i) << "images never move";
            EXPECT_EQ(num.images[i], i) << "images never move";
        }
    }
}

TEST(Sort, OnlyTheFirstCountSlotsMove) {
    Hand hand = testing::hand("3d 4d Kd BJ");
    ASSERT_TRUE(SortbyBig(hand, 2));
    EXPECT_EQ(describe(hand.cards()), "4d 3d Kd BJ");
    ASSERT_TRUE(SortbyNum(hand, 0));
    EXPECT_EQ(describe(hand.cards()), "4d 3d Kd BJ");
}

TEST(Sort, FailuresAreReportedNotSwallowed) {
    Hand hand = testing::hand("3d 4d 5d");
    hand.codes[1] = makeCard(2, kSuitSpades, 9);  // rank 2 is no card
    const std::string before = describe(hand.cards());
    EXPECT_FALSE(SortbyNum(hand, hand.count));
    EXPECT_EQ(describe(hand.cards()), before) << "nothing exchanged before the failure";
    hand.codes[1] = makeCard(18, 0, 9);
    EXPECT_FALSE(SortbyNum(hand, hand.count));

    Hand full = testing::hand("3d 4d 5d");
    EXPECT_FALSE(SortbyBig(full, 28));
    EXPECT_FALSE(SortbyNum(full, 28));
    EXPECT_EQ(kSortbyBigError, "SortbyBig错误");
    EXPECT_EQ(kSortbyNumError, "SortbyNum错误");
}

TEST(Sort, HandFanLayout) {
    struct Case {
        int n, slot;
        double scale, width, left;
    };
    const Case cases[] = {
        {27, 0, 1.0, 90, 500 - 302.4},
        {27, 26, 1.0, 90, 500 - 302.4 + 26 * 0.22 * 90},
        {27, 0, 0.78125, 70.3125, 500 - 302.4 * 0.78125},
        {10, 0, 1.0, 80, 500 - 134.1},
        {10, 3, 0.78125, 62.5, 500 - 134.1 * 0.78125 + 3 * 0.22 * 62.5},
        {1, 0, 1.0, 90, 500 - 45.0},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(handFanLeft(500, c.n, c.slot, c.scale, c.width), c.left, 1e-9) << c.n << "/" << c.slot;
    }
}

}  // namespace
}  // namespace vexal
