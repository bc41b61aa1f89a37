// One deal of the game: calling, turns, tricks, points and finishing places. Pure state; the
// table turns its events into frames.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "net/messages/calling.h"
#include "net/messages/play.h"
#include "rules/arrange.h"
#include "server/deck.h"

namespace vexal::server {

enum class Phase { Calling, Playing, Over };
enum class CallKind { None, Ordinary, Hidden, Roar };

// A play or pass as every seat is told about it (command 6), in seat numbers.
struct PlayEvent {
    int seat = 0;
    PlayType type = kPlayNone;
    std::vector<ArrangedCard> arranged;  // empty for a pass or the opening
    uint8_t trickFlag = 0;
    int taker = -1;  // the seat that takes the trick when the flag closes it
    int next = -1;   // the seat to play next; -1 after the round's last play
    int tablePoints = 0;
    bool partnerRevealed = false;
    bool finished = false;  // the seat played its last card
    bool roundOver = false;
};

// What the round knows once it is over; the settlement is computed from it.
struct RoundFacts {
    CallKind kind = CallKind::None;
    int caller = -1;   // ordinary or hidden call
    int partner = -1;  // ordinary call: the holder of the other copy; hidden: the caller
    int lone = -1;     // the seat playing alone (roar or hidden call)
    std::array<int, kSeats> team{};  // 0 the calling (or lone) side, 1 the others
    std::array<int, kSeats> places{};      // 1..4
    std::array<int, kSeats> cardPoints{};  // taken from tricks
    std::array<int, kSeats> handPoints{};  // still in the hand at the end
    std::array<std::vector<PlayType>, kSeats> bombs;  // types above 6, in order
};

class Round {
public:
    Round(const Deck& deck, int starter);

    Phase phase() const { return m_phase; }
    int starter() const { return m_starter; }
    const std::vector<CardCode>& hand(int seat) const { return m_hands[seat]; }

    // Calling. The seat whose calling turn it is and what it is offered.
    int callingSeat() const;
    uint8_t offer() const;
    // Applies a calling choice; returns an empty string when accepted, else why it was refused.
    std::string call(int seat, uint8_t choice, int rank, int suitBit);
    const std::vector<CallChoice>& callHistory() const { return m_callHistory; }
    CallKind kind() const { return m_kind; }
    int caller() const { return m_caller; }
    int partner() const { return m_partner; }
    int lone() const { return m_lone; }
    int calledRank() const { return m_calledRank; }
    int calledSuit() const { return m_calledSuit; }
    bool partnerRevealed() const { return m_revealed; }
    // Whether `other` is on the same side as `seat` (calling over).
    bool sameSide(int seat, int other) const { return m_team[seat] == m_team[other]; }

    // Playing.
    int turn() const { return m_turn; }
    int leader() const { return m_leader; }
    const LastPlay& lastPlay() const { return m_last; }
    int lastPlayer() const { return m_lastPlayer; }
    bool leading() const { return m_last.type == kPlayNone; }
    int trickPoints() const { return m_trickPoints; }
    // The command 6 that opens the play: no cards, the leader named next, the leading flag.
    PlayEvent opening() const;

    struct Outcome {
        std::string refusal;  // empty when the play or pass was applied
        PlayEvent event;
    };
    Outcome play(int seat, const PlayFrame& frame);

    const std::array<int, kSeats>& taken() const { return m_taken; }
    RoundFacts facts() const;

private:
    void endCalling();
    void finishRound();
    int nextHolding(int seat) const;
    bool roundIsOver() const;

    std::array<std::vector<CardCode>, kSeats> m_hands;
    Phase m_phase = Phase::Calling;
    int m_starter = 0;
    int m_callIndex = 0;
    std::vector<CallChoice> m_callHistory;
    CallKind m_kind = CallKind::None;
    int m_caller = -1;
    int m_partner = -1;
    int m_lone = -1;
    int m_calledRank = 0;
    int m_calledSuit = 0;
    std::array<int, kSeats> m_team{};
    bool m_revealed = false;

    int m_turn = -1;
    int m_leader = -1;
    LastPlay m_last;
    int m_lastPlayer = -1;
    int m_trickPoints = 0;
    int m_passes = 0;
    std::array<int, kSeats> m_taken{};
    std::array<int, kSeats> m_places{};
    int m_nextPlace = 1;
    std::array<std::vector<PlayType>, kSeats> m_bombs;
};

// The card the client's countdown calls for a starter who does not choose: with the hand sorted
// by size, the callable card in the highest slot (the lowest callable rank, the lowest suit bit
// among equals); 0 when the hand holds no callable card.
CardCode automaticCallCard(const std::vector<CardCode>& hand);

// What the client's own countdown answers when a seat's turn runs out, and what the server
// answers for it: the automatic call when calling is offered, a roar when only a roar is, a
// pass otherwise; in play the lowest single when leading, a pass when following.
CallChoice automaticCallChoice(uint8_t seatBit, uint8_t offer, const std::vector<CardCode>& hand);
CommandFrame automaticPlayFrame(uint8_t seatBit, bool leading, const std::vector<CardCode>& hand);

}  // namespace vexal::server
