// Leaving the table, the three resets, the exit confirmation, the notice window, the start
// button and closing the table window.
#include "table/tablesession.h"

#include "net/messages/seating.h"

#include <QApplication>
#include <QFile>

namespace vexal {

void TableSession::leave() {
    const CommandFrame frame = encode(ReadyOrLeave{m_state.own.seatBit, false});
    if (m_state.videoEnabled)
        run(hooks.stopVideo);
    m_services.disarmSessionTasks();
    m_services.stopKeepAlive();
    if (m_services.socketState() == 7)
        m_services.writeDirect(frame);
    m_services.waitProcessing(m_state.reconnected ? 800 : 400);
    m_form.stopShuffle();
    m_form.WebBrowser1->hide();
    m_state.shuffleLaidOut = false;
    m_state.shuffleStarted = false;
}

void TableSession::seatCounterReset() {
    run(hooks.resetSeatCounters);
    for (QLabel* l : m_form.lbl_currDefen)
        l->clear();
    m_state.roundRunning = false;
}

void TableSession::tableWindowReset() {
    m_state.startDisarmed = true;
    m_state.roundRunning = false;
    m_services.disarmSessionTasks();
    m_services.stopMainTimer();
    m_services.stopKeepAlive();
    m_form.clearSysmsg(0);
    m_form.clearSysmsg(1);
    m_services.closeSocketAndWait();
    m_services.setLoginSent(false);
    for (int r = 0; r < 4; ++r) {
        const size_t s = static_cast<size_t>(r);
        m_form.clearSeatPanel(r);
        m_state.shownNames[s].clear();
        m_state.seatBits[s] = 0;
        m_state.players[s] = PlayerRecord{};
    }
    // The own seat's bit too: the next login may seat the player elsewhere, and the first seat
    // information only sets an empty one.
    m_state.own.seatBit = 0;
    // The round file goes, so the record of its rounds goes with it: a line left behind would
    // point at a round that no longer exists.
    m_form.hero->clearRecord();
    m_form.hero->hide();
    run(hooks.clearScoreSheet);
    QFile::remove(QCoreApplication::applicationDirPath() + QStringLiteral("/info.vx"));
    run(hooks.clearChat);
    m_state.playersPresent = 0;
    m_state.roundCounter = 0;
    m_state.timeoutCount = 0;
    m_form.showMinimized();
    m_form.notice->hide();
    m_form.exitConfirm->hide();
    run(hooks.closeRoundWindows);
    m_state.firstStart = true;
    m_form.showStartPicture(4);
    if (pluginLoaded())
        run(hooks.pluginExit);
    m_form.Chat->clear();
    m_form.hideWealth();
    m_state.wealthMultiples = {};
}

void TableSession::tableReset() {
    tableWindowReset();
    seatCounterReset();
    run(hooks.resetRound);
}

void TableSession::toggleExitConfirmation() {
    ExitConfirm* w = m_form.exitConfirm;
    if (w->isVisible()) {
        w->hide();
        return;
    }
    w->setWarning(QString::fromStdString(
        exitWarningText(m_state.roundRunning, m_state.launch.spectator, m_state.shuffleStarted)));
    centreOver(w, &m_form);
    setTopmost(w, true);
    run(hooks.hideScoreSheet);
    m_form.hero->hide();
    w->show();
    w->raise();
}

void TableSession::exitConfirmed() {
    run(hooks.closeSoundSettings);
    m_state.roundRunning = false;
    m_services.disarmConnectionWatch();
    leave();
    m_state.ready = false;
    tableReset();
    if (m_services.lobbyExists()) {
        m_form.showMinimized();
        m_services.restoreLobby();
    } else {
        m_services.endProcess();
        return;
    }
    m_form.exitConfirm->hide();
}

void TableSession::noticeAccepted() {
    m_state.ready = false;
    tableReset();
    m_form.notice->hide();
    if (m_services.lobbyExists()) {
        m_form.showMinimized();
        m_services.restoreLobby();
    } else {
        m_services.endProcess();
    }
}

void TableSession::noticeCancelled() {
    m_state.leavePending = true;
    m_form.notice->hide();
}

void TableSession::startButtonClicked() {
    m_state.firstStart = false;
    if (m_state.startDisarmed)
        return;
    m_form.showStartPicture(6);
    m_form.showReadyMark(0, true);
    m_services.disarmReadyCountdown();
    m_services.hideClock();
    m_state.startDisarmed = true;
    if (m_state.leavePending) {
        m_state.leavePending = false;
        m_services.stopMainTimer();
        m_form.notice->hide();
        m_state.ready = false;
        tableReset();
        if (m_services.lobbyExists()) {
            m_form.showMinimized();
            m_services.restoreLobby();
        } else {
            m_services.endProcess();
            return;
        }
    }
    if (!m_state.ready)
        getReadyForRound();
    // During a round no ready frame is filled; nothing at all is sent rather than an empty frame.
    if (!m_state.roundRunning) {
        CommandFrame ready = encode(ReadyOrLeave{m_state.own.seatBit, true});
        m_services.sendFrame(ready);
    }
    if (m_state.shuffleLaidOut && m_state.randomSeatChange)
        m_form.startShuffle();
    run(hooks.hideScoreSheet);
    m_form.hero->hide();
}

void TableSession::toggleHero() {
    centreOver(m_form.hero, &m_form);
    if (m_form.hero->isVisible()) {
        m_form.hero->hide();
    } else {
        m_form.hero->show();
        m_form.hero->raise();
    }
}

void TableSession::closing() {
    run(hooks.closeAll);
    if (pluginLoaded())
        run(hooks.pluginExit);
    // Every window the table opened goes with it, whichever area owns it.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != &m_form && w->isWindow())
            w->close();
}

}  // namespace vexal
