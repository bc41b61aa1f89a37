#include "rules/hint.h"

#include <gtest/gtest.h>

#include "tests/rules/cards.h"

namespace vexal {
namespace {

struct HintCase {
    const char* name;
    const char* hand;
    PlayType lastType;
    const char* last;
    const char* proposal;  // sorted by rank and suit; empty for a pass
};

std::string proposalText(const Hand& hand, const HintResult& hint) {
    std::vector<CardCode> picked;
    for (int slot : hint.slots) {
        picked.push_back(hand.codes[slot]);
    }
    return testing::sortedText(picked);
}

TEST(Hint, ProposesTheCheapestPlayThatBeats) {
    const HintCase cases[] = {
        {"exact singleton first", "3 Jh Js 10d 4", kPlaySingle, "9", "10d"},
        {"exact singleton above a pair", "10h 10d Jc 3", kPlaySingle, "9", "Jc"},
        {"lowest rank when no singleton beats", "10h 10d Jc Jd 3", kPlaySingle, "9", "10d"},
        {"a wild single is beaten by the lowest singleton", "3 5 5 9", kPlaySingle, "W", "3d"},
        {"wild cards make a bomb rather than a single", "W BJ 3 3", kPlaySingle, "5", "BJ SJ 3c 3d"},
        {"pair from a wild card and a lone card", "3 3 Q W 7 4", kPlayPair, "8 8", "SJ Qd"},
        {"exact pair before a broken triple", "9 9 9 J J", kPlayPair, "8 8", "Jc Jd"},
        {"broken triple before a wild card", "9h 9d 9s J W", kPlayPair, "8 8", "9h 9d"},
        {"triple from two and a wild card", "6 6 W 3", kPlayTriple, "5 5 5", "SJ 6c 6d"},
        {"triple from one and two wild cards", "7 W BJ 3", kPlayTriple, "5 5 5", "BJ SJ 7d"},
        {"exact triple first", "8 8 8 6 6 W", kPlayTriple, "5 5 5", "8h 8c 8d"},
        {"four of a kind only as a bomb", "7h 7d 7c 7s 3", kPlaySingle, "6", "7s 7h 7c 7d"},
        {"first window that beats", "6 6 7 7 3 9", kPlayPairRun, "4 4 5 5", "7c 7d 6c 6d"},
        {"two wild cards and a pair are a bomb, not a run", "6 6 W W 9 J", kPlayPairRun, "4 4 5 5",
         "SJ SJ 6c 6d"},
        {"run of pairs from the lowest rank", "3 3 4 4 5 5", kPlayPairRun, "3 3 4 4 W W",
         "5c 5d 4c 4d 3c 3d"},
        {"four pairs from the lowest rank", "3 3 4 4 5 5 6 6", kPlayPairRun, "3 3 4 4 W W BJ BJ",
         "6c 6d 5c 5d 4c 4d 3c 3d"},
        {"exact run of triples", "5 5 5 6 6 6 3", kPlayTripleRun, "3 3 3 4 4 4", "6h 6c 6d 5h 5c 5d"},
        {"run of triples from the lowest rank", "3 3 3 4 4 4 5 5 5", kPlayTripleRun, "3 3 3 4 4 4 W W W",
         "5h 5c 5d 4h 4c 4d 3h 3c 3d"},
        {"run of triples with wild cards", "7 7 8 8 W W 3", kPlayTripleRun, "3 3 3 4 4 4",
         "SJ SJ 8c 8d 7c 7d"},
        {"wild cards and one rank are a bomb, not a run: 5-10-K first", "W W 7 7 Kh 10c 5s", kPlayPairRun,
         "4 4 5 5", "Kh 10c 5s"},
        {"wild cards fill the next window that is a run", "W W 6 6 7", kPlayPairRun, "4 4 5 5",
         "SJ 7d 6c 6d"},
        {"mixed 5-10-K before a suited one", "Kd 10d 5d Kc 3", kPlaySingle, "2", "Kc 10d 5d"},
        {"suited 5-10-K when no mixed one is held", "Kd 10d 5d 3", kPlayPair, "2 2", "Kd 10d 5d"},
        {"5-10-K of the next suit up", "Ks 10s 5s Kh 10h 5h Kc 10c 5c", kPlayFiveTenKingDiamonds, "Kd 10d 5d",
         "Kc 10c 5c"},
        {"5-10-K skips suits it lacks", "Ks 10s 5s Kh 10h 5h Kc 10c 5d", kPlayFiveTenKingDiamonds,
         "Kd 10d 5d", "Kh 10h 5h"},
        {"mixed 5-10-K over a single", "Kh 10c 5s 3", kPlaySingle, "2", "Kh 10c 5s"},
        {"same-size bomb", "J J J J J 3", 12, "9 9 9 9 9", "Js Jh Jc Jd Jd"},
        {"bigger bomb", "4 4 4 4 4 4 3", 12, "9 9 9 9 9", "4s 4h 4c 4c 4d 4d"},
        {"a bomb of wild cards is beaten by any rank", "3 3 3 3 8", kPlayBombOf4, "W W BJ BJ", "3s 3h 3c 3d"},
        {"bomb with a wild card", "8 8 8 W 3", kPlayBombOf4, "7 7 7 7", "SJ 8h 8c 8d"},
        {"four wild cards bomb a single", "W W BJ BJ", kPlaySingle, "2", "BJ BJ SJ SJ"},
        {"four wild cards bomb a 5-10-K", "W W BJ BJ", kPlayFiveTenKingSpades, "Ks 10s 5s", "BJ BJ SJ SJ"},
        {"four wild cards and a card outsize a bomb of four", "W W BJ BJ 3", kPlayBombOf4, "9 9 9 9",
         "BJ BJ SJ SJ 3d"},
        {"four wild cards never beat a bomb of four", "W W BJ BJ", kPlayBombOf4, "3 3 3 3", ""},
        {"nothing beats: pass", "3 4 5 6", kPlaySingle, "2", ""},
        {"nothing beats a 12-card bomb", "2 2 2 2 2 2 2 W W W", kPlayBombOf12, "3 3 3 3 3 3 3 3 W W W BJ",
         ""},
    };
    for (const HintCase& c : cases) {
        const Hand hand = testing::hand(c.hand);
        const HintResult hint = hintSearch(hand.cards(), testing::lastPlay(c.lastType, c.last));
        EXPECT_EQ(hint.pass, std::string(c.proposal).empty()) << c.name;
        EXPECT_EQ(proposalText(hand, hint), c.proposal) << c.name;
    }
}

TEST(Hint, TakesCopiesSuitBySuitFromTheRightEnd) {
    // Two 10s of diamonds: the first copy is the one nearer the right end of the hand.
    const Hand hand = testing::hand("10d 10s 3 10d");
    const HintResult hint = hintSearch(hand.cards(), testing::lastPlay(kPlayPair, "9 9"));
    EXPECT_EQ(hint.slots, (std::vector<int>{3, 0}));
}

TEST(Hint, NeverProposesARunWhoseTopIsOnlyWildCards) {
    // After 3 3 4 4 5 5 the window 4-6 could be filled as 4 4 5 5 and two wild cards for 6, but the
    // comparison keys on the highest real rank (5) and refuses it. The hint moves on to the bombs.
    const Hand hand = testing::hand("4 4 5 5 W W 9");
    const LastPlay last = testing::lastPlay(kPlayPairRun, "3 3 4 4 5 5");
    const HintResult hint = hintSearch(hand.cards(), last);
    ASSERT_FALSE(hint.pass);
    EXPECT_EQ(proposalText(hand, hint), "SJ SJ 4c 4d");

    // A window whose top is wild still qualifies when a real rank below it beats the key.
    // After 3 3 4 4 and two wild cards for 5 5 (key 4), 4 4 5 5 with wild cards for 6 beats on its 5.
    const Hand lower = testing::hand("4 4 5 5 W W 9");
    const HintResult wildTop = hintSearch(lower.cards(), testing::lastPlay(kPlayPairRun, "3 3 4 4 W W"));
    EXPECT_EQ(proposalText(lower, wildTop), "SJ SJ 5c 5d 4c 4d");
}

TEST(Hint, NothingToBeatMeansNoProposal) {
    const Hand hand = testing::hand("3 4 5");
    EXPECT_TRUE(hintSearch(hand.cards(), LastPlay{}).pass);
    EXPECT_TRUE(hintSearch(hand.cards(), LastPlay{}).slots.empty());
}

}  // namespace
}  // namespace vexal
