// The hint against brute force: small hands, every subset of the hand tried as a play with the same
// classification and comparison that play validation and the server's check apply.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <vector>

#include "rules/arrange.h"
#include "rules/hint.h"
#include "tests/rules/cards.h"

namespace vexal {
namespace {

using testing::describe;

int pick(std::mt19937& rng, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(rng);
}

// The cards small deals are drawn from: a few neighbouring ranks (so runs and bombs occur), often
// from the lowest rank up, often with the 5, 10 and K as well; and the four wild cards.
struct Pool {
    std::vector<CardCode> real;
    std::vector<CardCode> wild;
};

Pool randomPool(std::mt19937& rng) {
    const int width = pick(rng, 1, 4);
    const int low = pick(rng, 0, 2) == 0 ? kRankLowest : pick(rng, kRankLowest, kRankTwo - width + 1);
    const bool pointCards = pick(rng, 0, 2) == 0;
    Pool pool;
    for (CardCode c : doubleDeck()) {
        const int r = cardRank(c);
        const bool inBand = r >= low && r < low + width;
        const bool point = pointCards && (r == 5 || r == 10 || r == 13);
        if (isWild(c)) {
            pool.wild.push_back(c);
        } else if (inBand || point) {
            pool.real.push_back(c);
        }
    }
    return pool;
}

std::vector<CardCode> draw(std::mt19937& rng, std::vector<CardCode> cards, int count) {
    std::shuffle(cards.begin(), cards.end(), rng);
    cards.resize(std::min<size_t>(static_cast<size_t>(count), cards.size()));
    return cards;
}

// Up to ten cards, half of the hands with one to four wild cards, in random slots.
std::vector<CardCode> randomHand(std::mt19937& rng, const Pool& pool) {
    const int size = pick(rng, 0, 3) == 0 ? pick(rng, 1, 5) : pick(rng, 6, 10);
    const int wild = pick(rng, 0, 1) == 0 ? 0 : pick(rng, 1, std::min(size, 4));
    std::vector<CardCode> hand = draw(rng, pool.real, size - wild);
    for (CardCode c : draw(rng, pool.wild, wild)) {
        hand.push_back(c);
    }
    std::shuffle(hand.begin(), hand.end(), rng);
    return hand;
}

// Every subset of the cards in selection order; the caller keeps the ones it wants.
template <typename Visit>
void forEachSubset(const std::vector<CardCode>& cards, Visit visit) {
    const unsigned n = static_cast<unsigned>(cards.size());
    std::vector<CardCode> sel;
    for (unsigned mask = 1; mask < (1u << n); ++mask) {
        sel.clear();
        for (unsigned i = 0; i < n; ++i) {
            if (mask & (1u << i)) {
                sel.push_back(cards[i]);
            }
        }
        sortSelection(sel);
        visit(sel);
    }
}

// The play another seat left: a kind, a length and a play picked at random among the plays its
// cards can make, laid out as the rules engine lays it out.
LastPlay randomLastPlay(std::mt19937& rng, const Pool& pool) {
    std::vector<CardCode> all = pool.real;
    all.insert(all.end(), pool.wild.begin(), pool.wild.end());
    for (;;) {
        const std::vector<CardCode> cards = draw(rng, all, pick(rng, 1, 9));
        std::vector<std::vector<std::vector<CardCode>>> byType(kPlayBombOf12 + 1);
        forEachSubset(cards, [&](const std::vector<CardCode>& sel) {
            PlayType type = ClassifyPlay(kPlayNone, sel);
            if (type == kPlayUndecided) {
                type = pick(rng, 0, 1) == 0 ? kPlayPairRun : kPlayTripleRun;
            }
            if (type > kPlayNone) {
                byType[type].push_back(sel);
            }
        });
        std::vector<PlayType> kinds;
        for (PlayType t = kPlaySingle; t <= kPlayBombOf12; ++t) {
            if (!byType[t].empty()) {
                kinds.push_back(t);
            }
        }
        if (kinds.empty()) {
            continue;
        }
        PlayType type = kinds[pick(rng, 0, static_cast<int>(kinds.size()) - 1)];
        // Runs are rare among the subsets of a few cards; give them a fair share.
        for (PlayType run : {kPlayPairRun, kPlayTripleRun}) {
            if (!byType[run].empty() && pick(rng, 0, 2) == 0) {
                type = run;
            }
        }
        // Then a length, so that long runs and bombs come up as often as short ones.
        std::vector<size_t> lengths;
        for (const auto& p : byType[type]) {
            if (std::find(lengths.begin(), lengths.end(), p.size()) == lengths.end()) {
                lengths.push_back(p.size());
            }
        }
        const size_t length = lengths[pick(rng, 0, static_cast<int>(lengths.size()) - 1)];
        std::vector<const std::vector<CardCode>*> plays;
        for (const auto& p : byType[type]) {
            if (p.size() == length) {
                plays.push_back(&p);
            }
        }
        const std::vector<CardCode>* play = plays[pick(rng, 0, static_cast<int>(plays.size()) - 1)];
        return lastPlayOf(type, arrangePlay(type, *play));
    }
}

std::string lastText(const LastPlay& last) {
    std::vector<CardCode> cards;
    for (int k = 0; k < last.count; ++k) {
        cards.push_back(static_cast<CardCode>(last.entries[k]));
    }
    return playTypeName(last.type) + " " + describe(cards);
}

int realRankOf(const std::vector<CardCode>& sel) {
    for (CardCode c : sel) {
        if (!isWild(c)) {
            return cardRank(c);
        }
    }
    return 0;
}

// What every subset of a hand can do against the last play. A single, pair or triple cut from a
// rank held four or more times is left out of the cheaper answers: the hint keeps such a rank whole
// and offers it only as a bomb.
struct Answers {
    bool any = false;
    PlayType cheapestBelowBombs = kPlayBombOf12 + 1;  // lowest type among the beating non-bombs
    std::vector<CardCode> example;                    // one beating play, of that type if any
};

Answers answersOf(const std::vector<CardCode>& hand, const LastPlay& last) {
    std::array<int, kRankTwo + 1> held{};
    for (CardCode c : hand) {
        if (!isWild(c)) {
            ++held[cardRank(c)];
        }
    }
    Answers answers;
    forEachSubset(hand, [&](const std::vector<CardCode>& sel) {
        const PlayType type = ClassifyPlay(last.type, sel);
        if (type <= kPlayNone || !BeatsLastPlay(sel, type, last)) {
            return;
        }
        if (!answers.any) {
            answers.any = true;
            answers.example = sel;
        }
        const bool cutsBomb = type <= kPlayTriple && held[realRankOf(sel)] >= 4;
        if (!isBombType(type) && !cutsBomb && type < answers.cheapestBelowBombs) {
            answers.cheapestBelowBombs = type;
            answers.example = sel;
        }
    });
    return answers;
}

TEST(HintProperty, PassesOnlyWhenNothingBeatsAndBombsOnlyWhenNothingCheaperDoes) {
    std::mt19937 rng(5102);
    int passes = 0;
    int bombs = 0;
    int fiveTenKings = 0;
    int runs = 0;
    for (int round = 0; round < 20000; ++round) {
        const Pool pool = randomPool(rng);
        const std::vector<CardCode> hand = randomHand(rng, pool);
        const LastPlay last = randomLastPlay(rng, pool);
        const HintResult hint = hintSearch(hand, last);
        const Answers answers = answersOf(hand, last);
        const std::string context = describe(hand) + " against " + lastText(last);

        ASSERT_EQ(hint.pass, !answers.any) << context << ", e.g. " << describe(answers.example);
        ASSERT_EQ(hint.pass, hint.slots.empty()) << context;
        if (hint.pass) {
            ++passes;
            continue;
        }
        std::vector<int> slots = hint.slots;
        std::sort(slots.begin(), slots.end());
        ASSERT_TRUE(std::adjacent_find(slots.begin(), slots.end()) == slots.end()) << context;
        std::vector<CardCode> picked;
        for (int slot : slots) {
            ASSERT_TRUE(slot >= 0 && slot < static_cast<int>(hand.size())) << context;
            picked.push_back(hand[slot]);
        }
        sortSelection(picked);
        const PlayType type = ClassifyPlay(last.type, picked);
        const std::string proposal = context + ": proposed " + describe(picked);
        ASSERT_GT(type, kPlayNone) << proposal;
        ASSERT_TRUE(BeatsLastPlay(picked, type, last)) << proposal;
        // Nothing cheaper beats it: not the same kind, not a lower 5-10-K, and a bomb only when no
        // play that is not a bomb would do.
        if (isBombType(type)) {
            ++bombs;
            ASSERT_GT(answers.cheapestBelowBombs, kPlayFiveTenKingSpades)
                << proposal << " although " << describe(answers.example) << " beats it";
        } else {
            ASSERT_EQ(type, answers.cheapestBelowBombs)
                << proposal << " although " << describe(answers.example) << " beats it";
        }
        fiveTenKings += isFiveTenKingType(type) ? 1 : 0;
        runs += isRunType(type) ? 1 : 0;
    }
    // The deals must reach every part of the search.
    EXPECT_GT(passes, 1000);
    EXPECT_GT(bombs, 1000);
    EXPECT_GT(fiveTenKings, 200);
    EXPECT_GT(runs, 200);
}

}  // namespace
}  // namespace vexal
