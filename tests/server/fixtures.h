// Builders for server tests: decks with chosen hands, cards by name.
#pragma once

#include <array>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "server/deck.h"

namespace vexal::server::testing {

// A card of the ordered deck by rank and suit: the first copy (deck 0) or the second (deck 1).
CardCode card(int rank, int suit, int copy = 0);
CardCode joker(int rank, int copy = 0);

// A deck whose seat s is dealt hands[s] first, the rest of its 27 cards taken from the cards no
// hand names, in deck order.
Deck deckWith(const std::array<std::vector<CardCode>, kSeats>& hands);

// A fresh directory under the system's temporary directory, removed with everything in it.
struct TempDir {
    std::filesystem::path path;
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
};

}  // namespace vexal::server::testing
