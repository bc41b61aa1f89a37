// The main timer's task table: which periodic work runs on a tick, in which order.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "core/clock.h"
#include "net/command.h"

namespace vexal {

// The table window implements this; the scheduler decides when, the host does the work.
class SchedulerHost {
public:
    virtual ~SchedulerHost() = default;

    // Session state the tasks read.
    virtual bool loggedIn() const = 0;
    virtual bool roundRunning() const = 0;
    virtual bool callingTurn() const = 0;
    virtual bool socketConnected() const = 0;  // the socket's state is 7
    virtual bool lobbyWindowExists() const = 0;

    // Moves at most one frame from the SendRing to the socket. Returns false when the ring held
    // less than one frame, which disarms the send task.
    virtual bool sendStep() = 0;

    struct ReceiveOutcome {
        bool tookFrame = false;     // a whole frame was dispatched, or held back by the departure hold
        bool moreWaiting = false;   // the ReceiveRing still holds at least one whole frame
    };
    // Cuts at most one frame from the ReceiveRing and dispatches it.
    virtual ReceiveOutcome receiveStep() = 0;

    virtual void postToLobby(int message) = 0;
    // Writes the kept login frame straight to the socket (it is the reconnect login after a
    // reconnect attempt changed it).
    virtual void writeLoginFrame() = 0;
    // rec_state(3, connected) on the prop plug-in, when it is loaded.
    virtual void notifyPluginConnection(bool connected) = 0;

    virtual void showChatButton(bool highlighted) = 0;

    virtual bool seatBubbleShown() const = 0;
    virtual void hideSeatBubble() = 0;

    // One step of the calling or play countdown; the scheduler has already checked that a second
    // of the clock has passed, so the step itself does not look at the time.
    virtual void callCountdownTick() = 0;
    virtual void playCountdownTick() = 0;

    // The countdown shared by the three countdowns (16-bit seconds).
    virtual int countdown() const = 0;
    virtual void setCountdown(int seconds) = 0;
    enum class CountdownColour { Red, Green, Black };
    virtual void showReadyCountdown(int seconds, CountdownColour colour, bool alarm) = 0;
    // The ready countdown ran out: hide it; with the ready flag off get the table ready for the
    // next round (start button, ResetRound, seat-counter reset, ready flag on); send the ready
    // frame. `clockBased` also starts the seat-change animation when that is laid out and on.
    virtual void readyCountdownTimedOut(bool clockBased) = 0;

    // A lost connection while the lobby window exists and a round runs: clear the logged-in flag,
    // start TimerKeepAlive and start the reconnect.
    virtual void startReconnect() = 0;
    // A lost connection without a lobby window: kLobbyMissingText in a message box, then the
    // process ends.
    virtual void lobbyMissing() = 0;
    // The watchdog gave up on a silent connection with the lobby window present: kSilentServerText
    // alone in the first system message list, minimise, restore the lobby, clear the ready flag
    // and run the table reset.
    virtual void connectionSilent() = 0;
    // Ends the process (watchdog expiry without a lobby window).
    virtual void endProcess() = 0;

    // The prop plug-in's share of every tick: outbox polling and the round-end request.
    virtual void propTask() = 0;
    virtual void chestCountdownTick() = 0;
    virtual void refreshOwnVideo() = 0;
};

// The tasks with an armed flag and a counter. A tick runs send, receive, login and the chat
// blink, then the seat bubble and the calling, play and ready countdowns, then the connection
// watch, then the prop plug-in, the chest countdown and the video refresh.
enum class Task : uint8_t {
    Send,
    Receive,
    Login,
    ChatBlink,
    ConnectionWatch,
    PlayCountdown,
    ReadyCountdown,
    ChestCountdown,
};
constexpr size_t kTaskCount = 8;

// Ticks between two runs of a task; 0 for the play countdown, which only follows the clock.
constexpr int taskPeriod(Task task) {
    switch (task) {
        case Task::Send: return 1;
        case Task::Receive: return 2;
        case Task::Login: return 4;
        case Task::ChatBlink: return 8;
        case Task::ConnectionWatch: return 2;
        case Task::PlayCountdown: return 0;
        case Task::ReadyCountdown: return 20;
        case Task::ChestCountdown: return 20;
    }
    return 0;
}

constexpr std::string_view kLobbyMissingText = "没有找到Kestrel山庄！";
constexpr std::string_view kSilentServerText = "已经与服务器断开连接，请重新入座！";

constexpr int kTickMilliseconds = 50;           // TimerBong
constexpr int kKeepAliveMilliseconds = 5000;    // TimerKeepAlive
constexpr int kWatchdogLimit = 5000;            // receive runs without a frame during a round
constexpr int kSeatBubbleTicks = 40;
constexpr int kChatBlinkCount = 8;
constexpr int kVideoRefreshTicks = 4;           // the refresh happens when the count exceeds 3
constexpr int kLobbyLoginMessage = 22;          // posted on every login-task run
constexpr int kLobbyLoginSentMessage = 771;     // posted when the login frame is written

class Scheduler {
public:
    Scheduler(SchedulerHost& host, const Clock& clock);

    // One TimerBong tick, steps 2 to 13: the Qt timer stops itself before calling this and
    // starts itself again afterwards, so ticks never overlap even across message boxes.
    void tick();

    void arm(Task task, int counter = 0);
    void disarm(Task task);
    bool armed(Task task) const;
    int counter(Task task) const;
    void setCounter(Task task, int counter);

    // Start-up and the table resets: every task disarmed, every counter 0, and the last-step
    // times of the countdowns set to now.
    void disarmAll();
    void restartCountdownClock();

    // Chat reception starts the chat button blinking for `count` alternations (`kChatBlinkCount`).
    void startChatBlink(int count);
    int chatBlinkCount() const { return m_chatBlinkCount; }

    // A new seat bubble restarts the count of ticks it stays up.
    void restartSeatBubbleCount() { m_seatBubbleTicks = 0; }

    // The video start asks for the own video display to be refreshed a few ticks later.
    void requestVideoRefresh();

    bool loginSent() const { return m_loginSent; }
    void setLoginSent(bool sent) { m_loginSent = sent; }

    int32_t watchdogCount() const { return m_watchdog; }

private:
    struct Slot {
        bool armed = false;
        int counter = 0;
    };
    Slot& slot(Task task) { return m_slots[static_cast<size_t>(task)]; }
    const Slot& slot(Task task) const { return m_slots[static_cast<size_t>(task)]; }
    bool due(Task task) const;
    void settleCounter(Task task);
    bool secondPassed(float& lastStep, float now) const;

    void runSend();
    void runReceive();
    void runLogin();
    void runChatBlink();
    void runSeatBubble();
    void runCountdowns(float now);
    void readyCountdownStep(bool clockBased);
    void runConnectionWatch();
    void runPropAndVideo();

    SchedulerHost& m_host;
    const Clock& m_clock;
    std::array<Slot, kTaskCount> m_slots{};
    int32_t m_watchdog = 0;
    int m_chatBlinkCount = 0;
    int m_seatBubbleTicks = 0;
    bool m_videoRefreshRequested = false;
    int m_videoRefreshTicks = 0;
    bool m_loginSent = false;
    float m_lastCallStep = 0;
    float m_lastPlayStep = 0;
    float m_lastReadyStep = 0;
};

// The keep-alive frame TimerKeepAlive hands to the send operation: command 24 and the own seat
// bit, nothing else.
CommandFrame keepAliveFrame(uint8_t ownSeatBit);

}  // namespace vexal
