#include "app/mainloop.h"
#include "core/overloaded.h"

#include "net/messages/login.h"
#include "net/frame.h"
#include "net/messages/chat.h"
#include "net/messages/seating.h"
#include "platform/eventwait.h"
#include "platform/messagebox.h"
#include "platform/trace.h"
#include "rules/classify.h"
#include "table/pictures.h"
#include "table/chatview.h"
#include "table/round.h"
#include "table/sessionview.h"

#include <QCoreApplication>
#include <QFile>
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
      m_time(clock),
      m_round(state),
      m_session(state, m_round, [this] { return timeOfDay(); }),
      m_clock(form),
      m_sessionView(new SessionView(m_session, form)) {
    m_sessionView->onIntent = [this](const SessionIntent& intent) { act(intent); };
    m_chatClock.start();
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
    connect(&m_socks5, &Socks5Driver::failed, this, [this](const QString& message) {
        // A reconnect tries again in 3 seconds on its own; a box per attempt would stop the table.
        if (m_state.reconnecting) {
            trace("reconnect", message);
            return;
        }
        messageBox(&m_form, message, QStringLiteral("警告"));
    });
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
    if (m_state.reconnecting)
        apply(m_session.reconnectStep(m_time.secondsSinceMidnight(), gameLinkUp()));
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

void MainLoop::openConnection() { connectGame(false); }

// Direct: connect and let the login task write the kept login once connected; SOCKS5: the
// handshake first, which writes it when the proxy is through. A reconnect starts from empty rings:
// a frame cut in half by the lost connection must not run into the next one.
void MainLoop::connectGame(bool again) {
    m_transport.gameData = true;
    const OwnPlayer& own = m_state.own;
    const ConnectionMode mode = m_state.launch.connectionMode();
    if (mode == ConnectionMode::Direct) {
        if (again) {
            m_transport.resetPositions();
            if (m_socket.state() != kSocketClosed)
                m_socket.close();
        }
        m_socket.connectTo(q(own.serverHost), own.serverPort);
        startMainTimer();
        m_scheduler.arm(Task::Login, 0);
    } else if (mode == ConnectionMode::Socks5) {
        m_scheduler.disarm(Task::Login);
        if (again && m_socket.state() != kSocketClosed)
            m_socket.close();
        Socks5Settings settings{own.proxyUser, own.proxyPassword, own.serverHost, own.serverPort};
        m_socks5.ConnectToSock5Server(q(own.proxyHost), own.proxyPort, settings);
    }
}

void MainLoop::reconnectAttempt() {
    trace("reconnect", QStringLiteral("attempt"));
    makeReconnectLogin(m_loginFrame, {m_transport.token.high, m_transport.token.low}, m_dispatcher.resumeNumber());
    connectGame(true);
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
            apply(m_session.lobbyAskedToLeave(socketConnected()));
            postToLobby(kLobbyLeft);
        }
        return;
    case kLobbyLeft:
        if (socketConnected())
            carryOut(step::DisarmConnectionWatch{});
        apply(m_session.lobbyAskedToLeave(socketConnected()));
        return;
    case kLobbyLogin:
        apply(m_session.lobbyAskedToConnect());
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

void MainLoop::onWindowRestored() { apply(m_session.tableRestored()); }

// ---- SchedulerHost

bool MainLoop::loggedIn() const { return m_state.loggedIn; }
bool MainLoop::roundRunning() const { return m_state.roundRunning; }
bool MainLoop::callingTurn() const { return m_round.state().callingTurn; }
bool MainLoop::socketConnected() const { return m_socket.state() == kSocketConnected; }
// The game's own link: connected, past the proxy's handshake, and the kept login written on it.
bool MainLoop::gameLinkUp() const {
    return socketConnected() && m_transport.gameData && !m_scheduler.armed(Task::Login);
}

bool MainLoop::sendStep() {
    switch (vexal::sendStep(m_transport, m_socket)) {
    case SendStepResult::Idle:
        return false;
    case SendStepResult::WroteLeave:
        carryOut(step::BackToLobby{});
        return true;
    default:
        return true;
    }
}

SchedulerHost::ReceiveOutcome MainLoop::receiveStep() {
    const ReceiveResult r = vexal::receiveStep(m_transport, [this](const CommandFrame& f) { m_dispatcher.Dispatch(f); });
    const bool more = m_transport.receiveRing.hasFrame();
    apply(m_round.framesTaken(more));
    return {r != ReceiveResult::NoFrame, more};
}

void MainLoop::writeLoginFrame() { writeDirect(m_loginFrame); }

void MainLoop::notifyPluginConnection(bool) {}

void MainLoop::showChatButton(bool highlighted) {
    m_form.AnNiu[kChatHistory]->showPicture(tablePicture(tableButtonPicture(highlighted ? 3 : 2, m_form.largeTable())));
}

bool MainLoop::seatBubbleShown() const { return m_round.bubbleShown(); }
void MainLoop::hideSeatBubble() { apply(m_round.hideBubble()); }
void MainLoop::callCountdownTick() { apply(m_round.tickCallCountdown()); }
void MainLoop::playCountdownTick() { apply(m_round.tickPlayCountdown()); }

void MainLoop::showReadyCountdown(int seconds, CountdownColour colour, bool alarm) {
    Effects fx = m_round.showReadyClock(seconds, colour == CountdownColour::Red     ? ClockColour::Red
                                                 : colour == CountdownColour::Green ? ClockColour::Green
                                                                                    : ClockColour::Black);
    if (alarm)
        fx.play(Cue::TurnTick);
    apply(fx);
}

void MainLoop::readyCountdownTimedOut(bool clockBased) { apply(m_session.readyCountdownTimedOut(clockBased)); }

void MainLoop::startReconnect() { apply(m_session.connectionLost(m_time.secondsSinceMidnight())); }

void MainLoop::lobbyMissing() {
    messageBox(&m_form, QStringLiteral("没有找到Kestrel山庄！"), QStringLiteral("警告"));
    endProcess();
}

void MainLoop::connectionSilent() { apply(m_session.connectionSilent()); }

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

// Props and their chest are not on this table yet: their tasks have nothing to do.
void MainLoop::propTask() {}
void MainLoop::chestCountdownTick() {}
void MainLoop::refreshOwnVideo() {}

// ---- the session's services

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

void MainLoop::stopMainTimer() {
    m_timerBong.stop();
    if (m_inTick)
        m_bongStoppedInTick = true;
}

void MainLoop::startKeepAlive() {
    if (!m_timerKeepAlive.isActive())
        m_timerKeepAlive.start(kKeepAliveMilliseconds);
}

void MainLoop::startReadyCountdown(int seconds) {
    m_scheduler.arm(Task::ReadyCountdown, 0);
    m_round.setCountdown(seconds);
    showReadyCountdown(seconds, CountdownColour::Black, false);
}

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

// One step of the session, in its turn: the connection, the timers, the lobby and the process
// are the loop's; what is drawn is the views'.
void MainLoop::carryOut(const SessionStep& s) {
    std::visit(Overloaded{
                   [&](const step::StartKeepAlive&) { startKeepAlive(); },
                   [&](const step::StopKeepAlive&) { m_timerKeepAlive.stop(); },
                   [&](const step::ClearHolds&) { m_transport.clearHolds(); },
                   [&](const step::LoginSent& l) { m_scheduler.setLoginSent(l.sent); },
                   [&](const step::DisarmSessionTasks&) { m_scheduler.disarmAll(); },
                   [&](const step::StopMainTimer&) { stopMainTimer(); },
                   [&](const step::DisarmReadyCountdown&) {
                       m_scheduler.disarm(Task::ReadyCountdown);
                       m_scheduler.setCounter(Task::ReadyCountdown, 0);
                   },
                   [&](const step::DisarmConnectionWatch&) {
                       m_scheduler.disarm(Task::ConnectionWatch);
                       m_scheduler.setCounter(Task::ConnectionWatch, 0);
                   },
                   [&](const step::StartReadyCountdown& c) { startReadyCountdown(c.seconds); },
                   [&](const step::WriteDirect& w) { writeDirect(w.frame); },
                   [&](const step::CloseSocket&) { closeSocketAndWait(); },
                   [&](const step::ResetRings&) { m_transport.resetPositions(); },
                   [&](const step::Wait& w) { waitProcessing(w.ms); },
                   [&](const step::Pause& p) { pause(p.ms); },
                   [&](const step::PostToLobby& p) { postToLobby(p.message); },
                   [&](const step::RestoreLobby&) { restoreLobby(); },
                   [&](const step::MinimiseLobby&) { minimiseLobby(); },
                   [&](const step::EndProcess&) { endProcess(); },
                   [&](const step::ReconnectAttempt&) { reconnectAttempt(); },
                   [&](const step::LoginRestored&) { restoreLogin(m_loginFrame); },
                   [&](const step::ConnectAgain&) { connectGame(true); },
                   [&](const step::BackToLobby&) {
                       if (lobbyWindowExists()) {
                           m_form.showMinimized();
                           restoreLobby();
                       } else {
                           endProcess();
                       }
                   },
                   [&](const step::RemoveRoundFile&) {
                       QFile::remove(QCoreApplication::applicationDirPath() + QStringLiteral("/info.vx"));
                   },
                   [&](const step::ScoreBoardShown&) {
                       if (m_roundView)
                           m_roundView->showScoreBoard();
                   },
                   [&](const step::ScoreSheetHidden&) {
                       if (m_roundView)
                           m_roundView->hideScoreSheet();
                   },
                   [&](const step::ScoreSheetCleared&) {
                       if (m_roundView)
                           m_roundView->clearScoreSheet();
                   },
                   [&](const step::RoundWindowsClosed&) {
                       if (m_roundView)
                           m_roundView->closeRoundWindows();
                   },
                   [&](const step::ChatHistoryCleared&) {
                       m_chat.clearHistory();
                       if (m_chatView)
                           m_chatView->drawHistory();
                   },
                   [&](const step::SoundSettingsClosed&) {
                       if (closeSoundSettings)
                           closeSoundSettings();
                   },
                   [&](const auto& viewStep) {
                       if (m_sessionView)
                           m_sessionView->draw(viewStep);
                   },
               },
               s);
}

// ---- DispatchHandlers

uint8_t MainLoop::ownSeatBit() const { return m_state.own.seatBit; }
// The prop plug-in is not on this table yet.
bool MainLoop::pluginLoaded() const { return false; }

void MainLoop::unhandled(const char* what) { trace("unhandled", QString::fromLatin1(what)); }

namespace {
// What the trace says of each round message as it comes in.
QString describe(const RoundMessage& message, const SessionState& session) {
    if (const auto* p = std::get_if<PlayReport>(&message)) {
        std::string shown = playTypeName(p->type);
        for (CardCode c : p->cards)
            shown += ' ' + cardText(c);
        return QStringLiteral("play: seat %1 cards %2 type %3 flag %4 next %5 | %6")
            .arg(session.relativeOf(p->seatBit)).arg(p->cards.size()).arg(p->type).arg(p->trickFlag)
            .arg(session.relativeOf(p->nextSeatBit)).arg(QString::fromStdString(shown));
    }
    if (const auto* d = std::get_if<Deal>(&message))
        return QStringLiteral("deal: %1 cards").arg(d->cards.size());
    if (const auto* t = std::get_if<CallingTurn>(&message))
        return QStringLiteral("calling-turn: seat %1 offer %2").arg(session.relativeOf(t->seatBit)).arg(t->offer);
    if (const auto* c = std::get_if<CallChoice>(&message))
        return QStringLiteral("call-result: seat %1 choice %2 rank %3 suit %4")
            .arg(session.relativeOf(c->seatBit)).arg(c->choice).arg(c->rank).arg(c->suitBit);
    const auto& r = std::get<SettlementRecord>(message);
    return QStringLiteral("settlement-record: seat %1").arg(session.relativeOf(r.seatBit));
}
}  // namespace

// Decode, decide, draw: the dispatcher decoded the frame, the model decides, the views draw.
void MainLoop::onRoundMessage(const RoundMessage& message) {
    if (traceEnabled()) {
        const QString line = describe(message, m_state);
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        trace(line.left(colon).toLatin1().constData(), line.mid(colon + 2));
    }
    if (std::holds_alternative<Deal>(message))
        apply(m_session.ownDealStarted());
    apply(m_round.receive(message));
    if (traceEnabled()) {
        // The own hand after a deal or an own play, so a run's log shows what the player holds.
        const auto* p = std::get_if<PlayReport>(&message);
        if (std::holds_alternative<Deal>(message) || (p && p->seatBit == m_state.own.seatBit)) {
            const Hand& hand = m_round.state().hands[0];
            std::string cards;
            for (int k = 0; k < hand.count; ++k)
                cards += (k ? " " : "") + cardText(hand.codes[static_cast<size_t>(k)]);
            trace("hand", QStringLiteral("%1 | %2").arg(hand.count).arg(QString::fromStdString(cards)));
        }
    }
    if (afterRoundMessage)
        afterRoundMessage(message);
}

void MainLoop::onSessionMessage(const SessionMessage& message) { apply(m_session.receive(message)); }

void MainLoop::act(const RoundIntent& intent) { apply(m_round.act(intent)); }
void MainLoop::act(const SessionIntent& intent) { apply(m_session.act(intent)); }

void MainLoop::act(const ChatIntent& intent) {
    const ChatContext context{chatSeats(m_state), m_chatClock.elapsed(), m_state.launch.spectator, m_state.loggedIn};
    const ChatInputResult result = m_chat.act(intent, context, m_phrases);
    if (result.send) {
        // The send routine packs the pending text into the frame and empties it.
        m_transport.pendingChatText = result.send->pendingText;
        CommandFrame frame = result.send->frame;
        SendFrame(m_transport, frame);
    }
    if (m_chatView)
        m_chatView->drawInput(result);
}

void MainLoop::apply(const Effects& fx) {
    for (const CommandFrame& frame : fx.frames) {
        CommandFrame f = frame;
        SendFrame(m_transport, f);
    }
    if (m_chatView) {
        // Clearing the table for a round also closes the chat history.
        for (const ViewChange& v : fx.view)
            if (std::holds_alternative<view::RoundCleared>(v))
                m_chatView->Talk()->hide();
    }
    if (m_roundView) {
        m_roundView->draw(fx.view);
    } else {
        for (const ViewChange& v : fx.view)
            if (std::holds_alternative<view::ClockChanged>(v))
                m_clock.draw(m_round.clock());
    }
    if (m_round.playCountdownOn() != m_scheduler.armed(Task::PlayCountdown)) {
        if (m_round.playCountdownOn())
            m_scheduler.arm(Task::PlayCountdown, 0);
        else
            m_scheduler.disarm(Task::PlayCountdown);
    }
    for (const SessionStep& step : fx.steps)
        carryOut(step);
    const SessionRequests& r = fx.session;
    if (r.readyCountdownSeconds > 0)
        m_scheduler.arm(Task::ReadyCountdown, 0);
    if (r.restartBubbleCount)
        m_scheduler.restartSeatBubbleCount();
    if (r.minimiseLobby)
        minimiseLobby();
    if (r.scoreSheetHandled)
        m_transport.departureHold = false;
    if (r.leave)
        apply(m_session.exitConfirmed());  // the exit path, as if confirmed
}

void MainLoop::onReconnectAnswer(const CommandFrame& frame) {
    apply(m_session.reconnectAnswered(decodeReconnectAnswer(frame).accepted));
}

void MainLoop::onChat(const CommandFrame& frame) {
    const ChatReceived received = m_chat.receive(decodeChatLine(frame), chatSeats(m_state), m_phrases);
    if (received.blink)
        m_scheduler.startChatBlink(kChatBlinkCount);
    if (m_chatView)
        m_chatView->drawReceived(received);
}

// The prop plug-in is not on this table yet: its frames are traced.
void MainLoop::pluginReceive(const CommandFrame&) { unhandled("plug-in frame"); }
void MainLoop::setPluginScoreReady() {}

// The deal's first steps, before the held plug-in frames go: the room rules give way to the round,
// the lobby hears of the deal under its own title (whatever the custom title says), the last
// round leaves the table.
void MainLoop::ownDealArriving() {
    m_form.showRoomRules(false);
    const QString lobby = QString::fromUtf8(kLobbyTitle.data(), static_cast<qsizetype>(kLobbyTitle.size()));
    if (m_bus.findWindow(lobby))
        m_bus.postMessage(lobby, kLobbyDeal);
    apply(m_round.resetRound());
}

}  // namespace vexal
