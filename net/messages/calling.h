// The calling turn (command 2, server to client) and the calling choice (command 3, both ways).
//
// Command 2: byte 6 the seat whose turn it is; byte 11 the offer: 1 call or roar, 0 roar or pass,
//   any other value roar only.
// Command 3: byte 6 the seat that chose (the client writes its own seat bit); byte 11 0 pass,
//   1 call, 2 roar; a call adds byte 14 the called card's rank and byte 15 its suit bit.
#pragma once

#include <cstdint>

#include "net/command.h"

namespace vexal {

constexpr uint8_t kOfferRoarOrPass = 0;
constexpr uint8_t kOfferCallOrRoar = 1;
constexpr uint8_t kOfferRoarOnly = 2;

constexpr uint8_t kChoicePass = 0;
constexpr uint8_t kChoiceCall = 1;
constexpr uint8_t kChoiceRoar = 2;

struct CallingTurn {
    uint8_t seatBit = 0;
    uint8_t offer = kOfferCallOrRoar;
};
CommandFrame encode(const CallingTurn& m);
CallingTurn decodeCallingTurn(const CommandFrame& f);

struct CallChoice {
    uint8_t seatBit = 0;
    uint8_t choice = kChoicePass;
    uint8_t rank = 0;     // call only
    uint8_t suitBit = 0;  // call only
};
CommandFrame encode(const CallChoice& m);
CallChoice decodeCallChoice(const CommandFrame& f);

// Ranks a seat may call: not 5, 10 or K (the point cards), not the 2, not a wild card.
constexpr bool isCallableRank(int rank) {
    return rank >= 3 && rank < 15 && rank != 5 && rank != 10 && rank != 13;
}

}  // namespace vexal
