#include "rules/card.h"

#include <algorithm>

namespace vexal {

std::span<const CardCode> Hand::cards() const {
    const int n = std::clamp<int>(count, 0, kHandSlots);
    return {codes.data(), static_cast<size_t>(n)};
}

void removeSlot(Hand& hand, int slot) {
    const int n = std::clamp<int>(hand.count, 0, kHandSlots);
    if (slot < 0 || slot >= n) {
        return;
    }
    for (int i = slot; i + 1 < n; ++i) {
        hand.codes[i] = hand.codes[i + 1];
        hand.images[i] = hand.images[i + 1];
    }
    hand.count = static_cast<int16_t>(n - 1);
}

namespace {

std::string rankText(int rank) {
    static const char* const kNames[] = {"J", "Q", "K", "A", "2"};
    if (rank >= kRankLowest && rank <= 10)
        return std::to_string(rank);
    if (rank > 10 && rank <= kRankTwo)
        return kNames[rank - 11];
    return "?";
}

}  // namespace

std::array<CardCode, kDoubleDeckCards> doubleDeck() {
    std::array<CardCode, kDoubleDeckCards> deck{};
    int id = 0;
    for (int copy = 0; copy < 2; ++copy) {
        for (int suit : {kSuitDiamonds, kSuitClubs, kSuitHearts, kSuitSpades})
            for (int rank = kRankLowest; rank <= kRankTwo; ++rank, ++id)
                deck[static_cast<size_t>(id)] = makeCard(rank, suit, id);
        for (int joker : {kRankSmallJoker, kRankBigJoker}) {
            deck[static_cast<size_t>(id)] = makeCard(joker, 0, id);
            ++id;
        }
    }
    return deck;
}

std::string cardText(CardCode code) {
    const int rank = cardRank(code);
    if (isWild(code)) {
        std::string text = rank == kRankSmallJoker ? "小王" : "大王";
        const int standsFor = lowByte(code) >> 4;
        if (standsFor >= kRankLowest && standsFor <= kRankTwo) {
            text += '=';
            text += rankText(standsFor);
        }
        return text;
    }
    static const char* const kSuits[] = {"♦", "♣", "♥", "♠"};
    const int suit = suitBit(code);
    if (rank < kRankLowest || rank > kRankTwo || (suit & (suit - 1)) != 0 || suit == 0)
        return "?";
    std::string text = kSuits[bitIndex(suit)];
    text += rankText(rank);
    return text;
}

CardPictureTable CardPictureTable::forScale(double scaleX) {
    CardPictureTable table;
    const bool large = scaleX == 1.0;
    for (int suit = 0; suit < 4; ++suit) {
        for (int rank = kRankLowest; rank <= kRankTwo; ++rank) {
            const int picture = suit * 16 + rank;
            int resource = picture;
            if (!large) {
                // Small faces are numbered A, 2, 3 … K per suit from 301 on.
                resource = rank <= 13 ? 300 + 13 * suit + rank : 287 + 13 * suit + rank;
            }
            table.m_entries[picture] = std::to_string(resource);
        }
    }
    table.m_entries[kRankSmallJoker] = large ? "16" : "353";
    table.m_entries[kRankBigJoker] = large ? "17" : "354";
    table.m_entries[kPictureCardBack] = "18";
    return table;
}

const std::string& CardPictureTable::entry(int picture) const {
    static const std::string empty;
    if (picture < 0 || picture >= static_cast<int>(m_entries.size())) {
        return empty;
    }
    return m_entries[picture];
}

int CardPictureTable::resource(int picture) const {
    const std::string& text = entry(picture);
    return text.empty() ? 0 : std::stoi(text);
}

CardCode cardFromBytes(std::span<const uint8_t, 4> bytes) {
    const uint32_t value = static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
                           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
    return static_cast<CardCode>(value);
}

void cardToBytes(CardCode code, std::span<uint8_t, 4> bytes) {
    const auto value = static_cast<uint32_t>(code);
    for (size_t i = 0; i < 4; ++i) {
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

}  // namespace vexal
