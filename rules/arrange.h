// Deciding the own play, arranging it with the ranks its wild cards stand for, the command 7 play
// and pass frames, and the server's check of a received command 7.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "net/command.h"
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

constexpr uint8_t kPlayMarker = 2;  // byte 15 of a play
constexpr uint8_t kPassMarker = 1;  // byte 15 of a pass
constexpr size_t kPlayCardIdsByte = 20;
constexpr size_t kPlayWildRanksByte = 45;  // wild card j at 45 + 4j, j = 0..3
constexpr int kMaxWildCards = 4;

// Command 7 for an arranged play: byte 6 own seat bit, 15 = 2, 17 count, 18 type, 19 wild cards,
// 20+k card ids in arranged order, 45+4j the rank of the j-th wild card. Empty for a play that
// cannot travel (no card, more than 24 cards, more than four wild cards).
std::optional<CommandFrame> buildPlayFrame(uint8_t ownSeatBit, PlayType type,
                                           std::span<const ArrangedCard> arranged);

// Command 7 pass: byte 6 own seat bit, byte 15 = 1.
CommandFrame buildPassFrame(uint8_t ownSeatBit);

// A command 7 as the server reads it.
struct PlayFrame {
    uint8_t seatBit = 0;  // byte 6, low 4 bits
    bool pass = false;
    PlayType type = kPlayNone;
    int wildCount = 0;
    std::vector<uint8_t> cardIds;                // arranged order
    std::array<int, kMaxWildCards> wildRanks{};  // first wildCount are meaningful
};

// Decodes a command 7; empty when the frame is not one (wrong command, byte 15 neither 1 nor 2,
// a play of 0 or more than 24 cards or with more than four wild cards).
std::optional<PlayFrame> decodePlayFrame(const CommandFrame& frame);

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
