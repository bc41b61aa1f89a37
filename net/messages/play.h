// A seat's play or pass as the server reports it to every seat (command 6).
//
// Byte 6 the seat that played or passed; byte 11 the next seat's bit; byte 15 the trick flag
// (1 the trick is over and goes to the seat of byte 11, 9 to the seat of byte 16, 10 to the seat
// of byte 6, anything else the trick goes on); byte 16 the taker for flag 9; byte 17 the number of
// cards (0 a pass); byte 18 the play type; bytes 20 + 4k .. 23 + 4k card k as a code, least
// significant byte first, a wild card carrying the rank it stands for in the high 4 bits of its
// byte 0; bytes 116..117 the table points, least significant first; byte 121 = 1 reveals the seat
// of byte 6 as the caller's partner; byte 255 the next seat's time in seconds (2 or less reads 15).
#pragma once

#include <cstdint>
#include <vector>

#include "net/command.h"
#include "rules/card.h"

namespace vexal {

constexpr uint8_t kTrickGoesOn = 0;
constexpr uint8_t kTrickToNextSeat = 1;
constexpr uint8_t kTrickToByte16 = 9;
constexpr uint8_t kTrickToPlayer = 10;  // the round's last play
constexpr size_t kPlayReportCardsByte = 20;
constexpr size_t kTablePointsByte = 116;
constexpr int kMaxReportedCards = 24;  // bytes 20..115

struct PlayReport {
    uint8_t seatBit = 0;
    uint8_t nextSeatBit = 0;
    uint8_t trickFlag = kTrickGoesOn;
    uint8_t takerBit = 0;  // trick flag 9 only
    int type = 0;
    std::vector<CardCode> cards;  // empty for a pass; at most 24
    uint16_t tablePoints = 0;
    bool partnerRevealed = false;
    uint8_t turnSeconds = 0;
};
CommandFrame encode(const PlayReport& m);
PlayReport decodePlayReport(const CommandFrame& f);

// Whether a trick flag closes the trick.
constexpr bool closesTrick(uint8_t flag) {
    return flag == kTrickToNextSeat || flag == kTrickToByte16 || flag == kTrickToPlayer;
}

}  // namespace vexal
