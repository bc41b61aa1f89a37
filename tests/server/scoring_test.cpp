// Final points, winners, multipliers, amounts and capping of settled rounds.
#include <gtest/gtest.h>

#include <numeric>

#include "server/accounts.h"
#include "server/scoring.h"

namespace vexal::server {
namespace {

RoundFacts ordinary(std::array<int, 4> places, std::array<int, 4> card, std::array<int, 4> hand) {
    RoundFacts f;
    f.kind = CallKind::Ordinary;
    f.caller = 0;
    f.partner = 2;
    f.team = {0, 1, 0, 1};
    f.places = places;
    f.cardPoints = card;
    f.handPoints = hand;
    return f;
}

RoundFacts lone(CallKind kind, int seat, std::array<int, 4> places) {
    RoundFacts f;
    f.kind = kind;
    f.lone = seat;
    f.caller = kind == CallKind::Hidden ? seat : -1;
    f.partner = f.caller;
    for (int s = 0; s < 4; ++s)
        f.team[s] = s == seat ? 0 : 1;
    f.places = places;
    f.cardPoints = {50, 50, 50, 50};
    return f;
}

ScoringParams rich(int64_t stake = 100, int64_t wealth = 0) {
    ScoringParams p;
    p.stake = stake;
    p.wealth = wealth;
    p.coins = {1'000'000, 1'000'000, 1'000'000, 1'000'000};
    return p;
}

TEST(Scoring, WinnersMultipliersAndAmounts) {
    struct Case {
        const char* name;
        RoundFacts facts;
        ScoringParams params;
        std::array<int, 4> finalPoints;
        std::array<int64_t, 4> amounts;
        bool ku, kuChuai, chuai;
    };
    RoundFacts bombs = ordinary({1, 2, 3, 4}, {40, 60, 30, 40}, {0, 0, 0, 30});
    bombs.bombs[1] = {11, 15, 6};  // bomb of 4 x2, bomb of 8 x6, mixed 5-10-K nothing
    bombs.bombs[2] = {8};          // suited 5-10-K x2
    ScoringParams escaped = rich();
    escaped.escapedBits = 0x01;
    const Case cases[] = {
        {"more than 100 wins; last hands its points to first, hand points to the other side",
         ordinary({1, 2, 3, 4}, {40, 60, 30, 40}, {0, 0, 0, 30}), rich(), {110, 60, 30, 0},
         {100, -100, 100, -100}, false, false, false},
        {"枯", ordinary({1, 3, 2, 4}, {50, 20, 60, 30}, {0, 20, 0, 20}), rich(), {120, 20, 60, 0},
         {200, -200, 200, -200}, true, false, false},
        {"枯踹", ordinary({1, 3, 2, 4}, {100, 0, 100, 0}, {0, 0, 0, 0}), rich(), {100, 0, 100, 0},
         {400, -400, 400, -400}, false, true, false},
        {"踹", ordinary({1, 2, 3, 4}, {120, 0, 80, 0}, {0, 0, 0, 0}), rich(), {120, 0, 80, 0},
         {200, -200, 200, -200}, false, false, true},
        {"100 each: the side of the first place wins", ordinary({2, 1, 3, 4}, {20, 60, 30, 40}, {0, 0, 0, 50}),
         rich(), {70, 100, 30, 0}, {-100, 100, -100, 100}, false, false, false},
        {"hidden call won", lone(CallKind::Hidden, 0, {1, 2, 3, 4}), rich(), {100, 50, 50, 0},
         {1200, -400, -400, -400}, false, false, false},
        {"hidden call lost", lone(CallKind::Hidden, 0, {2, 1, 3, 4}), rich(), {50, 100, 50, 0},
         {-1200, 400, 400, 400}, false, false, false},
        {"roar won", lone(CallKind::Roar, 1, {2, 1, 3, 4}), rich(), {50, 100, 50, 0},
         {-800, 2400, -800, -800}, false, false, false},
        {"bombs multiply", bombs, rich(), {110, 60, 30, 0}, {2400, -2400, 2400, -2400}, false, false, false},
        {"wealth doubling", ordinary({1, 2, 3, 4}, {40, 60, 30, 40}, {0, 0, 0, 30}), rich(100, 3),
         {110, 60, 30, 0}, {300, -300, 300, -300}, false, false, false},
        {"a side with an escaped player loses", ordinary({1, 2, 3, 4}, {40, 60, 30, 40}, {0, 0, 0, 30}),
         escaped, {110, 60, 30, 0}, {-100, 100, -100, 100}, false, false, false},
    };
    for (const Case& c : cases) {
        Scoring s = scoreRound(c.facts, c.params);
        int sumPoints = 0;
        int64_t sumAmounts = 0;
        for (int seat = 0; seat < 4; ++seat) {
            EXPECT_EQ(s.seats[seat].finalPoints, c.finalPoints[seat]) << c.name << " seat " << seat;
            EXPECT_EQ(s.seats[seat].amount, c.amounts[seat]) << c.name << " seat " << seat;
            EXPECT_EQ(s.seats[seat].winner, c.amounts[seat] > 0) << c.name << " seat " << seat;
            EXPECT_FALSE(s.seats[seat].capped) << c.name;
            sumPoints += s.seats[seat].finalPoints;
            sumAmounts += s.seats[seat].amount;
        }
        EXPECT_EQ(sumPoints, 200) << c.name;
        EXPECT_EQ(sumAmounts, 0) << c.name;
        EXPECT_EQ(s.ku, c.ku) << c.name;
        EXPECT_EQ(s.kuChuai, c.kuChuai) << c.name;
        EXPECT_EQ(s.chuai, c.chuai) << c.name;
    }
}

TEST(Scoring, SubtotalIsStakeTimesCallingKuAndBombsBeforeWealth) {
    RoundFacts f = lone(CallKind::Roar, 1, {2, 1, 3, 4});
    f.bombs[3] = {14};  // a bomb of 7 cards, x4
    Scoring s = scoreRound(f, rich(10, 2));
    EXPECT_EQ(s.bombFactor, 4);
    EXPECT_EQ(s.seats[1].callingFactor, 24);
    EXPECT_EQ(s.seats[1].subtotal, 10 * 24 * 4);
    EXPECT_EQ(s.seats[1].total, 10 * 24 * 4 * 2);
    EXPECT_EQ(s.seats[0].subtotal, 10 * 8 * 4);
}

TEST(Scoring, CappingKeepsTheTableZeroSumAndMarksEveryChangedSeat) {
    struct Case {
        const char* name;
        RoundFacts facts;
        std::array<int64_t, 4> coins;
        std::array<int64_t, 4> amounts;
        std::array<bool, 4> capped;
    };
    const Case cases[] = {
        // The lone loser holds 500 of 1200: each winner gets a third, one odd coin each to the best placed.
        {"hidden call lost with too few coins", lone(CallKind::Hidden, 0, {4, 1, 2, 3}), {500, 0, 0, 0},
         {-500, 167, 167, 166}, {true, true, true, true}},
        {"one loser short", ordinary({1, 2, 3, 4}, {40, 60, 30, 40}, {0, 0, 0, 30}), {0, 30, 0, 1000},
         {65, -30, 65, -100}, {true, true, true, false}},
        {"a loser with no coins at all", ordinary({1, 2, 3, 4}, {40, 60, 30, 40}, {0, 0, 0, 30}), {0, 0, 0, 0},
         {0, 0, 0, 0}, {true, true, true, true}},
        {"enough coins: nothing capped", ordinary({1, 2, 3, 4}, {40, 60, 30, 40}, {0, 0, 0, 30}), {0, 100, 0, 100},
         {100, -100, 100, -100}, {false, false, false, false}},
    };
    for (const Case& c : cases) {
        ScoringParams p = rich();
        p.coins = c.coins;
        Scoring s = scoreRound(c.facts, p);
        int64_t sum = 0;
        for (int seat = 0; seat < 4; ++seat) {
            EXPECT_EQ(s.seats[seat].amount, c.amounts[seat]) << c.name << " seat " << seat;
            EXPECT_EQ(s.seats[seat].capped, c.capped[seat]) << c.name << " seat " << seat;
            sum += s.seats[seat].amount;
        }
        EXPECT_EQ(sum, 0) << c.name;
    }
}

TEST(Scoring, BombMultipliersAndLevels) {
    const std::pair<PlayType, int64_t> bombs[] = {{1, 1},  {5, 1},  {6, 1},  {7, 2},  {10, 2}, {11, 2},
                                                  {13, 2}, {14, 4}, {15, 6}, {18, 12}, {19, 14}};
    for (auto [type, factor] : bombs)
        EXPECT_EQ(bombMultiplier(type), factor) << type;
    const std::pair<int64_t, int> levels[] = {{-5, 1}, {0, 1}, {9, 1}, {10, 2}, {389, 39}, {390, 40}, {100000, 40}};
    for (auto [score, level] : levels)
        EXPECT_EQ(levelOfScore(score), level) << score;
}

TEST(Scoring, HugeMultipliersStayExactAndZeroSum) {
    RoundFacts f = lone(CallKind::Roar, 2, {2, 3, 1, 4});
    for (int s = 0; s < 4; ++s)
        f.bombs[s] = std::vector<PlayType>(20, 19);  // x14 eighty times: far beyond 64 bits
    ScoringParams p = rich(1'000'000'000, 1000);
    p.coins = {INT64_MAX, INT64_MAX, INT64_MAX, INT64_MAX};
    Scoring s = scoreRound(f, p);
    EXPECT_GT(s.seats[2].amount, 0);
    EXPECT_EQ(s.seats[2].amount, 3 * -s.seats[0].amount);
    EXPECT_EQ(s.seats[0].amount + s.seats[1].amount + s.seats[2].amount + s.seats[3].amount, 0);
}

}  // namespace
}  // namespace vexal::server
