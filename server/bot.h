// The bots' choices: what to call, and what to play. They answer with the same command 3 and
// command 7 frames a client sends, so their moves go through the same checks.
#pragma once

#include <vector>

#include "net/command.h"
#include "server/deck.h"
#include "server/round.h"

namespace vexal::server {

// The calling choice of the seat whose calling turn it is.
CommandFrame botCallFrame(const Round& round, int seat, Rng& rng);

// The play or pass of the seat whose turn it is. Following: the hint search, except that a bomb
// or 5-10-K is not spent on a play of a known teammate. Leading: the whole hand when it is one
// play, else the lowest rank's single, pair or triple (bombs and wild cards kept for later).
CommandFrame botPlayFrame(const Round& round, int seat);

// The cards a bot leads with, in selection order.
std::vector<CardCode> botLead(const std::vector<CardCode>& hand);

}  // namespace vexal::server
