// Bot-only rounds on one table, in-process: the table code of real games with a null outbox and
// a clock that jumps to the next thing due.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <iosfwd>

#include "server/table.h"

namespace vexal::server {

struct SelfPlayTotals {
    int rounds = 0;
    int ordinary = 0;
    int hidden = 0;
    int roars = 0;
    int ku = 0;
    std::array<int64_t, kSeats> amounts{};  // coins won or lost per seat over all rounds
    std::array<int, kSeats> wins{};
};

// Plays `rounds` rounds; calls `onRound` after each settlement. Returns the totals, or stops
// early (fewer rounds in the totals) if the table ever has nothing left to do.
SelfPlayTotals runSelfPlay(int rounds, TableConfig config, Logger& log,
                           const std::function<void(const RoundSummary&)>& onRound = {});

// One line per round: the call, places, card points, final points and amounts by seat.
void printRound(std::ostream& out, const RoundSummary& summary);
void printTotals(std::ostream& out, const SelfPlayTotals& totals);

}  // namespace vexal::server
