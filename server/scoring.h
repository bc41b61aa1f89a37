// Who wins a round and how many coins move: final points, multipliers, amounts and capping.
#pragma once

#include <array>
#include <cstdint>

#include "server/round.h"

namespace vexal::server {

struct ScoringParams {
    int64_t stake = 100;
    int64_t wealth = 0;  // the room's wealth multiple; 0 or 1 means no doubling
    std::array<int64_t, kSeats> coins{};
    uint8_t escapedBits = 0;  // seats whose player left during the round
};

struct SeatScore {
    bool winner = false;
    int finalPoints = 0;
    int callingFactor = 1;
    int64_t subtotal = 0;  // magnitude: stake x calling x 枯/踹 x bombs
    int64_t total = 0;     // magnitude: subtotal x wealth
    int64_t amount = 0;    // signed coins that move after capping
    bool capped = false;
};

struct Scoring {
    std::array<SeatScore, kSeats> seats;
    int winningTeam = 0;
    bool ku = false;       // one side finished first and second (two against two)
    bool kuChuai = false;  // ... and took all 200 final points
    bool chuai = false;    // one side took all 200 final points without 枯
    int64_t kuFactor = 1;
    int64_t bombFactor = 1;
};

// The multiplier of one bomb or suited 5-10-K: x2 for 4 to 6 cards and the suited 5-10-K, then
// x4 .. x14 for 7 .. 12 cards; 1 for any other play type.
int64_t bombMultiplier(PlayType type);

// Final points: the card points, except that the last place hands its card points to the first
// place, and the points left in unfinished hands go to the best-placed seat of the other side.
std::array<int, kSeats> finalPoints(const RoundFacts& facts);

Scoring scoreRound(const RoundFacts& facts, const ScoringParams& params);

}  // namespace vexal::server
