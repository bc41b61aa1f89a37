// `MainLoop`: the composition of the running table. It owns the transport (game socket, rings,
// SOCKS5), the dispatcher, `TimerBong` with its scheduler, `TimerKeepAlive`, the lobby's window
// messages, and the table's two models; it routes decoded messages and the player's intents to the
// models and carries out their effects: frames to the SendRing, steps to the timers, the socket,
// the lobby and the process, view changes to the views.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>

#include "core/clock.h"
#include "core/scheduler.h"
#include "net/dispatcher.h"
#include "net/rings.h"
#include "platform/socketadapter.h"
#include "platform/socks5driver.h"
#include "platform/windowbus.h"
#include "model/chat.h"
#include "model/roundmodel.h"
#include "model/sessionmodel.h"
#include "table/clockview.h"
#include "table/mainform.h"

namespace vexal {

// Lobby messages (both directions carry 0 in both parameters).
constexpr uint32_t kLobbyLogin = 22;
constexpr uint32_t kLobbyLoginSent = 771;
constexpr uint32_t kLobbyRoundRunning = 1125;
constexpr uint32_t kLobbyLoginPending = 1126;
constexpr uint32_t kLobbyLeft = 1024;
constexpr uint32_t kLobbyDeal = 1127;

class ChatView;
class RoundView;
class SessionView;

class MainLoop : public QObject, public SchedulerHost, public DispatchHandlers {
    Q_OBJECT
public:
    MainLoop(SessionState& state, MainForm& form, const WindowBus& bus, const Clock& clock,
             QObject* parent = nullptr);
    ~MainLoop() override;

    SessionModel& session() { return m_session; }
    Scheduler& scheduler() { return m_scheduler; }
    Transport& transport() { return m_transport; }
    Dispatcher& dispatcher() { return m_dispatcher; }
    SocketAdapter& socket() { return m_socket; }
    QTimer& TimerBong() { return m_timerBong; }
    QTimer& TimerKeepAlive() { return m_timerKeepAlive; }
    RoundModel& round() { return m_round; }
    ChatModel& chat() { return m_chat; }
    ClockView& clock() { return m_clock; }

    // The views, once the table has them; the models decide without them (nothing drawn).
    void setRoundView(RoundView* view) { m_roundView = view; }
    void setChatView(ChatView* view) { m_chatView = view; }
    ChatView* chatView() { return m_chatView; }
    // The quick phrases of "chat.ini", read when the chat is installed.
    void setQuickPhrases(QuickPhrases phrases) { m_phrases = std::move(phrases); }
    const QuickPhrases& quickPhrases() const { return m_phrases; }
    RoundView* roundView() { return m_roundView; }
    SessionView& sessionView() { return *m_sessionView; }
    // The sound settings window belongs to the sound side; the session closes it on leaving.
    std::function<void()> closeSoundSettings;
    // The player's intents from the views, and what any decision of the models asks for.
    void act(const RoundIntent& intent);
    void act(const SessionIntent& intent);
    void act(const ChatIntent& intent);
    void apply(const Effects& effects);
    // Called after each round message has been applied: the demo switches watch the turns.
    std::function<void(const RoundMessage&)> afterRoundMessage;

    // The lobby window's title (Part of the session settings): blank means "do nothing".
    void setLobbyTitle(const QString& title) { m_lobbyTitle = title; }
    const QString& lobbyTitle() const { return m_lobbyTitle; }

    // The kept login frame; a reconnect changes it in place.
    CommandFrame& loginFrame() { return m_loginFrame; }

    // Opens the game connection by proxy type: direct (0) connects and arms the login task,
    // SOCKS5 (5) starts the handshake, anything else does nothing.
    void openConnection();
    void startMainTimer();

    // Registers the table window on the bus under its caption and hooks the lobby's messages.
    bool registerTableWindow(const QString& title);
    void installMessageHook();
    void removeMessageHook();
    BusWindow* tableBusWindow() { return m_busWindow.get(); }
    // The lobby's message to the table window (1125, 771, 1024, 22).
    void handleLobbyMessage(const WindowMessage& message);

    // Test and start-up seams: how the process ends, and how the two kinds of wait wait.
    std::function<void()> endProcessHook;
    std::function<void(int)> waitHook;
    std::function<void(int)> pauseHook;

    // SchedulerHost
    bool loggedIn() const override;
    bool roundRunning() const override;
    bool callingTurn() const override;
    bool socketConnected() const override;
    bool lobbyWindowExists() const override;
    bool sendStep() override;
    ReceiveOutcome receiveStep() override;
    void postToLobby(int message) override;
    void writeLoginFrame() override;
    void notifyPluginConnection(bool connected) override;
    void showChatButton(bool highlighted) override;
    bool seatBubbleShown() const override;
    void hideSeatBubble() override;
    void callCountdownTick() override;
    void playCountdownTick() override;
    int countdown() const override { return m_round.countdown(); }
    void setCountdown(int seconds) override { m_round.setCountdown(seconds); }
    void showReadyCountdown(int seconds, CountdownColour colour, bool alarm) override;
    void readyCountdownTimedOut(bool clockBased) override;
    void startReconnect() override;
    void lobbyMissing() override;
    void connectionSilent() override;
    void endProcess() override;
    void propTask() override;
    void chestCountdownTick() override;
    void refreshOwnVideo() override;

    // The session's services, as the models' steps ask for them.
    void postToLobby(uint32_t message);
    void restoreLobby();
    void minimiseLobby();
    void writeDirect(const CommandFrame& frame);
    void closeSocketAndWait();
    void stopMainTimer();
    void startKeepAlive();
    void startReadyCountdown(int seconds);
    void waitProcessing(int ms);
    void pause(int ms);

    // DispatchHandlers
    uint8_t ownSeatBit() const override;
    bool pluginLoaded() const override;
    void onRoundMessage(const RoundMessage& message) override;
    void onSessionMessage(const SessionMessage& message) override;
    void onChat(const CommandFrame& frame) override;
    void onReconnectAnswer(const CommandFrame& frame) override;
    void pluginReceive(const CommandFrame& frame) override;
    void setPluginScoreReady() override;
    void ownDealArriving() override;

private:
    void handleOneLobbyMessage(const WindowMessage& message);
    // Opens the game connection by proxy type; `again` closes the old socket and empties the rings.
    void connectGame(bool again);
    void reconnectAttempt();
    bool gameLinkUp() const;
    std::deque<WindowMessage> m_lobbyQueue;
    bool m_handlingLobbyMessage = false;
    void bongTick();
    void keepAliveTick();
    void onDataArrival();
    void onWindowRestored();
    void lobbyCommand(int64_t command);
    void unhandled(const char* what);
    void carryOut(const SessionStep& step);
    std::array<int, 3> timeOfDay() const;

    SessionState& m_state;
    MainForm& m_form;
    WindowBus m_bus;
    Transport m_transport;
    SocketAdapter m_socket;
    Socks5Driver m_socks5;
    Dispatcher m_dispatcher;
    Scheduler m_scheduler;
    const Clock& m_time;
    RoundModel m_round;
    SessionModel m_session;
    ClockView m_clock;
    ChatModel m_chat;
    QuickPhrases m_phrases;
    QElapsedTimer m_chatClock;  // the send gate's milliseconds
    RoundView* m_roundView = nullptr;
    ChatView* m_chatView = nullptr;
    SessionView* m_sessionView = nullptr;
    QTimer m_timerBong;
    QTimer m_timerKeepAlive;
    std::unique_ptr<BusWindow> m_busWindow;
    BusWindow::MessageProc m_previousProc;
    bool m_hooked = false;
    QString m_lobbyTitle;
    CommandFrame m_loginFrame{};
    bool m_inTick = false;
    bool m_bongStoppedInTick = false;
};

}  // namespace vexal
