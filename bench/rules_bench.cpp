// Speed of the rules engine: classifying and comparing a selection, and a whole hint search.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "rules/arrange.h"
#include "rules/classify.h"
#include "rules/hint.h"

namespace vexal {
namespace {

std::vector<CardCode> shuffledDeck(std::mt19937& rng) {
    const auto deck = doubleDeck();
    std::vector<CardCode> cards(deck.begin(), deck.end());
    std::shuffle(cards.begin(), cards.end(), rng);
    return cards;
}

int pick(std::mt19937& rng, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(rng);
}

// A play of a random kind: singles to triples, runs of pairs and triples, 5-10-K and bombs, with
// wild cards mixed in.
std::vector<CardCode> randomPlay(std::mt19937& rng) {
    std::vector<CardCode> play;
    int id = 0;
    auto add = [&](int rank, int suitBit) { play.push_back(makeCard(rank, suitBit, id++)); };
    switch (pick(rng, 0, 5)) {
        case 0: {
            const int size = pick(rng, 1, 3);
            const int rank = pick(rng, 3, 15);
            for (int i = 0; i < size; ++i) {
                add(rank, 1 << i);
            }
            break;
        }
        case 1:
        case 2: {
            const int g = pick(rng, 2, 3);
            const int groups = g == 2 ? pick(rng, 2, 8) : pick(rng, 2, 4);
            const int start = pick(rng, 3, 15 - groups);
            for (int r = start; r < start + groups; ++r) {
                for (int i = 0; i < g; ++i) {
                    add(r, 1 << i);
                }
            }
            break;
        }
        case 3:
            for (int rank : {13, 10, 5}) {
                add(rank, 1 << pick(rng, 0, 3));
            }
            break;
        default: {
            const int size = pick(rng, 4, 8);
            const int rank = pick(rng, 3, 15);
            for (int i = 0; i < size; ++i) {
                add(rank, 1 << (i % 4));
            }
            break;
        }
    }
    if (play.size() > 1 && pick(rng, 0, 2) == 0) {
        const int wild = std::min<int>(pick(rng, 1, 2), static_cast<int>(play.size()) - 1);
        for (int i = 0; i < wild; ++i) {
            play[i] = makeCard(kRankSmallJoker + i % 2, 0, 100 + i);
        }
    }
    sortSelection(play);
    return play;
}

LastPlay randomLastPlay(std::mt19937& rng) {
    for (;;) {
        const std::vector<CardCode> play = randomPlay(rng);
        PlayType type = ClassifyPlay(kPlayNone, play);
        if (type == kPlayUndecided) {
            type = kPlayPairRun;
        }
        if (type > 0) {
            return lastPlayOf(type, arrangePlay(type, play));
        }
    }
}

void BM_ClassifyAndCompare(benchmark::State& state) {
    std::mt19937 rng(1);
    constexpr size_t kCases = 4096;
    std::vector<std::vector<CardCode>> selections;
    std::vector<LastPlay> lasts;
    for (size_t i = 0; i < kCases; ++i) {
        // Half are plays of a kind, half are random picks from a hand (mostly no play).
        std::vector<CardCode> sel;
        if (i % 2 == 0) {
            sel = randomPlay(rng);
        } else {
            std::vector<CardCode> hand = shuffledDeck(rng);
            hand.resize(pick(rng, 1, 12));
            sortSelection(hand);
            sel = hand;
        }
        selections.push_back(sel);
        lasts.push_back(randomLastPlay(rng));
    }
    size_t i = 0;
    for (auto _ : state) {
        const std::vector<CardCode>& sel = selections[i];
        const LastPlay& last = lasts[i];
        const PlayType type = ClassifyPlay(last.type, sel);
        benchmark::DoNotOptimize(type > 0 && BeatsLastPlay(sel, type, last));
        i = (i + 1) % kCases;
    }
}
BENCHMARK(BM_ClassifyAndCompare);

void BM_HintSearch(benchmark::State& state) {
    std::mt19937 rng(2);
    constexpr size_t kCases = 1024;
    std::vector<std::vector<CardCode>> hands;
    std::vector<LastPlay> lasts;
    for (size_t i = 0; i < kCases; ++i) {
        std::vector<CardCode> hand = shuffledDeck(rng);
        hand.resize(kHandSlots);
        hands.push_back(hand);
        lasts.push_back(randomLastPlay(rng));
    }
    size_t i = 0;
    for (auto _ : state) {
        HintResult hint = hintSearch(hands[i], lasts[i]);
        benchmark::DoNotOptimize(hint);
        i = (i + 1) % kCases;
    }
}
BENCHMARK(BM_HintSearch);

}  // namespace
}  // namespace vexal
