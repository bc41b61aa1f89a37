// The round's messages from the server, each decoded once by the dispatcher: the deal (1), a
// calling turn (2), a seat's call choice (3), a play or pass (6) and a settlement record (9).
#pragma once

#include <variant>

#include "net/messages/calling.h"
#include "net/messages/deal.h"
#include "net/messages/play.h"
#include "net/messages/settlement.h"

namespace vexal {

using RoundMessage = std::variant<Deal, CallingTurn, CallChoice, PlayReport, SettlementRecord>;

}  // namespace vexal
