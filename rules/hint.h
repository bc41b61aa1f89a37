// The hint: the cheapest play in a hand that beats the play on the table, or a pass.
#pragma once

#include <span>
#include <vector>

#include "rules/card.h"
#include "rules/classify.h"

namespace vexal {

struct HintResult {
    bool pass = true;        // nothing in the hand beats the last play
    std::vector<int> slots;  // the proposed slots of the hand (raise them; nothing is sent)
};

// Searches the hand (slots 0..count-1) for a play that beats `last`: the same type at the lowest
// winning rank without breaking bigger groups and without wild cards where possible, then a 5-10-K
// (a mixed one before the suited ones, which double the stake), then bombs from the smallest up.
// Every proposal classifies as the kind it was searched as, so the hint passes only when nothing in
// the hand beats `last`. Deterministic and stateless. Only meaningful while following: with nothing
// to beat (type outside 1..19) the result is a pass.
HintResult hintSearch(std::span<const CardCode> hand, const LastPlay& last);

}  // namespace vexal
