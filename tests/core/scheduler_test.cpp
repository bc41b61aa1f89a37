#include "core/scheduler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace vexal {
namespace {

class FakeClock : public Clock {
public:
    float secondsSinceMidnight() const override { return now; }
    float now = 36000.0f;
};

// Records every call the scheduler makes, in order, as short words.
class FakeHost : public SchedulerHost {
public:
    bool loggedIn() const override { return isLoggedIn; }
    bool roundRunning() const override { return isRoundRunning; }
    bool callingTurn() const override { return isCallingTurn; }
    bool socketConnected() const override { return connected; }
    bool lobbyWindowExists() const override { return lobby; }

    bool sendStep() override {
        if (sendQueue == 0) return false;
        --sendQueue;
        log.push_back("send");
        return true;
    }
    ReceiveOutcome receiveStep() override {
        log.push_back("receive");
        if (receiveQueue == 0) return {};
        --receiveQueue;
        return {true, receiveQueue > 0};
    }
    void postToLobby(int message) override { log.push_back("post" + std::to_string(message)); }
    void writeLoginFrame() override { log.push_back("login"); }
    void notifyPluginConnection(bool c) override { log.push_back(c ? "plugin-up" : "plugin-down"); }
    void showChatButton(bool highlighted) override { log.push_back(highlighted ? "chat-lit" : "chat-plain"); }
    bool seatBubbleShown() const override { return bubble; }
    void hideSeatBubble() override {
        bubble = false;
        log.push_back("bubble-hidden");
    }
    void callCountdownTick() override { log.push_back("call-step"); }
    void playCountdownTick() override { log.push_back("play-step"); }
    int countdown() const override { return seconds; }
    void setCountdown(int s) override { seconds = s; }
    void showReadyCountdown(int s, CountdownColour colour, bool alarm) override {
        const char* names[] = {"red", "green", "black"};
        log.push_back("ready-" + std::to_string(s) + "-" + names[static_cast<int>(colour)] +
                      (alarm ? "-alarm" : ""));
    }
    void readyCountdownTimedOut(bool clockBased) override {
        log.push_back(clockBased ? "ready-out-clock" : "ready-out-ticks");
    }
    void startReconnect() override { log.push_back("reconnect"); }
    void lobbyMissing() override { log.push_back("lobby-missing"); }
    void connectionSilent() override { log.push_back("silent"); }
    void endProcess() override { log.push_back("end"); }
    void propTask() override { ++propRuns; }
    void chestCountdownTick() override { log.push_back("chest-step"); }
    void refreshOwnVideo() override { log.push_back("video-refresh"); }

    int count(const std::string& word) const {
        int n = 0;
        for (const std::string& w : log) n += w == word ? 1 : 0;
        return n;
    }

    bool isLoggedIn = false;
    bool isRoundRunning = false;
    bool isCallingTurn = false;
    bool connected = false;
    bool lobby = true;
    bool bubble = false;
    int sendQueue = 0;
    int receiveQueue = 0;
    int seconds = 0;
    int propRuns = 0;
    std::vector<std::string> log;
};

struct SchedulerTest : ::testing::Test {
    FakeClock clock;
    FakeHost host;
    Scheduler scheduler{host, clock};

    // Runs ticks and returns the tick numbers (1-based) on which `word` was logged.
    // A tick of 1/16 s keeps the float clock exact.
    std::vector<int> ticksWith(int ticks, const std::string& word, float secondsPerTick = 0.0625f) {
        std::vector<int> at;
        for (int t = 1; t <= ticks; ++t) {
            const int before = host.count(word);
            clock.now += secondsPerTick;
            scheduler.tick();
            if (host.count(word) > before) at.push_back(t);
        }
        return at;
    }
};

TEST_F(SchedulerTest, LoginRepeatsUntilTheSocketConnectsThenWritesOnce) {
    scheduler.arm(Task::Login, 0);
    ticksWith(18, "post22");
    EXPECT_EQ(host.count("post22"), 4);  // ticks 4, 8, 12, 16
    EXPECT_EQ(host.count("login"), 0);
    host.connected = true;
    ticksWith(40, "login");
    EXPECT_EQ(host.count("post22"), 5);
    EXPECT_EQ(host.count("post771"), 1);
    EXPECT_EQ(host.count("login"), 1);
    EXPECT_EQ(host.count("plugin-up"), 1);
    EXPECT_TRUE(scheduler.loginSent());
    EXPECT_FALSE(scheduler.armed(Task::Login));
    EXPECT_TRUE(scheduler.armed(Task::ConnectionWatch));
    // The lobby hears 22 before 771, and the frame goes out after both.
    const std::vector<std::string> expected = {"post22", "post22", "post22", "post22", "post22",
                                               "post771", "login", "plugin-up"};
    EXPECT_EQ(host.log, expected);
}

TEST_F(SchedulerTest, FramesArrivingTogetherGoOutOnConsecutiveTicks) {
    host.receiveQueue = 3;
    scheduler.arm(Task::Receive, 0);
    EXPECT_EQ(ticksWith(10, "receive"), (std::vector<int>{2, 3, 4, 6, 8, 10}));
    EXPECT_EQ(host.receiveQueue, 0);
    // The receive task stays armed once data has arrived.
    EXPECT_TRUE(scheduler.armed(Task::Receive));
}

TEST_F(SchedulerTest, SendRunsEveryTickUntilTheRingIsEmpty) {
    host.sendQueue = 2;
    scheduler.arm(Task::Send, 0);
    EXPECT_EQ(ticksWith(5, "send"), (std::vector<int>{1, 2}));
    EXPECT_FALSE(scheduler.armed(Task::Send));
}

TEST_F(SchedulerTest, OneBusyTickFollowsTheFixedOrder) {
    // A seat bubble on its last tick and a video refresh on its fourth.
    host.bubble = true;
    for (int t = 1; t < kSeatBubbleTicks; ++t) {
        if (t == kSeatBubbleTicks - kVideoRefreshTicks + 1) scheduler.requestVideoRefresh();
        scheduler.tick();
    }
    ASSERT_TRUE(host.log.empty());

    host.isLoggedIn = true;
    host.isCallingTurn = true;
    host.isRoundRunning = true;
    host.sendQueue = 1;
    host.receiveQueue = 1;
    host.seconds = 9;
    // Every counter one short of its period.
    scheduler.arm(Task::Send, 0);
    scheduler.arm(Task::Receive, 1);
    scheduler.arm(Task::Login, 3);
    scheduler.startChatBlink(2);
    scheduler.setCounter(Task::ChatBlink, 7);
    scheduler.arm(Task::PlayCountdown);
    scheduler.arm(Task::ReadyCountdown, 19);
    scheduler.arm(Task::ConnectionWatch, 1);
    scheduler.arm(Task::ChestCountdown, 19);
    clock.now += 1.0f;
    const int propRunsBefore = host.propRuns;

    scheduler.tick();
    const std::vector<std::string> expected = {
        "send", "receive", "post22", "chat-lit", "bubble-hidden", "call-step", "play-step",
        "ready-8-green",  // the tick-based ready step
        "ready-7-black",  // the clock-based one in the same tick
        "plugin-down", "reconnect", "chest-step", "video-refresh",
    };
    EXPECT_EQ(host.log, expected);
    EXPECT_EQ(host.propRuns, propRunsBefore + 1);
    EXPECT_FALSE(scheduler.armed(Task::ConnectionWatch));
    EXPECT_EQ(scheduler.counter(Task::ReadyCountdown), 0);
}

TEST_F(SchedulerTest, ChatButtonBlinksEveryEightTicksThenRestsPlain) {
    scheduler.startChatBlink(3);
    ticksWith(40, "never");
    const std::vector<std::string> expected = {"chat-plain", "chat-lit", "chat-plain", "chat-plain"};
    EXPECT_EQ(host.log, expected);  // ticks 8, 16, 24, 32
    EXPECT_FALSE(scheduler.armed(Task::ChatBlink));
    EXPECT_EQ(scheduler.chatBlinkCount(), 0);
}

TEST_F(SchedulerTest, WatchdogEndsASilentConnectionDuringARound) {
    struct Case {
        bool roundRunning;
        bool lobby;
        int framesEvery;  // a frame arrives every n-th receive run, 0 for never
        std::string expected;
    };
    const Case cases[] = {
        {true, true, 0, "silent"},
        {true, false, 0, "end"},
        {false, true, 0, ""},
        {true, true, 4000, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected + (c.roundRunning ? " round" : "") + (c.lobby ? " lobby" : ""));
        FakeHost h;
        Scheduler s(h, clock);
        h.isRoundRunning = c.roundRunning;
        h.lobby = c.lobby;
        s.arm(Task::Receive, 0);
        // 5000 receive runs at one run every two ticks, and a little more.
        for (int run = 1; run <= kWatchdogLimit + 10; ++run) {
            if (c.framesEvery > 0 && run % c.framesEvery == 0) h.receiveQueue = 1;
            s.tick();
            s.tick();
            if (!c.expected.empty() && h.count(c.expected) > 0) {
                EXPECT_EQ(run, kWatchdogLimit);
                break;
            }
        }
        EXPECT_EQ(h.count("silent") + h.count("end"), c.expected.empty() ? 0 : 1);
        if (!c.expected.empty()) {
            EXPECT_EQ(s.watchdogCount(), 0);
            EXPECT_EQ(h.log.back(), "receive");  // the receive step still runs after the verdict
        }
    }
}

TEST_F(SchedulerTest, ConnectionWatchReactsToALostSocket) {
    struct Case {
        bool connected;
        bool lobby;
        bool roundRunning;
        std::vector<std::string> log;
        bool stillArmed;
    };
    const Case cases[] = {
        {true, true, true, {}, true},
        {false, true, true, {"plugin-down", "reconnect"}, false},
        {false, true, false, {"plugin-down"}, false},
        {false, false, true, {"plugin-down", "lobby-missing"}, false},
    };
    for (const Case& c : cases) {
        FakeHost h;
        Scheduler s(h, clock);
        h.connected = c.connected;
        h.lobby = c.lobby;
        h.isRoundRunning = c.roundRunning;
        s.arm(Task::ConnectionWatch, 0);
        s.tick();
        EXPECT_TRUE(h.log.empty());  // every second tick only
        for (int t = 0; t < 9; ++t) s.tick();
        EXPECT_EQ(h.log, c.log);
        EXPECT_EQ(s.armed(Task::ConnectionWatch), c.stillArmed);
    }
}

TEST_F(SchedulerTest, TurnCountdownsStepOncePerSecondOfTheClock) {
    struct Case {
        bool loggedIn;
        bool callingTurn;
        bool playArmed;
        float secondsPerTick;
        int callSteps;
        int playSteps;
    };
    const Case cases[] = {
        {true, true, false, 0.0625f, 3, 0},  // 3.5 s
        {true, false, true, 0.0625f, 0, 3},
        {false, true, true, 0.0625f, 0, 0},  // nothing counts before the login answer
        {true, true, true, 0.5f, 28, 28},    // slow ticks: a step on every second tick
        {true, true, true, 0.015625f, 0, 0}, // fast ticks: 0.875 s
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.secondsPerTick);
        FakeHost h;
        FakeClock fc;
        Scheduler s(h, fc);
        h.isLoggedIn = c.loggedIn;
        h.isCallingTurn = c.callingTurn;
        if (c.playArmed) s.arm(Task::PlayCountdown);
        for (int t = 0; t < 56; ++t) {
            fc.now += c.secondsPerTick;
            s.tick();
        }
        EXPECT_EQ(h.count("call-step"), c.callSteps);
        EXPECT_EQ(h.count("play-step"), c.playSteps);
    }
}

TEST_F(SchedulerTest, CountdownsKeepGoingPastMidnight) {
    FakeHost h;
    FakeClock fc;
    fc.now = kSecondsPerDay - 1.5f;
    Scheduler s(h, fc);
    h.isLoggedIn = true;
    s.arm(Task::PlayCountdown);
    // 23:59:58.5 to 00:00:02.25, the clock going back to 0 at midnight.
    for (int t = 0; t < 60; ++t) {
        fc.now += 0.0625f;
        if (fc.now >= kSecondsPerDay) fc.now -= kSecondsPerDay;
        s.tick();
    }
    EXPECT_EQ(h.count("play-step"), 3);
}

TEST_F(SchedulerTest, ReadyCountdownStepsAndTimesOut) {
    struct Case {
        bool loggedIn;      // off: only the tick-based step runs
        float secondsPerTick;
        int start;
        int ticks;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {false, 0.0625f, 7, 40, {"ready-6-green", "ready-5-red-alarm"}},
        {false, 0.0625f, 1, 60, {"ready-0-red-alarm", "ready-out-ticks"}},
        {true, 1.0f, 7, 3, {"ready-6-black", "ready-5-red", "ready-4-red"}},
        {true, 1.0f, 1, 3, {"ready-0-red", "ready-out-clock"}},
        // Fast ticks: 20 of them pass in 0.625 s, so the tick-based step comes first and the
        // clock-based one follows within the same second.
        {true, 0.03125f, 9, 40, {"ready-8-green", "ready-7-black"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        FakeHost h;
        FakeClock fc;
        Scheduler s(h, fc);
        h.isLoggedIn = c.loggedIn;
        h.seconds = c.start;
        s.arm(Task::ReadyCountdown, 0);
        for (int t = 0; t < c.ticks; ++t) {
            fc.now += c.secondsPerTick;
            s.tick();
        }
        EXPECT_EQ(h.log, c.log);
        const bool timedOut = h.count("ready-out-ticks") + h.count("ready-out-clock") > 0;
        EXPECT_EQ(s.armed(Task::ReadyCountdown), !timedOut);
    }
}

TEST_F(SchedulerTest, SeatBubbleChestAndVideoCountTicks) {
    host.bubble = true;
    EXPECT_EQ(ticksWith(45, "bubble-hidden"), (std::vector<int>{kSeatBubbleTicks}));

    scheduler.arm(Task::ChestCountdown, 0);
    EXPECT_EQ(ticksWith(60, "chest-step"), (std::vector<int>{20, 40, 60}));
    scheduler.disarm(Task::ChestCountdown);

    scheduler.requestVideoRefresh();
    EXPECT_EQ(ticksWith(10, "video-refresh"), (std::vector<int>{4}));
    EXPECT_EQ(host.propRuns, 45 + 60 + 10);  // the plug-in is polled on every tick
}

TEST_F(SchedulerTest, CountersWrapAtTheirPeriodsAndDisarmAllClearsEverything) {
    for (size_t i = 0; i < kTaskCount; ++i) scheduler.setCounter(static_cast<Task>(i), 0);
    for (int t = 0; t < 1000; ++t) {
        scheduler.tick();
        for (size_t i = 0; i < kTaskCount; ++i) {
            const Task task = static_cast<Task>(i);
            EXPECT_LT(scheduler.counter(task), std::max(taskPeriod(task), 1));
        }
    }
    scheduler.arm(Task::Send, 5);
    scheduler.arm(Task::Login, 2);
    host.isLoggedIn = true;
    scheduler.arm(Task::PlayCountdown);
    clock.now += 0.9f;
    scheduler.disarmAll();  // also restarts the countdown clock
    clock.now += 0.5f;
    for (size_t i = 0; i < kTaskCount; ++i) {
        EXPECT_FALSE(scheduler.armed(static_cast<Task>(i)));
        EXPECT_EQ(scheduler.counter(static_cast<Task>(i)), 0);
    }
    scheduler.arm(Task::PlayCountdown);
    scheduler.tick();
    EXPECT_EQ(host.count("play-step"), 0);  // only 0.5 s since the reset
}

TEST(KeepAlive, FrameCarriesOnlyTheCommandAndTheSeat) {
    const CommandFrame f = keepAliveFrame(4);
    CommandFrame expected{};
    expected[3] = 24;
    expected[6] = 4;
    EXPECT_EQ(f, expected);
}

}  // namespace
}  // namespace vexal
