// Deciding the own play, arranging it with the ranks its wild cards stand for, and the server's
// check of a received play. The play's frame (command 7) is net/messages/play.h.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "rules/card.h"
#include "rules/classify.h"

namespace vexal {

// A card of an arranged play; represented is the rank a wild card stands for (3..15, or 2 when
// every card of the play is wild), 0 for a real card.
struct ArrangedCard {
    CardCode code = 0;
    int represented = 0;
};

// Lays out a classified selection (selection order) in play order and gives each wild card the rank
// it stands for: real cards first; in runs every wild card fills its group, a missing rank, or a
// whole extra group above the top while that rank is at most A, else below the lowest rank.
std::vector<ArrangedCard> arrangePlay(PlayType type, std::span<const CardCode> selection);

// The LastPlay an arranged play leaves behind.
LastPlay lastPlayOf(PlayType type, std::span<const ArrangedCard> arranged);

// The arranged cards as a received play carries them: each wild card with the rank it stands for
// in the high 4 bits of byte 0.
std::vector<CardCode> wireCardsOf(std::span<const ArrangedCard> arranged);

// What pressing play with this selection does (the pure part of JudgeChuPai).
enum class JudgeOutcome {
    Nothing,        // empty selection, no pass possible
    Pass,           // empty selection while the pass button is showing
    AwaitChoice,    // undecided run while leading: the window opens SequenceChoice
    RuleViolation,  // not a play, or it does not beat the last play
    Accepted,
};

// Choice mode from the SequenceChoice dialog: 0 none, 1 pairs chosen, 2 triples chosen.
constexpr int kSequenceChoiceNone = 0;
constexpr int kSequenceChoicePairs = 1;
constexpr int kSequenceChoiceTriples = 2;

struct JudgeDecision {
    JudgeOutcome outcome = JudgeOutcome::Nothing;
    PlayType type = kPlayNone;
};

// Decides a selection (selection order) against the last play. A choice mode only names which
// reading to take; the cards are still checked to make that run, since they may have changed while
// the dialog was open.
JudgeDecision judgePlay(std::span<const CardCode> selection, const LastPlay& last, int choiceMode,
                        bool passVisible);

// The two decks hold four wild cards; a play names at most that many.
constexpr int kMaxWildCards = 4;

// A received play or pass as the server checks it, read from its frame by decodePlayFrame.
struct PlayFrame {
    uint8_t seatBit = 0;
    bool pass = false;
    PlayType type = kPlayNone;                   // as the sender declares it
    int wildCount = 0;                           // as the sender declares it
    std::vector<uint8_t> cardIds;                // arranged order
    std::array<int, kMaxWildCards> wildRanks{};  // first wildCount are meaningful
};

enum class PlayVerdict {
    Accepted,
    PassWhileLeading,   // a pass with nothing to beat
    CardNotHeld,        // a card id not in the seat's hand, or named twice
    WildCountMismatch,  // byte 19 differs from the wild cards named
    NotAPlay,           // the cards make no play
    TypeMismatch,       // byte 18 is not the type the cards make
    WildRanksMismatch,  // the wild ranks differ from the arrangement of these cards
    DoesNotBeat,
};

struct PlayCheck {
    PlayVerdict verdict = PlayVerdict::NotAPlay;
    PlayType type = kPlayNone;
    std::vector<ArrangedCard> arranged;  // the play as the server relays it (Accepted only)
    LastPlay next;                       // the play to beat after it (Accepted plays only)
};

// The server's check of a received command 7 against the seat's hand and the play to beat. A pass
// is accepted unless the seat leads. The seat and the turn are the caller's to check.
PlayCheck checkReceivedPlay(const PlayFrame& play, std::span<const CardCode> hand, const LastPlay& last);

}  // namespace vexal
