#include "model/roundstate.h"

#include <cmath>
#include <cstdio>

#include "net/messages/calling.h"
#include "rules/hint.h"

namespace vexal {

void RoundState::reset() {
    const std::string keptWealth = wealthText;
    const std::array<std::string, 4> keptCoins = initialCoins;
    const std::string keptNote = settlementNote;
    const bool keptAlone = noteAlone;
    *this = RoundState{};
    // The deal's texts outlive the reset that the ready step runs before the next deal: the
    // score sheet of a past round may still be rebuilt from them.
    wealthText = keptWealth;
    initialCoins = keptCoins;
    settlementNote = keptNote;
    noteAlone = keptAlone;
}

std::string multiplierBadgeText(double multiplier) {
    if (!std::isfinite(multiplier) || multiplier < 0)
        return "?";
    char buf[32];
    if (multiplier < 1e4) {
        std::snprintf(buf, sizeof buf, "%.0f", std::floor(multiplier));
        return buf;
    }
    const bool yi = multiplier >= 1e8;
    const double units = multiplier / (yi ? 1e8 : 1e4);
    const char* unit = yi ? "亿" : "万";
    // One decimal while it is short; whole units from ten on; beyond 9999亿 nothing more fits.
    if (units < 10)
        std::snprintf(buf, sizeof buf, "%.1f%s", std::floor(units * 10) / 10, unit);
    else if (units < 1e4)
        std::snprintf(buf, sizeof buf, "%.0f%s", std::floor(units), unit);
    else
        return ">9999亿";
    return buf;
}

int bombFactor(PlayType type) {
    if (type >= 7 && type <= 13)
        return 2;
    if (type >= 14 && type <= 19)
        return (type - 12) * 2;
    return 1;
}

int backPilePicture(int relativeSeat, int count) {
    if (relativeSeat < 1 || relativeSeat > 3 || count <= 0)
        return 0;
    int base = 539;
    if (count == 1)
        base = 521;
    else if (count == 2)
        base = 524;
    else if (count <= 7)
        base = 527;
    else if (count <= 12)
        base = 530;
    else if (count <= 17)
        base = 533;
    else if (count <= 20)
        base = 536;
    return base + relativeSeat - 1;
}

namespace {

// The rank a received wild card stands for: the high 4 bits of byte 0; 0 and 1 mean none.
int standsFor(CardCode c) {
    const int r = (static_cast<uint32_t>(c) >> 4) & 0x0F;
    return r <= 1 ? 0 : r;
}

LaidCard laid(CardCode c) {
    const int rank = cardRank(c);
    if (isWildRank(rank))
        return {c, rank, rank * 256};
    return {c, suitIndex(c) * 16 + rank, rank * 256 + suitBit(c)};
}

}  // namespace

std::vector<LaidCard> layOutReceivedPlay(std::span<const CardCode> cards) {
    std::vector<LaidCard> out;
    std::vector<CardCode> wild;
    for (CardCode c : cards)
        if (isWild(c))
            wild.push_back(c);
    std::vector<bool> used(wild.size(), false);
    int previous = 0;
    for (CardCode c : cards) {
        if (isWild(c))
            continue;
        const int r = cardRank(c);
        if (previous != 0 && previous != r) {
            for (size_t i = 0; i < wild.size(); ++i) {
                const int w = standsFor(wild[i]);
                if (!used[i] && w >= 3 && w <= 15 && (w == previous || w == r + 1 || w == r + 2)) {
                    used[i] = true;
                    out.push_back(laid(wild[i]));
                }
            }
        }
        out.push_back(laid(c));
        previous = r;
    }
    // Every wild card still waiting goes last, also one that names no rank: the seat did play it,
    // and its count is taken off the seat's pile.
    for (size_t i = 0; i < wild.size(); ++i)
        if (!used[i])
            out.push_back(laid(wild[i]));
    return out;
}

int copiesHeld(const Hand& hand, CardCode card) {
    int copies = 0;
    for (int slot = 0; slot < hand.count && slot < kHandSlots; ++slot) {
        const CardCode c = hand.codes[static_cast<size_t>(slot)];
        copies += cardRank(c) == cardRank(card) && suitBit(c) == suitBit(card);
    }
    return copies;
}

int automaticCallSlot(const Hand& hand) {
    // Calling a card held twice leaves the caller alone against three at twelve times the stake;
    // nobody who did not choose it should be put there by the clock.
    int fallback = -1;
    for (int slot = kHandSlots - 1; slot >= 0; --slot) {
        if (slot >= hand.count)
            continue;
        const CardCode card = hand.codes[static_cast<size_t>(slot)];
        if (!isCallableRank(cardRank(card)))
            continue;
        if (copiesHeld(hand, card) < 2)
            return slot;
        if (fallback < 0)
            fallback = slot;
    }
    return fallback;
}

int calledCardPicture(uint8_t rankByte, uint8_t suitBitValue) {
    int rank = rankByte & 15;
    if (rank == 14)
        rank = 1;
    return 300 + 13 * bitIndex(suitBitValue & 0x0F) + rank;
}

HintProposal proposeHint(const Hand& hand, const LastPlay& last) {
    const HintResult r = hintSearch(hand.cards(), last);
    return {r.pass, r.slots};
}

std::string levelTitle(int level) {
    static const char* const kDigits[] = {"", "一", "二", "三", "四", "五", "六", "七", "八", "九"};
    if (level < 1 || level > 40)
        return {};
    std::string n;
    const int tens = level / 10;
    const int ones = level % 10;
    if (tens == 1)
        n = "十";
    else if (tens > 1)
        n = std::string(kDigits[tens]) + "十";
    n += kDigits[ones];
    return "第" + n + "级";
}

}  // namespace vexal
