// Login answer (18), seat information (20) and table state (16).
#include "table/tablesession.h"

#include "net/frame.h"
#include "net/messages/seating.h"
#include "platform/messagebox.h"

namespace vexal {

namespace {
QString q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

TableSession::TableSession(SessionState& state, MainForm& form, TableServices& services)
    : m_state(state), m_form(form), m_services(services) {
    connect(form.exitConfirm, &ExitConfirm::confirmed, this, &TableSession::exitConfirmed);
    connect(form.exitConfirm, &ExitConfirm::cancelled, form.exitConfirm, &QWidget::hide);
    connect(form.notice, &NoticeWindow::accepted, this, &TableSession::noticeAccepted);
    connect(form.notice, &NoticeWindow::cancelled, this, &TableSession::noticeCancelled);
    connect(&form, &MainForm::closeImageClicked, this, &TableSession::toggleExitConfirmation);
    connect(&form, &MainForm::escapePressed, this, &TableSession::toggleExitConfirmation);
    connect(&form, &MainForm::buttonClicked, this, [this](int i) {
        switch (i) {
        case kStart: startButtonClicked(); break;
        case kHistory: toggleHero(); break;
        case kExit: toggleExitConfirmation(); break;
        default: break;
        }
    });
}

void TableSession::onLoginAnswer(const CommandFrame& frame) {
    const LoginAnswer answer = decodeLoginAnswer(frame);
    run(hooks.resetRound);
    m_services.startKeepAlive();
    m_services.clearHolds();
    m_state.dealHappened = false;
    m_state.firstTableState = true;
    m_services.setLoginSent(false);

    if (answer.result != static_cast<uint8_t>(LoginResult::Accepted)) {
        m_services.postToLobby(22);
        const QString text = answer.result == static_cast<uint8_t>(LoginResult::StartRefused)
                                 ? QStringLiteral("启动游戏失败，请重新在大厅就座后进入游戏！")
                                 : QStringLiteral("验证错误，请重新在大厅就座后进入游戏！");
        m_form.setSysmsg(0, text);
        // The process ends right after; a line on the table alone would never be read.
        messageBox(&m_form, text, QStringLiteral("警告"));
        m_services.restoreLobby();
        m_services.endProcess();
        return;
    }
    m_state.loggedIn = true;
    m_services.postToLobby(771);
    m_state.timeoutLimit = 2;
    m_form.clearSysmsg(0);
    m_form.clearSysmsg(1);
    m_form.setSysmsg(0, QStringLiteral("连接服务器成功！"));
    m_form.setSysmsg(1, QStringLiteral("欢迎进入") + q(m_state.siteName));
    m_state.turnTimeLimit = m_state.goneAway ? 2 : answer.turnSeconds;
    if (!answer.advertisement.empty()) {
        m_state.seatChangePage = answer.advertisement + ".gamead";
        m_form.WebBrowser1->navigate(QUrl(q(answer.advertisement)));
        if (!m_form.WebBrowser1->pageFailed())
            m_form.WebBrowser1->show();
    }
}

void TableSession::onSeatInfo(const CommandFrame& frame) {
    const SeatInfo info = decodeSeatInfo(frame);
    if (m_form.shuffleShown())
        m_form.stopShuffle();
    m_form.WebBrowser1->hide();
    m_state.leavePending = false;

    if (m_state.own.seatBit == 0)
        m_state.own.seatBit = frame[kSeatByte] & 0x0F;
    const int r = m_state.relativeOf(info.seatBit);
    const size_t s = static_cast<size_t>(r);
    if (r == 0)
        m_state.startDisarmed = false;

    // Every seat information counts, a seat described again included: the count starts afresh
    // after each settlement, so a server that describes the four seats again after a round
    // brings it to four exactly once.
    const int before = m_state.playersPresent++;
    if (before == 3 && !m_state.dealHappened) {
        if (m_form.isMinimized())
            m_form.showNormal();
        m_services.minimiseLobby();
        m_form.activateWindow();
    }
    m_state.shownNames[s] = info.account;
    if (r != 0 && pluginLoaded() && hooks.pluginClearUser)
        hooks.pluginClearUser(r);

    m_state.lastWealthMultiple = info.wealthMultiple;
    if (info.wealthMultiple != 0) {
        m_form.showRoomRules(true);
        m_state.wealthMultiples[s] = info.wealthMultiple;
        m_form.showWealth(smallestPositiveWealth(m_state.wealthMultiples));
    } else {
        m_form.hideWealth();
    }
    if (r != 0)
        m_state.seatBits[s] = info.seatBit & 0x0F;
    m_state.players[s] = playerRecordFrom(info);

    if (info.pluginRefused || m_state.launch.propSwitch != 1) {
        m_state.pluginOff = true;
    } else if (!m_state.pluginOff) {
        run(hooks.pluginLoad);
    }
    if (!m_state.pluginOff && m_state.players[s].coins > 0 && hooks.pluginSetUserinfo && pluginLoaded() &&
        !hooks.pluginSetUserinfo(r)) {
        run(hooks.pluginExit);
        m_state.pluginOff = true;
    }

    m_form.drawSeatPanel(r);

    if (m_form.readyMarkShown(1) && m_form.readyMarkShown(2) && m_form.readyMarkShown(3) && m_state.dealHappened) {
        m_state.startDisarmed = true;
        m_form.showStartPicture(6);
        getReadyForRound();
    }
    if (m_state.playersPresent == 4 && !m_state.ready) {
        getReadyForRound();
        m_form.setSysmsg(0, QStringLiteral("游戏将在15秒内开始"));
    }
    if (r == 0)
        run(hooks.refreshOwnVideo);
}

void TableSession::getReadyForRound() {
    run(hooks.resetRound);
    seatCounterReset();
    m_state.ready = true;
}

void TableSession::onTableState(const CommandFrame& frame) {
    const TableState ts = decodeTableState(frame);
    switch (tableStateKind(ts.state)) {
    case TableStateKind::Forming:
        if (!m_state.firstTableState || m_state.launch.spectator)
            return;
        m_state.firstTableState = false;
        if (ts.byte11 == 1)
            m_state.randomSeatChange = true;
        m_form.layOutShuffle();
        if (ts.startAnimationNow)
            m_form.startShuffle();
        return;
    case TableStateKind::Nothing:
        return;
    case TableStateKind::HideAdvertisement:
        m_form.WebBrowser1->hide();
        return;
    case TableStateKind::CoinShortage:
        break;
    }

    m_form.stopShuffle();
    m_form.WebBrowser1->hide();
    const int ownSeat = seatOfBit(m_state.own.seatBit);
    for (int k = 0; k < 4; ++k) {
        if (!(ts.seatBits & (1 << k)))
            continue;
        const int r = relativeSeat(k, ownSeat);
        m_form.setSysmsg(0, q(coinShortageLine(m_state.players[static_cast<size_t>(r)].nickname)));
        m_state.roundRunning = false;
        m_state.ready = false;
        if (r == 0) {
            run(hooks.showScoreBoard);
            m_form.notice->setText((ts.byte11 & m_state.own.seatBit)
                                       ? QStringLiteral("您的金币不够，请更换房间或充值后继续游戏！")
                                       : QStringLiteral("您的金币不够，请领取低保或充值后继续游戏！"));
            if (!m_form.isMinimized())
                showNoticeOverTable();
            for (int other = 1; other < 4; ++other)
                if (!m_state.shownNames[static_cast<size_t>(other)].empty())
                    clearSeat(other);
            m_services.stopKeepAlive();
            m_services.disarmReadyCountdown();
            m_services.disarmConnectionWatch();
            m_state.roundRunning = false;
            m_state.ready = false;
            removal();
            leave();
            if (pluginLoaded())
                run(hooks.pluginExit);
        } else {
            clearSeat(r);
            if (hooks.pluginClearUser)
                hooks.pluginClearUser(r);
            if (hooks.removeVideoTile)
                hooks.removeVideoTile(r);
        }
    }
    if (m_state.launch.spectator) {
        messageBox(&m_form, QStringLiteral("有用户退出，旁观结束！"), QStringLiteral("警告"));
        m_services.endProcess();
    }
}

void TableSession::showNoticeOverTable() {
    centreOver(m_form.notice, &m_form);
    setTopmost(m_form.notice, true);
    m_form.notice->show();
    m_form.notice->raise();
}

}  // namespace vexal
