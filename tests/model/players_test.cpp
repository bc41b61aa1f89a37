#include "model/players.h"

#include <gtest/gtest.h>

#include <limits>

using namespace vexal;

TEST(Players, PortraitIndexFromFaceCode) {
    const struct {
        const char* code;
        int index;
    } cases[] = {{"", 0},    {"m1", 0},  {"m9", 8},   {"m10", 9}, {"w1", 10},
                 {"w10", 19}, {"m11", 0}, {"w11", 10}, {"m0", 0},  {"mx", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(portraitIndex(c.code), c.index) << c.code;
}

TEST(Players, CoinLevelsAndWealthAndCoinChanges) {
    EXPECT_EQ(coinLevel(19999), 0);
    EXPECT_EQ(coinLevel(20000), 1);
    EXPECT_EQ(coinLevel(59999), 1);
    EXPECT_EQ(coinLevel(60000), 2);
    EXPECT_EQ(smallestPositiveWealth({0, 3, 0, 2}), 2u);
    EXPECT_EQ(smallestPositiveWealth({0, 0, 0, 0}), 0u);
    EXPECT_EQ(coinsAfterChange(300, -500), 0);
    EXPECT_EQ(coinsAfterChange(300, 10000), 10300);
    EXPECT_EQ(coinsAfterChange(std::numeric_limits<int64_t>::max(), 1), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(coinsAfterChange(5, std::numeric_limits<int64_t>::min()), 0);
}

TEST(Players, TextsShownForSeats) {
    EXPECT_EQ(nicknameLabelText("新手", "小明"), "[新手] 小明");
    EXPECT_EQ(coinLabelText(12000), "12000金币");
    EXPECT_EQ(departureLine("abc", 9, 5, 30), "abc退出了游戏 9:5:30");
    EXPECT_EQ(coinShortageLine("abc"), "玩家abc金币不够，退出游戏！");
}

TEST(Players, ExitWarningByTheThreeCases) {
    const struct {
        bool round, spectator, shuffle;
        const char* text;
    } cases[] = {
        {true, false, false, "游戏正在进行，逃跑会扣分！"},
        {true, false, true, "游戏正在进行，逃跑会扣分！"},
        {true, true, false, ""},
        {false, false, true, "游戏即将进行，可能会扣分！"},
        {false, false, false, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(exitWarningText(c.round, c.spectator, c.shuffle), c.text)
            << c.round << c.spectator << c.shuffle;
}
