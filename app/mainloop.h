// The session's engine room: `TimerBong` and its scheduler, `TimerKeepAlive`, the game socket, the
// dispatcher, and the window messages exchanged with the lobby.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>

namespace vexal {
class RoundView;
}

#include "core/clock.h"
#include "core/scheduler.h"
#include "net/dispatcher.h"
#include "net/rings.h"
#include "platform/socketadapter.h"
#include "platform/socks5driver.h"
#include "platform/windowbus.h"
#include "model/roundmodel.h"
#include "table/clockview.h"
#include "table/mainform.h"
#include "table/tablesession.h"

namespace vexal {

// Lobby messages (both directions carry 0 in both parameters).
constexpr uint32_t kLobbyLogin = 22;
constexpr uint32_t kLobbyLoginSent = 771;
constexpr uint32_t kLobbyRoundRunning = 1125;
constexpr uint32_t kLobbyLoginPending = 1126;
constexpr uint32_t kLobbyLeft = 1024;
constexpr uint32_t kLobbyDeal = 1127;

class MainLoop : public QObject, public SchedulerHost, public TableServices, public DispatchHandlers {
    Q_OBJECT
public:
    MainLoop(SessionState& state, MainForm& form, const WindowBus& bus, const Clock& clock,
             QObject* parent = nullptr);
    ~MainLoop() override;

    TableSession& table() { return m_table; }
    Scheduler& scheduler() { return m_scheduler; }
    Transport& transport() { return m_transport; }
    Dispatcher& dispatcher() { return m_dispatcher; }
    SocketAdapter& socket() { return m_socket; }
    QTimer& TimerBong() { return m_timerBong; }
    QTimer& TimerKeepAlive() { return m_timerKeepAlive; }
    RoundModel& round() { return m_round; }
    ClockView& clock() { return m_clock; }

    // The round's widgets, once the table has them; the round plays without them (nothing drawn).
    void setRoundView(RoundView* view) { m_roundView = view; }
    RoundView* roundView() { return m_roundView; }
    // The player's intents from the round's widgets, and what any decision of the model asks for.
    void act(const RoundIntent& intent);
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

    // TableServices
    void postToLobby(uint32_t message) override;
    bool lobbyExists() const override { return lobbyWindowExists(); }
    void restoreLobby() override;
    void minimiseLobby() override;
    int socketState() const override;
    void writeDirect(const CommandFrame& frame) override;
    void closeSocketAndWait() override;
    void sendFrame(CommandFrame& frame) override;
    void resetRingPositions() override;
    void clearHolds() override;
    void disarmSessionTasks() override;
    void stopMainTimer() override;
    void startKeepAlive() override;
    void stopKeepAlive() override;
    bool keepAliveRunning() const override;
    void disarmConnectionWatch() override;
    void startReadyCountdown(int seconds) override;
    void disarmReadyCountdown() override;
    void hideClock() override;
    void setLoginSent(bool sent) override;
    void waitProcessing(int ms) override;
    void pause(int ms) override;
    std::array<int, 3> timeOfDay() const override;

    // DispatchHandlers
    uint8_t ownSeatBit() const override;
    bool pluginLoaded() const override;
    void onRoundMessage(const RoundMessage& message) override;
    void onTableState(const CommandFrame& frame) override;
    void onLoginAnswer(const CommandFrame& frame) override;
    void onChat(const CommandFrame& frame) override;
    void onSeatInfo(const CommandFrame& frame) override;
    void onPlayerLeft(const CommandFrame& frame) override;
    void onRemoval(const CommandFrame& frame) override;
    void onReadyNotice(const CommandFrame& frame) override;
    void onReconnectAnswer(const CommandFrame& frame) override;
    void onOwnCoinChange(const CommandFrame& frame) override;
    void onOtherCoinChange(const CommandFrame& frame) override;
    void pluginReceive(const CommandFrame& frame) override;
    void setPluginScoreReady() override;
    void hideRoomRuleLabels() override;
    void preparePluginRound() override;
    void notifyLobbyOfDeal() override;
    void resetRound() override;
    void startRoundVideo() override;
    void noteDealStarted() override;
    void keepDealTimeNames() override;
    void setFirstTableState() override;
    void clearOwnHand() override;
    void closeExitAndNoticeWindows() override;
    void disarmCountdowns() override;

private:
    void handleOneLobbyMessage(const WindowMessage& message);
    std::deque<WindowMessage> m_lobbyQueue;
    bool m_handlingLobbyMessage = false;
    void bongTick();
    void keepAliveTick();
    void onDataArrival();
    void onWindowRestored();
    void lobbyCommand(int64_t command);
    void unhandled(const char* what);

    SessionState& m_state;
    MainForm& m_form;
    WindowBus m_bus;
    Transport m_transport;
    SocketAdapter m_socket;
    Socks5Driver m_socks5;
    Dispatcher m_dispatcher;
    Scheduler m_scheduler;
    TableSession m_table;
    RoundModel m_round;
    ClockView m_clock;
    RoundView* m_roundView = nullptr;
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
