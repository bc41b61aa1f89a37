// The 108-card double deck, its seeded shuffle and the card points.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <span>

#include "rules/card.h"

namespace vexal::server {

constexpr int kDeckSize = kDoubleDeckCards;
constexpr int kSeats = 4;
constexpr int kTotalPoints = 200;
using Deck = std::array<CardCode, kDeckSize>;
using Rng = std::mt19937_64;

// A Fisher-Yates shuffle with our own bounded draw, so a seed gives the same deal on every
// standard library.
Deck shuffledDeck(Rng& rng);

// A uniform number in [0, bound) without modulo bias.
uint64_t drawBelow(Rng& rng, uint64_t bound);

// 5 is worth 5, 10 and K are worth 10; everything else, the wild cards included, nothing.
int cardPoints(CardCode c);
int pointsOf(std::span<const CardCode> cards);

}  // namespace vexal::server
