// The deal (command 1, server to client).
//
// Byte 6 the addressee's seat bit; bytes 16 + 4k .. 19 + 4k (k = 0..26) card k as a code, least
// significant byte first; byte 148 = 1 shows the settlement note alone; bytes 149..168 the
// settlement note (mixed reading); bytes 268..271 the resume number, most significant byte first.
// A deal that resumes a round after a reconnect carries the cards still held and then one code
// whose byte 3 is 0xFF: a card id of 128 or more ends the reading of the hand there, and so does
// a group of four zero bytes (a shorter list padded with zeros).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "net/command.h"
#include "rules/card.h"

namespace vexal {

constexpr size_t kDealCardsByte = 16;
constexpr CardCode kDealStopCode = static_cast<CardCode>(0xFF000000u);

struct Deal {
    uint8_t seatBit = 0;
    std::vector<CardCode> cards;  // 27 at a fresh deal, fewer when resuming
    bool noteAlone = false;
    std::string note;
    uint32_t resumeNumber = 0;  // kept below 2^31
    // Decoding only: the card list ended on a code whose byte 3 is 128 or more rather than after
    // 27 cards or on zero padding.
    bool stoppedAtBrokenCode = false;
};
CommandFrame encode(const Deal& m);
// Reads cards until 27 or the first code whose byte 3 is 128 or more.
Deal decodeDeal(const CommandFrame& f);

}  // namespace vexal
