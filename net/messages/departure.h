// Player left (21), removal notice (22), ready notice (23) and coin changes (91 own, 92 other),
// all server to client.
//
// Command 21: byte 6 the addressee; byte 8 = 1 means byte 16 holds the first character's code
//   plus 1; byte 11 = 1 shortens the ready countdown that follows to 10 seconds; bytes 16..31
//   the departed account, one byte per character.
// Command 22: bytes 16..215 the reason text, mixed reading.
// Command 23: byte 15 = 1 the player is ready; bytes 16..31 the account, one byte per character.
// Command 91: byte 16 sign (non-zero negative); bytes 17..24 the magnitude, least significant
//   byte first.
// Command 92: as 91, plus bytes 25..41 the account whose coins change, mixed reading.
#pragma once

#include <cstdint>
#include <string>

#include "net/command.h"

namespace vexal {

struct PlayerLeft {
    uint8_t seatBit = 0;
    std::string account;
    bool shortCountdown = false;
    bool firstCharPlusOne = false;  // how the account is written; the decoded account is plain
};
CommandFrame encode(const PlayerLeft& m);
PlayerLeft decodePlayerLeft(const CommandFrame& f);

struct Removal {
    uint8_t seatBit = 0;
    std::string reason;
};
CommandFrame encode(const Removal& m);
Removal decodeRemoval(const CommandFrame& f);

struct ReadyNotice {
    uint8_t seatBit = 0;
    bool ready = false;
    std::string account;
};
CommandFrame encode(const ReadyNotice& m);
ReadyNotice decodeReadyNotice(const CommandFrame& f);

// Command 91 (own coins, `account` unused) and 92 (the named player's coins).
struct CoinChange {
    uint8_t seatBit = 0;
    int64_t amount = 0;
    std::string account;
};
CommandFrame encodeOwnCoinChange(const CoinChange& m);
CommandFrame encodeOtherCoinChange(const CoinChange& m);
CoinChange decodeCoinChange(const CommandFrame& f);

}  // namespace vexal
