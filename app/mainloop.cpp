#include "app/mainloop.h"

#include "net/messages/login.h"
#include "net/frame.h"
#include "net/messages/seating.h"
#include "platform/eventwait.h"
#include "platform/messagebox.h"
#include "platform/trace.h"
#include "table/pictures.h"

#include <QCoreApplication>
#include <QThread>
#include <QTime>

#include <cstdio>
#include <unistd.h>

namespace vexal {

namespace {
QString q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

MainLoop::MainLoop(SessionState& state, MainForm& form, const WindowBus& bus, const Clock& clock, QObject* parent)
    : QObject(parent),
      m_state(state),
      m_form(form),
      m_bus(bus),
      m_socks5(m_socket, m_transport),
      m_dispatcher(m_transport, *this),
      m_scheduler(*this, clock),
      m_table(state, form, *this) {
    m_timerBong.setSingleShot(true);
    m_timerBong.setInterval(kTickMilliseconds);
    connect(&m_timerBong, &QTimer::timeout, this, &MainLoop::bongTick);
    m_timerKeepAlive.setInterval(kKeepAliveMilliseconds);
    connect(&m_timerKeepAlive, &QTimer::timeout, this, &MainLoop::keepAliveTick);
    m_transport.onFrameQueued = [this] { m_scheduler.arm(Task::Send, 0); };
    connect(&m_socket, &SocketAdapter::dataArrival, this, &MainLoop::onDataArrival);

    connect(&m_socks5, &Socks5Driver::proxyConnected, this, [this] {
        m_scheduler.setLoginSent(true);
        m_scheduler.arm(Task::ConnectionWatch, 0);
    });
    connect(&m_socks5, &Socks5Driver::through, this, [this] {
        postToLobby(kLobbyLoginSent);
        m_form.setSysmsg(0, QStringLiteral("连接代理服务器成功！"));
        writeLoginFrame();
        startMainTimer();
    });
    connect(&m_socks5, &Socks5Driver::failed, this,
            [this](const QString& message) { messageBox(&m_form, message, QStringLiteral("警告")); });
    connect(&m_form, &MainForm::resizedIntoView, this, &MainLoop::onWindowRestored);
}

MainLoop::~MainLoop() { removeMessageHook(); }

// ---- TimerBong and TimerKeepAlive

void MainLoop::startMainTimer() { m_timerBong.start(kTickMilliseconds); }

void MainLoop::bongTick() {
    // Single-shot: this tick stopped the timer by firing, and nothing starts it before the last
    // step, so ticks never overlap even across message boxes. A reset that stops the timer
    // during the tick keeps it stopped.
    m_inTick = true;
    m_bongStoppedInTick = false;
    m_scheduler.tick();
    m_inTick = false;
    if (!m_bongStoppedInTick)
        startMainTimer();
}

void MainLoop::keepAliveTick() {
    CommandFrame frame = keepAliveFrame(m_state.own.seatBit);
    SendFrame(m_transport, frame);
}

void MainLoop::onDataArrival() {
    if (!m_transport.gameData)
        return;  // the SOCKS5 handshake reads these bytes
    const std::vector<uint8_t> bytes = m_socket.readAvailable();
    if (!acceptGameBytes(m_transport, bytes)) {
        // More than the ring holds arrived unread: frames are lost and the stream is torn.
        restoreLobby();
        endProcess();
        return;
    }
    if (!m_scheduler.armed(Task::Receive))
        m_scheduler.arm(Task::Receive, 0);
}

void MainLoop::openConnection() {
    m_transport.gameData = true;
    const OwnPlayer& own = m_state.own;
    const ConnectionMode mode = m_state.launch.connectionMode();
    if (mode == ConnectionMode::Direct) {
        m_socket.connectTo(q(own.serverHost), own.serverPort);
        startMainTimer();
        m_scheduler.arm(Task::Login, 0);
    } else if (mode == ConnectionMode::Socks5) {
        m_scheduler.disarm(Task::Login);
        Socks5Settings settings{own.proxyUser, own.proxyPassword, own.serverHost, own.serverPort};
        m_socks5.ConnectToSock5Server(q(own.proxyHost), own.proxyPort, settings);
    }
}

// ---- the lobby's messages

bool MainLoop::registerTableWindow(const QString& title) {
    if (m_busWindow)
        return m_busWindow->setTitle(title);
    m_busWindow = std::make_unique<BusWindow>(&m_form, title, m_bus);
    return m_busWindow->isRegistered();
}

void MainLoop::installMessageHook() {
    if (!m_busWindow || m_hooked)
        return;
    m_previousProc = m_busWindow->setMessageProc([this](const WindowMessage& m) { handleLobbyMessage(m); });
    m_hooked = true;
}

void MainLoop::removeMessageHook() {
    if (!m_busWindow || !m_hooked)
        return;
    m_busWindow->setMessageProc(m_previousProc);
    m_hooked = false;
}

void MainLoop::handleLobbyMessage(const WindowMessage& m) {
    // A leave and a reset wait while processing window events, so the lobby's next message can
    // arrive inside the handling of the last one; it waits its turn, or a 22 in the middle of a
    // 1024 would connect only to have the reset close the new connection.
    m_lobbyQueue.push_back(m);
    if (m_handlingLobbyMessage)
        return;
    m_handlingLobbyMessage = true;
    while (!m_lobbyQueue.empty()) {
        const WindowMessage next = m_lobbyQueue.front();
        m_lobbyQueue.pop_front();
        handleOneLobbyMessage(next);
    }
    m_handlingLobbyMessage = false;
}

void MainLoop::handleOneLobbyMessage(const WindowMessage& m) {
    switch (m.msg) {
    case kLobbyRoundRunning:
        postToLobby(m_state.roundRunning ? kLobbyRoundRunning : kLobbyLeft);
        return;
    case kLobbyLoginSent:
        if (m_scheduler.loginSent()) {
            postToLobby(kLobbyLoginPending);
        } else if (m_state.roundRunning) {
            postToLobby(kLobbyRoundRunning);
        } else {
            if (socketConnected())
                m_table.leave();
            m_table.tableWindowReset();
            postToLobby(kLobbyLeft);
        }
        return;
    case kLobbyLeft:
        if (socketConnected()) {
            disarmConnectionWatch();
            m_table.leave();
        }
        m_table.tableWindowReset();
        return;
    case kLobbyLogin:
        m_transport.gameData = true;
        if (m_state.launch.connectionMode() == ConnectionMode::Socks5) {
            m_scheduler.disarm(Task::Login);
            Socks5Settings settings{m_state.own.proxyUser, m_state.own.proxyPassword, m_state.own.serverHost,
                                    m_state.own.serverPort};
            m_socks5.ConnectToSock5Server(q(m_state.own.proxyHost), m_state.own.proxyPort, settings);
        } else {
            m_transport.resetPositions();
            if (m_socket.state() != kSocketClosed)
                m_socket.close();
            m_socket.connectTo(q(m_state.own.serverHost), m_state.own.serverPort);
            startMainTimer();
            m_scheduler.arm(Task::Login, 0);
        }
        m_state.startDisarmed = false;
        m_form.showStartPicture(4);
        m_form.Number->hide();
        m_form.Time_Img->hide();
        return;
    default:
        if (m_previousProc)
            m_previousProc(m);
    }
}

void MainLoop::lobbyCommand(int64_t command) {
    if (m_lobbyTitle.trimmed().isEmpty())
        return;
    if (!m_bus.findWindow(m_lobbyTitle)) {
        endProcess();
        return;
    }
    m_bus.postMessage(m_lobbyTitle, kWmSysCommand, command);
}

void MainLoop::restoreLobby() { lobbyCommand(kScRestore); }
void MainLoop::minimiseLobby() { lobbyCommand(kScMinimize); }

void MainLoop::postToLobby(int message) { postToLobby(static_cast<uint32_t>(message)); }

void MainLoop::postToLobby(uint32_t message) {
    if (m_bus.findWindow(m_lobbyTitle))
        m_bus.postMessage(m_lobbyTitle, message);
}

bool MainLoop::lobbyWindowExists() const { return m_bus.findWindow(m_lobbyTitle); }

void MainLoop::onWindowRestored() {
    m_form.raise();
    m_form.activateWindow();
    m_state.awayMode = false;
    m_state.goneAway = false;
    m_state.timeoutCount = 0;
    m_state.turnTimeLimit = 15;
    minimiseLobby();
}

// ---- SchedulerHost

bool MainLoop::loggedIn() const { return m_state.loggedIn; }
bool MainLoop::roundRunning() const { return m_state.roundRunning; }
bool MainLoop::callingTurn() const { return roundHooks.callingTurn && roundHooks.callingTurn(); }
bool MainLoop::socketConnected() const { return m_socket.state() == kSocketConnected; }

bool MainLoop::sendStep() {
    switch (vexal::sendStep(m_transport, m_socket)) {
    case SendStepResult::Idle:
        return false;
    case SendStepResult::WroteLeave:
        if (lobbyWindowExists()) {
            m_form.showMinimized();
            restoreLobby();
        } else {
            endProcess();
        }
        return true;
    default:
        return true;
    }
}

SchedulerHost::ReceiveOutcome MainLoop::receiveStep() {
    const ReceiveResult r = vexal::receiveStep(m_transport, [this](const CommandFrame& f) { m_dispatcher.Dispatch(f); });
    return {r != ReceiveResult::NoFrame, m_transport.receiveRing.hasFrame()};
}

void MainLoop::writeLoginFrame() { writeDirect(m_loginFrame); }

void MainLoop::notifyPluginConnection(bool connected) {
    if (roundHooks.notifyPluginConnection && pluginLoaded())
        roundHooks.notifyPluginConnection(connected);
}

void MainLoop::showChatButton(bool highlighted) {
    m_form.AnNiu[kChatHistory]->showPicture(tablePicture(tableButtonPicture(highlighted ? 3 : 2, m_form.largeTable())));
}

bool MainLoop::seatBubbleShown() const { return roundHooks.seatBubbleShown && roundHooks.seatBubbleShown(); }
void MainLoop::hideSeatBubble() {
    if (roundHooks.hideSeatBubble)
        roundHooks.hideSeatBubble();
}
void MainLoop::callCountdownTick() {
    if (roundHooks.callCountdownTick)
        roundHooks.callCountdownTick();
}
void MainLoop::playCountdownTick() {
    if (roundHooks.playCountdownTick)
        roundHooks.playCountdownTick();
}

void MainLoop::showReadyCountdown(int seconds, CountdownColour colour, bool alarm) {
    const char* css = colour == CountdownColour::Red     ? "color: rgb(255, 0, 0);"
                      : colour == CountdownColour::Green ? "color: rgb(0, 200, 0);"
                                                         : "color: rgb(0, 0, 0);";
    m_form.Number->setStyleSheet(QString::fromLatin1(css) + QStringLiteral(" font-size: 24px; font-weight: bold;"));
    m_form.Number->setText(QString::number(seconds));
    // The number in front of its clock, never under it.
    m_form.Time_Img->show();
    m_form.Time_Img->raise();
    m_form.Number->show();
    m_form.Number->raise();
    if (alarm && !m_state.awayMode && roundHooks.alarmSound)
        roundHooks.alarmSound();
}

void MainLoop::readyCountdownTimedOut(bool clockBased) {
    m_form.Number->hide();
    m_form.Time_Img->hide();
    if (!m_state.ready) {
        m_form.showStartPicture(6);
        m_state.startDisarmed = true;
        resetRound();
        m_table.seatCounterReset();
        m_state.ready = true;
    }
    CommandFrame ready = encode(ReadyOrLeave{m_state.own.seatBit, true});
    SendFrame(m_transport, ready);
    if (clockBased && m_state.shuffleLaidOut && m_state.randomSeatChange)
        m_form.startShuffle();
}

void MainLoop::startReconnect() {
    m_state.loggedIn = false;
    m_scheduler.disarm(Task::ConnectionWatch);
    startKeepAlive();
    if (roundHooks.startReconnect)
        roundHooks.startReconnect();
}

void MainLoop::lobbyMissing() {
    messageBox(&m_form, QStringLiteral("没有找到Kestrel山庄！"), QStringLiteral("警告"));
    endProcess();
}

void MainLoop::connectionSilent() {
    m_form.setSysmsg(0, QStringLiteral("已经与服务器断开连接，请重新入座！"));
    m_form.showMinimized();
    restoreLobby();
    m_state.ready = false;
    m_table.tableReset();
}

void MainLoop::endProcess() {
    if (endProcessHook) {
        endProcessHook();
        return;
    }
    trace("exit", QStringLiteral("0"));
    // Frames written just before (a leave) are handed to the system before the process goes.
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    std::fflush(stdout);
    std::fflush(stderr);
    ::_exit(0);
}

void MainLoop::propTask() {
    if (roundHooks.propTask)
        roundHooks.propTask();
}
void MainLoop::chestCountdownTick() {
    if (roundHooks.chestCountdownTick)
        roundHooks.chestCountdownTick();
}
void MainLoop::refreshOwnVideo() {
    if (m_table.hooks.refreshOwnVideo)
        m_table.hooks.refreshOwnVideo();
}

// ---- TableServices

int MainLoop::socketState() const { return m_socket.state(); }

void MainLoop::writeDirect(const CommandFrame& frame) {
    if (m_socket.state() == kSocketConnected)
        m_socket.sendBytes(frame);
}

void MainLoop::closeSocketAndWait() {
    m_socks5.abort();
    m_socket.close();
    while (m_socket.state() == kSocketConnected)
        waitProcessingEvents(10);
}

void MainLoop::sendFrame(CommandFrame& frame) { SendFrame(m_transport, frame); }
void MainLoop::resetRingPositions() { m_transport.resetPositions(); }
void MainLoop::clearHolds() { m_transport.clearHolds(); }
void MainLoop::disarmSessionTasks() { m_scheduler.disarmAll(); }

void MainLoop::stopMainTimer() {
    m_timerBong.stop();
    if (m_inTick)
        m_bongStoppedInTick = true;
}

void MainLoop::startKeepAlive() { m_timerKeepAlive.start(kKeepAliveMilliseconds); }
void MainLoop::stopKeepAlive() { m_timerKeepAlive.stop(); }
bool MainLoop::keepAliveRunning() const { return m_timerKeepAlive.isActive(); }

void MainLoop::disarmConnectionWatch() {
    m_scheduler.disarm(Task::ConnectionWatch);
    m_scheduler.setCounter(Task::ConnectionWatch, 0);
}

void MainLoop::startReadyCountdown(int seconds) {
    m_scheduler.arm(Task::ReadyCountdown, 0);
    m_countdown = seconds;
    showReadyCountdown(seconds, CountdownColour::Black, false);
}

void MainLoop::disarmReadyCountdown() { m_scheduler.disarm(Task::ReadyCountdown); }
void MainLoop::setLoginSent(bool sent) { m_scheduler.setLoginSent(sent); }

void MainLoop::waitProcessing(int ms) {
    if (waitHook)
        waitHook(ms);
    else
        waitProcessingEvents(ms);
}

void MainLoop::pause(int ms) {
    if (pauseHook)
        pauseHook(ms);
    else
        QThread::msleep(static_cast<unsigned long>(ms));
}

std::array<int, 3> MainLoop::timeOfDay() const {
    const QTime t = QTime::currentTime();
    return {t.hour(), t.minute(), t.second()};
}

// ---- DispatchHandlers

uint8_t MainLoop::ownSeatBit() const { return m_state.own.seatBit; }
bool MainLoop::pluginLoaded() const { return m_table.pluginLoaded(); }

void MainLoop::forward(const std::function<void(const CommandFrame&)>& hook, const CommandFrame& frame,
                       const char* what) {
    if (hook)
        hook(frame);
    else
        trace("unhandled", QString::fromLatin1(what));
}

void MainLoop::onDeal(const CommandFrame& f) { forward(roundHooks.onDeal, f, "deal"); }
void MainLoop::onCallingTurn(const CommandFrame& f) { forward(roundHooks.onCallingTurn, f, "calling turn"); }
void MainLoop::onCallResult(const CommandFrame& f) { forward(roundHooks.onCallResult, f, "call result"); }
void MainLoop::onPlay(const CommandFrame& f) { forward(roundHooks.onPlay, f, "play"); }
void MainLoop::onRoundEnd(const CommandFrame& f) { forward(roundHooks.onRoundEnd, f, "round end"); }
void MainLoop::onChat(const CommandFrame& f) { forward(roundHooks.onChat, f, "chat"); }
void MainLoop::onReconnectAnswer(const CommandFrame& f) { forward(roundHooks.onReconnectAnswer, f, "reconnect answer"); }
void MainLoop::pluginReceive(const CommandFrame& f) { forward(roundHooks.pluginReceive, f, "plug-in frame"); }

void MainLoop::onTableState(const CommandFrame& f) { m_table.onTableState(f); }
void MainLoop::onLoginAnswer(const CommandFrame& f) { m_table.onLoginAnswer(f); }
void MainLoop::onSeatInfo(const CommandFrame& f) { m_table.onSeatInfo(f); }
void MainLoop::onPlayerLeft(const CommandFrame& f) { m_table.onPlayerLeft(f); }
void MainLoop::onRemoval(const CommandFrame& f) { m_table.onRemoval(f); }
void MainLoop::onReadyNotice(const CommandFrame& f) { m_table.onReadyNotice(f); }
void MainLoop::onOwnCoinChange(const CommandFrame& f) { m_table.onOwnCoinChange(f); }
void MainLoop::onOtherCoinChange(const CommandFrame& f) { m_table.onOtherCoinChange(f); }

void MainLoop::setPluginScoreReady() {
    if (roundHooks.setPluginScoreReady)
        roundHooks.setPluginScoreReady();
}
void MainLoop::hideRoomRuleLabels() { m_form.showRoomRules(false); }
void MainLoop::preparePluginRound() {
    if (roundHooks.preparePluginRound)
        roundHooks.preparePluginRound();
}
void MainLoop::notifyLobbyOfDeal() {
    // Always the lobby's own title, whatever the custom title says.
    const QString lobby = QString::fromUtf8(kLobbyTitle.data(), static_cast<qsizetype>(kLobbyTitle.size()));
    if (m_bus.findWindow(lobby))
        m_bus.postMessage(lobby, kLobbyDeal);
}
void MainLoop::resetRound() {
    if (m_table.hooks.resetRound)
        m_table.hooks.resetRound();
}
void MainLoop::startRoundVideo() {
    if (roundHooks.startRoundVideo)
        roundHooks.startRoundVideo();
}
void MainLoop::noteDealStarted() {
    m_state.dealHappened = true;
    m_state.randomSeatChange = false;
}
void MainLoop::keepDealTimeNames() {
    for (size_t r = 1; r < 4; ++r)
        m_state.dealTimeNames[r] = m_state.shownNames[r];
}
void MainLoop::setFirstTableState() { m_state.firstTableState = true; }
void MainLoop::clearOwnHand() {
    if (roundHooks.clearOwnHand)
        roundHooks.clearOwnHand();
}
void MainLoop::closeExitAndNoticeWindows() {
    m_form.exitConfirm->hide();
    m_form.notice->hide();
}
void MainLoop::disarmCountdowns() {
    m_scheduler.disarm(Task::PlayCountdown);
    m_scheduler.disarm(Task::ReadyCountdown);
    m_scheduler.setCounter(Task::ReadyCountdown, 0);
    m_state.startDisarmed = true;
    for (int r = 0; r < 4; ++r)
        m_form.showReadyMark(r, false);
}

}  // namespace vexal
