#include "rules/arrange.h"

#include <gtest/gtest.h>

#include <functional>

#include "net/messages/play.h"
#include "tests/rules/cards.h"

namespace vexal {
namespace {

using testing::describe;
using testing::selection;

// "7d 7 6 6 5d 5d": real cards by name, wild cards by the rank they stand for.
std::string arrangedText(const std::vector<ArrangedCard>& arranged) {
    std::string text;
    for (const ArrangedCard& a : arranged) {
        text += text.empty() ? "" : " ";
        text += isWild(a.code) ? "W" + std::to_string(a.represented) : describe(a.code);
    }
    return text;
}

TEST(Arrange, WildCardsTakeTheRanksTheyStandFor) {
    struct Case {
        const char* cards;
        PlayType type;
        const char* arranged;
    };
    const Case cases[] = {
        {"7 5 5 W W W", kPlayPairRun, "7d W7 W6 W6 5d 5c"},
        {"6 6 5 5 W W", kPlayPairRun, "6d 6c 5d 5c W7 W7"},
        {"6 6 5 5 W W", kPlayTripleRun, "6d 6c W6 5d 5c W5"},
        {"3 3 5 5 W W", kPlayPairRun, "5d 5c W4 W4 3d 3c"},
        {"10 10 J J Q Q K K W W W W", kPlayPairRun, "Kd Kc Qd Qc Jd Jc 10d 10c W14 W14 W9 W9"},
        {"J J Q Q K K A A W W W W", kPlayPairRun, "Ad Ac Kd Kc Qd Qc Jd Jc W10 W10 W9 W9"},
        {"Q Q Q K K K A A A W W W", kPlayTripleRun, "Ad Ac Ah Kd Kc Kh Qd Qc Qh W11 W11 W11"},
        {"3 3 3 5 5 5 W W W", kPlayTripleRun, "5d 5c 5h W4 W4 W4 3d 3c 3h"},
        {"W", kPlaySingle, "W2"},
        {"W W BJ BJ", kPlayBombOf4, "W2 W2 W2 W2"},
        {"9 W", kPlayPair, "9d W9"},
        {"9 9 W BJ", kPlayBombOf4, "9d 9c W9 W9"},
        {"Kh 10h 5h", kPlayFiveTenKingHearts, "Kh 10h 5h"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(arrangedText(arrangePlay(c.type, selection(c.cards))), c.arranged) << c.cards;
    }
}

TEST(Arrange, WildCardsAreUsedInSelectionOrder) {
    // Big jokers come first in selection order, so the big joker fills the first gap.
    const std::vector<CardCode> sel = selection("7 5 5 W BJ W");
    const std::vector<ArrangedCard> arranged = arrangePlay(kPlayPairRun, sel);
    ASSERT_EQ(arranged.size(), 6u);
    EXPECT_EQ(cardRank(arranged[1].code), kRankBigJoker);
    EXPECT_EQ(arranged[1].represented, 7);
}

TEST(Arrange, LastPlayAndWireCards) {
    const std::vector<ArrangedCard> arranged = arrangePlay(kPlayPairRun, selection("7s 5h 5c W BJ W"));
    const LastPlay last = lastPlayOf(kPlayPairRun, arranged);
    EXPECT_EQ(last.type, kPlayPairRun);
    EXPECT_EQ(last.count, 6);
    const int32_t expected[] = {7 * 256 + 8, 17 * 256, 16 * 256, 16 * 256, 5 * 256 + 4, 5 * 256 + 2};
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(last.entries[k], expected[k]) << k;
    }
    EXPECT_EQ(last.keyRank(), 7);
    const std::vector<CardCode> wire = wireCardsOf(arranged);
    EXPECT_EQ(lowByte(wire[0]), 8);
    EXPECT_EQ(lowByte(wire[1]), 0x71);  // big joker, suit bit 1, standing for 7
    EXPECT_EQ(lowByte(wire[2]), 0x60);
    EXPECT_EQ(cardRank(wire[2]), kRankSmallJoker);
    EXPECT_EQ(cardId(wire[2]), cardId(arranged[2].code));
}

struct JudgeCase {
    const char* cards;
    PlayType lastType;
    const char* last;
    int choice;
    JudgeOutcome outcome;
    PlayType type;
};

TEST(JudgePlay, DecidesWhatPressingPlayDoes) {
    const JudgeCase cases[] = {
        {"", 1, "5", 0, JudgeOutcome::Pass, 0},
        {"", 0, "", 0, JudgeOutcome::Nothing, 0},
        {"W", 0, "", 0, JudgeOutcome::Accepted, kPlaySingle},
        {"3 4", 0, "", 0, JudgeOutcome::RuleViolation, 0},
        {"Kh 10h 5h", kPlayFiveTenKingMixed, "Kd 10c 5c", 0, JudgeOutcome::Accepted, kPlayFiveTenKingHearts},
        {"Kh 10h 5h", kPlayFiveTenKingSpades, "Ks 10s 5s", 0, JudgeOutcome::RuleViolation,
         kPlayFiveTenKingHearts},
        {"9 9 10 10 J J", kPlayPairRun, "3 3 4 4 5 5 6 6", 0, JudgeOutcome::RuleViolation, kPlayPairRun},
        {"6 6 5 5 W W", 0, "", 0, JudgeOutcome::AwaitChoice, kPlayUndecided},
        {"6 6 5 5 W W", 0, "", kSequenceChoicePairs, JudgeOutcome::Accepted, kPlayPairRun},
        {"6 6 5 5 W W", 0, "", kSequenceChoiceTriples, JudgeOutcome::Accepted, kPlayTripleRun},
        // The raised cards may change while the dialog is open: the chosen reading must still hold.
        {"3 5 9", 0, "", kSequenceChoicePairs, JudgeOutcome::RuleViolation, 0},
        {"3 3 4 4", 0, "", kSequenceChoiceTriples, JudgeOutcome::RuleViolation, 0},
        {"3 3 4 4", 0, "", kSequenceChoicePairs, JudgeOutcome::Accepted, kPlayPairRun},
        {"5 W", 0, "", kSequenceChoicePairs, JudgeOutcome::RuleViolation, 0},
    };
    for (const JudgeCase& c : cases) {
        const LastPlay last = c.lastType == 0 ? LastPlay{} : testing::lastPlay(c.lastType, c.last);
        const JudgeDecision d = judgePlay(selection(c.cards), last, c.choice, c.lastType != 0);
        EXPECT_EQ(d.outcome, c.outcome) << c.cards << " choice " << c.choice;
        EXPECT_EQ(d.type, c.type) << c.cards << " choice " << c.choice;
    }
}

TEST(CheckReceivedPlay, TrustsNothingInTheFrame) {
    // Hand ids: 3d=0 3c=1 4d=2 4c=3 9d=4 9c=5 W=6 BJ=7 Kh=8 10h=9 5h=10 5s=11 6s=12
    const std::vector<CardCode> hand = testing::cards("3d 3c 4d 4c 9d 9c W BJ Kh 10h 5h 5s 6s");
    auto frameOf = [&](std::initializer_list<int> slots, PlayType type) {
        std::vector<CardCode> sel;
        for (int s : slots) {
            sel.push_back(hand[s]);
        }
        sortSelection(sel);
        return *decodePlayFrame(*buildPlayFrame(1, type, arrangePlay(type, sel)));
    };
    const PlayFrame runPlay = frameOf({0, 1, 2, 3, 6, 7}, kPlayPairRun);  // 3 3 4 4 W BJ
    const PlayFrame pairPlay = frameOf({4, 6}, kPlayPair);                // 9 W
    auto id = [](PlayFrame& p) { (void)p; };

    struct Case {
        const char* name;
        const PlayFrame& play;
        PlayType lastType;
        const char* last;
        std::function<void(PlayFrame&)> tamper;
        PlayVerdict verdict;
    };
    const Case cases[] = {
        {"run while leading", runPlay, 0, "", id, PlayVerdict::Accepted},
        {"run as triples while leading", runPlay, 0, "",
         [](PlayFrame& p) {
             p.type = kPlayTripleRun;
             p.wildRanks = {4, 3, 0, 0};
         },
         PlayVerdict::Accepted},
        {"triples with the pairs' wild ranks", runPlay, 0, "", [](PlayFrame& p) { p.type = kPlayTripleRun; },
         PlayVerdict::WildRanksMismatch},
        {"run after a run of pairs", runPlay, kPlayPairRun, "3 3 4 4 W W", id, PlayVerdict::DoesNotBeat},
        {"undecided run needs a run type", runPlay, 0, "", [](PlayFrame& p) { p.type = kPlayBombOf4; },
         PlayVerdict::TypeMismatch},
        {"pair over 8 8", pairPlay, kPlayPair, "8 8", id, PlayVerdict::Accepted},
        {"pair over 10 10", pairPlay, kPlayPair, "10 10", id, PlayVerdict::DoesNotBeat},
        {"pair declared single", pairPlay, kPlayPair, "8 8", [](PlayFrame& p) { p.type = kPlaySingle; },
         PlayVerdict::TypeMismatch},
        {"card not held", pairPlay, kPlayPair, "8 8", [](PlayFrame& p) { p.cardIds[0] = 99; },
         PlayVerdict::CardNotHeld},
        {"card named twice", pairPlay, 0, "",
         [](PlayFrame& p) {
             p.cardIds = {4, 4};
             p.wildCount = 0;
         },
         PlayVerdict::CardNotHeld},
        {"wild count hidden", pairPlay, kPlayPair, "8 8", [](PlayFrame& p) { p.wildCount = 0; },
         PlayVerdict::WildCountMismatch},
        {"wild rank changed", pairPlay, kPlayPair, "8 8", [](PlayFrame& p) { p.wildRanks[0] = 14; },
         PlayVerdict::WildRanksMismatch},
        {"no play", pairPlay, 0, "",
         [](PlayFrame& p) {
             p.cardIds = {0, 4};
             p.wildCount = 0;
         },
         PlayVerdict::NotAPlay},
        {"pass while following", pairPlay, kPlayPair, "8 8",
         [](PlayFrame& p) {
             p = PlayFrame{};
             p.pass = true;
         },
         PlayVerdict::Accepted},
        {"pass while leading", pairPlay, 0, "",
         [](PlayFrame& p) {
             p = PlayFrame{};
             p.pass = true;
         },
         PlayVerdict::PassWhileLeading},
    };
    for (const Case& c : cases) {
        PlayFrame play = c.play;
        c.tamper(play);
        const LastPlay last = c.lastType == 0 ? LastPlay{} : testing::lastPlay(c.lastType, c.last);
        const PlayCheck check = checkReceivedPlay(play, hand, last);
        EXPECT_EQ(check.verdict, c.verdict) << c.name;
    }

    const PlayCheck accepted = checkReceivedPlay(runPlay, hand, LastPlay{});
    ASSERT_EQ(accepted.verdict, PlayVerdict::Accepted);
    EXPECT_EQ(accepted.type, kPlayPairRun);
    EXPECT_EQ(accepted.next.type, kPlayPairRun);
    EXPECT_EQ(accepted.next.count, 6);
    EXPECT_EQ(accepted.next.keyRank(), 4);
    EXPECT_EQ(arrangedText(accepted.arranged), "4d 4c 3d 3c W5 W5");
}

}  // namespace
}  // namespace vexal
