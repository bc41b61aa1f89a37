// Real processes on loopback: vexal-server with bots off, kestrel-lobby starting real tables.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "platform/windowbus.h"
#include "processes.h"

namespace {

using namespace e2e;

Proc startTableAlone(const QString& runtime, const QStringList& args) {
    Proc t;
    start(t, QStringLiteral("vexal"), args, tableEnvironment(runtime));
    return t;
}

TEST(TableEndToEnd, FourTablesLogInGetSeatedAndOneLeavesWhenTheLobbySays1024) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const quint16 port = freePort();
    Proc server;
    ASSERT_TRUE(startServer(server, port, {QStringLiteral("--bot-wait"), QStringLiteral("off")}))
        << server.out.toStdString();

    std::vector<std::unique_ptr<Proc>> lobbies;
    std::vector<Proc*> all{&server};
    for (int i = 1; i <= 4; ++i) {
        const QString runtime = dir.path() + QStringLiteral("/rt%1").arg(i);
        QDir().mkpath(runtime);
        auto lobby = std::make_unique<Proc>();
        start(*lobby, QStringLiteral("kestrel-lobby"),
              {QStringLiteral("--port"), QString::number(port), QStringLiteral("--account"),
               QStringLiteral("player%1").arg(i), QStringLiteral("--password"), QStringLiteral("pw"),
               QStringLiteral("--autostart")},
              tableEnvironment(runtime));
        all.push_back(lobby.get());
        lobbies.push_back(std::move(lobby));
    }
    auto seated = [&](const Proc& p) {
        int seats = 0;
        for (int r = 0; r < 4; ++r)
            seats += p.out.contains(QStringLiteral("trace: seat: %1 [").arg(r)) ? 1 : 0;
        return seats == 4 && p.out.contains(QStringLiteral("trace: sysmsg0: 游戏将在15秒内开始"));
    };
    ASSERT_TRUE(waitFor(all, [&] {
        for (auto& l : lobbies)
            if (!seated(*l))
                return false;
        return true;
    })) << lobbies[0]->out.toStdString();

    for (int i = 0; i < 4; ++i) {
        const QString& out = lobbies[static_cast<size_t>(i)]->out;
        for (int j = 1; j <= 4; ++j)
            EXPECT_TRUE(out.contains(QStringLiteral("] player%1 100000金币").arg(j)) ||
                        out.contains(QStringLiteral("] player%1 ").arg(j)))
                << "table " << i + 1 << " does not show player" << j;
        // The lobby heard the login task (22) before the written login (771).
        const qsizetype login = out.indexOf(QStringLiteral("lobby: received 22"));
        const qsizetype written = out.indexOf(QStringLiteral("lobby: received 771"));
        EXPECT_GE(login, 0);
        EXPECT_GT(written, login);
    }

    // The lobby asks table 1 to leave: the server sees that seat's leave.
    vexal::WindowBus bus(vexal::busFolder(dir.path() + QStringLiteral("/rt1")));
    ASSERT_TRUE(bus.postMessage(QStringLiteral("Vexal"), 1024));
    EXPECT_TRUE(waitFor(
        all, [&] { return server.out.contains(QStringLiteral("player1 leaves")); }, 30000))
        << server.out.toStdString();
}

// Two players and two bots play; after the first round one player leaves. The other table
// takes the departure, the bot that replaces the player, and the next deal, and plays on.
TEST(TableEndToEnd, APlayerLeavingBetweenRoundsDoesNotStopTheOthers) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const quint16 port = freePort();
    Proc server;
    ASSERT_TRUE(
        startServer(server, port,
                    {QStringLiteral("--bot-wait"), QStringLiteral("4"), QStringLiteral("--bot-delay-ms"),
                     QStringLiteral("20"), QStringLiteral("--turn-seconds"), QStringLiteral("4"),
                     QStringLiteral("--seed"), QStringLiteral("5")}))
        << server.out.toStdString();

    // Both tables take their turns through their own controls, at once, and get ready quickly.
    std::vector<std::unique_ptr<Proc>> lobbies;
    std::vector<Proc*> all{&server};
    for (const char* account : {"leaver", "stayer"}) {
        const QString runtime = dir.path() + QStringLiteral("/") + QString::fromLatin1(account);
        QDir().mkpath(runtime);
        auto lobby = std::make_unique<Proc>();
        start(*lobby, QStringLiteral("kestrel-lobby"),
              {QStringLiteral("--port"), QString::number(port), QStringLiteral("--account"),
               QString::fromLatin1(account), QStringLiteral("--password"), QStringLiteral("pw"),
               QStringLiteral("--autostart")},
              tableEnvironment(runtime, true));
        all.push_back(lobby.get());
        lobbies.push_back(std::move(lobby));
    }
    Proc& leaver = *lobbies[0];
    Proc& stayer = *lobbies[1];
    const QString sheet = QStringLiteral("trace: score: 7:");
    ASSERT_TRUE(waitFor(
        all, [&] { return leaver.out.contains(sheet) && stayer.out.contains(sheet); }, 180000))
        << "leaver:\n"
        << leaver.out.right(3000).toStdString() << "\nstayer:\n"
        << stayer.out.right(3000).toStdString();
    ASSERT_TRUE(stayer.out.contains(QStringLiteral("] leaver "))) << "both players sit at one table";

    vexal::WindowBus bus(vexal::busFolder(dir.path() + QStringLiteral("/leaver")));
    ASSERT_TRUE(bus.postMessage(QStringLiteral("Vexal"), 1024));
    ASSERT_TRUE(waitFor(
        all, [&] { return server.out.contains(QStringLiteral("leaver leaves")); }, 30000))
        << server.out.right(3000).toStdString();

    // The stayer hears of the departure and goes on: a second deal, and plays in it.
    const qsizetype firstSheet = stayer.out.indexOf(sheet);
    auto playsOn = [&] {
        const qsizetype secondDeal = stayer.out.indexOf(QStringLiteral("trace: deal:"), firstSheet);
        return secondDeal >= 0 && stayer.out.indexOf(QStringLiteral("trace: play:"), secondDeal) >= 0;
    };
    EXPECT_TRUE(waitFor(all, playsOn, 90000)) << stayer.out.mid(firstSheet).right(4000).toStdString();
    EXPECT_GE(stayer.out.indexOf(QStringLiteral("退出了游戏"), firstSheet), 0);
}

TEST(TableEndToEnd, StartUpRefusalsAndFailures) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Nothing listens on this port: the table stays up, retrying its login.
    const QString unreachable =
        QStringLiteral("a$b$127.0.0.1$%1$12345Room 1$0$$0$$$0$$$0$0$").arg(freePort());

    {
        Proc first = startTableAlone(dir.path(), {unreachable});
        ASSERT_TRUE(waitFor(
            {&first}, [&] { return first.out.contains(QStringLiteral("正在连接服务器...")); }, 30000))
            << first.out.toStdString();
        Proc second = startTableAlone(dir.path(), {unreachable});
        ASSERT_TRUE(second.p->waitForFinished(30000));
        second.out += QString::fromUtf8(second.p->readAll());
        EXPECT_TRUE(second.out.contains(QStringLiteral("messagebox: 警告: 新Vexal已经运行！")))
            << second.out.toStdString();
        EXPECT_EQ(first.p->state(), QProcess::Running);
    }

    struct Case {
        QStringList args;
        QString box;  // empty: ends without any message box
    };
    const Case cases[] = {
        {{}, QStringLiteral("messagebox: 警告: 本游戏需从游戏大厅中启动！")},
        {{QStringLiteral("a$b$127.0.0.1$6000$12345Room 1$0$$0$$$0$$$0$")}, QString()},  // 14 fields
        {{QStringLiteral("a$b$127.0.0.1$x$12345Room 1$0$$0$$$0$$$0$0$")}, QString()},   // port not a number
    };
    for (const Case& c : cases) {
        Proc t = startTableAlone(dir.path() + QStringLiteral("/other"), c.args);
        ASSERT_TRUE(t.p->waitForFinished(30000)) << c.args.join(' ').toStdString();
        t.out += QString::fromUtf8(t.p->readAll());
        EXPECT_EQ(t.p->exitCode(), 0);
        if (c.box.isEmpty())
            EXPECT_FALSE(t.out.contains(QStringLiteral("messagebox:"))) << t.out.toStdString();
        else
            EXPECT_TRUE(t.out.contains(c.box)) << t.out.toStdString();
    }
}

}  // namespace
