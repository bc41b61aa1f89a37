#include "server/deck.h"

#include <utility>

namespace vexal::server {

uint64_t drawBelow(Rng& rng, uint64_t bound) {
    const uint64_t limit = UINT64_MAX - UINT64_MAX % bound;
    uint64_t x;
    do {
        x = rng();
    } while (x >= limit);
    return x % bound;
}

Deck shuffledDeck(Rng& rng) {
    Deck deck = doubleDeck();
    for (int i = kDeckSize - 1; i > 0; --i)
        std::swap(deck[i], deck[drawBelow(rng, static_cast<uint64_t>(i) + 1)]);
    return deck;
}

int cardPoints(CardCode c) {
    switch (cardRank(c)) {
    case 5: return 5;
    case 10:
    case 13: return 10;
    default: return 0;
    }
}

int pointsOf(std::span<const CardCode> cards) {
    int sum = 0;
    for (CardCode c : cards)
        sum += cardPoints(c);
    return sum;
}

}  // namespace vexal::server
