// Play types, the play to beat, classification of a selection and comparison with the last play.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "rules/card.h"

namespace vexal {

// The play types as they travel in byte 18 of commands 6 and 7 and on the score sheet.
using PlayType = int;
constexpr PlayType kPlayUndecided = -1;  // 6 or 12 cards that read both ways while leading
constexpr PlayType kPlayNone = 0;
constexpr PlayType kPlaySingle = 1;
constexpr PlayType kPlayPair = 2;
constexpr PlayType kPlayTriple = 3;
constexpr PlayType kPlayPairRun = 4;
constexpr PlayType kPlayTripleRun = 5;
constexpr PlayType kPlayFiveTenKingMixed = 6;
constexpr PlayType kPlayFiveTenKingDiamonds = 7;
constexpr PlayType kPlayFiveTenKingClubs = 8;
constexpr PlayType kPlayFiveTenKingHearts = 9;
constexpr PlayType kPlayFiveTenKingSpades = 10;
constexpr PlayType kPlayBombOf4 = 11;
constexpr PlayType kPlayBombOf12 = 19;

constexpr PlayType bombType(int cards) {
    return cards + 7;
}
constexpr int bombSize(PlayType type) {
    return type - 7;
}
constexpr bool isBombType(PlayType t) {
    return t >= kPlayBombOf4 && t <= kPlayBombOf12;
}
constexpr bool isFiveTenKingType(PlayType t) {
    return t >= kPlayFiveTenKingMixed && t <= kPlayFiveTenKingSpades;
}
constexpr bool isRunType(PlayType t) {
    return t == kPlayPairRun || t == kPlayTripleRun;
}

constexpr int kMaxRunCards = 24;

// A play type as players name it: "单张", "连对", "红桃五十K", "六张炸弹"; "过" for no play and
// "?" for a number that is no play type.
std::string playTypeName(PlayType type);

// The play to beat. Entries are laid out real cards first from the highest rank: rank * 256 + suit
// bit for a real card, the own rank (16 or 17) * 256 for a wild card. Type 0: nothing to beat.
struct LastPlay {
    PlayType type = kPlayNone;
    int count = 0;
    std::array<int32_t, kHandSlots> entries{};

    // Rank of the first entry: the play's highest real rank whenever it has a real card.
    int keyRank() const { return (entries[0] >> 8) & 0xFF; }
};

// The LastPlay entry of one laid-out card.
constexpr int32_t lastPlayEntry(CardCode c) {
    return isWild(c) ? cardRank(c) * 256 : cardRank(c) * 256 + suitBit(c);
}

// The play being validated: its type and its cards in selection order.
struct CurrentPlay {
    PlayType type = kPlayNone;
    int count = 0;
    std::array<CardCode, kHandSlots> cards{};
};

// The CurrentPlay of a classified selection (selection order); at most 27 cards are kept.
CurrentPlay currentPlayOf(PlayType type, std::span<const CardCode> cards);

// A selected own card and the image that shows it.
struct SelectedCard {
    CardCode code = 0;
    int image = 0;
};

// Puts a selection into selection order: rank highest first (wild cards first), equal ranks kept in
// hand order (a bubble sort that exchanges neighbours only when the left rank is strictly lower).
void sortSelection(std::span<CardCode> cards);
void sortSelection(std::span<SelectedCard> cards);

enum class RunMode { Pairs, Triples };

// Whether the cards (selection order) make a run of pairs or of triples, wild cards filling gaps,
// completing groups and forming whole extra groups at the ends. No "2" may be in a run.
bool CheckSequence(RunMode mode, std::span<const CardCode> cards);

// The type of a selection (selection order). lastType only matters for 6 and 12 cards that read
// both as pairs and as triples: it gives 4 or 5 when following a run of that kind, 0 when following
// anything else, and kPlayUndecided when leading (the window then asks with SequenceChoice).
PlayType ClassifyPlay(PlayType lastType, std::span<const CardCode> cards);

// Whether a play of this type and these cards (selection order) beats the last play. False when
// the last type is not 1..19: leading is decided by the caller.
bool BeatsLastPlay(std::span<const CardCode> cards, PlayType type, const LastPlay& last);

// The two lines of the SequenceChoice dialog for an undecided 6- or 12-card selection (selection
// order): option 0 the run of pairs, option 1 the run of triples, each the decimal ranks of its
// cards lowest first with nothing between them. Empty strings for a reading that does not hold.
std::array<std::string, 2> sequenceChoiceTexts(std::span<const CardCode> cards);

}  // namespace vexal
