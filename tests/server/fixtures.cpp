#include "fixtures.h"

#include <algorithm>
#include <random>
#include <stdexcept>

namespace vexal::server::testing {

CardCode card(int rank, int suit, int copy) {
    for (CardCode c : doubleDeck())
        if (cardRank(c) == rank && suitBit(c) == suit && cardId(c) / 54 == copy)
            return c;
    throw std::invalid_argument("no such card");
}

CardCode joker(int rank, int copy) { return card(rank, 0, copy); }

Deck deckWith(const std::array<std::vector<CardCode>, kSeats>& hands) {
    std::vector<CardCode> rest;
    for (CardCode c : doubleDeck()) {
        bool named = false;
        for (const auto& h : hands)
            named = named || std::find(h.begin(), h.end(), c) != h.end();
        if (!named)
            rest.push_back(c);
    }
    Deck deck{};
    size_t next = 0;
    for (int s = 0; s < kSeats; ++s) {
        if (hands[s].size() > 27)
            throw std::invalid_argument("more than 27 cards");
        for (int k = 0; k < 27; ++k)
            deck[s * 27 + k] = k < static_cast<int>(hands[s].size()) ? hands[s][k] : rest[next++];
    }
    return deck;
}

TempDir::TempDir() {
    std::random_device entropy;
    path = std::filesystem::temp_directory_path() /
           ("vexal-server-test-" + std::to_string(entropy()) + "-" + std::to_string(entropy()));
    std::filesystem::create_directories(path);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

}  // namespace vexal::server::testing
