// The table window driven by crafted server frames through the real dispatcher and main loop.
#include "app/mainloop.h"
#include "app/startup.h"
#include "net/frame.h"
#include "net/messages/calling.h"
#include "net/messages/deal.h"
#include "net/messages/departure.h"
#include "net/messages/login.h"
#include "net/messages/play.h"
#include "net/messages/seating.h"
#include "net/messages/settlement.h"
#include "app/wiring.h"
#include "table/round.h"
#include "table/rulesview.h"
#include "platform/singleinstance.h"
#include "table/score.h"
#include "table/sessionview.h"
#include "tests/app/table_fixture.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <random>

using namespace vexal;
using namespace vexal::apptest;

namespace {

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
        loop->sessionView().toggleExitConfirmation();
        ASSERT_TRUE(form.exitConfirm->isVisible());
        EXPECT_EQ(form.exitConfirm->question->text(), QStringLiteral("您真的要退出吗？"));
        EXPECT_EQ(form.exitConfirm->warning->isVisibleTo(form.exitConfirm), !c.warning.isEmpty());
        EXPECT_EQ(form.exitConfirm->warning->text(), c.warning);
        loop->sessionView().toggleExitConfirmation();
        EXPECT_FALSE(form.exitConfirm->isVisible());
    }
}

TEST_F(TableWindowTest, ConfirmingTheExitWritesTheLeaveFrameAndEmptiesTheTable) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    state.own.serverHost = "127.0.0.1";
    state.own.serverPort = server.serverPort();
    loop->openConnection();
    ASSERT_TRUE(pumpUntil([&] { return server.hasPendingConnections() || loop->socket().state() == kSocketConnected; }));
    ASSERT_TRUE(pumpUntil([&] { return loop->socket().state() == kSocketConnected && server.hasPendingConnections(); }));
    QTcpSocket* peer = server.nextPendingConnection();
    seatFour();
    state.roundRunning = true;

    loop->sessionView().toggleExitConfirmation();
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

// A whole deal of 27 valid cards for own seat bit 4.
Deal fullDeal() {
    Deal deal;
    deal.seatBit = 4;
    for (int i = 0; i < 27; ++i)
        deal.cards.push_back(static_cast<CardCode>(((3 + i % 11) << 8) | (1 << (i % 4)) | (i << 24)));
    return deal;
}

// Between rounds the player asks to leave and takes a while: the ready countdown runs out and the
// next round is dealt, and the question is still there, now saying what leaving a running round
// costs; 确定 leaves.
TEST_F(TableWindowTest, AnOpenExitQuestionOutlastsTheReadyCountdownAndTheDeal) {
    RoundView* round = installRound(*loop, form, state, nullptr);
    round->programDir = dir.path();
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    state.own.serverHost = "127.0.0.1";
    state.own.serverPort = server.serverPort();
    loop->openConnection();
    ASSERT_TRUE(pumpUntil([&] { return loop->socket().state() == kSocketConnected && server.hasPendingConnections(); }));
    QTcpSocket* peer = server.nextPendingConnection();
    seatFour();
    for (const CommandFrame& f : settlement())
        dispatch(f);

    loop->sessionView().toggleExitConfirmation();
    ASSERT_TRUE(form.exitConfirm->isVisible());
    EXPECT_FALSE(form.exitConfirm->warning->isVisibleTo(form.exitConfirm));
    loop->readyCountdownTimedOut(true);
    EXPECT_TRUE(form.exitConfirm->isVisible());
    dispatch(encode(fullDeal()));
    ASSERT_TRUE(state.roundRunning);
    ASSERT_TRUE(form.exitConfirm->isVisible());
    EXPECT_TRUE(form.exitConfirm->warning->isVisibleTo(form.exitConfirm));
    EXPECT_EQ(form.exitConfirm->warning->text(), QStringLiteral("游戏正在进行，逃跑会扣分！"));

    form.exitConfirm->confirm->click();
    QByteArray got;
    ASSERT_TRUE(pumpUntil([&] {
        got += peer->readAll();
        return peer->state() != QAbstractSocket::ConnectedState;
    }));
    got += peer->readAll();
    ASSERT_GE(got.size(), static_cast<qsizetype>(kFrameSize));
    EXPECT_EQ(got.at(got.size() - static_cast<qsizetype>(kFrameSize) + static_cast<qsizetype>(kCommandByte)), 16);
    EXPECT_FALSE(form.exitConfirm->isVisible());
    EXPECT_FALSE(state.roundRunning);
    EXPECT_TRUE(form.Nid[1]->text().isEmpty());
    EXPECT_EQ(ended, 1);  // no lobby window on the bus
}

// The ready phase's lines ("游戏将在15秒内开始" once the table is full; after a round "请点击【继续】…"
// and "游戏将在15秒内开始") go when the cards are dealt; any other line stays.
TEST_F(TableWindowTest, TheReadyPhasesLinesGoWhenTheDealStarts) {
    RoundView* round = installRound(*loop, form, state, nullptr);
    round->programDir = dir.path();
    seatFour();
    ASSERT_EQ(form.sysmsg(0), QStringLiteral("游戏将在15秒内开始"));
    ASSERT_EQ(form.sysmsg(1), QStringLiteral("欢迎进入Vexal五十K"));
    dispatch(encode(fullDeal()));
    EXPECT_TRUE(form.sysmsg(0).isEmpty());
    EXPECT_EQ(form.sysmsg(1), QStringLiteral("欢迎进入Vexal五十K"));

    for (const CommandFrame& f : settlement())
        dispatch(f);
    ASSERT_EQ(form.sysmsg(0), QStringLiteral("请点击【继续】按钮继续游戏！"));
    ASSERT_EQ(form.sysmsg(1), QStringLiteral("游戏将在15秒内开始"));
    dispatch(encode(fullDeal()));
    EXPECT_TRUE(form.sysmsg(0).isEmpty());
    EXPECT_TRUE(form.sysmsg(1).isEmpty());
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
        loop->scheduler().setLoginSent(c.loginSent);
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

// The round the server resends with its reconnect answer is taken a frame a tick like any other,
// but nothing of it is drawn on the way: the hand from before the drop stays and no deal flies in.
// Once none of it waits, the table shows the round as it stands and its controls work again.
TEST_F(TableWindowTest, TheRoundResentWithTheReconnectAnswerIsDrawnOnceNoneOfItWaits) {
    RoundView* round = installRound(*loop, form, state, nullptr);
    round->programDir = dir.path();
    round->wait = [](int) {};
    seatFour();
    const auto card = [](int rank, int suit, int id) { return static_cast<CardCode>((rank << 8) | suit | (id << 24)); };
    dispatch(encode(Deal{4, {card(3, 1, 0), card(4, 2, 1)}, false, "", 258}));
    const int flown = round->dealSteps();
    ASSERT_GT(flown, 0);
    ASSERT_TRUE(round->cardImage[0][1]->isVisibleTo(&form));
    loop->startReconnect();  // the watch found the connection gone in the round
    EXPECT_FALSE(loop->round().inTouch());

    const Deal resent{4, {card(3, 1, 0), card(4, 2, 1), card(9, 4, 2), card(10, 8, 3), card(13, 1, 4)}, false, "", 258};
    arrive({encode(ReconnectAnswer{4, true}), encode(resent),
            encode(PlayReport{8, 4, kTrickToNextSeat, 0, 0, {}, 0, false, 20})});
    loop->receiveStep();
    EXPECT_TRUE(state.loggedIn);
    EXPECT_TRUE(loop->round().catchingUp());
    loop->receiveStep();
    EXPECT_EQ(loop->round().state().hands[0].count, 5);
    EXPECT_FALSE(round->cardImage[0][4]->isVisibleTo(&form));  // not drawn yet
    EXPECT_TRUE(round->cardImage[0][1]->isVisibleTo(&form));   // the hand as it was
    EXPECT_FALSE(round->Operation[0]->isVisibleTo(&form));

    loop->receiveStep();
    EXPECT_FALSE(loop->round().catchingUp());
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(round->cardImage[0][static_cast<size_t>(i)]->isVisibleTo(&form)) << i;
    EXPECT_EQ(round->dealSteps(), flown);  // no card flew
    EXPECT_TRUE(round->Operation[0]->isVisibleTo(&form));
    EXPECT_TRUE(round->Operation[0]->isEnabled());
    EXPECT_TRUE(loop->scheduler().armed(Task::PlayCountdown));
}

// A departure between rounds waits only until the score sheet has been handled: the seat frame,
// the next deal and the calling turn behind it all go through, in order.
TEST_F(TableWindowTest, DepartureAfterTheScoreSheetDoesNotHoldUpTheNextRound) {
    RoundView* round = installRound(*loop, form, state, nullptr);
    round->programDir = dir.path();
    seatFour();
    const std::vector<CommandFrame> sheet = settlement();
    PlayerLeft left;
    left.account = "last";
    SeatInfo bot = seat("bot", 1, 50000);
    Deal deal;
    deal.seatBit = 4;
    for (int i = 0; i < 27; ++i)
        deal.cards.push_back(static_cast<CardCode>(((3 + i % 11) << 8) | (1 << (i % 4)) | (i << 24)));
    arrive({sheet[0], sheet[1], sheet[2], sheet[3], encode(left), encode(bot), encode(deal),
            encode(CallingTurn{4, kOfferCallOrRoar})});

    EXPECT_EQ(drain(), (std::vector<int>{9, 9, 9, 9, 21, 20, 1, 2}));
    EXPECT_FALSE(loop->transport().departureHold);
    EXPECT_EQ(form.Nid[3]->text(), QStringLiteral("[新手] 昵称bot"));
    EXPECT_EQ(loop->round().state().hands[0].count, 27);
    ASSERT_TRUE(loop->round().state().callingTurn);
    ASSERT_TRUE(round->img_jiao->isVisibleTo(&form));

    // The turn is answered: a callable card raised and 叫 pressed queue the call.
    const Hand& hand = loop->round().state().hands[0];
    int callable = -1;
    for (int slot = 0; slot < hand.count && callable < 0; ++slot)
        if (isCallableRank(cardRank(hand.codes[static_cast<size_t>(slot)])))
            callable = slot;
    ASSERT_GE(callable, 0);
    loop->act(intent::ClickCard{hand.images[static_cast<size_t>(callable)]});
    loop->act(intent::PressCall{});
    CommandFrame sent{};
    bool called = false;
    while (loop->transport().sendRing.pop(sent))
        called = called || (sent[kCommandByte] == 3 && sent[11] == kChoiceCall);
    EXPECT_TRUE(called);
}

// Players present counts from zero again after a settlement: a server that describes the four
// seats again announces the next round on the fourth frame, not on the first.
TEST_F(TableWindowTest, SeatsDescribedAgainAfterARoundAreCountedAfresh) {
    RoundView* round = installRound(*loop, form, state, nullptr);
    round->programDir = dir.path();
    seatFour();
    for (const CommandFrame& f : settlement())
        dispatch(f);
    EXPECT_EQ(state.playersPresent, 0);
    EXPECT_FALSE(state.ready);
    const std::pair<const char*, int> players[4] = {{"me", 2}, {"next", 3}, {"opp", 0}, {"last", 1}};
    for (int i = 0; i < 4; ++i) {
        dispatch(encode(seat(players[i].first, players[i].second, 10000)));
        EXPECT_EQ(state.playersPresent, i + 1);
        EXPECT_EQ(state.ready, i == 3) << i;
        EXPECT_EQ(form.sysmsg(0) == QStringLiteral("游戏将在15秒内开始"), i == 3) << i;
    }
}

// Until the server describes the own seat, the table knows its player by the launch account; a
// departure frame without an account names nobody.
TEST_F(TableWindowTest, DeparturesBeforeTheOwnSeatIsDescribed) {
    // Proxy type 3 opens no connection: the table is up, known by its launch account only.
    SingleInstance instance(dir.path());
    QSize screen(1280, 1024);
    const StartupEnvironment env{QStringLiteral("me$pw$127.0.0.1$6000$12345Room 1$3$$0$$$0$$$0$0$"), dir.path(),
                                 &screen, nullptr};
    ASSERT_TRUE(startUp(*loop, form, state, instance, env));
    EXPECT_EQ(state.shownNames[0], "me");
    const struct {
        const char* account;
        int ends;
    } cases[] = {{"", 0}, {"someone", 0}, {"me", 1}};
    for (const auto& c : cases) {
        ended = 0;
        PlayerLeft left;
        left.account = c.account;
        dispatch(encode(left));
        EXPECT_EQ(ended, c.ends) << c.account;
    }
}

// The frame is painted whenever either side of the screen is larger than the table: without it
// there is no close, minimise or drag.
TEST_F(TableWindowTest, WindowFrameOnScreensLargerInEitherDirection) {
    const struct {
        int w, h;
        bool frame;
    } cases[] = {{1024, 768, false}, {800, 600, false}, {1366, 768, true}, {1280, 720, true}, {1920, 1080, true}, {1000, 900, true}};
    for (const auto& c : cases) {
        form.sizeForScreen(QSize(c.w, c.h));
        EXPECT_EQ(form.framePainted(), c.frame) << c.w << "x" << c.h;
        EXPECT_EQ(form.ImgClose[0]->isVisibleTo(&form), c.frame) << c.w << "x" << c.h;
        EXPECT_EQ(form.ImgMin[0]->isVisibleTo(&form), c.frame) << c.w << "x" << c.h;
    }
    form.sizeForScreen(QSize(1280, 1024));
}

// The information window stays wholly on the table beside each seat, however large it grows, and
// a press on the felt puts it away.
TEST_F(TableWindowTest, PlayerInformationStaysOnTheTable) {
    seatFour();
    form.show();
    const QRect table(form.Pic1->mapToGlobal(QPoint(0, 0)), form.Pic1->size());
    for (int r = 0; r < 4; ++r) {
        form.HidePlayerInfo();
        form.ShowPlayerInfo(r);
        ASSERT_TRUE(form.information->isVisible()) << r;
        EXPECT_TRUE(table.contains(form.information->frameGeometry())) << r << " at " << form.information->x();
        EXPECT_FALSE(form.information->frameGeometry().intersects(
            QRect(form.Tou[r]->mapToGlobal(QPoint(0, 0)), form.Tou[r]->size())))
            << r;
    }
    for (const QSize window : {QSize(200, 200), QSize(2000, 50), QSize(50, 2000)})
        for (int r = 0; r < 4; ++r) {
            const QPoint at = playerInfoCorner(r, form.Tou[r]->geometry(), window, form.Pic1->rect());
            EXPECT_GE(at.x(), 0);
            EXPECT_GE(at.y(), 0);
            if (window.width() <= form.Pic1->width()) {
                EXPECT_LE(at.x() + window.width(), form.Pic1->width());
            }
            if (window.height() <= form.Pic1->height()) {
                EXPECT_LE(at.y() + window.height(), form.Pic1->height());
            }
        }

    RoundView* round = installRound(*loop, form, state, nullptr);
    round->programDir = dir.path();
    form.HidePlayerInfo();
    form.ShowPlayerInfo(1);
    ASSERT_TRUE(form.information->isVisible());
    QTest::mouseClick(form.Pic1, Qt::LeftButton, Qt::NoModifier, QPoint(500, 300));
    EXPECT_FALSE(form.information->isVisible());
}

// After a table reset the session record starts empty: the rounds it listed went with the round
// file, and their names and sums with them.
TEST_F(TableWindowTest, TableResetEmptiesTheSessionRecordAndTheSheet) {
    RoundView* round = installRound(*loop, form, state, nullptr);
    round->programDir = dir.path();
    seatFour();
    for (const CommandFrame& f : settlement())
        dispatch(f);
    ASSERT_EQ(form.hero->Num->count(), 1);
    EXPECT_EQ(form.hero->ID[0]->text(), QStringLiteral("昵称me"));
    EXPECT_FALSE(form.hero->sunScore[1]->text().isEmpty());
    loop->apply(loop->session().tableReset());
    EXPECT_EQ(form.hero->Num->count(), 0);
    for (size_t r = 0; r < 4; ++r) {
        EXPECT_EQ(form.hero->Grade[r]->count(), 0);
        EXPECT_TRUE(form.hero->sunScore[r]->text().isEmpty());
        EXPECT_TRUE(form.hero->ID[r]->text().isEmpty());
        EXPECT_TRUE(round->score->ID[r]->text().isEmpty());
    }
    for (int j = 0; j < 8; ++j)
        EXPECT_TRUE(round->score->lines(j).isEmpty()) << j;
}

// A bottom button shows its hover picture while the pointer is on it and its normal picture as
// soon as the pointer leaves, even onto a window the click opened; one button at a time.
TEST_F(TableWindowTest, BottomButtonsLoseTheirHoverPictureWhenThePointerLeaves) {
    auto shown = [&](int i) { return form.AnNiu[i]->pixmap().toImage(); };
    const QImage history = shown(kHistory), settings = shown(kSettings);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(form.AnNiu[kHistory], &enter);
    ASSERT_NE(shown(kHistory), history);
    QTest::mouseClick(form.AnNiu[kHistory], Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_TRUE(form.hero->isVisible());
    QApplication::sendEvent(form.AnNiu[kHistory], &leave);
    EXPECT_EQ(shown(kHistory), history);

    QApplication::sendEvent(form.AnNiu[kHistory], &enter);
    QApplication::sendEvent(form.AnNiu[kSettings], &enter);
    EXPECT_EQ(shown(kHistory), history);
    EXPECT_NE(shown(kSettings), settings);
}

// 规则 asks the browser for the information page on the game server's host; where none opens it,
// the table's own rules window shows, and the button hides it again.
TEST_F(TableWindowTest, TheRulesButtonOpensTheInformationPageOrTheTablesOwnRulesWindow) {
    state.launch.serverHost = "10.1.2.3";
    std::vector<QUrl> asked;
    bool browserOpens = true;
    RulesView* rules = installRules(*loop, form, state, [&](const QUrl& url) {
        asked.push_back(url);
        return browserOpens;
    });
    form.sizeForScreen(QSize(1280, 1024));
    form.show();
    auto click = [&] { QTest::mouseClick(form.AnNiu[kRules], Qt::LeftButton, Qt::NoModifier, QPoint(5, 5)); };
    click();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].toString(), QStringLiteral("http://10.1.2.3/gameinfo/vxwsk/index.php"));
    EXPECT_FALSE(rules->window()->isVisible());

    browserOpens = false;
    click();
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_TRUE(rules->window()->isVisible());
    EXPECT_TRUE(rules->window()->page->toPlainText().contains(QStringLiteral("How to play")));
    click();
    EXPECT_FALSE(rules->window()->isVisible());
}

// The ready countdown's number is drawn in front of its clock, not hidden under it.
TEST_F(TableWindowTest, ReadyCountdownNumberInFrontOfItsClock) {
    form.Number->raise();  // the number starts in front; the countdown must keep it there
    loop->showReadyCountdown(12, SchedulerHost::CountdownColour::Green, false);
    const QObjectList& stack = form.Pic1->children();
    EXPECT_GT(stack.indexOf(form.Number), stack.indexOf(form.Time_Img));
    EXPECT_EQ(form.Number->text(), QStringLiteral("12"));
}

// A lobby message that arrives while the last one is still being handled (the leave waits,
// processing window events) waits its turn: a 22 inside a 1024 connects after the reset, not
// before it, where the reset would close the new connection again.
TEST_F(TableWindowTest, LobbyMessagesArrivingMidLeaveWaitTheirTurn) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    state.own.serverHost = "127.0.0.1";
    state.own.serverPort = server.serverPort();
    loop->openConnection();
    ASSERT_TRUE(pumpUntil([&] { return loop->socket().state() == kSocketConnected && server.hasPendingConnections(); }));
    seatFour();

    bool injected = false;
    loop->waitHook = [&](int) {
        if (injected)
            return;
        injected = true;
        loop->handleLobbyMessage(WindowMessage{kLobbyLogin, 0, 0});
        // Still in the middle of the leave: nothing of the 22 has run yet.
        EXPECT_FALSE(loop->scheduler().armed(Task::Login));
    };
    loop->handleLobbyMessage(WindowMessage{kLobbyLeft, 0, 0});
    ASSERT_TRUE(injected);
    // The reset ran first, then the 22: logging in again, 开始 armed.
    EXPECT_TRUE(loop->scheduler().armed(Task::Login));
    EXPECT_FALSE(state.startDisarmed);
    EXPECT_TRUE(form.Nid[1]->text().isEmpty());
}

}  // namespace

// A connection lost in the middle of a round, with the lobby there and a server on loopback that
// the test plays: the main timer's watch notices, and the clock, not the wall, paces the attempts.
class ReconnectTest : public TableWindowTest {
protected:
    void SetUp() override {
        TableWindowTest::SetUp();
        lobby = std::make_unique<BusWindow>(&lobbyWindow, QStringLiteral("Kestrel山庄"),
                                            WindowBus(busFolder(dir.path())));
        loop->setLobbyTitle(QStringLiteral("Kestrel山庄"));
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
        state.own.serverHost = "127.0.0.1";
        state.own.serverPort = server.serverPort();
        loop->loginFrame() = *buildLoginFrame("me", "pw").frame;
        loop->openConnection();
        first = accept();
        ASSERT_NE(first, nullptr);
        ASSERT_EQ(readFrame(first)[kCommandByte], 18);
        seatFour();
        // A hand of two cards, 3 of diamonds and 4 of clubs, from the deal numbered 258.
        dispatch(encode(Deal{4, {(3 << 8) | 1, (4 << 8) | 2 | (1 << 24)}, false, "", 258}));
        state.roundRunning = true;
        state.loggedIn = true;
        loop->transport().token = SessionToken{0x12, 0x34};
    }
    void TearDown() override { loop->endProcessHook = [] {}; }

    QTcpSocket* accept() {
        if (!QTest::qWaitFor([&] { return server.hasPendingConnections(); }))
            return nullptr;
        return server.nextPendingConnection();
    }
    CommandFrame readFrame(QTcpSocket* peer) {
        QByteArray got;
        CommandFrame f{};
        const bool whole = QTest::qWaitFor([&] {
            got += peer->read(static_cast<qint64>(kFrameSize) - got.size());
            return got.size() == static_cast<qsizetype>(kFrameSize);
        });
        if (whole)
            std::copy(got.begin(), got.end(), f.begin());
        return f;  // all zero when the frame did not come
    }
    // The server drops the player; the watch starts the reconnect and 3 seconds later the first
    // attempt goes out.
    void dropAndWaitForTheFirstAttempt() {
        first->abort();
        ASSERT_TRUE(QTest::qWaitFor([&] { return state.reconnecting; }, 5000));
        EXPECT_FALSE(state.loggedIn);
        clock.now += 3.0f;
        ASSERT_TRUE(QTest::qWaitFor([&] { return state.reconnectAttempts == 1; }));
        EXPECT_EQ(form.sysmsg(0), QStringLiteral("正在重新连接服务器..."));
    }

    QWidget lobbyWindow;
    std::unique_ptr<BusWindow> lobby;
    QTcpServer server;
    QTcpSocket* first = nullptr;
};

TEST_F(ReconnectTest, TheAttemptRejoinsWithTheTokenAndResumeNumberAndTheAnswerLetsTheRoundGoOn) {
    dropAndWaitForTheFirstAttempt();
    QTcpSocket* again = accept();
    ASSERT_NE(again, nullptr);
    const CommandFrame login = readFrame(again);
    EXPECT_EQ(login[kCommandByte], 28);
    EXPECT_EQ(login[14], 1);
    EXPECT_EQ(login[260], 0x12);
    EXPECT_EQ(login[261], 0x34);
    EXPECT_EQ((std::array<uint8_t, 4>{login[268], login[269], login[270], login[271]}),
              (std::array<uint8_t, 4>{0x02, 0x01, 0x00, 0x00}));
    EXPECT_EQ(decodeLoginRequest(login).account, "me");

    // Connected at the next check: the reconnect is over, and the server's answer decides.
    clock.now += 3.0f;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !state.reconnecting; }));
    EXPECT_EQ(state.reconnectAttempts, 1);
    const CommandFrame accepted = encode(ReconnectAnswer{4, true});
    again->write(reinterpret_cast<const char*>(accepted.data()), static_cast<qint64>(accepted.size()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return state.loggedIn; }));
    EXPECT_TRUE(state.reconnected);
    EXPECT_EQ(form.sysmsg(0), QStringLiteral("正在重连服务器，请等待...！"));
    EXPECT_TRUE(state.roundRunning);
    EXPECT_EQ(ended, 0);
}

TEST_F(ReconnectTest, ARefusedReconnectEndsTheProcessWithTheLobbyBack) {
    dropAndWaitForTheFirstAttempt();
    QTcpSocket* again = accept();
    ASSERT_NE(again, nullptr);
    ASSERT_EQ(readFrame(again)[kCommandByte], 28);
    const CommandFrame refused = encode(ReconnectAnswer{4, false});
    again->write(reinterpret_cast<const char*>(refused.data()), static_cast<qint64>(refused.size()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended > 0; }));
    EXPECT_FALSE(state.loggedIn);
}

// Given up, with the server started again meanwhile: the lobby's 进入游戏 (22) logs in as a
// newcomer with the login the table started with, and the give-up's notice goes.
TEST_F(ReconnectTest, WithTheServerGoneItGivesUpAfterTwentyOneAttemptsAndTheLobbyCanSitItDownAgain) {
    server.close();
    dropAndWaitForTheFirstAttempt();
    for (int attempt = 2; attempt <= 21; ++attempt) {
        clock.now += 3.0f;
        ASSERT_TRUE(QTest::qWaitFor([&] { return state.reconnectAttempts == attempt; })) << attempt;
    }
    EXPECT_TRUE(state.reconnecting);
    EXPECT_FALSE(form.notice->isVisible());
    clock.now += 3.0f;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !state.reconnecting; }));
    EXPECT_EQ(state.reconnectAttempts, 21);
    EXPECT_TRUE(form.notice->isVisible());
    EXPECT_EQ(form.notice->text(), QStringLiteral("网络已断开,请退出大厅重新登陆游戏"));
    EXPECT_FALSE(state.roundRunning);
    EXPECT_FALSE(state.ready);
    // The process stays until the player closes the notice.
    EXPECT_EQ(ended, 0);

    QTcpServer restarted;
    ASSERT_TRUE(restarted.listen(QHostAddress::LocalHost, 0));
    state.own.serverPort = restarted.serverPort();
    loop->handleLobbyMessage(WindowMessage{kLobbyLogin, 0, 0});
    EXPECT_FALSE(form.notice->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return restarted.hasPendingConnections(); }));
    const CommandFrame login = readFrame(restarted.nextPendingConnection());
    EXPECT_EQ(login[kCommandByte], 18);
    EXPECT_EQ(login, *buildLoginFrame("me", "pw").frame);
    EXPECT_EQ(ended, 0);
}

// Back in the round, the player leaves later on, and the lobby's 进入游戏 sits it down again: that
// login is a newcomer's, not the reconnect's the server would refuse.
TEST_F(ReconnectTest, AfterAnAcceptedReconnectTheNextConnectionLogsIn) {
    dropAndWaitForTheFirstAttempt();
    QTcpSocket* again = accept();
    ASSERT_NE(again, nullptr);
    ASSERT_EQ(readFrame(again)[kCommandByte], 28);
    const CommandFrame accepted = encode(ReconnectAnswer{4, true});
    again->write(reinterpret_cast<const char*>(accepted.data()), static_cast<qint64>(accepted.size()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return state.loggedIn; }));
    EXPECT_FALSE(state.reconnecting);

    loop->handleLobbyMessage(WindowMessage{kLobbyLeft, 0, 0});
    loop->handleLobbyMessage(WindowMessage{kLobbyLogin, 0, 0});
    QTcpSocket* third = accept();
    ASSERT_NE(third, nullptr);
    const CommandFrame login = readFrame(third);
    EXPECT_EQ(login[kCommandByte], 18);
    EXPECT_EQ(login, *buildLoginFrame("me", "pw").frame);
}

// The player leaves while the table is still trying: the reconnect ends there, and the lobby's
// next 进入游戏 logs in afresh rather than with the reconnect's login.
TEST_F(ReconnectTest, LeavingDuringTheReconnectEndsIt) {
    server.close();
    dropAndWaitForTheFirstAttempt();
    loop->act(SessionIntent{intent::ConfirmExit{}});
    EXPECT_FALSE(state.reconnecting);

    QTcpServer back;
    ASSERT_TRUE(back.listen(QHostAddress::LocalHost, 0));
    state.own.serverPort = back.serverPort();
    loop->handleLobbyMessage(WindowMessage{kLobbyLogin, 0, 0});
    ASSERT_TRUE(QTest::qWaitFor([&] { return back.hasPendingConnections(); }));
    QTcpSocket* peer = back.nextPendingConnection();
    EXPECT_EQ(readFrame(peer)[kCommandByte], 18);
    EXPECT_FALSE(state.reconnecting);
}

namespace {
QByteArray readExactly(QTcpSocket* peer, qsizetype n) {
    QByteArray got;
    QTest::qWaitFor([&] {
        got += peer->read(n - got.size());
        return got.size() == n;
    });
    return got;
}
}  // namespace

// Through a SOCKS5 proxy that takes every connection and answers the greeting but cannot reach
// the game server: it refuses each connect request, on every other attempt only after the
// table's next check has found its connection to the proxy up. Each is a failed attempt, and the
// table gives up after 21 with its notice, without a message box per attempt.
class Socks5ReconnectTest : public TableWindowTest {
protected:
    void SetUp() override {
        TableWindowTest::SetUp();
        lobby = std::make_unique<BusWindow>(&lobbyWindow, QStringLiteral("Kestrel山庄"),
                                            WindowBus(busFolder(dir.path())));
        loop->setLobbyTitle(QStringLiteral("Kestrel山庄"));
        ASSERT_TRUE(proxy.listen(QHostAddress::LocalHost, 0));
        state.launch.proxyType = 5;
        state.own.proxyHost = "127.0.0.1";
        state.own.proxyPort = proxy.serverPort();
        state.own.proxyUser = "u";
        state.own.proxyPassword = "p";
        state.own.serverHost = "127.0.0.1";
        state.own.serverPort = 9;
        loop->loginFrame() = *buildLoginFrame("me", "pw").frame;
        seatFour();
        dispatch(encode(Deal{4, {(3 << 8) | 1, (4 << 8) | 2 | (1 << 24)}, false, "", 258}));
        state.roundRunning = true;
        state.loggedIn = true;
    }
    void TearDown() override { loop->endProcessHook = [] {}; }

    QWidget lobbyWindow;
    std::unique_ptr<BusWindow> lobby;
    QTcpServer proxy;
};

TEST_F(Socks5ReconnectTest, AProxyThatCannotReachTheServerFailsEachAttemptAndTheTableGivesUp) {
    testing::internal::CaptureStderr();
    loop->startMainTimer();
    loop->startReconnect();
    std::vector<QTcpSocket*> held;
    for (int attempt = 1; attempt <= 21; ++attempt) {
        clock.now += 3.0f;
        ASSERT_TRUE(QTest::qWaitFor([&] { return state.reconnectAttempts == attempt; })) << attempt;
        ASSERT_TRUE(QTest::qWaitFor([&] { return proxy.hasPendingConnections(); })) << attempt;
        QTcpSocket* peer = proxy.nextPendingConnection();
        ASSERT_EQ(readExactly(peer, 4), QByteArray("\x05\x02\x00\x02", 4)) << attempt;
        peer->write(QByteArray("\x05\x00", 2));
        ASSERT_EQ(readExactly(peer, 10).left(4), QByteArray("\x05\x01\x00\x01", 4)) << attempt;
        if (attempt % 2 == 0) {
            peer->write(QByteArray("\x05\x05\x00\x01\x00\x00\x00\x00\x00\x00", 10));
            peer->disconnectFromHost();
            ASSERT_TRUE(QTest::qWaitFor([&] { return loop->socket().state() != kSocketConnected; })) << attempt;
        } else {
            held.push_back(peer);
        }
        EXPECT_TRUE(state.reconnecting) << attempt;
    }
    clock.now += 3.0f;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !state.reconnecting; }));
    EXPECT_EQ(state.reconnectAttempts, 21);
    EXPECT_TRUE(form.notice->isVisible());
    EXPECT_EQ(form.notice->text(), QStringLiteral("网络已断开,请退出大厅重新登陆游戏"));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.find("messagebox:"), std::string::npos) << err;
    EXPECT_EQ(ended, 0);
}
