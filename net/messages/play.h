// A seat's play or pass: the own one the client sends (command 7) and every seat's as the server
// reports it to all four (command 6).
//
// Command 7, client to server: byte 6 the sender's seat bit (low 4 bits); byte 15 = 1 a pass,
// 2 a play; for a play byte 17 the number of cards, 18 the play type, 19 the number of wild cards,
// 20 + k the id of card k in arranged order, and 45 + 4j the rank the j-th wild card stands for.
//
// Command 6: byte 6 the seat that played or passed; byte 11 the next seat's bit; byte 15 the trick flag
// (1 the trick is over and goes to the seat of byte 11, 9 to the seat of byte 16, 10 to the seat
// of byte 6, anything else the trick goes on); byte 16 the taker for flag 9; byte 17 the number of
// cards (0 a pass); byte 18 the play type; bytes 20 + 4k .. 23 + 4k card k as a code, least
// significant byte first, a wild card carrying the rank it stands for in the high 4 bits of its
// byte 0; bytes 116..117 the table points, least significant first; byte 121 = 1 reveals the seat
// of byte 6 as the caller's partner; byte 255 the next seat's time in seconds (2 or less reads 15).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "net/command.h"
#include "rules/arrange.h"
#include "rules/card.h"

namespace vexal {

constexpr uint8_t kPassMarker = 1;  // byte 15 of a command 7 pass
constexpr uint8_t kPlayMarker = 2;  // byte 15 of a command 7 play
constexpr size_t kPlayCardIdsByte = 20;
constexpr size_t kPlayWildRanksByte = 45;  // wild card j at 45 + 4j, j = 0..3

// Command 7 for an arranged play. Empty for a play that cannot travel (no card, more than 24
// cards, more than four wild cards).
std::optional<CommandFrame> buildPlayFrame(uint8_t ownSeatBit, PlayType type,
                                           std::span<const ArrangedCard> arranged);

// Command 7 pass.
CommandFrame buildPassFrame(uint8_t ownSeatBit);

// Reads a command 7; empty when the frame is not one (wrong command, byte 15 neither 1 nor 2,
// a play of 0 or more than 24 cards or with more than four wild cards).
std::optional<PlayFrame> decodePlayFrame(const CommandFrame& frame);

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
