// Real processes on loopback: vexal-server with bots and one kestrel-lobby whose table leaves, or
// loses its server, and is taken back to a seat by the lobby's 进入游戏.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "lobby/lobbystate.h"
#include "platform/windowbus.h"
#include "processes.h"

namespace {

using namespace e2e;

// The four seats described after `from` in the output, and the table about to start (or dealt,
// when a deal counts).
bool seatedAfter(const QString& out, qsizetype from, bool dealCounts = false) {
    for (int r = 0; r < 4; ++r)
        if (out.indexOf(QStringLiteral("trace: seat: %1 [").arg(r), from) < 0)
            return false;
    return out.indexOf(QStringLiteral("游戏将在15秒内开始"), from) >= 0 ||
           (dealCounts && out.indexOf(QStringLiteral("trace: deal:"), from) >= 0);
}

// One player, three bots. The table process ends: 进入游戏 starts a new one, which sits down. That
// table leaves its seat: 进入游戏 takes the same table process back to a seat, and it is dealt.
TEST(LobbyEndToEnd, EnterGameStartsAnEndedTableAndTakesALeftOneBack) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const quint16 port = freePort();
    const QString accounts = dir.path() + QStringLiteral("/accounts.txt");
    Proc server;
    ASSERT_TRUE(
        startServer(server, port,
                    {QStringLiteral("--bot-wait"), QStringLiteral("1"), QStringLiteral("--bot-delay-ms"),
                     QStringLiteral("20"), QStringLiteral("--turn-seconds"), QStringLiteral("4"),
                     QStringLiteral("--seed"), QStringLiteral("5"), QStringLiteral("--accounts"), accounts}))
        << server.out.toStdString();

    const QString runtime = dir.path() + QStringLiteral("/rt");
    QDir().mkpath(runtime);
    Proc lobby;
    start(lobby, QStringLiteral("kestrel-lobby"),
          {QStringLiteral("--port"), QString::number(port), QStringLiteral("--account"),
           QStringLiteral("ann"), QStringLiteral("--password"), QStringLiteral("pw"),
           QStringLiteral("--accounts"), accounts, QStringLiteral("--autostart")},
          tableEnvironment(runtime, true));
    std::vector<Proc*> all{&server, &lobby};
    ASSERT_TRUE(waitFor(all, [&] { return seatedAfter(lobby.out, 0); }))
        << lobby.out.right(4000).toStdString();
    vexal::WindowBus bus(vexal::busFolder(runtime));

    // The table process ends before the first deal (the deal waits 15 seconds for the player's 开始),
    // so the server gives the seat up at once; during a round it would keep the seat for a
    // reconnect and refuse a new login meanwhile.
    ASSERT_EQ(lobby.out.indexOf(QStringLiteral("trace: deal:")), -1)
        << "dealt before the table could be ended";
    const std::vector<pid_t> tables = childrenOf(lobby.p->processId());
    ASSERT_EQ(tables.size(), 1u);
    ::kill(tables[0], SIGKILL);
    ASSERT_TRUE(waitFor(
        all, [&] { return lobby.out.contains(QStringLiteral("lobby: the table was ended from outside")); },
        20000));
    const qsizetype ended = lobby.out.size();
    ASSERT_TRUE(bus.postMessage(QStringLiteral("Kestrel山庄"), vexal::kLobbyEnterGame));
    ASSERT_TRUE(waitFor(all, [&] { return seatedAfter(lobby.out, ended); }))
        << lobby.out.mid(ended).right(4000).toStdString() << "\nserver:\n"
        << server.out.right(2000).toStdString();
    EXPECT_GE(lobby.out.indexOf(QStringLiteral("lobby: enter game: a new table"), ended), 0);

    // The new table leaves as its exit confirmation does: the leave and the table reset, then the
    // lobby restored. 771 asks an idle table for that leave and reset, and its answer 1024 comes
    // once the reset is over.
    const qsizetype seated = lobby.out.size();
    ASSERT_TRUE(bus.postMessage(QStringLiteral("Vexal"), 771));
    ASSERT_TRUE(waitFor(
        all, [&] { return lobby.out.indexOf(QStringLiteral("lobby: received 1024"), seated) >= 0; }, 30000))
        << lobby.out.mid(seated).toStdString();
    const qsizetype leftAt = server.out.lastIndexOf(QStringLiteral("ann leaves the table"));
    ASSERT_GE(leftAt, 0) << server.out.right(3000).toStdString();
    ASSERT_TRUE(bus.postMessage(QStringLiteral("Kestrel山庄"), vexal::kWmSysCommand, vexal::kScRestore));
    ASSERT_TRUE(waitFor(
        all, [&] { return lobby.out.indexOf(QStringLiteral("received system command f120"), seated) >= 0; }));

    // Back to a seat in one click, in the same table process: seated, then dealt. (A table told
    // to leave by the lobby keeps its ready flag, so it shows no "15 seconds" line this time.)
    const qsizetype left = lobby.out.size();
    ASSERT_TRUE(bus.postMessage(QStringLiteral("Kestrel山庄"), vexal::kLobbyEnterGame));
    EXPECT_TRUE(waitFor(all,
                        [&] {
                            return seatedAfter(lobby.out, left, true) &&
                                   lobby.out.indexOf(QStringLiteral("trace: deal:"), left) >= 0;
                        }))
        << lobby.out.mid(left).right(4000).toStdString() << "\nserver:\n"
        << server.out.right(2000).toStdString();
    EXPECT_GE(lobby.out.indexOf(QStringLiteral("lobby: enter game: back to the table"), left), 0);
    EXPECT_EQ(lobby.out.indexOf(QStringLiteral("lobby: start "), left), -1)
        << "the same table process sits down";
    EXPECT_GE(server.out.indexOf(QStringLiteral("ann sits down"), leftAt), 0)
        << server.out.right(3000).toStdString();
}

// The player's own hand as the table traced it after the deal at or after `from` ("27 | ♠3 ...").
QString dealtHand(const QString& out, qsizetype from) {
    const qsizetype at = out.indexOf(QStringLiteral("trace: hand: 27 | "), from);
    if (at < 0)
        return {};
    return out.mid(at, out.indexOf(QLatin1Char('\n'), at) - at);
}

// One player with three bots; the table plays by itself and leaves the round with 退出 and 确定
// after a few plays. 进入游戏 in the lobby sits the same table process back at its seat in that
// round: the hand it was dealt, the round played on to its score sheet.
TEST(LobbyEndToEnd, EnterGameAfterLeavingARoundTakesTheSeatBackInThatRound) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const quint16 port = freePort();
    Proc server;
    // Bots take their time, so that the round is still running when the player comes back.
    ASSERT_TRUE(startServer(server, port,
                            {QStringLiteral("--bot-wait"), QStringLiteral("0"), QStringLiteral("--bot-delay-ms"),
                             QStringLiteral("300"), QStringLiteral("--turn-seconds"), QStringLiteral("4"),
                             QStringLiteral("--seed"), QStringLiteral("7")}))
        << server.out.toStdString();
    const QString runtime = dir.path() + QStringLiteral("/rt");
    QDir().mkpath(runtime);
    QProcessEnvironment env = tableEnvironment(runtime, true);
    env.insert(QStringLiteral("VEXAL_EXIT_AFTER_PLAYS"), QStringLiteral("6"));
    Proc lobby;
    start(lobby, QStringLiteral("kestrel-lobby"),
          {QStringLiteral("--port"), QString::number(port), QStringLiteral("--account"), QStringLiteral("ann"),
           QStringLiteral("--password"), QStringLiteral("pw"), QStringLiteral("--autostart")},
          env);
    std::vector<Proc*> all{&server, &lobby};

    // Dealt, six plays, then 退出: the leave reaches the server and the table puts the lobby back.
    ASSERT_TRUE(waitFor(all, [&] {
        const qsizetype dealt = lobby.out.indexOf(QStringLiteral("trace: deal:"));
        return dealt >= 0 && server.out.contains(QStringLiteral("ann leaves during the round")) &&
               lobby.out.indexOf(QStringLiteral("received system command f120"), dealt) >= 0;
    })) << lobby.out.right(4000).toStdString() << "\nserver:\n" << server.out.right(3000).toStdString();
    const QString hand = dealtHand(lobby.out, 0);
    ASSERT_FALSE(hand.isEmpty());
    ASSERT_FALSE(server.out.contains(QStringLiteral("settled"))) << "the round ended before the player was back";

    const qsizetype left = lobby.out.size();
    const qsizetype serverLeft = server.out.size();
    vexal::WindowBus bus(vexal::busFolder(runtime));
    ASSERT_TRUE(bus.postMessage(QStringLiteral("Kestrel山庄"), vexal::kLobbyEnterGame));
    ASSERT_TRUE(waitFor(all, [&] { return !dealtHand(lobby.out, left).isEmpty(); }))
        << lobby.out.mid(left).right(4000).toStdString() << "\nserver:\n"
        << server.out.mid(serverLeft).right(3000).toStdString();
    EXPECT_GE(lobby.out.indexOf(QStringLiteral("lobby: enter game: back to the table"), left), 0);
    EXPECT_EQ(lobby.out.indexOf(QStringLiteral("lobby: start "), left), -1) << "the same table process sits down";
    EXPECT_EQ(lobby.out.indexOf(QStringLiteral("启动游戏失败"), left), -1);
    EXPECT_GE(server.out.indexOf(QStringLiteral("ann logs in again and takes the seat back"), serverLeft), 0)
        << server.out.mid(serverLeft).toStdString();
    // Every seat shown again, then the round it left: the same cards as dealt.
    for (int r = 0; r < 4; ++r)
        EXPECT_GE(lobby.out.indexOf(QStringLiteral("trace: seat: %1 [").arg(r), left), 0) << r;
    EXPECT_EQ(dealtHand(lobby.out, left), hand);

    // The round goes on with the player to its score sheet, the first round of the table.
    EXPECT_TRUE(waitFor(all, [&] {
        return lobby.out.count(QStringLiteral("trace: settlement-record:")) == 4 &&
               lobby.out.indexOf(QStringLiteral("trace: score: 0:"), left) >= 0;
    })) << lobby.out.mid(left).right(4000).toStdString() << "\nserver:\n"
        << server.out.mid(serverLeft).right(3000).toStdString();
    EXPECT_GE(server.out.indexOf(QStringLiteral("round 1 settled"), serverLeft), 0);
    EXPECT_EQ(server.out.indexOf(QStringLiteral("ann leaves the table"), serverLeft), -1)
        << "the player who came back keeps the seat";
}

// One player, three bots. The server is killed during a round: the table makes its 21 attempts
// and gives up, back to the lobby. The server is started again on the same port, and one 进入游戏
// sits the player down again (a newcomer's login, not the reconnect's the new server would refuse)
// and the table is dealt. The attempts run on the real clock: about 66 seconds.
TEST(LobbyEndToEnd, AfterTheServerCameBackOneEnterGameSitsThePlayerDownAgain) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const quint16 port = freePort();
    const QString accounts = dir.path() + QStringLiteral("/accounts.txt");
    const QStringList flags{QStringLiteral("--bot-wait"),      QStringLiteral("1"),
                            QStringLiteral("--bot-delay-ms"),  QStringLiteral("20"),
                            QStringLiteral("--turn-seconds"),  QStringLiteral("4"),
                            QStringLiteral("--seed"),          QStringLiteral("5"),
                            QStringLiteral("--accounts"),      accounts};
    auto server = std::make_unique<Proc>();
    ASSERT_TRUE(startServer(*server, port, flags)) << server->out.toStdString();

    const QString runtime = dir.path() + QStringLiteral("/rt");
    QDir().mkpath(runtime);
    Proc lobby;
    start(lobby, QStringLiteral("kestrel-lobby"),
          {QStringLiteral("--port"), QString::number(port), QStringLiteral("--account"),
           QStringLiteral("ann"), QStringLiteral("--password"), QStringLiteral("pw"),
           QStringLiteral("--accounts"), accounts, QStringLiteral("--autostart")},
          tableEnvironment(runtime, true));
    ASSERT_TRUE(waitFor({server.get(), &lobby}, [&] { return lobby.out.contains(QStringLiteral("trace: deal:")); }))
        << lobby.out.right(4000).toStdString();

    // The round is running: the server goes without a word.
    server->p->kill();
    server->p->waitForFinished(5000);
    const qsizetype killed = lobby.out.size();
    const QString attemptLine = QStringLiteral("trace: reconnect: attempt");
    ASSERT_TRUE(waitFor(
        {&lobby},
        [&] { return lobby.out.indexOf(QStringLiteral("trace: notice: 网络已断开,请退出大厅重新登陆游戏"), killed) >= 0; },
        150000))
        << lobby.out.mid(killed).right(4000).toStdString();
    EXPECT_EQ(lobby.out.mid(killed).count(attemptLine), 21);
    ASSERT_TRUE(waitFor(
        {&lobby}, [&] { return lobby.out.indexOf(QStringLiteral("received system command f120"), killed) >= 0; }))
        << lobby.out.mid(killed).right(2000).toStdString();

    auto restarted = std::make_unique<Proc>();
    ASSERT_TRUE(startServer(*restarted, port, flags)) << restarted->out.toStdString();
    const qsizetype back = lobby.out.size();
    vexal::WindowBus bus(vexal::busFolder(runtime));
    ASSERT_TRUE(bus.postMessage(QStringLiteral("Kestrel山庄"), vexal::kLobbyEnterGame));
    const QString refused = QStringLiteral("重连服务器失败，退出后请重新入座！");
    ASSERT_TRUE(waitFor({restarted.get(), &lobby},
                        [&] {
                            return lobby.out.indexOf(refused, back) >= 0 ||
                                   (seatedAfter(lobby.out, back, true) &&
                                    lobby.out.indexOf(QStringLiteral("trace: deal:"), back) >= 0);
                        }))
        << lobby.out.mid(back).right(4000).toStdString() << "\nserver:\n"
        << restarted->out.right(2000).toStdString();
    EXPECT_EQ(lobby.out.indexOf(refused, back), -1) << lobby.out.mid(back).right(4000).toStdString();
    EXPECT_GE(lobby.out.indexOf(QStringLiteral("lobby: enter game: back to the table"), back), 0);
    EXPECT_EQ(lobby.out.indexOf(QStringLiteral("lobby: start "), back), -1) << "the same table process sits down";
    EXPECT_TRUE(restarted->out.contains(QStringLiteral("ann sits down"))) << restarted->out.toStdString();
}

// Three players, no bots. ann leaves seat 0, carl takes it, and ann's 进入游戏 seats her at seat 2:
// her table shows her at the bottom again, not whoever holds her old seat.
TEST(LobbyEndToEnd, BackAtAnotherSeatTheTableStillShowsItsOwnPlayerAtTheBottom) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const quint16 port = freePort();
    Proc server;
    ASSERT_TRUE(startServer(server, port, {QStringLiteral("--bot-wait"), QStringLiteral("off")}))
        << server.out.toStdString();

    std::vector<std::unique_ptr<Proc>> lobbies;
    std::vector<Proc*> all{&server};
    auto open = [&](const QString& account) {
        const QString runtime = dir.path() + QLatin1Char('/') + account;
        QDir().mkpath(runtime);
        auto lobby = std::make_unique<Proc>();
        start(*lobby, QStringLiteral("kestrel-lobby"),
              {QStringLiteral("--port"), QString::number(port), QStringLiteral("--account"), account,
               QStringLiteral("--password"), QStringLiteral("pw"), QStringLiteral("--autostart")},
              tableEnvironment(runtime, true));
        all.push_back(lobby.get());
        lobbies.push_back(std::move(lobby));
        return lobbies.back().get();
    };
    auto sits = [&](const QString& account) {
        return waitFor(
            all, [&] { return server.out.contains(QStringLiteral(": %1 sits down").arg(account)); }, 30000);
    };
    Proc& ann = *open(QStringLiteral("ann"));
    ASSERT_TRUE(sits(QStringLiteral("ann"))) << server.out.toStdString();
    open(QStringLiteral("bob"));
    ASSERT_TRUE(sits(QStringLiteral("bob"))) << server.out.toStdString();

    vexal::WindowBus bus(vexal::busFolder(dir.path() + QStringLiteral("/ann")));
    ASSERT_TRUE(bus.postMessage(QStringLiteral("Vexal"), 771));
    ASSERT_TRUE(waitFor(
        all, [&] { return ann.out.contains(QStringLiteral("lobby: received 1024")); }, 30000))
        << ann.out.toStdString();
    ASSERT_TRUE(bus.postMessage(QStringLiteral("Kestrel山庄"), vexal::kWmSysCommand, vexal::kScRestore));
    ASSERT_TRUE(
        waitFor(all, [&] { return ann.out.contains(QStringLiteral("received system command f120")); }));
    open(QStringLiteral("carl"));
    ASSERT_TRUE(waitFor(
        all, [&] { return server.out.contains(QStringLiteral("seat 0: carl sits down")); }, 30000))
        << server.out.toStdString();

    const qsizetype left = ann.out.size();
    ASSERT_TRUE(bus.postMessage(QStringLiteral("Kestrel山庄"), vexal::kLobbyEnterGame));
    ASSERT_TRUE(waitFor(all,
                        [&] {
                            return ann.out.indexOf(QStringLiteral("] carl "), left) >= 0 &&
                                   ann.out.indexOf(QStringLiteral("] ann "), left) >= 0;
                        }))
        << ann.out.mid(left).toStdString() << server.out.toStdString();
    EXPECT_TRUE(server.out.contains(QStringLiteral("seat 2: ann sits down"))) << server.out.toStdString();
    // Relative seats: 0 is the own seat, 2 the opposite one (carl, at seat 0).
    EXPECT_GE(ann.out.indexOf(QStringLiteral("trace: seat: 0 [新手] ann "), left), 0)
        << ann.out.mid(left).toStdString();
    EXPECT_GE(ann.out.indexOf(QStringLiteral("trace: seat: 2 [新手] carl "), left), 0)
        << ann.out.mid(left).toStdString();
    EXPECT_GE(ann.out.indexOf(QStringLiteral("trace: seat: 3 [新手] bob "), left), 0)
        << ann.out.mid(left).toStdString();
}

}  // namespace
