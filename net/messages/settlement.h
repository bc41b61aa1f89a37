// One seat's settlement record (command 9, server to client; four frames, one per seat).
//
// b[6] the seat; b[8..11] the base stake, most significant byte first; b[15] coin unit (1 coins,
// other gold bars; the client reads the fourth frame's); b[16] cards still held and b[20 + 4i ..]
// those cards as codes, least significant byte first; b[128] finishing place 1..4; b[129] = 1 the
// subtotal is a gain; b[130..137] subtotal magnitude, least significant first; b[138] = 1 the final
// amount is a gain; b[139..146] final magnitude, least significant first; b[147] level 1..40;
// b[148] = 1 this seat roared; b[149], b[150] the seat bits of the calling side (equal for a hidden
// call); b[151..152] card points and b[153..154] final points, most significant byte first;
// b[164] the percentage after the settlement note; b[165] = 1 the amount was capped; b[166] the
// seat bits of players who left the round early.
#pragma once

#include <cstdint>
#include <vector>

#include "net/command.h"
#include "rules/card.h"

namespace vexal {

constexpr uint8_t kCoinUnitCoins = 1;
constexpr uint8_t kCoinUnitGoldBars = 2;

struct SettlementRecord {
    uint8_t seatBit = 0;
    uint32_t stake = 0;
    uint8_t coinUnit = kCoinUnitCoins;
    std::vector<CardCode> heldCards;  // at most 27
    uint8_t place = 0;
    bool subtotalGain = false;
    uint64_t subtotal = 0;
    bool finalGain = false;
    uint64_t finalAmount = 0;
    uint8_t level = 0;
    bool roared = false;
    uint8_t callerBit = 0;   // b[150]: the caller
    uint8_t partnerBit = 0;  // b[149]: the holder of the called card (the caller for a hidden call)
    uint16_t cardPoints = 0;
    uint16_t finalPoints = 0;
    uint8_t percentage = 0;
    bool capped = false;
    uint8_t escapedBits = 0;

    // Signed views of the two amounts.
    int64_t signedSubtotal() const { return subtotalGain ? int64_t(subtotal) : -int64_t(subtotal); }
    // The final amount with its sign; an amount beyond any coin count stops at the largest one.
    int64_t signedFinal() const {
        const int64_t amount = finalAmount > uint64_t{INT64_MAX} ? INT64_MAX : static_cast<int64_t>(finalAmount);
        return finalGain ? amount : -amount;
    }
};
CommandFrame encode(const SettlementRecord& m);
SettlementRecord decodeSettlement(const CommandFrame& f);

}  // namespace vexal
