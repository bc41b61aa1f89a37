// Bot-only rounds on one table, in-process: the table code of real games with a null outbox and
// a clock that jumps to the next thing due.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <map>

#include "server/table.h"

namespace vexal::server {

// How often each value of a round's multiplier came up.
struct MultiplierTally {
    std::map<int64_t, int> counts;

    void add(int64_t value) { ++counts[value]; }
    double mean() const;
    // The smallest value at or above the given share (0..1) of the rounds; 0 when empty.
    int64_t quantile(double share) const;
    int64_t largest() const { return counts.empty() ? 0 : counts.rbegin()->first; }
};

struct SelfPlayTotals {
    int rounds = 0;
    int ordinary = 0;
    int hidden = 0;
    int roars = 0;
    int ku = 0;
    std::array<int64_t, kSeats> amounts{};  // coins won or lost per seat over all rounds
    std::array<int, kSeats> wins{};
    MultiplierTally bombFactors;   // the product of the round's bomb and suited 5-10-K multipliers
    MultiplierTally stakeFactors;  // what the stake was multiplied by for the seat that moved most
    int64_t bombPlays = 0;         // bombs and suited 5-10-Ks played
    int brokeRounds = 0;           // rounds after which some seat held fewer coins than the stake
};

// Plays `rounds` rounds; every seat starts with the start coins and carries its coins from round
// to round; a seat left with fewer coins than the stake counts the round as broke and starts
// again with the start coins. Calls `onRound` after each settlement. Returns the totals, or stops
// early (fewer rounds in the totals) if the table ever has nothing left to do.
SelfPlayTotals runSelfPlay(int rounds, TableConfig config, Logger& log,
                           const std::function<void(const RoundSummary&)>& onRound = {});

// One line per round: the call, places, card points, final points and amounts by seat.
void printRound(std::ostream& out, const RoundSummary& summary);
void printTotals(std::ostream& out, const SelfPlayTotals& totals);

}  // namespace vexal::server
