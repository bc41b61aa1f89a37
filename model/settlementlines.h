// The score sheet's lines, their order and their colours, from the four settlement records of a
// round. The server decides every amount; this only decides which lines show and how they read.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "net/messages/settlement.h"
#include "rules/classify.h"

namespace vexal {

constexpr uint32_t kSheetBlack = 0x000000;
constexpr uint32_t kSheetRed = 0xFF0000;  // 0xRRGGBB

struct SettlementInput {
    std::array<SettlementRecord, 4> records{};  // by relative seat; records[0] is the own seat
    std::array<uint8_t, 4> seatBits{};          // each relative seat's own bit
    std::array<std::vector<PlayType>, 4> bombs{};
    std::array<std::string, 4> initialCoins{};
    std::array<std::string, 4> propTexts{};     // the prop plug-in's "|"-cut lines, empty without it
    std::array<int64_t, 4> propBonus{};
    bool wealthOn = false;
    std::string wealthText = "1";
    std::string note;
    bool noteAlone = false;
};

struct SettlementSheet {
    // Lists 0..3 the detail columns, 4..7 the result boxes.
    std::array<std::vector<std::string>, 8> lists{};
    std::array<uint32_t, 4> colours{};  // 0xRRGGBB of columns 0..3
    std::array<bool, 4> red{};          // name label and result box in red
    std::array<bool, 4> win{};
    // Signed change of each seat's coins and running sum, and its line in the session record.
    std::array<int64_t, 4> coinChange{};
    std::array<std::string, 4> gradeLines{};
    bool roar = false;
    int roarSeat = -1;
    bool roarerWon = false;
};

// Plain decimal text of an amount: no separators, whole numbers without decimals.
std::string amountText(double value);

SettlementSheet buildSettlementSheet(const SettlementInput& in);

// The multiplier line of a suited 5-10-K or bomb; empty for any other type.
std::string bombLine(PlayType type);

// A one-line explanation of the term a score-sheet line starts with (暗叫, 枯, 枯踹, 踹, 吼, 封顶),
// for a player who has not met it yet; empty for every other line.
std::string scoreTermExplanation(std::string_view line);

}  // namespace vexal
