// `RoundState`: the client's record of the round in progress, and the pure decisions the round's
// handlers take before they touch a widget.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "rules/card.h"
#include "rules/classify.h"

namespace vexal {

constexpr int kMaxBombsPerSeat = 10;
constexpr int kCardImagesPerSeat = 33;
constexpr int kShownPlayCapacity = 27;
constexpr uint8_t kNoCallOffer = 0xFF;  // no calling turn of the own seat is open

// The card images lying on the table for one seat's play.
struct ShownPlay {
    std::array<int, kShownPlayCapacity> images{};
    int count = 0;
};

struct RoundState {
    bool callingPhase = false;
    bool callingTurn = false;
    bool callOffered = false;
    bool handInputEnabled = false;
    int callCandidate = -1;    // slot
    int raisedCallCard = -1;   // slot
    bool hiddenCallAsked = false;  // the question before calling a card held twice is open
    bool ownPlayTurn = false;
    bool cardClicksBlocked = false;
    bool firstPlayPending = true;  // the next command 6 is the round's first
    int roarSeat = -1;
    double multiplier = 1.0;
    std::array<std::vector<PlayType>, 4> bombs{};
    std::array<int32_t, 4> pointsTaken{};
    // What lies on the table: each seat's latest play in the trick, and which seats passed in it.
    std::array<ShownPlay, 4> shown{};
    std::array<bool, 4> passed{};
    // Each seat's latest play in the previous trick, for the review.
    std::array<ShownPlay, 4> lastTrick{};
    std::array<int, 4> nextFreeImage{};
    int finishingPlace = 0;
    int sortMode = 1;
    bool reviewEnabled = false;
    bool reviewShowing = false;
    int raisedCount = 0;
    int choiceMode = 0;  // SequenceChoice: 0 none, 1 pairs, 2 triples
    std::string settlementNote;
    bool noteAlone = false;
    std::string wealthText = "1";
    std::array<std::string, 4> initialCoins{};
    LastPlay lastPlay{};
    std::array<Hand, 4> hands{};

    // What the views draw from.
    std::array<bool, kCardImagesPerSeat> raised{};  // own card images lifted by a click or the hint
    std::array<std::array<CardCode, kCardImagesPerSeat>, 4> imageCard{};  // the card each image shows
    int tablePoints = 0;            // points lying on the table in the current trick
    bool labelsShown = false;       // multiplier, table points and points taken
    bool pilesShown = false;        // the opponents' back piles
    bool handsRevealed = false;     // the opponents' remaining cards, face up at the round's end
    bool roundControls = false;     // sort, review and restore
    std::array<bool, 3> playControls{};  // play, hint, pass
    uint8_t callOffer = kNoCallOffer;  // the own calling turn's offer: which call buttons show
    bool calledFrameShown = false;  // the frame the called card rests in
    bool calledCardShown = false;
    uint8_t calledRank = 0;
    uint8_t calledSuitBit = 0;
    bool roarMarkerShown = false;   // at `roarSeat`
    int bankerSeat = -1;
    int partnerSeat = -1;
    std::array<int, 4> finishBadge{};  // picture per seat, 0 for none
    int bubbleSeat = -1;
    int bubblePicture = 0;

    // Everything `ResetRound` puts back (the round-running flag is not kept here).
    void reset();
};

// Multiplier factor of a suited 5-10-K or bomb (`PlayType` 7..19); 1 for anything else.
int bombFactor(PlayType type);

// The round's multiplier as its badge shows it: whole numbers up to 9999, then in 万 (ten
// thousand) and 亿 (a hundred million), so that any multiplier a round reaches fits the badge.
std::string multiplierBadgeText(double multiplier);

// The back pile picture of relative seat r (1..3) holding `count` cards; 0 for no pile.
int backPilePicture(int relativeSeat, int count);

// A card of an opponent's play as it is laid on the table.
struct LaidCard {
    CardCode code = 0;
    int picture = 0;   // picture index: suit index × 16 + rank, or the joker's own rank
    int32_t entry = 0; // its `LastPlay` entry
};

// Lays out a received play: natural cards in the order received, each wild card put before the
// first natural card whose rank is one or two below the rank it stands for (or after the cards of
// that rank); wild cards standing for nothing placeable, or for a rank below the lowest, come last.
std::vector<LaidCard> layOutReceivedPlay(std::span<const CardCode> cards);

// How many copies of `card` (its rank and suit; the two decks give at most two) the hand holds.
int copiesHeld(const Hand& hand, CardCode card);

// The card the countdown calls when the player does not: the highest slot whose rank may be called
// and whose card the hand holds once; only when every callable card is held twice, the highest
// callable slot (a hidden call, one against three). -1 when the hand holds nothing callable.
int automaticCallSlot(const Hand& hand);

// The called card's picture: rank byte AND 15 with 14 shown as 1, suit index of the suit bit.
int calledCardPicture(uint8_t rankByte, uint8_t suitBitValue);

// The turn time of byte 255 of command 6: 2 or less means 15.
constexpr int playCountdownSeconds(uint8_t byte255, bool goneAway) {
    if (goneAway)
        return 1;
    return byte255 <= 2 ? 15 : byte255;
}

// The hint for the own hand: the slots to raise, or a pass. (The search's own result names its
// field after a word the window toolkit reserves, so windows read it through this.)
struct HintProposal {
    bool pass = true;
    std::vector<int> raise;
};
HintProposal proposeHint(const Hand& hand, const LastPlay& last);

// Level titles "第一级" .. "第四十级"; empty outside 1..40.
std::string levelTitle(int level);

// The finishing badge of a finishing place 0..2: 360, 361, 362; 0 from the fourth finisher on.
constexpr int finishingBadgePicture(int place) { return place >= 0 && place < 3 ? 360 + place : 0; }

}  // namespace vexal
