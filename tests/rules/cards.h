// Fixture builders for the rules tests: cards from short text such as "Ks 10h 5d BJ SJ".
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "rules/arrange.h"
#include "rules/card.h"
#include "rules/classify.h"

namespace vexal::testing {

// Tokens separated by blanks: a rank (3..10, J, Q, K, A, 2) followed by a suit letter (d, c, h, s;
// without one, copies of a rank take the suits in turn from diamonds), or SJ / BJ for the small and
// big joker, or W for a small joker. Card ids count up from firstId.
std::vector<CardCode> cards(std::string_view text, int firstId = 0);

// The same cards in selection order.
std::vector<CardCode> selection(std::string_view text, int firstId = 0);

// The play to beat left by these cards played as the given type.
LastPlay lastPlay(PlayType type, std::string_view text);

// A hand holding these cards, slot i shown by image i.
Hand hand(std::string_view text);

// Short text of cards ("Ks 10h BJ"), for failure messages and comparisons.
std::string describe(CardCode card);
std::string describe(std::span<const CardCode> cards);

// Rank and suit text of cards with the order ignored (sorted), for comparing proposals.
std::string sortedText(std::span<const CardCode> cards);

}  // namespace vexal::testing
