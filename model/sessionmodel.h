// `SessionModel`: the session at the table as plain state and the decisions taken on it: login and
// seating, departures and coins, the ready step, leaving and the resets. It takes the session's
// decoded messages and the player's session intents and answers with `Effects` whose steps the
// main loop and the session's views carry out in order. It touches no widget.
#pragma once

#include <array>
#include <functional>

#include "model/effects.h"
#include "model/roundmodel.h"
#include "model/session.h"
#include "net/messages/session.h"

namespace vexal {

// The player's intents on the session, as the table's buttons and windows turn clicks into them.
namespace intent {
struct PressStart {};    // 开始 / 继续
struct ConfirmExit {};   // the exit confirmation's OK
struct AcceptNotice {};  // the notice window's OK
struct CancelNotice {};
}  // namespace intent
using SessionIntent = std::variant<intent::PressStart, intent::ConfirmExit, intent::AcceptNotice, intent::CancelNotice>;

class SessionModel {
public:
    // `timeOfDay` gives hour, minute and second of the local time, for the departure lines.
    SessionModel(SessionState& state, RoundModel& round, std::function<std::array<int, 3>()> timeOfDay);

    const SessionState& state() const { return m_state; }

    Effects receive(const SessionMessage& message);
    Effects act(const SessionIntent& intent);

    // Leaving and the resets.
    Effects leave();                // the leave frame, written straight to the socket
    Effects seatCounterReset();
    Effects tableWindowReset();
    Effects tableReset();
    Effects exitConfirmed();        // the player confirmed leaving, or the table must go
    Effects noticeAccepted();
    Effects noticeCancelled();
    Effects startButtonClicked();
    // The ready countdown ran out: a player not ready is made ready, and the ready frame goes.
    Effects readyCountdownTimedOut(bool clockBased);
    // The connection stayed silent past the watch: back to the lobby, the table emptied.
    Effects connectionSilent();
    // The lobby's messages 771 (when no round runs and no login is pending) and 1024.
    Effects lobbyAskedToLeave(bool connected);
    // The lobby's message 22: a new connection (a reconnect attempt while a round runs); the start
    // button is armed again.
    Effects lobbyAskedToConnect();
    // The player brought the table back from the taskbar: away mode ends.
    Effects tableRestored();
    // The connection went during a round with the lobby there: no longer logged in, kept alive,
    // and the reconnect starts, unless one is under way; `now` is the clock's seconds since midnight.
    Effects connectionLost(float now);
    // The reconnect's attempt timer, checked on every main-timer tick: every 3 seconds the
    // reconnect is complete once the link is up (connected, through the proxy if there is one, and
    // the reconnect login written), or makes one more attempt, and gives up after 21.
    Effects reconnectStep(float now, bool linkUp);
    // The server's answer to the reconnect login. Like the end of the attempts, a leave and a
    // table reset, it ends the reconnect and puts the kept login back.
    Effects reconnectAnswered(bool accepted);
    // An own deal starts the round: the session's part of it, before the round takes the cards.
    Effects ownDealStarted();

    // The text of the exit confirmation, by what leaving now would cost.
    std::string exitWarning() const;

private:
    void onLoginAnswer(const LoginAnswer& answer, Effects& fx);
    void onSeatInfo(const SeatInfo& info, Effects& fx);
    void onTableState(const TableState& ts, Effects& fx);
    void onPlayerLeft(const PlayerLeft& left, Effects& fx);
    void onRemoval(const Removal& removal, Effects& fx);
    void onReadyNotice(const ReadyNotice& notice, Effects& fx);
    void onCoinChange(int seat, const CoinChange& change, Effects& fx);

    void clearSeat(int r, Effects& fx);
    void endReconnect(Effects& fx);
    // `line`: what the first status line says once the table is left.
    void removal(Effects& fx, const std::string& line = {});
    void getReadyForRound(Effects& fx);
    void shuffle(step::Shuffle::Kind kind, Effects& fx);

    SessionState& m_state;
    RoundModel& m_round;
    std::function<std::array<int, 3>()> m_timeOfDay;
};

}  // namespace vexal
