// The two hand orders (by size and by count) and the fan layout of a hand on the table.
#pragma once

#include <string_view>

#include "rules/card.h"

namespace vexal {

// What the window shows when a sort fails.
constexpr std::string_view kSortbyBigError = "SortbyBig错误";
constexpr std::string_view kSortbyNumError = "SortbyNum错误";

// Sort key by size: wild cards first, then K, 10 and 5, then by rank; the whole low byte breaks ties.
int sortbyBigKey(CardCode code);

// Sorts the first count slots by size (descending key, exchange sort, codes move, image indices
// stay). False on a failure (a count above 27), which the window reports as kSortbyBigError; the
// slots already exchanged stay exchanged. A count of 0 or less does nothing and succeeds.
[[nodiscard]] bool SortbyBig(Hand& hand, int count);

// Sorts the first count slots by count: jokers first, then ranks by copies held, most first. False
// when a card's rank is outside 3..17 or the count is above 27 (kSortbyNumError); nothing has been
// exchanged then.
[[nodiscard]] bool SortbyNum(Hand& hand, int count);

// Left edge of the card in slot `slot` of a fanned hand of n cards, in table units: each card
// covers all but 0.22 of a card width of the one before it. scale is the horizontal scale factor,
// cardWidth the width of the seat's card images.
double handFanLeft(double anchorX, int n, int slot, double scale, double cardWidth);

}  // namespace vexal
