// The four seats' records and the pure readings of what the server tells about a player.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "net/messages/seating.h"

namespace vexal {

// What the seat information (command 20) says about the player in one seat; indexed by relative
// seat and cleared (texts empty, numbers 0) when the player leaves.
struct PlayerRecord : SeatInfo {
    int portraitIndex = 0;

    bool empty() const { return account.empty() && nickname.empty(); }
};

PlayerRecord playerRecordFrom(const SeatInfo& info);

// The face code ("m1".."m10", "w1".."w10") as a portrait index 0..19; an empty code is "m1".
// Codes of other shapes are not the server's; they give an index in range all the same.
int portraitIndex(const std::string& faceCode);

// 2 from 60000 coins, 1 from 20000, otherwise 0: picks the seat's ready-mark picture.
int coinLevel(int64_t coins);

// The wealth label shows the smallest positive multiple stored for the four seats, 0 if none.
uint32_t smallestPositiveWealth(const std::array<uint32_t, 4>& multiples);

// Coins after a signed change; a seat never goes below 0 (saturating instead of wrapping).
int64_t coinsAfterChange(int64_t coins, int64_t amount);

// Texts the table shows about seats.
std::string nicknameLabelText(const std::string& title, const std::string& nickname);  // "[title] nick"
std::string coinLabelText(int64_t coins);                                              // "12000金币"
std::string departureLine(const std::string& nickname, int hour, int minute, int second);
std::string coinShortageLine(const std::string& nickname);

// The exit confirmation's warning line, by the three cases; empty when none is shown.
std::string exitWarningText(bool roundRunning, bool spectator, bool seatChangeRunning);

}  // namespace vexal
