// The score sheet's lines from the four settlement records.
#include "model/settlementlines.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vexal {
namespace {

using Lines = std::vector<std::string>;

// Four seats, own seat bit 1; seats 0 and 2 (bits 1 and 4) called together and won.
SettlementInput ordinaryRound() {
    SettlementInput in;
    in.seatBits = {1, 2, 4, 8};
    in.initialCoins = {"1000金币", "2000金币", "3000金币", "4000金币"};
    const uint8_t places[4] = {1, 3, 2, 4};
    const uint16_t points[4] = {80, 40, 70, 10};
    for (size_t r = 0; r < 4; ++r) {
        SettlementRecord& rec = in.records[r];
        rec.seatBit = in.seatBits[r];
        rec.stake = 100;
        rec.place = places[r];
        rec.cardPoints = points[r];
        rec.finalPoints = points[r];
        const bool winner = r == 0 || r == 2;
        rec.subtotalGain = rec.finalGain = winner;
        rec.subtotal = rec.finalAmount = 200;
    }
    in.records[0].callerBit = 1;
    in.records[0].partnerBit = 4;
    in.note = "系统";
    in.records[0].percentage = 5;
    return in;
}

int indexOf(const Lines& lines, const std::string& line) {
    auto it = std::find(lines.begin(), lines.end(), line);
    return it == lines.end() ? -1 : static_cast<int>(it - lines.begin());
}

int indexStartingWith(const Lines& lines, const std::string& prefix) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].rfind(prefix, 0) == 0)
            return static_cast<int>(i);
    return -1;
}

TEST(SettlementSheet, OrdinaryCallWinnerColumnReadsInOrder) {
    SettlementInput in = ordinaryRound();
    in.records[0].finalPoints = 100;
    in.records[2].finalPoints = 60;
    in.records[1].finalPoints = 40;
    in.records[3].finalPoints = 0;
    in.bombs[0] = {15};
    const SettlementSheet sheet = buildSettlementSheet(in);
    const Lines expected = {"初始：1000金币", "", "房间底金：100金币", "", "第1名", "", "朋友",
                            "枯         :×2", "八张炸弹   :×6", "", "牌面得分: 80", "", "最终得分: 100", "",
                            "总分: 200金币", "----------------", "", "", "", "系统5%", "总分: 200金币"};
    EXPECT_EQ(sheet.lists[0], expected);
    EXPECT_EQ(sheet.lists[4], (Lines{"", "最终分: 200金币"}));
    EXPECT_EQ(sheet.lists[1][6], "");  // not of the calling side
    EXPECT_EQ(sheet.lists[1][7], "枯         :×2");
    EXPECT_EQ(sheet.lists[1].back(), "总分: -200金币");
    EXPECT_EQ(sheet.lists[5], (Lines{"", "最终分: -200金币"}));
    EXPECT_TRUE(sheet.red[0]);
    EXPECT_FALSE(sheet.red[1]);
    EXPECT_EQ(sheet.colours[0], kSheetRed);
    EXPECT_EQ(sheet.colours[3], kSheetBlack);
    EXPECT_EQ(sheet.coinChange, (std::array<int64_t, 4>{200, -200, 200, -200}));
    EXPECT_EQ(sheet.gradeLines, (std::array<std::string, 4>{"200", "-200", "200", "-200"}));
}

TEST(SettlementSheet, CallingSideLines) {
    struct Case {
        const char* name;
        std::array<uint8_t, 4> places;
        std::array<uint16_t, 4> finalPoints;
        const char* line;  // the line after "朋友" in every column; empty when none
    };
    const Case cases[] = {
        {"first and second with all points", {1, 3, 2, 4}, {120, 0, 80, 0}, "枯踹       :×4"},
        {"first and second without all points", {1, 3, 2, 4}, {100, 50, 50, 0}, "枯         :×2"},
        {"the other side first and second", {3, 1, 4, 2}, {50, 60, 50, 40}, "枯         :×2"},
        {"no 枯 but all points", {1, 2, 3, 4}, {150, 0, 50, 0}, "踹         :×2"},
        {"nothing", {1, 2, 3, 4}, {90, 60, 10, 40}, ""},
    };
    for (const Case& c : cases) {
        SettlementInput in = ordinaryRound();
        for (size_t r = 0; r < 4; ++r) {
            in.records[r].place = c.places[r];
            in.records[r].finalPoints = c.finalPoints[r];
        }
        const SettlementSheet sheet = buildSettlementSheet(in);
        for (size_t r = 0; r < 4; ++r) {
            const Lines& col = sheet.lists[r];
            const int friendRow = 6;
            EXPECT_EQ(col[friendRow], (r == 0 || r == 2) ? "朋友" : "") << c.name;
            if (*c.line)
                EXPECT_EQ(col[friendRow + 1], c.line) << c.name << " column " << r;
            else
                EXPECT_EQ(col[friendRow + 1], "") << c.name << " column " << r;
        }
    }
}

TEST(SettlementSheet, HiddenCallHasNoPlacesPointsOrFriends) {
    SettlementInput in = ordinaryRound();
    in.records[0].callerBit = in.records[0].partnerBit = 4;  // seat 2 called and holds both copies
    const SettlementSheet sheet = buildSettlementSheet(in);
    for (size_t r = 0; r < 4; ++r) {
        const Lines& col = sheet.lists[r];
        EXPECT_EQ(indexStartingWith(col, "第"), -1);
        EXPECT_EQ(indexStartingWith(col, "牌面得分"), -1);
        EXPECT_EQ(indexOf(col, "朋友"), -1);
        EXPECT_EQ(indexStartingWith(col, "枯"), -1);
        EXPECT_EQ(indexStartingWith(col, "踹"), -1);
        EXPECT_EQ(col[4], r == 2 ? "暗叫       :×12" : "暗叫       :×4");
    }
}

TEST(SettlementSheet, RoarLinesAndResult) {
    SettlementInput in = ordinaryRound();
    in.records[0].callerBit = in.records[0].partnerBit = 0;
    in.records[3].roared = true;
    in.records[3].subtotalGain = true;
    const SettlementSheet sheet = buildSettlementSheet(in);
    EXPECT_TRUE(sheet.roar);
    EXPECT_EQ(sheet.roarSeat, 3);
    EXPECT_TRUE(sheet.roarerWon);
    for (size_t r = 0; r < 4; ++r) {
        EXPECT_EQ(indexOf(sheet.lists[r], r == 3 ? "吼        :×24" : "吼        :×8"), 4);
        EXPECT_EQ(indexStartingWith(sheet.lists[r], "第"), -1);
    }
    in.records[3].subtotalGain = false;
    EXPECT_FALSE(buildSettlementSheet(in).roarerWon);
}

TEST(SettlementSheet, AmountLines) {
    struct Case {
        const char* name;
        bool wealthOn;
        std::string wealth;
        bool gain;
        uint64_t subtotal, final;
        Lines expectedTail;  // from the first amount line on
    };
    const Case cases[] = {
        {"wealth three", true, "3", true, 100, 300,
         {"", "---------------------", "小计： 100金币", "财富加倍 ×3", "---------------------", "总分: 300金币",
          "----------------", "", "", "", "系统5%", "总分: 300金币"}},
        {"loss of zero", false, "1", false, 0, 0,
         {"总分: 0金币", "----------------", "", "", "", "", "总分: 0金币"}},
        {"loss with wealth", true, "2", false, 50, 100,
         {"", "---------------------", "小计：- 50金币", "财富加倍 ×2", "---------------------", "总分: -100金币",
          "----------------", "", "", "", "", "总分: -100金币"}},
    };
    for (const Case& c : cases) {
        SettlementInput in = ordinaryRound();
        in.wealthOn = c.wealthOn;
        in.wealthText = c.wealth;
        in.records[0].subtotalGain = in.records[0].finalGain = c.gain;
        in.records[0].subtotal = c.subtotal;
        in.records[0].finalAmount = c.final;
        const SettlementSheet sheet = buildSettlementSheet(in);
        const Lines& col = sheet.lists[0];
        ASSERT_GE(col.size(), c.expectedTail.size()) << c.name;
        EXPECT_EQ(Lines(col.end() - static_cast<long>(c.expectedTail.size()), col.end()), c.expectedTail) << c.name;
        if (!c.gain && c.final == 0) {
            EXPECT_EQ(sheet.lists[4], (Lines{"", "最终分: 0金币"}));
            EXPECT_EQ(sheet.coinChange[0], 0);
            EXPECT_EQ(sheet.gradeLines[0], "-0");
        }
    }
}

TEST(SettlementSheet, CappedEscapedAndNoteAlone) {
    SettlementInput in = ordinaryRound();
    in.records[1].capped = true;
    in.records[1].escapedBits = 2;
    in.noteAlone = true;
    in.propBonus[0] = 7;
    const SettlementSheet sheet = buildSettlementSheet(in);
    const Lines& col = sheet.lists[1];
    const int total = indexStartingWith(col, "总分: -200");
    ASSERT_GE(total, 0);
    EXPECT_EQ(col[static_cast<size_t>(total) + 2], "  封顶");
    EXPECT_EQ(col[static_cast<size_t>(total) + 4], "逃跑玩家");
    EXPECT_EQ(sheet.lists[0][sheet.lists[0].size() - 2], "系统");
    EXPECT_EQ(sheet.lists[0].back(), "总分: 207金币");  // the prop bonus joins a gain
    EXPECT_EQ(sheet.coinChange[0], 207);
}

// Amounts beyond any coin count (a frame carries 64 bits) stop at the largest change, either way.
TEST(SettlementSheet, HugeAmountsStopAtTheLargestCoinChange) {
    SettlementInput in = ordinaryRound();
    in.records[0].finalGain = true;
    in.records[0].finalAmount = UINT64_MAX;
    in.records[1].finalGain = false;
    in.records[1].finalAmount = uint64_t{1} << 63;
    const SettlementSheet sheet = buildSettlementSheet(in);
    EXPECT_GT(sheet.coinChange[0], int64_t{9'000'000'000'000'000'000});
    EXPECT_LT(sheet.coinChange[1], -int64_t{9'000'000'000'000'000'000});
}

TEST(SettlementSheet, BombRowsAndPropLinesKeepColumnsSideBySide) {
    SettlementInput in = ordinaryRound();
    in.bombs[2] = {7, 19};
    in.propTexts[1] = "宝箱奖励00000255|x";
    const SettlementSheet sheet = buildSettlementSheet(in);
    const int anchor = indexStartingWith(sheet.lists[0], "总分:");
    for (size_t r = 0; r < 4; ++r)
        EXPECT_EQ(indexStartingWith(sheet.lists[r], "总分:"), anchor) << "column " << r;
    EXPECT_NE(indexOf(sheet.lists[2], "方块五十K  :×2"), -1);
    EXPECT_NE(indexOf(sheet.lists[2], "十二张炸弹 :×14"), -1);
    EXPECT_NE(indexOf(sheet.lists[1], "宝箱奖励"), -1);
}

TEST(SettlementSheet, AmountTextIsPlainDecimal) {
    EXPECT_EQ(amountText(0), "0");
    EXPECT_EQ(amountText(1234567890123.0), "1234567890123");
    EXPECT_EQ(amountText(2.5), "2.5");
    EXPECT_EQ(amountText(-36), "-36");
}

}  // namespace
TEST(ScoreTerms, EveryTermANewcomerMeetsIsExplained) {
    const struct {
        const char* line;
        const char* starts;  // empty: no explanation
    } cases[] = {
        {"暗叫       :×12", "暗叫："}, {"暗叫       :×4", "暗叫："}, {"枯         :×2", "枯："},
        {"枯踹       :×4", "枯踹："},  {"踹         :×2", "踹："},   {"吼        :×24", "吼："},
        {"  封顶", "封顶："},          {"朋友", ""},                {"四张炸弹   :×2", ""},
        {"总分: 300金币", ""},         {"", ""},
    };
    for (const auto& c : cases) {
        const std::string help = scoreTermExplanation(c.line);
        EXPECT_EQ(help.substr(0, std::string(c.starts).size()), c.starts) << c.line;
        EXPECT_EQ(help.empty(), std::string(c.starts).empty()) << c.line;
    }
}

}  // namespace vexal
