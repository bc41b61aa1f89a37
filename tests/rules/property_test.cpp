// Properties over many seeded random deals: hints are always legal, runs arrange into whole
// groups, the two sorts undo each other, and no play beats its own copy.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "net/messages/play.h"
#include "rules/arrange.h"
#include "rules/hint.h"
#include "rules/sort.h"
#include "tests/rules/cards.h"

namespace vexal {
namespace {

using testing::describe;

std::vector<CardCode> deck() {
    const auto cards = doubleDeck();
    return {cards.begin(), cards.end()};
}

std::vector<CardCode> randomHand(std::mt19937& rng) {
    std::vector<CardCode> cards = deck();
    std::shuffle(cards.begin(), cards.end(), rng);
    cards.resize(kHandSlots);
    return cards;
}

int pick(std::mt19937& rng, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(rng);
}

// A random legal play of every kind, built from its own deck so it can use any card.
std::vector<CardCode> randomPlay(std::mt19937& rng) {
    const std::vector<CardCode> all = deck();
    auto card = [&](int rank, int copy) {
        if (rank >= kRankSmallJoker) {
            return all[53 * copy + 52 + (rank - kRankSmallJoker) + copy];
        }
        const int suit = pick(rng, 0, 3);
        return all[54 * copy + suit * 13 + rank - kRankLowest];
    };
    std::vector<CardCode> play;
    int wild = pick(rng, 0, 2) == 0 ? pick(rng, 1, 4) : 0;
    switch (pick(rng, 0, 7)) {
        case 0:
            play.push_back(card(pick(rng, 3, 17), 0));
            wild = 0;
            break;
        case 1:
        case 2: {
            const int size = pick(rng, 2, 3);
            const int rank = pick(rng, 3, 15);
            wild = std::min(wild, size - 1);
            for (int i = 0; i < size - wild; ++i) {
                play.push_back(card(rank, i % 2));
            }
            break;
        }
        case 3:
        case 4: {
            const int g = pick(rng, 2, 3);
            const int groups = g == 2 ? pick(rng, 2, 8) : pick(rng, 2, 5);
            const int start = pick(rng, 3, 15 - groups);
            for (int r = start; r < start + groups; ++r) {
                for (int i = 0; i < g; ++i) {
                    play.push_back(card(r, i % 2));
                }
            }
            std::shuffle(play.begin(), play.end(), rng);
            wild = std::min<int>(wild, static_cast<int>(play.size()) - 1);
            play.resize(play.size() - wild);
            break;
        }
        case 5: {
            const int suits = pick(rng, 0, 1);
            const int s = pick(rng, 0, 3);
            for (int rank : {5, 10, 13}) {
                play.push_back(makeCard(rank, 1 << (suits == 0 ? s : pick(rng, 0, 3)), 20 + rank));
            }
            wild = 0;
            break;
        }
        default: {
            const int rank = pick(rng, 3, 15);
            const int real = pick(rng, 1, 8);
            for (int i = 0; i < real; ++i) {
                play.push_back(makeCard(rank, 1 << (i % 4), 60 + i));
            }
            wild = std::max(wild, 4 - real);
            break;
        }
    }
    for (int i = 0; i < wild; ++i) {
        play.push_back(makeCard(i % 2 == 0 ? kRankSmallJoker : kRankBigJoker, i % 2, 100 + i));
    }
    sortSelection(play);
    return play;
}

// The play a seat left on the table: a random play that classifies, undecided runs settled at random.
LastPlay randomLastPlay(std::mt19937& rng) {
    for (;;) {
        const std::vector<CardCode> play = randomPlay(rng);
        PlayType type = ClassifyPlay(kPlayNone, play);
        if (type == kPlayUndecided) {
            type = pick(rng, 0, 1) == 0 ? kPlayPairRun : kPlayTripleRun;
        }
        if (type > 0) {
            return lastPlayOf(type, arrangePlay(type, play));
        }
    }
}

std::string lastText(const LastPlay& last) {
    std::string text = "type " + std::to_string(last.type) + ":";
    for (int k = 0; k < last.count; ++k) {
        text += " " + std::to_string(last.entries[k] >> 8);
    }
    return text;
}

TEST(RulesProperty, EveryHintIsAPlayThatBeatsTheLastPlay) {
    std::mt19937 rng(20261210);
    int proposals = 0;
    for (int round = 0; round < 4000; ++round) {
        const std::vector<CardCode> hand = randomHand(rng);
        const LastPlay last = randomLastPlay(rng);
        const HintResult hint = hintSearch(hand, last);
        if (hint.pass) {
            continue;
        }
        ++proposals;
        std::vector<CardCode> picked;
        std::vector<int> slots = hint.slots;
        std::sort(slots.begin(), slots.end());
        ASSERT_TRUE(std::adjacent_find(slots.begin(), slots.end()) == slots.end()) << "a slot proposed twice";
        for (int slot : hint.slots) {
            ASSERT_TRUE(slot >= 0 && slot < kHandSlots);
            picked.push_back(hand[slot]);
        }
        sortSelection(picked);
        const PlayType type = ClassifyPlay(last.type, picked);
        const std::string context =
            describe(picked) + " against " + lastText(last) + " from " + describe(hand);
        ASSERT_GT(type, 0) << context;
        ASSERT_TRUE(BeatsLastPlay(picked, type, last)) << context;

        // The same play through the client's decision, the frame and the server's check.
        const JudgeDecision decision = judgePlay(picked, last, kSequenceChoiceNone, true);
        ASSERT_EQ(decision.outcome, JudgeOutcome::Accepted) << context;
        const auto frame = buildPlayFrame(1, decision.type, arrangePlay(decision.type, picked));
        ASSERT_TRUE(frame.has_value()) << context;
        const auto received = decodePlayFrame(*frame);
        ASSERT_TRUE(received.has_value()) << context;
        std::vector<CardCode> shuffled = hand;
        std::shuffle(shuffled.begin(), shuffled.end(), rng);
        EXPECT_EQ(checkReceivedPlay(*received, shuffled, last).verdict, PlayVerdict::Accepted) << context;
    }
    // The deals must give the search real work, not mostly passes.
    EXPECT_GT(proposals, 1000);
}

TEST(RulesProperty, ArrangedRunsAreWholeConsecutiveGroups) {
    std::mt19937 rng(7);
    int runs = 0;
    for (int round = 0; round < 20000; ++round) {
        const std::vector<CardCode> play = randomPlay(rng);
        for (PlayType type : {kPlayPairRun, kPlayTripleRun}) {
            if (!CheckSequence(type == kPlayPairRun ? RunMode::Pairs : RunMode::Triples, play)) {
                continue;
            }
            ++runs;
            const int g = type == kPlayPairRun ? 2 : 3;
            const std::vector<ArrangedCard> arranged = arrangePlay(type, play);
            ASSERT_EQ(arranged.size(), play.size());
            std::map<int, int> groups;
            for (const ArrangedCard& a : arranged) {
                ++groups[isWild(a.code) ? a.represented : cardRank(a.code)];
            }
            const std::string context = describe(play) + (g == 2 ? " as pairs" : " as triples");
            ASSERT_GE(groups.begin()->first, kRankLowest) << context;
            ASSERT_LE(groups.rbegin()->first, kRankAce) << context;
            int expected = groups.begin()->first;
            for (auto [rank, size] : groups) {
                ASSERT_EQ(rank, expected++) << context;
                ASSERT_EQ(size, g) << context;
            }
            // The key of the play left on the table is its highest real rank.
            int top = 0;
            for (CardCode c : play) {
                top = std::max(top, isWild(c) ? 0 : cardRank(c));
            }
            EXPECT_EQ(lastPlayOf(type, arranged).keyRank(), top) << context;
        }
    }
    EXPECT_GT(runs, 2000);
}

TEST(RulesProperty, SortsByCountAndBySizeUndoEachOther) {
    std::mt19937 rng(99);
    for (int round = 0; round < 2000; ++round) {
        const std::vector<CardCode> cards = randomHand(rng);
        const int count = pick(rng, 1, kHandSlots);
        Hand hand;
        std::copy(cards.begin(), cards.end(), hand.codes.begin());
        hand.count = static_cast<int16_t>(count);
        ASSERT_TRUE(SortbyBig(hand, count));
        std::vector<std::pair<int, int>> first;
        for (int i = 0; i < count; ++i) {
            first.emplace_back(cardRank(hand.codes[i]), suitBit(hand.codes[i]));
            if (i > 0) {
                ASSERT_GE(sortbyBigKey(hand.codes[i - 1]), sortbyBigKey(hand.codes[i]));
            }
        }
        ASSERT_TRUE(SortbyNum(hand, count));
        ASSERT_TRUE(SortbyBig(hand, count));
        std::vector<std::pair<int, int>> again;
        for (int i = 0; i < count; ++i) {
            again.emplace_back(cardRank(hand.codes[i]), suitBit(hand.codes[i]));
        }
        ASSERT_EQ(again, first) << describe(hand.cards());
        // Slots the sort was not asked about are untouched.
        for (int i = count; i < kHandSlots; ++i) {
            ASSERT_EQ(hand.codes[i], cards[i]);
        }
    }
}

TEST(RulesProperty, NoPlayBeatsItsOwnCopyAndBeatingIsOneWay) {
    std::mt19937 rng(4242);
    for (int round = 0; round < 20000; ++round) {
        const LastPlay a = randomLastPlay(rng);
        const LastPlay b = randomLastPlay(rng);
        auto cardsOf = [](const LastPlay& p) {
            std::vector<CardCode> cards;
            for (int k = 0; k < p.count; ++k) {
                cards.push_back(static_cast<CardCode>(p.entries[k]));
            }
            sortSelection(cards);
            return cards;
        };
        const std::vector<CardCode> ca = cardsOf(a);
        const std::vector<CardCode> cb = cardsOf(b);
        ASSERT_FALSE(BeatsLastPlay(ca, a.type, a)) << lastText(a);
        ASSERT_FALSE(BeatsLastPlay(ca, a.type, b) && BeatsLastPlay(cb, b.type, a))
            << lastText(a) << " and " << lastText(b);
    }
}

TEST(RulesProperty, ServerAcceptsOnlyHeldCardsThatMakeTheDeclaredPlay) {
    std::mt19937 rng(31337);
    int accepted = 0;
    for (int round = 0; round < 20000; ++round) {
        const std::vector<CardCode> hand = randomHand(rng);
        const LastPlay last = pick(rng, 0, 2) == 0 ? LastPlay{} : randomLastPlay(rng);
        // An honest play of some held cards, then a random lie about it, or random bytes.
        std::vector<CardCode> sel(hand.begin(), hand.begin() + pick(rng, 1, 6));
        sortSelection(sel);
        PlayType type = ClassifyPlay(last.type, sel);
        if (type == kPlayUndecided) {
            type = kPlayTripleRun;
        }
        const auto built = buildPlayFrame(1, std::max(type, 1), arrangePlay(type, sel));
        ASSERT_TRUE(built.has_value());
        CommandFrame frame = *built;
        switch (pick(rng, 0, 4)) {
            case 0:
                break;
            case 1:
                frame[18] = static_cast<uint8_t>(pick(rng, 0, 20));
                break;
            case 2:
                frame[20 + pick(rng, 0, frame[17] - 1)] = static_cast<uint8_t>(pick(rng, 0, 107));
                break;
            case 3:
                frame[45 + 4 * pick(rng, 0, 3)] = static_cast<uint8_t>(pick(rng, 0, 15));
                break;
            default:
                for (size_t at = 15; at < 60; ++at) {
                    frame[at] = static_cast<uint8_t>(pick(rng, 0, 255));
                }
                frame[15] = 2;
                frame[17] = static_cast<uint8_t>(pick(rng, 1, 8));
                frame[19] = static_cast<uint8_t>(pick(rng, 0, 4));
                break;
        }
        const auto play = decodePlayFrame(frame);
        if (!play) {
            continue;
        }
        const PlayCheck check = checkReceivedPlay(*play, hand, last);
        if (check.verdict != PlayVerdict::Accepted || play->pass) {
            continue;
        }
        ++accepted;
        std::vector<CardCode> held;
        for (uint8_t id : play->cardIds) {
            const auto it =
                std::find_if(hand.begin(), hand.end(), [&](CardCode c) { return cardId(c) == id; });
            ASSERT_NE(it, hand.end());
            held.push_back(*it);
        }
        std::vector<uint8_t> ids = play->cardIds;
        std::sort(ids.begin(), ids.end());
        ASSERT_TRUE(std::adjacent_find(ids.begin(), ids.end()) == ids.end());
        sortSelection(held);
        const PlayType classified = ClassifyPlay(last.type, held);
        ASSERT_TRUE(classified == play->type || classified == kPlayUndecided) << describe(held);
        ASSERT_EQ(check.type, play->type);
        if (last.type != kPlayNone) {
            ASSERT_TRUE(BeatsLastPlay(held, play->type, last))
                << describe(held) << " over " << lastText(last);
        }
        ASSERT_EQ(check.next.count, static_cast<int>(held.size()));
    }
    EXPECT_GT(accepted, 300);  // the honest plays must get through, not only the lies be refused
}

}  // namespace
}  // namespace vexal
