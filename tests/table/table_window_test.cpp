// The table window driven by crafted server frames through the real dispatcher and main loop.
#include "core/mainloop.h"
#include "net/frame.h"
#include "net/messages/departure.h"
#include "net/messages/seating.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <random>

using namespace vexal;

namespace {

class FixedClock : public Clock {
public:
    float secondsSinceMidnight() const override { return now; }
    float now = 1000;
};

template <typename Pred>
bool pumpUntil(Pred done, int passes = 400) {
    for (int i = 0; i < passes && !done(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

SeatInfo seat(const std::string& account, int seatNumber, int64_t coins, uint32_t wealth = 0) {
    SeatInfo s;
    s.nickname = "昵称" + account;
    s.account = account;
    s.title = "新手";
    s.level = "第一级";
    s.coins = coins;
    s.seatBit = seatBit(seatNumber);
    s.wealthMultiple = wealth;
    s.faceCode = "w2";
    return s;
}

class TableWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        // Refused logins and spectator ends show boxes; here they answer themselves.
        qputenv("VEXAL_AUTO_ANSWER", "1");
        loop = std::make_unique<MainLoop>(state, form, WindowBus(busFolder(dir.path())), clock);
        loop->endProcessHook = [this] { ++ended; };
        loop->waitHook = [](int) {};
        loop->pauseHook = [](int) {};
        // No lobby title: restoring and minimising the lobby do nothing (a named lobby that is
        // missing would end the session).
        loop->setLobbyTitle(QString());
        state.launch.propSwitch = 0;
    }
    void dispatch(const CommandFrame& f) { loop->dispatcher().Dispatch(f); }

    // Own seat 2 (bit 4): seats 2, 3, 0, 1 are relative 0, 1, 2, 3.
    void seatFour(uint32_t ownWealth = 0) {
        dispatch(encode(LoginAnswer{4, 20, 1, ""}));
        const std::pair<const char*, int> players[4] = {{"me", 2}, {"next", 3}, {"opp", 0}, {"last", 1}};
        uint32_t wealth[4] = {ownWealth, 3, 0, 2};
        for (int i = 0; i < 4; ++i) {
            SeatInfo s = seat(players[i].first, players[i].second, 10000 * (i + 1), wealth[i]);
            s.addresseeBit = 4;
            dispatch(encode(s));
        }
    }

    QTemporaryDir dir;
    SessionState state;
    MainForm form{state};
    FixedClock clock;
    std::unique_ptr<MainLoop> loop;
    int ended = 0;
};

TEST_F(TableWindowTest, FourSeatInformationFramesFillThePanelsByRelativeSeat) {
    seatFour();
    EXPECT_EQ(state.own.seatBit, 4);
    EXPECT_EQ(state.turnTimeLimit, 20);
    const char* names[4] = {"[新手] 昵称me", "[新手] 昵称next", "[新手] 昵称opp", "[新手] 昵称last"};
    const char* coins[4] = {"10000金币", "20000金币", "30000金币", "40000金币"};
    for (int r = 0; r < 4; ++r) {
        EXPECT_EQ(form.Nid[r]->text(), QString::fromUtf8(names[r])) << r;
        EXPECT_EQ(form.Cash[r]->text(), QString::fromUtf8(coins[r])) << r;
        EXPECT_EQ(form.Level[r]->text(), QStringLiteral("第一级"));
        EXPECT_EQ(state.players[static_cast<size_t>(r)].portraitIndex, 11);
    }
    EXPECT_EQ(state.playersPresent, 4);
    EXPECT_TRUE(state.ready);
    EXPECT_EQ(form.sysmsg(0), QStringLiteral("游戏将在15秒内开始"));
    EXPECT_EQ(form.sysmsg(1), QStringLiteral("欢迎进入Vexal五十K"));
    // Multiples 0, 3, 0, 2: the smallest positive one is shown.
    EXPECT_FALSE(form.lbwealth->isHidden() && form.lbwealth->text() == QStringLiteral("2"));
    EXPECT_FALSE(state.startDisarmed);

    // The same seat described again is not a fifth player.
    SeatInfo again = seat("opp", 0, 30000);
    dispatch(encode(again));
    EXPECT_EQ(state.playersPresent, 4);
}

TEST_F(TableWindowTest, WealthLabelShowsTheSmallestPositiveMultiple) {
    dispatch(encode(LoginAnswer{4, 20, 1, ""}));
    for (auto [account, seatNo, wealth] : {std::tuple{"me", 2, 0u}, std::tuple{"next", 3, 3u}, std::tuple{"opp", 0, 2u}}) {
        SeatInfo s = seat(account, seatNo, 100, wealth);
        s.addresseeBit = 4;
        dispatch(encode(s));
    }
    EXPECT_TRUE(form.lbwealth->isVisibleTo(&form));
    EXPECT_EQ(form.lbwealth->text(), QStringLiteral("2"));
}

TEST_F(TableWindowTest, DeparturesClearTheSeatAndCoinChangesClampAtZero) {
    seatFour();
    PlayerLeft left;
    left.account = "opp";
    left.firstCharPlusOne = true;
    dispatch(encode(left));
    EXPECT_TRUE(form.Nid[2]->text().isEmpty());
    EXPECT_TRUE(form.Cash[2]->text().isEmpty());
    EXPECT_EQ(state.playersPresent, 3);
    EXPECT_FALSE(state.ready);
    EXPECT_TRUE(form.sysmsg(0).startsWith(QStringLiteral("昵称opp退出了游戏 ")));
    EXPECT_TRUE(form.sysmsg(1).isEmpty());
    EXPECT_EQ(ended, 0);

    const struct {
        bool own;
        const char* account;
        int64_t amount;
        int seat;
        const char* shown;
    } changes[] = {
        {true, "", -500000, 0, "0金币"},
        {true, "", 10000, 0, "10000金币"},
        {false, "next", -1000, 1, "19000金币"},
        {false, "last", -100000, 3, "0金币"},
        {false, "nobody", 5, 1, "19000金币"},
    };
    for (const auto& c : changes) {
        CoinChange change{0, c.amount, c.account};
        dispatch(c.own ? encodeOwnCoinChange(change) : encodeOtherCoinChange(change));
        EXPECT_EQ(form.Cash[c.seat]->text(), QString::fromUtf8(c.shown)) << c.account << c.amount;
    }

    // A departure naming the own account ends the session at once.
    left.account = "me";
    dispatch(encode(left));
    EXPECT_EQ(ended, 1);
}

TEST_F(TableWindowTest, ReadyNoticesShowMarksOnlyForSeatedPlayers) {
    seatFour();
    dispatch(encode(ReadyNotice{0, false, "next"}));
    EXPECT_FALSE(form.readyMarkShown(1));
    dispatch(encode(ReadyNotice{0, true, "next"}));
    EXPECT_TRUE(form.readyMarkShown(1));
    dispatch(encode(ReadyNotice{0, true, "stranger"}));
    EXPECT_FALSE(form.readyMarkShown(2));
}

TEST_F(TableWindowTest, ExitConfirmationTextsByTheThreeCases) {
    const struct {
        bool round, spectator, shuffle;
        QString warning;
    } cases[] = {
        {true, false, false, QStringLiteral("游戏正在进行，逃跑会扣分！")},
        {false, false, true, QStringLiteral("游戏即将进行，可能会扣分！")},
        {true, true, false, QString()},
    };
    for (const auto& c : cases) {
        state.roundRunning = c.round;
        state.launch.spectator = c.spectator;
        state.shuffleStarted = c.shuffle;
        loop->table().toggleExitConfirmation();
        ASSERT_TRUE(form.exitConfirm->isVisible());
        EXPECT_EQ(form.exitConfirm->question->text(), QStringLiteral("您真的要退出吗？"));
        EXPECT_EQ(form.exitConfirm->warning->isVisibleTo(form.exitConfirm), !c.warning.isEmpty());
        EXPECT_EQ(form.exitConfirm->warning->text(), c.warning);
        loop->table().toggleExitConfirmation();
        EXPECT_FALSE(form.exitConfirm->isVisible());
    }
}

TEST_F(TableWindowTest, ConfirmingTheExitWritesTheLeaveFrameAndEmptiesTheTable) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    state.own.serverHost = "127.0.0.1";
    state.own.serverPort = server.serverPort();
    loop->openConnection();
    ASSERT_TRUE(pumpUntil([&] { return server.hasPendingConnections() || loop->socketState() == 7; }));
    ASSERT_TRUE(pumpUntil([&] { return loop->socketState() == 7 && server.hasPendingConnections(); }));
    QTcpSocket* peer = server.nextPendingConnection();
    seatFour();
    state.roundRunning = true;

    loop->table().toggleExitConfirmation();
    EXPECT_EQ(form.exitConfirm->warning->text(), QStringLiteral("游戏正在进行，逃跑会扣分！"));
    form.exitConfirm->confirm->click();

    QByteArray got;
    ASSERT_TRUE(pumpUntil([&] {
        got += peer->readAll();
        return got.size() >= static_cast<qsizetype>(kFrameSize) || peer->state() != QAbstractSocket::ConnectedState;
    }));
    got += peer->readAll();
    // The login task may have written the login frame first; the leave frame is the last one.
    ASSERT_GE(got.size(), static_cast<qsizetype>(kFrameSize));
    CommandFrame leave{};
    std::copy(got.end() - static_cast<qsizetype>(kFrameSize), got.end(), leave.begin());
    EXPECT_EQ(leave[kCommandByte], 16);
    EXPECT_EQ(leave[kSeatByte], 4);
    EXPECT_EQ(leave[15], 0);
    for (int r = 0; r < 4; ++r)
        EXPECT_TRUE(form.Nid[r]->text().isEmpty());
    EXPECT_TRUE(form.isMinimized());
    EXPECT_FALSE(state.roundRunning);
    // No lobby window on the bus: the exit ends the process.
    EXPECT_EQ(ended, 1);
}

TEST_F(TableWindowTest, LobbyMessagesAreAnsweredOnTheBus) {
    QWidget lobbyWindow;
    BusWindow lobby(&lobbyWindow, QStringLiteral("Kestrel山庄"), WindowBus(busFolder(dir.path())));
    std::vector<uint32_t> answers;
    QObject::connect(&lobby, &BusWindow::messageReceived, [&](const WindowMessage& m) {
        if (m.msg != kWmSysCommand)
            answers.push_back(m.msg);
    });
    loop->setLobbyTitle(QStringLiteral("Kestrel山庄"));
    ASSERT_TRUE(loop->registerTableWindow(QStringLiteral("Vexal")));
    loop->installMessageHook();
    WindowBus bus(busFolder(dir.path()));

    const struct {
        bool roundRunning;
        bool loginSent;
        uint32_t sent;
        uint32_t answer;
    } cases[] = {
        {true, false, 1125, 1125}, {false, false, 1125, 1024}, {false, true, 771, 1126},
        {true, false, 771, 1125},  {false, false, 771, 1024},
    };
    for (const auto& c : cases) {
        answers.clear();
        state.roundRunning = c.roundRunning;
        loop->setLoginSent(c.loginSent);
        bus.postMessage(QStringLiteral("Vexal"), c.sent);
        ASSERT_TRUE(pumpUntil([&] { return !answers.empty(); })) << c.sent;
        EXPECT_EQ(answers.front(), c.answer) << c.sent << " round " << c.roundRunning;
    }
    loop->removeMessageHook();
}

TEST_F(TableWindowTest, SeatChangeTextsCycleEveryTick) {
    form.startShuffle();
    const char* dots[5] = {"..", "...", "....", ".....", ".."};
    for (const char* d : dots) {
        form.shuffleTick();
        EXPECT_EQ(form.LblShuffle->text(), QStringLiteral("正在随机换座中") + QString::fromLatin1(d));
    }
    form.stopShuffle();
    EXPECT_FALSE(form.LblShuffle->isVisibleTo(&form));
}

TEST_F(TableWindowTest, RandomFramesOfEveryCommandLeaveTheWindowStanding) {
    seatFour();
    std::mt19937 rng(20261210);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 6; ++round) {
        for (int command = 0; command < 256; ++command) {
            CommandFrame f;
            for (auto& b : f)
                b = static_cast<uint8_t>(byte(rng));
            f[kCommandByte] = static_cast<uint8_t>(command);
            dispatch(f);
        }
    }
    // Whatever arrived, the table still reads back sane values.
    EXPECT_LE(state.playersPresent, 4);
    EXPECT_GE(state.playersPresent, 0);
    for (int r = 0; r < 4; ++r)
        EXPECT_GE(state.players[static_cast<size_t>(r)].coins, 0);
}

}  // namespace
