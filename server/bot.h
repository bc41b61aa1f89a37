// The bots' choices: what to call, and what to play. They answer with the same command 3 and
// command 7 frames a client sends, so their moves go through the same checks.
#pragma once

#include <array>
#include <vector>

#include "net/command.h"
#include "server/deck.h"
#include "server/round.h"

namespace vexal::server {

// The calling choice of the seat whose calling turn it is.
CommandFrame botCallFrame(const Round& round, int seat, Rng& rng);

// What a seat knows of another seat's side. The partner knows the caller from the deal on, the
// caller and the others learn the partner when the called card shows; a roar is public; a hidden
// call looks like an ordinary call to everybody but the caller.
enum class Side { Own, Other, Unknown };

// What a following seat can see when it decides: its hand, the play to beat and who made it, the
// points lying in the trick, every seat's card count and what it knows of the sides.
struct FollowView {
    int seat = 0;
    std::vector<CardCode> hand;
    LastPlay last;
    int lastPlayer = -1;
    int trickPoints = 0;
    std::array<int, kSeats> cardsLeft{};
    std::array<Side, kSeats> sides{};
};

// When a following bot spends a play that doubles the stake (a bomb, or a suited 5-10-K): never
// on a play of a known teammate; otherwise only when a seat not known to be a teammate holds at
// most kNearOutCards cards, when the bot keeps at most kNearlyDoneCards cards after the play, or
// when the trick already holds kRichTrickPoints points and the play to beat doubles nothing.
constexpr int kNearOutCards = 3;
constexpr int kNearlyDoneCards = 3;
constexpr int kRichTrickPoints = 30;

Side sideAsSeen(const Round& round, int seat, int other);
FollowView followView(const Round& round, int seat);

// Whether the play the bot found (its type, and the cards it keeps) is worth playing: ordinary
// plays always are; a mixed 5-10-K, which multiplies nothing, except on a teammate's play; a play
// that doubles the stake as above.
bool worthPlaying(const FollowView& view, PlayType type, int cardsKept);

// The cards a following bot plays, in selection order; empty for a pass. The hint search's
// cheapest play that beats the table, held back when worthPlaying says no.
std::vector<CardCode> botFollow(const FollowView& view);

// The cards a bot leads with, in selection order: the whole hand when it is one play; else all
// cards of the lowest rank held one to three times (a single, pair or triple); a hand of nothing
// but bombs and wild cards breaks its lowest bomb with a single rather than open with it.
std::vector<CardCode> botLead(const std::vector<CardCode>& hand);

// The play or pass of the seat whose turn it is: botLead when leading, botFollow otherwise.
CommandFrame botPlayFrame(const Round& round, int seat);

}  // namespace vexal::server
