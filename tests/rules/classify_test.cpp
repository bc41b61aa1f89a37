#include "rules/classify.h"

#include <gtest/gtest.h>

#include "tests/rules/cards.h"

namespace vexal {
namespace {

using testing::selection;

TEST(SelectionOrder, HighestRankFirstEqualRanksInHandOrder) {
    std::vector<CardCode> codes = testing::cards("5h 9 5s BJ 5d W 2c");
    sortSelection(codes);
    EXPECT_EQ(testing::describe(codes), "BJ SJ 2c 9d 5h 5s 5d");

    std::vector<SelectedCard> raised;
    for (const CardCode c : testing::cards("5h 9 5s 5d")) {
        raised.push_back({c, 20 + static_cast<int>(raised.size())});
    }
    sortSelection(raised);
    std::vector<int> images;
    for (const SelectedCard& s : raised) {
        images.push_back(s.image);
    }
    EXPECT_EQ(images, (std::vector<int>{21, 20, 22, 23}));

    const CurrentPlay play = currentPlayOf(kPlayTriple, selection("5 5 5"));
    EXPECT_EQ(play.type, kPlayTriple);
    EXPECT_EQ(play.count, 3);
    EXPECT_EQ(cardRank(play.cards[2]), 5);
}

struct ClassifyCase {
    const char* cards;
    PlayType lastType;
    PlayType expected;
};

TEST(ClassifyPlay, TypesOfSelections) {
    const ClassifyCase cases[] = {
        {"W", 0, kPlaySingle},
        {"2s", 0, kPlaySingle},
        {"W 5", 0, kPlayPair},
        {"W BJ", 0, kPlayPair},
        {"2s 2h", 0, kPlayPair},
        {"3 4", 0, kPlayNone},
        {"9 9 W", 0, kPlayTriple},
        {"Kd 10d 5d", 0, kPlayFiveTenKingDiamonds},
        {"Kc 10c 5c", 0, kPlayFiveTenKingClubs},
        {"Kh 10h 5h", 0, kPlayFiveTenKingHearts},
        {"Ks 10s 5s", 0, kPlayFiveTenKingSpades},
        {"Kd 10d 5c", 0, kPlayFiveTenKingMixed},
        {"5s 10h Kd", 0, kPlayFiveTenKingMixed},
        {"W K 10", 0, kPlayNone},  // a wild card never completes a 5-10-K
        {"K 10 10", 0, kPlayNone},
        {"3 3 4 4", 0, kPlayPairRun},
        {"3 3 5 5", 0, kPlayNone},
        {"3 3 5 5 W W", 0, kPlayPairRun},
        {"3 3 4 W", 0, kPlayPairRun},
        {"2s 2h 3 3", 0, kPlayNone},  // a "2" never runs
        {"A A 2 2 W W", 4, kPlayNone},
        {"Q Q K K A A", 0, kPlayPairRun},
        {"3 3 6 6 W W W W", 0, kPlayPairRun},  // four wild cards bridge two missing ranks
        {"3 3 7 7 W W W W", 0, kPlayNone},
        {"3 3 4 4 W", 0, kPlayNone},
        {"3 3 3 4 4 4", 0, kPlayTripleRun},
        {"3 3 3 4 4 4", 4, kPlayTripleRun},
        {"3 3 3 5 5 5 W W W", 0, kPlayTripleRun},
        {"3 3 3 5 5 5 W W", 0, kPlayNone},
        {"3 3 3 3 4 4", 0, kPlayNone},  // a group larger than the run's groups
        {"10 10 J J Q Q K K A A", 0, kPlayPairRun},
        {"5 5 5 5", 0, kPlayBombOf4},
        {"5 5 W W", 0, kPlayBombOf4},
        {"W W BJ BJ", 0, kPlayBombOf4},
        {"5 5 5 5 5", 0, 12},
        {"5 5 W W W", 0, 12},
        {"2 2 2 2 2 2 2", 0, 14},
        {"9 9 9 9 9 9 9 9 W W W BJ", 0, kPlayBombOf12},
        {"9 9 9 9 9 9 9 8", 0, kPlayNone},
        // 6 and 12 cards that read both ways: asked while leading, taken from the run on the table.
        {"6 6 5 5 W W", 0, kPlayUndecided},
        {"6 6 5 5 W W", 4, kPlayPairRun},
        {"6 6 5 5 W W", 5, kPlayTripleRun},
        {"6 6 5 5 W W", 1, kPlayNone},
        {"6 5 W W W W", 0, kPlayUndecided},
        {"5 5 6 6 7 7 8 8 W W W W", 0, kPlayUndecided},
        {"5 5 6 6 7 7 8 8 W W W W", 5, kPlayTripleRun},
        {"5 5 6 6 7 7 8 8 W W W W", 11, kPlayNone},
        {"5 5 6 6 7 7 8 8 9 9 10 10", 0, kPlayPairRun},
        {"3 3 4 4 5 5 6 6 7 7 8 8 9 9", 0, kPlayPairRun},
        {"3 3 3 4 4 4 5 5 5 6 6 6 7 7 7", 0, kPlayTripleRun},
        {"3 3 4 4 5 5 6 6 7 7 8 8 9 9 10 10 J J Q Q K K A A", 0, kPlayPairRun},
        {"3 3 3 4 4 4 5 5 5 6 6 6 7 7 7 8 8 8 9 9 9 10 10 10", 0, kPlayTripleRun},
        {"3 3 3 4 4 4 5 5 5 6 6 6 7 7 7 8 8 8 9 9 9 10 10 10 J J J", 0, kPlayNone},  // 27 cards
        {"3 3 4 4 5 5 6 6 7 7 8 8 9", 0, kPlayNone},                                 // 13 cards
    };
    for (const ClassifyCase& c : cases) {
        EXPECT_EQ(ClassifyPlay(c.lastType, selection(c.cards)), c.expected)
            << c.cards << " after type " << c.lastType;
    }
    EXPECT_EQ(ClassifyPlay(0, {}), kPlayNone);
}

TEST(CheckSequence, WildCardBudget) {
    struct Case {
        const char* cards;
        RunMode mode;
        bool expected;
    };
    const Case cases[] = {
        {"3 3 W W", RunMode::Pairs, true},  // the leftover pair extends the run
        {"3 3 W", RunMode::Pairs, false},   // one wild card cannot make a whole pair
        {"3 3 3 W W W", RunMode::Triples, true},
        {"3 3 3 W W", RunMode::Triples, false},
        {"3 3 3 W W W W", RunMode::Triples, false},
        {"W W W W", RunMode::Pairs, false},  // no real card
        {"4 4 7 7 W W W W", RunMode::Pairs, true},
        {"4 4 5 7 7 W W W", RunMode::Pairs, true},
        {"4 4 4 6 6 6 W W", RunMode::Triples, false},
        {"4 4 4 5 6 6 6 W W", RunMode::Triples, true},
        {"K K A A 2 2", RunMode::Pairs, false},
        {"3 3 4 4 5 5 6 6 7 7 8 8 9 9 10 10 J J Q Q K K A A W", RunMode::Pairs, false},  // 25 cards
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckSequence(c.mode, selection(c.cards)), c.expected)
            << c.cards << (c.mode == RunMode::Pairs ? " as pairs" : " as triples");
    }
}

struct BeatCase {
    const char* mine;
    PlayType lastType;
    const char* last;
    bool expected;
};

TEST(BeatsLastPlay, ComparesWithThePlayOnTheTable) {
    const BeatCase cases[] = {
        // A wild key card never wins, and is beaten by any real one.
        {"W", kPlaySingle, "3", false},
        {"3", kPlaySingle, "W", true},
        {"BJ", kPlaySingle, "W", false},
        {"2s", kPlaySingle, "A", true},
        {"A", kPlaySingle, "2s", false},
        {"9h", kPlaySingle, "9s", false},
        {"W W", kPlayPair, "3 3", false},
        {"3 3", kPlayPair, "W BJ", true},
        {"W 5", kPlayPair, "4 4", true},
        {"W 4", kPlayPair, "4 4", false},
        {"5 5", kPlayPair, "W 4", true},
        {"6 6 6", kPlayTriple, "5 5 W", true},
        {"6 6", kPlayTriple, "5 5 5", false},
        // Anything from a 5-10-K up beats singles, pairs, triples and runs.
        {"Kd 10c 5c", kPlaySingle, "2s", true},
        {"Kd 10c 5c", kPlayPairRun, "Q Q K K A A", true},
        {"3 3 3 3", kPlayTripleRun, "3 3 3 4 4 4", true},
        {"3 3 4 4", kPlaySingle, "5", false},
        // 5-10-K graded by suit; equal grades never beat each other.
        {"Ks 10s 5s", kPlayFiveTenKingHearts, "Kh 10h 5h", true},
        {"Ks 10s 5s", kPlayFiveTenKingSpades, "Ks 10s 5s", false},
        {"Kd 10c 5c", kPlayFiveTenKingMixed, "Kd 10d 5c", false},
        {"Kd 10d 5d", kPlayFiveTenKingMixed, "Kd 10d 5c", true},
        {"A A A A A", kPlayFiveTenKingSpades, "Ks 10s 5s", true},
        {"3 3 3 3", kPlayFiveTenKingSpades, "Ks 10s 5s", true},
        {"2 2 2", kPlayFiveTenKingMixed, "Kd 10c 5c", false},
        // Bombs: bigger beats smaller whatever the ranks; equal sizes go by rank.
        {"3 3 3 3 3", kPlayBombOf4, "2 2 2 2", true},
        {"3 3 3 3", kPlayBombOf4, "A A A A", false},
        {"A A A A", kPlayBombOf4, "3 3 3 3", true},
        {"9 9 W W", kPlayBombOf4, "8 8 8 8", true},
        {"8 8 W W", kPlayBombOf4, "8 8 8 8", false},
        {"3 3 3 3", kPlayBombOf4, "W W W BJ", true},
        {"W W BJ BJ", kPlayBombOf4, "3 3 3 3", false},
        {"2 2 2 2", 12, "3 3 3 3 3", false},
        {"Kd 10d 5d", kPlayBombOf4, "3 3 3 3", false},
        // Runs: same kind, same length, higher top real rank.
        {"K K A A", kPlayPairRun, "Q Q K K", true},
        {"J J Q Q K K", kPlayPairRun, "Q Q K K A A", false},
        {"Q Q K K A A", kPlayPairRun, "Q Q K K A A", false},
        {"9 9 10 10 J J", kPlayPairRun, "3 3 4 4 5 5 6 6", false},  // 6 cards after 8
        {"3 3 4 4 5 5 6 6", kPlayPairRun, "9 9 10 10 J J", false},
        {"4 4 5 5 W W", kPlayPairRun, "3 3 4 4 5 5", false},  // the wild top does not count
        {"5 5 6 6 W W", kPlayPairRun, "3 3 4 4 5 5", true},
        {"6 6 6 7 7 7", kPlayTripleRun, "3 3 3 4 4 4", true},
        {"6 6 6 7 7 7", kPlayPairRun, "3 3 4 4 5 5", false},
    };
    for (const BeatCase& c : cases) {
        const LastPlay last = testing::lastPlay(c.lastType, c.last);
        std::vector<CardCode> mine = selection(c.mine);
        const PlayType type = ClassifyPlay(c.lastType, mine);
        EXPECT_EQ(BeatsLastPlay(mine, type, last), c.expected)
            << c.mine << " (type " << type << ") over " << c.last << " (type " << c.lastType << ")";
    }
}

TEST(BeatsLastPlay, NothingToBeatIsFalse) {
    for (PlayType lastType : {-1, 0, 20, 100}) {
        LastPlay last = testing::lastPlay(kPlaySingle, "3");
        last.type = lastType;
        EXPECT_FALSE(BeatsLastPlay(selection("2s"), kPlaySingle, last)) << lastType;
    }
}

TEST(PlayTypeName, EveryTypeAndTheNumbersAround) {
    const std::pair<PlayType, const char*> cases[] = {
        {kPlayNone, "过"},           {kPlaySingle, "单张"},          {kPlayPairRun, "连对"},
        {kPlayTripleRun, "三连"},    {kPlayFiveTenKingMixed, "五十K"}, {kPlayFiveTenKingSpades, "黑桃五十K"},
        {kPlayBombOf4, "四张炸弹"}, {bombType(7), "七张炸弹"},       {kPlayBombOf12, "十二张炸弹"},
        {kPlayUndecided, "?"},       {kPlayBombOf12 + 1, "?"},
    };
    for (const auto& [type, name] : cases)
        EXPECT_EQ(playTypeName(type), name) << type;
}

TEST(SequenceChoice, OptionTextsShowBothRuns) {
    struct Case {
        const char* cards;
        const char* pairs;
        const char* triples;
    };
    const Case cases[] = {
        {"6 6 5 5 W W", "556677", "555666"},
        {"A A K K W W", "121213131414", "131313141414"},
        {"2 2 3 3 W W", "", ""},
        // Three or four wild cards: the lines still show the runs the cards make.
        {"6 5 W W W W", "556677", "555666"},
        {"5 5 6 W W W", "556677", "555666"},
        {"5 5 6 6 7 7 8 8 W W W W", "55667788991010", "555666777888"},
        {"10 10 J J Q Q K K W W W W", "99101011111212131314 14", "101010111111121212131313"},
        {"J J Q Q K K A A W W W W", "99101011111212131314 14", "111111121212131313141414"},
    };
    for (const Case& c : cases) {
        std::string pairs = c.pairs;
        std::erase(pairs, ' ');
        const auto texts = sequenceChoiceTexts(selection(c.cards));
        EXPECT_EQ(texts[0], pairs) << c.cards;
        EXPECT_EQ(texts[1], c.triples) << c.cards;
    }
}

}  // namespace
}  // namespace vexal
