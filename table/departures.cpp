// Player left (21), removal notice (22), ready notice (23), coin changes (91, 92), and the two
// clearing operations other handlers reuse.
#include "table/tablesession.h"

#include "net/messages/departure.h"
#include "platform/messagebox.h"

namespace vexal {

namespace {
QString q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

void TableSession::onPlayerLeft(const CommandFrame& frame) {
    const PlayerLeft left = decodePlayerLeft(frame);
    m_form.stopShuffle();
    m_form.WebBrowser1->hide();
    // A frame without an account names nobody, least of all the own player.
    if (!left.account.empty() && left.account == m_state.shownNames[0]) {
        // The server says we left: the session is over, nobody is told.
        m_services.endProcess();
        return;
    }
    for (int r = 1; r < 4; ++r)
        if (!left.account.empty() && m_state.shownNames[static_cast<size_t>(r)] == left.account)
            clearSeat(r);
    if (m_state.firstTableState) {
        m_state.firstTableState = false;
        m_state.startDisarmed = false;
        m_state.roundRunning = false;
        m_state.ready = false;
        if (!m_state.launch.spectator)
            m_services.startReadyCountdown(m_state.awayMode ? 1 : (left.shortCountdown ? 10 : 15));
    }
    if (!m_services.keepAliveRunning())
        m_services.startKeepAlive();
    if (m_state.launch.spectator) {
        messageBox(&m_form, QStringLiteral("有用户退出，旁观结束！"), QStringLiteral("警告"));
        m_services.endProcess();
    }
}

void TableSession::clearSeat(int r) {
    const size_t s = static_cast<size_t>(r);
    if (m_state.playersPresent > 0)
        --m_state.playersPresent;
    m_state.ready = false;
    m_form.clearSeatPanel(r);
    const auto [h, m, sec] = m_services.timeOfDay();
    m_form.setSysmsg(0, q(departureLine(m_state.players[s].nickname, h, m, sec)));
    m_form.clearSysmsg(1);
    m_state.dealTimeNames[s].clear();
    m_state.shownNames[s].clear();
    m_state.players[s] = PlayerRecord{};
    m_form.hero->ID[r]->clear();
    m_form.hero->Tou[r]->clear();
    if (pluginLoaded() && hooks.pluginClearUser)
        hooks.pluginClearUser(r);
    if (m_state.lastWealthMultiple != 0) {
        m_state.wealthMultiples[s] = 0;
        m_form.showWealth(smallestPositiveWealth(m_state.wealthMultiples));
    } else {
        m_form.hideWealth();
    }
    if (m_state.videoEnabled && hooks.removeVideoTile)
        hooks.removeVideoTile(r);
}

void TableSession::onReadyNotice(const CommandFrame& frame) {
    const ReadyNotice notice = decodeReadyNotice(frame);
    if (notice.ready) {
        for (int r = 0; r < 4; ++r)
            if (m_state.shownNames[static_cast<size_t>(r)] == notice.account && !m_form.Nid[r]->text().isEmpty())
                m_form.showReadyMark(r, true);
    }
    if (m_form.readyMarkShown(1) && m_form.readyMarkShown(2) && m_form.readyMarkShown(3) && !m_state.dealHappened) {
        seatCounterReset();
        run(hooks.resetRound);
        m_state.ready = true;
    }
}

void TableSession::onRemoval(const CommandFrame& frame) {
    m_state.roundRunning = false;
    if (!m_state.awayMode) {
        centreOver(m_form.hero, &m_form);
        m_form.hero->show();
    }
    m_services.pause(2000);
    const Removal removalNotice = decodeRemoval(frame);
    if (pluginLoaded())
        run(hooks.pluginExit);
    m_form.notice->setText(q(removalNotice.reason));
    centreOver(m_form.notice, &m_form);
    m_form.notice->show();
    leave();
    removal();
}

void TableSession::removal() {
    m_state.leavePending = true;
    m_state.startDisarmed = false;
    // Nothing of the round stays behind: no hand, no played cards, no clock ticking for a turn
    // that will never come, no panels of players this table no longer sits with.
    run(hooks.resetRound);
    for (int r = 1; r < 4; ++r) {
        const size_t s = static_cast<size_t>(r);
        m_form.showReadyMark(r, false);
        m_form.clearSeatPanel(r);
        m_form.clearSysmsg(0);
        m_state.shownNames[s].clear();
        m_state.dealTimeNames[s].clear();
        m_state.players[s] = PlayerRecord{};
    }
    m_services.closeSocketAndWait();
    m_services.pause(2000);
    m_services.resetRingPositions();
    m_state.playersPresent = 0;
    m_state.roundCounter = 0;
    showNoticeOverTable();
}

void TableSession::onOwnCoinChange(const CommandFrame& frame) {
    const CoinChange change = decodeCoinChange(frame);
    m_state.players[0].coins = coinsAfterChange(m_state.players[0].coins, change.amount);
    m_form.showCoins(0);
}

void TableSession::onOtherCoinChange(const CommandFrame& frame) {
    const CoinChange change = decodeCoinChange(frame);
    for (int r = 1; r < 4; ++r) {
        PlayerRecord& p = m_state.players[static_cast<size_t>(r)];
        if (p.account.empty() || p.account != change.account)
            continue;
        p.coins = coinsAfterChange(p.coins, change.amount);
        m_form.showCoins(r);
        return;
    }
}

}  // namespace vexal
