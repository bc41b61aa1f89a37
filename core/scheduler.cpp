#include "core/scheduler.h"

namespace vexal {

Scheduler::Scheduler(SchedulerHost& host, const Clock& clock) : m_host(host), m_clock(clock) {
    restartCountdownClock();
}

void Scheduler::arm(Task task, int counter) {
    slot(task).armed = true;
    slot(task).counter = counter;
}

void Scheduler::disarm(Task task) { slot(task).armed = false; }

bool Scheduler::armed(Task task) const { return slot(task).armed; }

int Scheduler::counter(Task task) const { return slot(task).counter; }

void Scheduler::setCounter(Task task, int counter) { slot(task).counter = counter; }

void Scheduler::disarmAll() {
    m_slots = {};
    restartCountdownClock();
}

void Scheduler::restartCountdownClock() {
    const float now = m_clock.secondsSinceMidnight();
    m_lastCallStep = m_lastPlayStep = m_lastReadyStep = now;
}

void Scheduler::startChatBlink(int count) {
    m_chatBlinkCount = count;
    arm(Task::ChatBlink);
}

void Scheduler::requestVideoRefresh() {
    m_videoRefreshRequested = true;
    m_videoRefreshTicks = 0;
}

bool Scheduler::due(Task task) const {
    const Slot& s = slot(task);
    return s.armed && s.counter >= taskPeriod(task);
}

// Counters of disarmed tasks wrap at their period as well, so none grows without bound.
void Scheduler::settleCounter(Task task) {
    Slot& s = slot(task);
    if (s.counter >= taskPeriod(task)) s.counter = 0;
}

bool Scheduler::secondPassed(float& lastStep, float now) const {
    if (secondsBetween(lastStep, now) < 1.0f) return false;
    lastStep = now;
    return true;
}

void Scheduler::tick() {
    for (Slot& s : m_slots) ++s.counter;
    runSend();
    runReceive();
    runLogin();
    runChatBlink();
    runSeatBubble();
    runCountdowns(m_clock.secondsSinceMidnight());
    runConnectionWatch();
    runPropAndVideo();
}

void Scheduler::runSend() {
    if (due(Task::Send) && !m_host.sendStep()) disarm(Task::Send);
    settleCounter(Task::Send);
}

void Scheduler::runReceive() {
    if (!due(Task::Receive)) {
        settleCounter(Task::Receive);
        return;
    }
    if (m_host.roundRunning() && ++m_watchdog >= kWatchdogLimit) {
        m_watchdog = 0;
        if (m_host.lobbyWindowExists())
            m_host.connectionSilent();
        else
            m_host.endProcess();
    }
    const SchedulerHost::ReceiveOutcome outcome = m_host.receiveStep();
    if (outcome.tookFrame && m_host.roundRunning()) m_watchdog = 0;
    // Another whole frame waiting goes out on the very next tick.
    setCounter(Task::Receive, outcome.moreWaiting ? 1 : 0);
}

void Scheduler::runLogin() {
    if (due(Task::Login)) {
        m_host.postToLobby(kLobbyLoginMessage);
        if (m_host.socketConnected()) {
            m_loginSent = true;
            m_host.postToLobby(kLobbyLoginSentMessage);
            m_host.writeLoginFrame();
            arm(Task::ConnectionWatch, 0);
            disarm(Task::Login);
            m_host.notifyPluginConnection(true);
        }
        setCounter(Task::Login, 0);
    }
    settleCounter(Task::Login);
}

void Scheduler::runChatBlink() {
    if (due(Task::ChatBlink)) {
        if (m_chatBlinkCount <= 0) {
            m_host.showChatButton(false);
            disarm(Task::ChatBlink);
        } else {
            m_host.showChatButton(m_chatBlinkCount % 2 == 0);
            --m_chatBlinkCount;
        }
    }
    settleCounter(Task::ChatBlink);
}

void Scheduler::runSeatBubble() {
    if (!m_host.seatBubbleShown()) return;
    if (++m_seatBubbleTicks >= kSeatBubbleTicks) {
        m_host.hideSeatBubble();
        m_seatBubbleTicks = 0;
    }
}

void Scheduler::runCountdowns(float now) {
    if (m_host.loggedIn() && m_host.callingTurn() && secondPassed(m_lastCallStep, now))
        m_host.callCountdownTick();

    if (m_host.loggedIn() && armed(Task::PlayCountdown) && secondPassed(m_lastPlayStep, now))
        m_host.playCountdownTick();
    settleCounter(Task::PlayCountdown);

    // Two ways step the ready countdown: every 20 ticks, and every second of the clock. The clock
    // step restarts the tick count, so the tick step only acts when ticks run faster than 20 a
    // second.
    if (due(Task::ReadyCountdown)) readyCountdownStep(false);
    settleCounter(Task::ReadyCountdown);
    if (m_host.loggedIn() && armed(Task::ReadyCountdown) && secondPassed(m_lastReadyStep, now)) {
        readyCountdownStep(true);
        setCounter(Task::ReadyCountdown, 0);
    }
}

void Scheduler::readyCountdownStep(bool clockBased) {
    using Colour = SchedulerHost::CountdownColour;
    const int seconds = m_host.countdown();
    if (seconds > 0) {
        const int shown = seconds - 1;
        m_host.setCountdown(shown);
        const Colour calm = clockBased ? Colour::Black : Colour::Green;
        const bool low = shown < 6;
        m_host.showReadyCountdown(shown, low ? Colour::Red : calm, low && !clockBased);
        return;
    }
    disarm(Task::ReadyCountdown);
    m_host.readyCountdownTimedOut(clockBased);
}

void Scheduler::runConnectionWatch() {
    if (due(Task::ConnectionWatch) && !m_host.socketConnected()) {
        m_host.notifyPluginConnection(false);
        disarm(Task::ConnectionWatch);
        if (!m_host.lobbyWindowExists())
            m_host.lobbyMissing();
        else if (m_host.roundRunning())
            m_host.startReconnect();
    }
    settleCounter(Task::ConnectionWatch);
}

void Scheduler::runPropAndVideo() {
    m_host.propTask();
    if (due(Task::ChestCountdown)) m_host.chestCountdownTick();
    settleCounter(Task::ChestCountdown);
    if (m_videoRefreshRequested && ++m_videoRefreshTicks >= kVideoRefreshTicks) {
        m_videoRefreshRequested = false;
        m_videoRefreshTicks = 0;
        m_host.refreshOwnVideo();
    }
}

CommandFrame keepAliveFrame(uint8_t ownSeatBit) {
    CommandFrame frame{};
    frame[kCommandByte] = commandByte(Command::KeepAlive);
    frame[kSeatByte] = ownSeatBit;
    return frame;
}

}  // namespace vexal
