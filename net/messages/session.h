// The session's messages from the server, each decoded once by the dispatcher: table state (16),
// login answer (18), seat information (20), a player left (21), removal (22), ready notice (23)
// and the coin changes of the own player (91) and of another (92).
#pragma once

#include <variant>

#include "net/messages/departure.h"
#include "net/messages/seating.h"

namespace vexal {

struct OwnCoinChange {
    CoinChange change;
};
struct OtherCoinChange {
    CoinChange change;
};

using SessionMessage = std::variant<TableState, LoginAnswer, SeatInfo, PlayerLeft, Removal, ReadyNotice, OwnCoinChange,
                                    OtherCoinChange>;

}  // namespace vexal
