// The session's decisions without a window: what each message and intent changes, and the steps it
// asks for, in their order.
#include "model/sessionmodel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/clock.h"
#include "net/frame.h"
#include "net/messages/seating.h"

namespace vexal {
namespace {

SeatInfo seat(const std::string& account, int seatNumber, int64_t coins, uint32_t wealth = 0) {
    SeatInfo s;
    s.addresseeBit = 1;
    s.nickname = "昵称" + account;
    s.account = account;
    s.title = "新手";
    s.coins = coins;
    s.seatBit = seatBit(seatNumber);
    s.wealthMultiple = wealth;
    return s;
}

// The steps of one kind, in order.
template <typename Step>
std::vector<Step> stepsOf(const Effects& fx) {
    std::vector<Step> out;
    for (const SessionStep& s : fx.steps)
        if (const auto* x = std::get_if<Step>(&s))
            out.push_back(*x);
    return out;
}

// Where the first step of a kind stands among all steps; -1 when it is not there.
template <typename Step>
int positionOf(const Effects& fx) {
    for (size_t i = 0; i < fx.steps.size(); ++i)
        if (std::holds_alternative<Step>(fx.steps[i]))
            return static_cast<int>(i);
    return -1;
}

struct Session {
    SessionState state;
    RoundModel round{state};
    SessionModel model{state, round, [] { return std::array<int, 3>{21, 5, 9}; }};

    Session() { state.launch.propSwitch = 1; }
    Effects receive(const SessionMessage& m) { return model.receive(m); }
    // Four players seated at server seats 0..3, the own player at seat 0.
    Effects seatFour() {
        Effects last;
        for (int s = 0; s < 4; ++s)
            last = receive(seat(s == 0 ? "me" : "p" + std::to_string(s), s, 1000));
        return last;
    }
};

TEST(SessionModel, TheFourthSeatGetsTheTableReadyOnceAndNamesTheOwnSeat) {
    Session t;
    const Effects first = t.receive(seat("me", 0, 1000));
    EXPECT_EQ(t.state.own.seatBit, 1);  // taken from the first seat information's addressee
    EXPECT_FALSE(t.state.startDisarmed);
    EXPECT_FALSE(t.state.ready);
    EXPECT_EQ(stepsOf<step::SeatPanel>(first).at(0).seat, 0);

    t.receive(seat("p1", 1, 1000));
    t.receive(seat("p2", 2, 1000));
    const Effects fourth = t.receive(seat("p3", 3, 1000));
    EXPECT_EQ(t.state.playersPresent, 4);
    EXPECT_TRUE(t.state.ready);
    EXPECT_EQ(t.state.shownNames[3], "p3");
    const auto lines = stepsOf<step::StatusLine>(fourth);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().text, "游戏将在15秒内开始");
    // The table comes into sight for the round, the lobby out of it.
    EXPECT_GE(positionOf<step::TableBroughtUp>(fourth), 0);
    EXPECT_GE(positionOf<step::MinimiseLobby>(fourth), 0);
}

TEST(SessionModel, ADepartureClearsTheSeatWithTheTimeAndTheWealthFollows) {
    Session t;
    t.receive(seat("me", 0, 1000, 3));
    t.receive(seat("p1", 1, 1000, 2));
    ASSERT_EQ(smallestPositiveWealth(t.state.wealthMultiples), 2u);

    PlayerLeft left;
    left.account = "p1";
    const Effects fx = t.receive(left);
    EXPECT_TRUE(t.state.shownNames[1].empty());
    EXPECT_TRUE(t.state.players[1].account.empty());
    EXPECT_EQ(t.state.playersPresent, 1);
    EXPECT_EQ(stepsOf<step::SeatPanelCleared>(fx).at(0).seat, 1);
    const auto lines = stepsOf<step::StatusLine>(fx);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front().text, departureLine("昵称p1", 21, 5, 9));
    EXPECT_EQ(smallestPositiveWealth(t.state.wealthMultiples), 3u);

    // A frame naming nobody changes nobody; one naming the own player ends the session quietly.
    const Effects nobody = t.receive(PlayerLeft{});
    EXPECT_TRUE(stepsOf<step::SeatPanelCleared>(nobody).empty());
    PlayerLeft me;
    me.account = "me";
    const Effects own = t.receive(me);
    EXPECT_EQ(positionOf<step::EndProcess>(own), static_cast<int>(own.steps.size()) - 1);
    EXPECT_TRUE(stepsOf<step::PostToLobby>(own).empty());
}

TEST(SessionModel, LoginAnswers) {
    {
        Session t;
        LoginAnswer accepted;
        accepted.result = static_cast<uint8_t>(LoginResult::Accepted);
        accepted.turnSeconds = 20;
        const Effects fx = t.receive(accepted);
        EXPECT_TRUE(t.state.loggedIn);
        EXPECT_EQ(t.state.turnTimeLimit, 20);
        EXPECT_EQ(t.state.timeoutLimit, 2);
        EXPECT_EQ(stepsOf<step::PostToLobby>(fx).at(0).message, 771u);
        EXPECT_TRUE(stepsOf<step::MessageBox>(fx).empty());
    }
    for (const LoginResult refusal : {LoginResult::StartRefused, LoginResult::VerificationFailed}) {
        Session t;
        LoginAnswer refused;
        refused.result = static_cast<uint8_t>(refusal);
        const Effects fx = t.receive(refused);
        EXPECT_FALSE(t.state.loggedIn);
        EXPECT_EQ(stepsOf<step::PostToLobby>(fx).at(0).message, 22u);
        // The box is read before the lobby comes back and the process ends.
        const int box = positionOf<step::MessageBox>(fx);
        ASSERT_GE(box, 0);
        EXPECT_LT(box, positionOf<step::RestoreLobby>(fx));
        EXPECT_EQ(positionOf<step::EndProcess>(fx), static_cast<int>(fx.steps.size()) - 1);
    }
}

// Leaving writes the leave frame past the SendRing before anything is reset, and only then goes
// back to the lobby.
TEST(SessionModel, ConfirmingTheExitLeavesThenResetsThenGoesBack) {
    Session t;
    t.seatFour();
    t.state.roundRunning = true;
    const Effects fx = t.model.act(intent::ConfirmExit{});
    const auto writes = stepsOf<step::WriteDirect>(fx);
    ASSERT_EQ(writes.size(), 1u);
    const ReadyOrLeave leave = decodeReadyOrLeave(writes[0].frame);
    EXPECT_FALSE(leave.ready);
    const int written = positionOf<step::WriteDirect>(fx);
    EXPECT_LT(written, positionOf<step::CloseSocket>(fx));
    EXPECT_LT(positionOf<step::CloseSocket>(fx), positionOf<step::BackToLobby>(fx));
    EXPECT_EQ(stepsOf<step::Wait>(fx).at(0).ms, 400);
    EXPECT_FALSE(t.state.roundRunning);
    EXPECT_EQ(t.state.own.seatBit, 0);
    EXPECT_EQ(t.state.playersPresent, 0);
    EXPECT_TRUE(t.state.shownNames[2].empty());
    EXPECT_GE(positionOf<step::RemoveRoundFile>(fx), 0);
    EXPECT_TRUE(fx.draws<view::RoundCleared>());

    // After a reconnect the leave waits longer.
    Session r;
    r.state.reconnected = true;
    EXPECT_EQ(stepsOf<step::Wait>(r.model.leave()).at(0).ms, 800);
}

TEST(SessionModel, TheStartButtonSendsReadyOnlyOutsideARoundAndOnlyOnce) {
    Session t;
    t.seatFour();
    t.state.ready = false;
    t.state.startDisarmed = false;
    const Effects fx = t.model.act(intent::PressStart{});
    ASSERT_EQ(fx.frames.size(), 1u);
    EXPECT_TRUE(decodeReadyOrLeave(fx.frames[0]).ready);
    EXPECT_TRUE(t.state.readyMarks[0]);
    EXPECT_TRUE(t.state.ready);
    EXPECT_TRUE(t.model.act(intent::PressStart{}).frames.empty());  // disarmed until the next seat frame

    Session running;
    running.seatFour();
    running.state.startDisarmed = false;
    running.state.roundRunning = true;
    EXPECT_TRUE(running.model.act(intent::PressStart{}).frames.empty());
}

TEST(SessionModel, CoinShortageOfTheOwnSeatEmptiesTheTableAndLeaves) {
    Session t;
    t.seatFour();
    TableState shortage;
    shortage.state = 3;
    shortage.seatBits = 1;  // server seat 0: the own seat
    const Effects fx = t.receive(shortage);
    const auto notices = stepsOf<step::Notice>(fx);
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ(notices.front().text, "您的金币不够，请领取低保或充值后继续游戏！");
    EXPECT_TRUE(notices.front().onlyInSight);
    for (int r = 1; r < 4; ++r)
        EXPECT_TRUE(t.state.shownNames[static_cast<size_t>(r)].empty()) << r;
    EXPECT_TRUE(t.state.leavePending);
    EXPECT_EQ(stepsOf<step::WriteDirect>(fx).size(), 1u);
    EXPECT_FALSE(t.state.ready);

    // Another seat's shortage clears that seat alone.
    Session other;
    other.seatFour();
    shortage.seatBits = 4;  // server seat 2
    const Effects o = other.receive(shortage);
    EXPECT_TRUE(other.state.shownNames[2].empty());
    EXPECT_FALSE(other.state.shownNames[1].empty());
    EXPECT_TRUE(stepsOf<step::WriteDirect>(o).empty());
}

TEST(SessionModel, ReadyNoticesMarkSeatedPlayersAndAnOwnDealClearsTheMarks) {
    Session t;
    t.seatFour();
    for (const std::string account : {"p1", "p2", "ghost"}) {
        ReadyNotice n;
        n.ready = true;
        n.account = account;
        t.receive(n);
    }
    EXPECT_TRUE(t.state.readyMarks[1]);
    EXPECT_TRUE(t.state.readyMarks[2]);
    EXPECT_FALSE(t.state.readyMarks[3]);
    const Effects deal = t.model.ownDealStarted();
    EXPECT_EQ(t.state.readyMarks, (std::array<bool, 4>{}));
    EXPECT_TRUE(t.state.dealHappened);
    EXPECT_EQ(t.state.dealTimeNames[3], "p3");
    EXPECT_GE(positionOf<step::DisarmReadyCountdown>(deal), 0);
}

// A reconnect checks every 3 seconds: an attempt while the socket is down, done once it is up,
// and after 21 attempts the table gives up and sends the player back to the lobby.
TEST(SessionModelReconnect, AttemptsEveryThreeSecondsAndGivesUpAfterTwentyOne) {
    Session t;
    t.seatFour();
    t.state.loggedIn = true;
    t.state.roundRunning = true;
    const float start = 86398.0f;  // midnight falls between the attempts
    Effects lost = t.model.connectionLost(start);
    EXPECT_FALSE(t.state.loggedIn);
    EXPECT_GE(positionOf<step::StartKeepAlive>(lost), 0);
    EXPECT_TRUE(t.state.reconnecting);

    EXPECT_TRUE(t.model.reconnectStep(start + 2.9f, false).steps.empty());
    float now = start;
    for (int attempt = 1; attempt <= 21; ++attempt) {
        now += 3.0f;
        if (now >= kSecondsPerDay)
            now -= kSecondsPerDay;
        Effects fx = t.model.reconnectStep(now, false);
        ASSERT_EQ(stepsOf<step::ReconnectAttempt>(fx).size(), 1u) << attempt;
        const auto lines = stepsOf<step::StatusLine>(fx);
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[1].text, "正在重新连接服务器...");
        EXPECT_EQ(t.state.reconnectAttempts, attempt);
    }
    Effects gaveUp = t.model.reconnectStep(now + 3.0f, false);
    EXPECT_TRUE(stepsOf<step::ReconnectAttempt>(gaveUp).empty());
    const auto notices = stepsOf<step::Notice>(gaveUp);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].text, "网络已断开,请退出大厅重新登陆游戏");
    EXPECT_TRUE(notices[0].topmost);
    EXPECT_LT(positionOf<step::RestoreLobby>(gaveUp), positionOf<step::Notice>(gaveUp));
    EXPECT_GE(positionOf<step::WriteDirect>(gaveUp), 0);  // the leave frame, should the socket be up
    EXPECT_FALSE(t.state.ready);
    EXPECT_FALSE(t.state.roundRunning);
    EXPECT_FALSE(t.state.reconnecting);
    EXPECT_TRUE(t.model.reconnectStep(now + 9.0f, false).steps.empty());
}

TEST(SessionModelReconnect, AConnectedSocketEndsItAndTheAnswerDecides) {
    Session t;
    t.seatFour();
    t.state.roundRunning = true;
    t.model.connectionLost(100.0f);
    ASSERT_EQ(stepsOf<step::ReconnectAttempt>(t.model.reconnectStep(103.0f, false)).size(), 1u);
    const Effects up = t.model.reconnectStep(106.0f, true);
    EXPECT_TRUE(stepsOf<step::ReconnectAttempt>(up).empty());
    EXPECT_TRUE(stepsOf<step::StatusLine>(up).empty());
    EXPECT_FALSE(t.state.reconnecting);
    EXPECT_TRUE(t.model.reconnectStep(109.0f, false).steps.empty());

    Session a;
    a.seatFour();
    Effects accepted = a.model.reconnectAnswered(true);
    EXPECT_TRUE(a.state.loggedIn);
    EXPECT_TRUE(a.state.reconnected);
    const auto lines = stepsOf<step::StatusLine>(accepted);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].text, "正在重连服务器，请等待...！");
    EXPECT_TRUE(stepsOf<step::EndProcess>(accepted).empty());
    // A reconnected session waits longer for its leave frame to go.
    const auto waits = stepsOf<step::Wait>(a.model.leave());
    ASSERT_FALSE(waits.empty());
    EXPECT_EQ(waits[0].ms, 800);

    Session r;
    r.seatFour();
    r.state.roundRunning = true;
    Effects refused = r.model.reconnectAnswered(false);
    const auto boxes = stepsOf<step::MessageBox>(refused);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "重连服务器失败，退出后请重新入座！");
    EXPECT_LT(positionOf<step::MessageBox>(refused), positionOf<step::RestoreLobby>(refused));
    EXPECT_LT(positionOf<step::RestoreLobby>(refused), positionOf<step::EndProcess>(refused));
    EXPECT_FALSE(r.state.loggedIn);
}

// However the reconnect ends, the kept login becomes the login again (a later connection, such as
// the lobby's 进入游戏, must sit down as a newcomer, not ask for a seat the server no longer keeps),
// and no attempt follows.
TEST(SessionModelReconnect, EveryEndPutsTheKeptLoginBackAndStopsTheAttempts) {
    struct Case {
        const char* name;
        std::function<Effects(Session&)> end;
    };
    const Case cases[] = {
        {"the link is up at the check", [](Session& t) { return t.model.reconnectStep(106.0f, true); }},
        {"accepted", [](Session& t) { return t.model.reconnectAnswered(true); }},
        {"refused", [](Session& t) { return t.model.reconnectAnswered(false); }},
        {"given up",
         [](Session& t) {
             Effects last;
             for (int k = 2; k <= 22; ++k)
                 last = t.model.reconnectStep(100.0f + 3.0f * static_cast<float>(k), false);
             return last;
         }},
        {"the player confirmed leaving", [](Session& t) { return t.model.exitConfirmed(); }},
        {"the lobby asked the table to leave", [](Session& t) { return t.model.lobbyAskedToLeave(false); }},
        {"the connection went silent", [](Session& t) { return t.model.connectionSilent(); }},
    };
    for (const Case& c : cases) {
        Session t;
        t.seatFour();
        t.state.roundRunning = true;
        t.model.connectionLost(100.0f);
        ASSERT_EQ(stepsOf<step::ReconnectAttempt>(t.model.reconnectStep(103.0f, false)).size(), 1u) << c.name;
        const Effects end = c.end(t);
        EXPECT_FALSE(stepsOf<step::LoginRestored>(end).empty()) << c.name;
        EXPECT_FALSE(t.state.reconnecting) << c.name;
        for (float later : {200.0f, 203.0f, 206.0f})
            EXPECT_TRUE(stepsOf<step::ReconnectAttempt>(t.model.reconnectStep(later, false)).empty()) << c.name;
    }
}

// A proxy that takes the attempt's connection but cannot reach the server closes it again, and the
// connection watch, armed by that connection, reports it lost: one more failed attempt, not a
// reconnect started over, so the table still gives up after 21 attempts, 66 seconds on.
TEST(SessionModelReconnect, AnAttemptsConnectionLostCountsAsThatAttemptsFailure) {
    Session t;
    t.seatFour();
    t.state.roundRunning = true;
    t.model.connectionLost(100.0f);
    float now = 100.0f;
    for (int attempt = 1; attempt <= 21; ++attempt) {
        now += 3.0f;
        ASSERT_EQ(stepsOf<step::ReconnectAttempt>(t.model.reconnectStep(now, false)).size(), 1u) << attempt;
        const Effects lost = t.model.connectionLost(now + 0.5f);
        EXPECT_GE(positionOf<step::DisarmConnectionWatch>(lost), 0);
        ASSERT_EQ(t.state.reconnectAttempts, attempt);
        ASSERT_TRUE(t.state.reconnecting);
    }
    const Effects gaveUp = t.model.reconnectStep(now + 3.0f, false);
    EXPECT_EQ(stepsOf<step::Notice>(gaveUp).size(), 1u);
    EXPECT_FALSE(t.state.reconnecting);
}

// The lobby's 22 rejoins a running round with a reconnect attempt and otherwise connects to log in;
// either way the notice of the last connection's end goes.
TEST(SessionModel, TheLobbysConnectRequestRejoinsARunningRoundAndClosesTheNotice) {
    for (const bool running : {true, false}) {
        Session t;
        t.seatFour();
        t.state.roundRunning = running;
        const Effects fx = t.model.lobbyAskedToConnect();
        EXPECT_EQ(stepsOf<step::ReconnectAttempt>(fx).size(), running ? 1u : 0u) << running;
        EXPECT_EQ(stepsOf<step::ConnectAgain>(fx).size(), running ? 0u : 1u) << running;
        EXPECT_GE(positionOf<step::NoticeHidden>(fx), 0) << running;
        EXPECT_FALSE(t.state.startDisarmed);
    }
}

// The deal leaves an open exit confirmation open, telling what leaving costs now, and takes the
// ready phase's lines away, whichever line they stand on.
TEST(SessionModel, AnOwnDealKeepsTheExitQuestionAndEndsTheReadyLines) {
    Session t;
    t.seatFour();
    const Effects deal = t.model.ownDealStarted();
    EXPECT_TRUE(stepsOf<step::ExitConfirmHidden>(deal).empty());
    const auto warnings = stepsOf<step::ExitWarning>(deal);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].text, "游戏正在进行，逃跑会扣分！");
    std::vector<std::pair<int, std::string>> withdrawn;
    for (const step::StatusLineWithdrawn& w : stepsOf<step::StatusLineWithdrawn>(deal))
        withdrawn.emplace_back(w.line, w.text);
    for (int line : {0, 1})
        for (const char* text : {"请点击【继续】按钮继续游戏！", "游戏将在15秒内开始"})
            EXPECT_NE(std::find(withdrawn.begin(), withdrawn.end(), std::make_pair(line, std::string(text))),
                      withdrawn.end())
                << line << " " << text;
    EXPECT_TRUE(stepsOf<step::StatusLine>(deal).empty());

    Session spectator;
    spectator.state.launch.spectator = true;
    spectator.seatFour();
    EXPECT_EQ(stepsOf<step::ExitWarning>(spectator.model.ownDealStarted()).at(0).text, "");
}

}  // namespace
}  // namespace vexal
