#include "model/sessionmodel.h"
#include "core/overloaded.h"

#include "core/clock.h"
#include "model/players.h"
#include "net/frame.h"
#include "net/messages/seating.h"

namespace vexal {

namespace {

constexpr uint32_t kLobbyLoginFailed = 22;
constexpr uint32_t kLobbyLoggedIn = 771;

// A reconnect checks every 3 seconds and gives up after 21 attempts, 66 seconds after it began.
constexpr float kReconnectSeconds = 3.0f;
constexpr int kReconnectAttempts = 21;

// The seat's panel shows a player: its name line is not empty.
bool seatDescribed(const SessionState& state, int r) {
    const PlayerRecord& p = state.players[static_cast<size_t>(r)];
    return !nicknameLabelText(p.title, p.nickname).empty();
}
}  // namespace

SessionModel::SessionModel(SessionState& state, RoundModel& round, std::function<std::array<int, 3>()> timeOfDay)
    : m_state(state), m_round(round), m_timeOfDay(std::move(timeOfDay)) {}

Effects SessionModel::receive(const SessionMessage& message) {
    Effects fx;
    std::visit(Overloaded{[&](const TableState& m) { onTableState(m, fx); },
                          [&](const LoginAnswer& m) { onLoginAnswer(m, fx); },
                          [&](const SeatInfo& m) { onSeatInfo(m, fx); },
                          [&](const PlayerLeft& m) { onPlayerLeft(m, fx); },
                          [&](const Removal& m) { onRemoval(m, fx); },
                          [&](const ReadyNotice& m) { onReadyNotice(m, fx); },
                          [&](const OwnCoinChange& m) { onCoinChange(0, m.change, fx); },
                          [&](const OtherCoinChange& m) {
                              for (int r = 1; r < 4; ++r) {
                                  const PlayerRecord& p = m_state.players[static_cast<size_t>(r)];
                                  if (!p.account.empty() && p.account == m.change.account) {
                                      onCoinChange(r, m.change, fx);
                                      return;
                                  }
                              }
                          }},
               message);
    return fx;
}

Effects SessionModel::act(const SessionIntent& intent) {
    return std::visit(Overloaded{[&](const intent::PressStart&) { return startButtonClicked(); },
                                 [&](const intent::ConfirmExit&) { return exitConfirmed(); },
                                 [&](const intent::AcceptNotice&) { return noticeAccepted(); },
                                 [&](const intent::CancelNotice&) { return noticeCancelled(); }},
                      intent);
}

// ---- login and seating

void SessionModel::onLoginAnswer(const LoginAnswer& answer, Effects& fx) {
    fx.append(m_round.resetRound());
    fx.then(step::StartKeepAlive{});
    fx.then(step::ClearHolds{});
    m_state.dealHappened = false;
    m_state.firstTableState = true;
    fx.then(step::LoginSent{false});

    if (answer.result != static_cast<uint8_t>(LoginResult::Accepted)) {
        fx.then(step::PostToLobby{kLobbyLoginFailed});
        const std::string text = answer.result == static_cast<uint8_t>(LoginResult::StartRefused)
                                     ? "启动游戏失败，请重新在大厅就座后进入游戏！"
                                     : "验证错误，请重新在大厅就座后进入游戏！";
        fx.then(step::StatusLine{0, text});
        // The process ends right after; a line on the table alone would never be read.
        fx.then(step::MessageBox{text});
        fx.then(step::RestoreLobby{});
        fx.then(step::EndProcess{});
        return;
    }
    m_state.loggedIn = true;
    fx.then(step::PostToLobby{kLobbyLoggedIn});
    m_state.timeoutLimit = 2;
    fx.then(step::StatusLine{1, ""});
    fx.then(step::StatusLine{0, "连接服务器成功！"});
    fx.then(step::StatusLine{1, "欢迎进入" + m_state.siteName});
    m_state.turnTimeLimit = m_state.goneAway ? 2 : answer.turnSeconds;
    if (!answer.advertisement.empty()) {
        m_state.seatChangePage = answer.advertisement + ".gamead";
        fx.then(step::Advertisement{answer.advertisement});
    }
}

void SessionModel::onSeatInfo(const SeatInfo& info, Effects& fx) {
    if (m_state.shuffleStarted)
        shuffle(step::Shuffle::Stopped, fx);
    fx.then(step::Advertisement{});
    m_state.leavePending = false;

    if (m_state.own.seatBit == 0)
        m_state.own.seatBit = info.addresseeBit;
    const int r = m_state.relativeOf(info.seatBit);
    const size_t s = static_cast<size_t>(r);
    if (r == 0)
        m_state.startDisarmed = false;

    // Every seat information counts, a seat described again included: the count starts afresh
    // after each settlement, so a server that describes the four seats again after a round
    // brings it to four exactly once.
    const int before = m_state.playersPresent++;
    if (before == 3 && !m_state.dealHappened) {
        fx.then(step::MinimiseLobby{});
        fx.then(step::TableBroughtUp{});
    }
    m_state.shownNames[s] = info.account;

    m_state.lastWealthMultiple = info.wealthMultiple;
    if (info.wealthMultiple != 0) {
        fx.then(step::RoomRules{true});
        m_state.wealthMultiples[s] = info.wealthMultiple;
    }
    fx.then(step::Wealth{});
    if (r != 0)
        m_state.seatBits[s] = info.seatBit & 0x0F;
    m_state.players[s] = playerRecordFrom(info);
    if (m_state.players[s].ready)
        m_state.readyMarks[s] = true;
    // The prop plug-in is not part of this table: a seat that refuses it, or a launch without the
    // prop switch, only keeps it off for the session.
    if (info.pluginRefused || m_state.launch.propSwitch != 1)
        m_state.pluginOff = true;
    fx.then(step::SeatPanel{r});
    fx.then(step::ReadyMarks{});

    const auto& marks = m_state.readyMarks;
    if (marks[1] && marks[2] && marks[3] && m_state.dealHappened) {
        m_state.startDisarmed = true;
        fx.then(step::StartPicture{6});
        getReadyForRound(fx);
    }
    if (m_state.playersPresent == 4 && !m_state.ready) {
        getReadyForRound(fx);
        fx.then(step::StatusLine{0, std::string(kStartsSoonLine)});
    }
}

void SessionModel::getReadyForRound(Effects& fx) {
    fx.append(m_round.resetRound());
    fx.append(seatCounterReset());
    m_state.ready = true;
}

void SessionModel::onTableState(const TableState& ts, Effects& fx) {
    switch (tableStateKind(ts.state)) {
    case TableStateKind::Forming:
        if (!m_state.firstTableState || m_state.launch.spectator)
            return;
        m_state.firstTableState = false;
        if (ts.byte11 == 1)
            m_state.randomSeatChange = true;
        shuffle(step::Shuffle::LaidOut, fx);
        if (ts.startAnimationNow)
            shuffle(step::Shuffle::Started, fx);
        return;
    case TableStateKind::Nothing:
        return;
    case TableStateKind::HideAdvertisement:
        fx.then(step::Advertisement{});
        return;
    case TableStateKind::CoinShortage:
        break;
    }

    shuffle(step::Shuffle::Stopped, fx);
    fx.then(step::Advertisement{});
    const int ownSeat = seatOfBit(m_state.own.seatBit);
    for (int k = 0; k < 4; ++k) {
        if (!(ts.seatBits & (1 << k)))
            continue;
        const int r = relativeSeat(k, ownSeat);
        fx.then(step::StatusLine{0, coinShortageLine(m_state.players[static_cast<size_t>(r)].nickname)});
        m_state.roundRunning = false;
        m_state.ready = false;
        if (r == 0) {
            fx.then(step::ScoreBoardShown{});
            const std::string text = (ts.byte11 & m_state.own.seatBit) ? "您的金币不够，请更换房间或充值后继续游戏！"
                                                                       : "您的金币不够，请领取低保或充值后继续游戏！";
            fx.then(step::Notice{text, true, true});
            for (int other = 1; other < 4; ++other)
                if (!m_state.shownNames[static_cast<size_t>(other)].empty())
                    clearSeat(other, fx);
            fx.then(step::StopKeepAlive{});
            fx.then(step::DisarmReadyCountdown{});
            fx.then(step::DisarmConnectionWatch{});
            m_state.roundRunning = false;
            m_state.ready = false;
            removal(fx);
            fx.append(leave());
        } else {
            clearSeat(r, fx);
        }
    }
    if (m_state.launch.spectator) {
        fx.then(step::MessageBox{"有用户退出，旁观结束！"});
        fx.then(step::EndProcess{});
    }
}

// ---- departures and coins

void SessionModel::onPlayerLeft(const PlayerLeft& left, Effects& fx) {
    shuffle(step::Shuffle::Stopped, fx);
    fx.then(step::Advertisement{});
    // A frame without an account names nobody, least of all the own player.
    if (!left.account.empty() && left.account == m_state.shownNames[0]) {
        // The server says we left: the session is over, nobody is told.
        fx.then(step::EndProcess{});
        return;
    }
    for (int r = 1; r < 4; ++r)
        if (!left.account.empty() && m_state.shownNames[static_cast<size_t>(r)] == left.account)
            clearSeat(r, fx);
    if (m_state.firstTableState) {
        m_state.firstTableState = false;
        m_state.startDisarmed = false;
        m_state.roundRunning = false;
        m_state.ready = false;
        if (!m_state.launch.spectator)
            fx.then(step::StartReadyCountdown{m_state.awayMode ? 1 : (left.shortCountdown ? 10 : 15)});
    }
    fx.then(step::StartKeepAlive{});
    if (m_state.launch.spectator) {
        fx.then(step::MessageBox{"有用户退出，旁观结束！"});
        fx.then(step::EndProcess{});
    }
}

void SessionModel::clearSeat(int r, Effects& fx) {
    const size_t s = static_cast<size_t>(r);
    if (m_state.playersPresent > 0)
        --m_state.playersPresent;
    m_state.ready = false;
    fx.then(step::SeatPanelCleared{r});
    const auto [h, m, sec] = m_timeOfDay();
    fx.then(step::StatusLine{0, departureLine(m_state.players[s].nickname, h, m, sec)});
    fx.then(step::StatusLine{1, ""});
    m_state.dealTimeNames[s].clear();
    m_state.shownNames[s].clear();
    m_state.players[s] = PlayerRecord{};
    m_state.readyMarks[s] = false;
    fx.then(step::SessionRecordSeatCleared{r});
    if (m_state.lastWealthMultiple != 0)
        m_state.wealthMultiples[s] = 0;
    fx.then(step::Wealth{});
}

void SessionModel::onReadyNotice(const ReadyNotice& notice, Effects& fx) {
    if (notice.ready) {
        for (int r = 0; r < 4; ++r)
            if (m_state.shownNames[static_cast<size_t>(r)] == notice.account && seatDescribed(m_state, r))
                m_state.readyMarks[static_cast<size_t>(r)] = true;
        fx.then(step::ReadyMarks{});
    }
    const auto& marks = m_state.readyMarks;
    if (marks[1] && marks[2] && marks[3] && !m_state.dealHappened) {
        fx.append(seatCounterReset());
        fx.append(m_round.resetRound());
        m_state.ready = true;
    }
}

void SessionModel::onRemoval(const Removal& notice, Effects& fx) {
    m_state.roundRunning = false;
    // The server is done with this table (it may be closing): a reconnect the closed connection
    // started ends, and the one status line says why rather than that the table reconnects.
    endReconnect(fx);
    fx.then(step::StatusLine{1, ""});
    fx.then(step::StatusLine{0, notice.reason});
    if (!m_state.awayMode)
        fx.then(step::SessionRecordShown{});
    fx.then(step::Pause{2000});
    fx.then(step::Notice{notice.reason, false, false});
    fx.append(leave());
    removal(fx, notice.reason);
}

void SessionModel::removal(Effects& fx, const std::string& line) {
    m_state.leavePending = true;
    m_state.startDisarmed = false;
    // The round stays in sight as it was, for the player to see where it ended, but nothing on it
    // acts any more and its clock stands still; no panels of players this table no longer sits with.
    m_state.loggedIn = false;
    fx.append(m_round.suspend());
    for (int r = 1; r < 4; ++r) {
        const size_t s = static_cast<size_t>(r);
        m_state.readyMarks[s] = false;
        fx.then(step::SeatPanelCleared{r});
        m_state.shownNames[s].clear();
        m_state.dealTimeNames[s].clear();
        m_state.players[s] = PlayerRecord{};
    }
    fx.then(step::ReadyMarks{});
    fx.then(step::StatusLine{0, line});
    fx.then(step::CloseSocket{});
    fx.then(step::Pause{2000});
    fx.then(step::ResetRings{});
    m_state.playersPresent = 0;
    m_state.roundCounter = 0;
    fx.then(step::Notice{std::string(), true, false});
}

void SessionModel::onCoinChange(int r, const CoinChange& change, Effects& fx) {
    PlayerRecord& p = m_state.players[static_cast<size_t>(r)];
    p.coins = coinsAfterChange(p.coins, change.amount);
    fx.then(step::Coins{r});
}

// The seat-change animation while the server forms a table with random seats.
void SessionModel::shuffle(step::Shuffle::Kind kind, Effects& fx) {
    switch (kind) {
    case step::Shuffle::LaidOut:
        m_state.shuffleLaidOut = true;
        break;
    case step::Shuffle::Started:
        m_state.shuffleStarted = true;
        m_state.shuffleLaidOut = false;
        m_state.shuffleTextIndex = 0;
        break;
    case step::Shuffle::Stopped:
        m_state.shuffleStarted = false;
        break;
    }
    fx.then(step::Shuffle{kind});
}

// ---- leaving and the resets

Effects SessionModel::leave() {
    Effects fx;
    endReconnect(fx);
    fx.then(step::DisarmSessionTasks{});
    fx.then(step::StopKeepAlive{});
    fx.then(step::WriteDirect{encode(ReadyOrLeave{m_state.own.seatBit, false})});
    fx.then(step::Wait{m_state.reconnected ? 800 : 400});
    shuffle(step::Shuffle::Stopped, fx);
    fx.then(step::Advertisement{});
    m_state.shuffleLaidOut = false;
    m_state.shuffleStarted = false;
    return fx;
}

Effects SessionModel::seatCounterReset() {
    Effects fx;
    fx.then(step::PointsTakenCleared{});
    m_state.roundRunning = false;
    return fx;
}

Effects SessionModel::tableWindowReset() {
    Effects fx;
    endReconnect(fx);
    m_state.startDisarmed = true;
    m_state.roundRunning = false;
    fx.then(step::DisarmSessionTasks{});
    fx.then(step::StopMainTimer{});
    fx.then(step::StopKeepAlive{});
    fx.then(step::StatusLine{0, ""});
    fx.then(step::StatusLine{1, ""});
    fx.then(step::CloseSocket{});
    fx.then(step::LoginSent{false});
    for (int r = 0; r < 4; ++r) {
        const size_t s = static_cast<size_t>(r);
        fx.then(step::SeatPanelCleared{r});
        m_state.shownNames[s].clear();
        m_state.seatBits[s] = 0;
        m_state.players[s] = PlayerRecord{};
        m_state.readyMarks[s] = false;
    }
    // The own seat's bit too: the next login may seat the player elsewhere, and the first seat
    // information only sets an empty one.
    m_state.own.seatBit = 0;
    // The round file goes, so the record of its rounds goes with it: a line left behind would
    // point at a round that no longer exists.
    fx.then(step::SessionRecordCleared{});
    fx.then(step::ScoreSheetCleared{});
    fx.then(step::RemoveRoundFile{});
    fx.then(step::ChatHistoryCleared{});
    m_state.playersPresent = 0;
    m_state.roundCounter = 0;
    m_state.timeoutCount = 0;
    fx.then(step::TableMinimised{});
    fx.then(step::NoticeHidden{});
    fx.then(step::ExitConfirmHidden{});
    fx.then(step::RoundWindowsClosed{});
    m_state.firstStart = true;
    fx.then(step::StartPicture{4});
    fx.then(step::ChatLineCleared{});
    fx.then(step::Wealth{true});
    m_state.wealthMultiples = {};
    return fx;
}

Effects SessionModel::tableReset() {
    Effects fx = tableWindowReset();
    fx.append(seatCounterReset());
    fx.append(m_round.resetRound());
    return fx;
}

Effects SessionModel::exitConfirmed() {
    Effects fx;
    fx.then(step::SoundSettingsClosed{});
    m_state.roundRunning = false;
    fx.then(step::DisarmConnectionWatch{});
    fx.append(leave());
    m_state.ready = false;
    fx.append(tableReset());
    fx.then(step::BackToLobby{});
    fx.then(step::ExitConfirmHidden{});
    return fx;
}

Effects SessionModel::noticeAccepted() {
    Effects fx;
    m_state.ready = false;
    fx.append(tableReset());
    fx.then(step::NoticeHidden{});
    fx.then(step::BackToLobby{});
    return fx;
}

Effects SessionModel::noticeCancelled() {
    Effects fx;
    m_state.leavePending = true;
    fx.then(step::NoticeHidden{});
    return fx;
}

Effects SessionModel::startButtonClicked() {
    Effects fx;
    m_state.firstStart = false;
    if (m_state.startDisarmed)
        return fx;
    fx.then(step::StartPicture{6});
    m_state.readyMarks[0] = true;
    fx.then(step::ReadyMarks{});
    fx.then(step::DisarmReadyCountdown{});
    fx.append(m_round.hideClock());
    m_state.startDisarmed = true;
    if (m_state.leavePending) {
        m_state.leavePending = false;
        fx.then(step::StopMainTimer{});
        fx.then(step::NoticeHidden{});
        m_state.ready = false;
        fx.append(tableReset());
        fx.then(step::BackToLobby{});
    }
    if (!m_state.ready)
        getReadyForRound(fx);
    // During a round no ready frame is filled; nothing at all is sent rather than an empty frame.
    if (!m_state.roundRunning)
        fx.send(encode(ReadyOrLeave{m_state.own.seatBit, true}));
    if (m_state.shuffleLaidOut && m_state.randomSeatChange)
        shuffle(step::Shuffle::Started, fx);
    fx.then(step::ScoreSheetHidden{});
    fx.then(step::SessionRecordHidden{});
    return fx;
}

Effects SessionModel::readyCountdownTimedOut(bool clockBased) {
    Effects fx = m_round.hideClock();
    if (!m_state.ready) {
        fx.then(step::StartPicture{6});
        m_state.startDisarmed = true;
        fx.append(m_round.resetRound());
        fx.append(seatCounterReset());
        m_state.ready = true;
    }
    fx.send(encode(ReadyOrLeave{m_state.own.seatBit, true}));
    if (clockBased && m_state.shuffleLaidOut && m_state.randomSeatChange)
        shuffle(step::Shuffle::Started, fx);
    return fx;
}

Effects SessionModel::connectionSilent() {
    Effects fx;
    fx.then(step::StatusLine{0, "已经与服务器断开连接，请重新入座！"});
    fx.then(step::TableMinimised{});
    fx.then(step::RestoreLobby{});
    m_state.ready = false;
    fx.append(tableReset());
    return fx;
}

Effects SessionModel::lobbyAskedToLeave(bool connected) {
    Effects fx;
    if (connected)
        fx.append(leave());
    fx.append(tableWindowReset());
    return fx;
}

Effects SessionModel::lobbyAskedToConnect() {
    Effects fx;
    // With a round on the table the seat is still ours on the server: rejoin it as a reconnect
    // does, rather than logging in as a newcomer the table has no room for.
    if (m_state.roundRunning)
        fx.then(step::ReconnectAttempt{});
    else
        fx.then(step::ConnectAgain{});
    // A notice of how the last connection ended (given up, short of coins) has had its say; its
    // OK would now reset the table under the new one.
    fx.then(step::NoticeHidden{});
    m_state.startDisarmed = false;
    fx.then(step::StartPicture{4});
    fx.append(m_round.hideClock());
    return fx;
}

Effects SessionModel::tableRestored() {
    Effects fx;
    m_state.awayMode = false;
    m_state.goneAway = false;
    m_state.timeoutCount = 0;
    m_state.turnTimeLimit = 15;
    fx.then(step::TableBroughtUp{});
    fx.then(step::MinimiseLobby{});
    return fx;
}

Effects SessionModel::connectionLost(float now) {
    Effects fx;
    m_state.loggedIn = false;
    fx.append(m_round.suspend());
    // The table says what it is doing from the moment the connection goes, not 3 seconds later.
    fx.then(step::StatusLine{1, ""});
    fx.then(step::StatusLine{0, "正在重新连接服务器..."});
    fx.then(step::DisarmConnectionWatch{});
    fx.then(step::StartKeepAlive{});
    // The connection of an attempt under way went (a proxy that could not reach the server, a
    // server that took the connection and dropped it): that attempt failed, and the reconnect
    // counts it on its next check rather than starting over.
    if (m_state.reconnecting)
        return fx;
    m_state.reconnecting = true;
    m_state.reconnectAttempts = 0;
    m_state.reconnectCheckedAt = now;
    return fx;
}

Effects SessionModel::reconnectStep(float now, bool linkUp) {
    Effects fx;
    if (!m_state.reconnecting || secondsBetween(m_state.reconnectCheckedAt, now) < kReconnectSeconds)
        return fx;
    m_state.reconnectCheckedAt = now;
    if (linkUp) {
        // The reconnect login is out on a live connection; the server's answer decides.
        endReconnect(fx);
        return fx;
    }
    if (m_state.reconnectAttempts >= kReconnectAttempts) {
        m_state.reconnecting = false;
        fx.then(step::TableMinimised{});
        fx.then(step::RestoreLobby{});
        m_state.ready = false;
        fx.append(tableReset());
        fx.append(leave());
        fx.then(step::Notice{"网络已断开,请退出大厅重新登陆游戏", true, false});
        return fx;
    }
    ++m_state.reconnectAttempts;
    fx.then(step::StatusLine{1, ""});
    fx.then(step::StatusLine{0, "正在重新连接服务器..."});
    fx.then(step::ReconnectAttempt{});
    return fx;
}

Effects SessionModel::reconnectAnswered(bool accepted) {
    Effects fx;
    endReconnect(fx);
    if (!accepted) {
        fx.then(step::MessageBox{"重连服务器失败，退出后请重新入座！"});
        fx.then(step::RestoreLobby{});
        fx.then(step::EndProcess{});
        return fx;
    }
    m_state.loggedIn = true;
    m_state.reconnected = true;
    m_round.catchUp();
    fx.then(step::StatusLine{1, ""});
    fx.then(step::StatusLine{0, "正在重连服务器，请等待...！"});
    return fx;
}

// Whatever ended the reconnect, the seat it asked for is settled: the next connection logs in.
void SessionModel::endReconnect(Effects& fx) {
    m_state.reconnecting = false;
    fx.then(step::LoginRestored{});
}

Effects SessionModel::ownDealStarted() {
    Effects fx;
    m_state.dealHappened = true;
    m_state.randomSeatChange = false;
    // The names at the deal: a departure during the round is announced by them.
    for (size_t r = 1; r < 4; ++r)
        m_state.dealTimeNames[r] = m_state.shownNames[r];
    m_state.firstTableState = true;
    fx.then(step::StopKeepAlive{});
    fx.append(m_round.clearOwnHand());
    // A player deciding to leave keeps the question open; it now says what leaving costs.
    fx.then(step::ExitWarning{exitWarningText(true, m_state.launch.spectator, false)});
    fx.then(step::NoticeHidden{});
    // The ready phase is over; any later line stays.
    for (int line : {0, 1})
        for (std::string_view text : {kPressContinueLine, kStartsSoonLine})
            fx.then(step::StatusLineWithdrawn{line, std::string(text)});
    // No countdown of the last round goes on, and nobody is marked ready any more.
    m_round.stopPlayCountdown();
    fx.then(step::DisarmReadyCountdown{});
    m_state.startDisarmed = true;
    m_state.readyMarks = {};
    fx.then(step::ReadyMarks{});
    return fx;
}

std::string SessionModel::exitWarning() const {
    return exitWarningText(m_state.roundRunning, m_state.launch.spectator, m_state.shuffleStarted);
}

}  // namespace vexal
