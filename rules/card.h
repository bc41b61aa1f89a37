// Cards, the four per-seat hands and the card picture table.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace vexal {

// A card as the server hands it out: byte 0 suit bit (low 4 bits; the high 4 bits carry the rank a
// wild card stands for in received plays), byte 1 rank, byte 2 reserved, byte 3 card id.
using CardCode = int32_t;

constexpr int kHandSlots = 27;
constexpr int kRankLowest = 3;
constexpr int kRankAce = 14;
constexpr int kRankTwo = 15;  // the "2", highest ordinary rank
constexpr int kRankSmallJoker = 16;
constexpr int kRankBigJoker = 17;
constexpr int kPictureCardBack = 18;

constexpr uint8_t kSuitDiamonds = 1;
constexpr uint8_t kSuitClubs = 2;
constexpr uint8_t kSuitHearts = 4;
constexpr uint8_t kSuitSpades = 8;

constexpr CardCode makeCard(int rank, int suitBit, int id) {
    return static_cast<CardCode>((static_cast<uint32_t>(id & 0xFF) << 24) |
                                 (static_cast<uint32_t>(rank & 0xFF) << 8) |
                                 static_cast<uint32_t>(suitBit & 0xFF));
}

constexpr int cardRank(CardCode c) {
    return (static_cast<uint32_t>(c) >> 8) & 0xFF;
}
constexpr int suitBit(CardCode c) {
    return static_cast<uint32_t>(c) & 0x0F;
}
constexpr int lowByte(CardCode c) {
    return static_cast<uint32_t>(c) & 0xFF;
}
constexpr uint8_t cardId(CardCode c) {
    return static_cast<uint8_t>(static_cast<uint32_t>(c) >> 24);
}

// Position of the highest set bit of a suit or seat bit (1→0, 2→1, 4→2, 8→3); 0 gives 0.
constexpr int bitIndex(int bit) {
    int index = 0;
    for (int b = bit & 0xFF; b > 1; b >>= 1) {
        ++index;
    }
    return index;
}

constexpr int suitIndex(CardCode c) {
    return bitIndex(suitBit(c));
}
constexpr bool isWildRank(int rank) {
    return rank > kRankTwo && rank < 18;
}
constexpr bool isWild(CardCode c) {
    return isWildRank(cardRank(c));
}
constexpr int pictureIndex(CardCode c) {
    return suitIndex(c) * 16 + cardRank(c);
}

// Relative seat of a server seat (0..3) as seen from the own server seat: 0 own, 1 next, 2 opposite.
constexpr int relativeSeat(int seat, int ownSeat) {
    return (seat - ownSeat) & 3;
}

// The test SetCardPicture applies before drawing: false for a corrupt code (a rank below 3 outside
// the jokers' row, or a picture index above 63), which the client answers by leaving the table.
constexpr bool isValidPictureIndex(int picture) {
    if (picture < 0 || picture > 63) {
        return false;
    }
    return !(picture % 16 < 3 && picture / 16 != 1);
}

// One seat's cards. Sorting moves codes between slots but never image indices, so image i always
// shows whatever card sits in slot i.
struct Hand {
    uint8_t seatBit = 0;  // own seat only: copied into byte 6 of every play frame
    int16_t anchorX = 0;
    int16_t anchorY = 0;
    std::array<CardCode, kHandSlots> codes{};
    std::array<uint16_t, kHandSlots> images{};
    int16_t count = 0;

    // The codes of slots 0..count-1 (a count outside 0..27 is clamped).
    std::span<const CardCode> cards() const;
};

// Deletes one slot; later slots (code and image index) move down by one.
void removeSlot(Hand& hand, int slot);

// The GIF resource number of each picture index for one card size, kept as decimal text; the
// entries for picture indices that are no card stay empty.
class CardPictureTable {
public:
    // Large cards when the horizontal scale factor is exactly 1.0, small cards otherwise.
    static CardPictureTable forScale(double scaleX);

    // Decimal text of the resource for a picture index; empty for no card or an index outside 0..63.
    const std::string& entry(int picture) const;
    // The same as a number; 0 when the entry is empty.
    int resource(int picture) const;

private:
    std::array<std::string, 64> m_entries;
};

// The two decks in play, in a fixed order with ids 0..107: per deck the 13 ranks of diamonds,
// clubs, hearts and spades, then the small and the big joker (suit byte 0).
constexpr int kDoubleDeckCards = 108;
std::array<CardCode, kDoubleDeckCards> doubleDeck();

// A card as a player reads it: "♠10", "♥A", "小王"; a wild card in a play that stands for a rank
// adds it ("大王=5"). Anything that is no card reads "?".
std::string cardText(CardCode code);

// Little-endian code of four frame bytes, and back.
CardCode cardFromBytes(std::span<const uint8_t, 4> bytes);
void cardToBytes(CardCode code, std::span<uint8_t, 4> bytes);

}  // namespace vexal
