#include "lobby/lobbystate.h"
#include "lobby/lobbywindow.h"
#include "server/accounts.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <chrono>

namespace vexal {
namespace {

TEST(LobbyOptions, ReadsSettingsAndWhatTheLobbyDoesByItself) {
    struct Case {
        QStringList args;
        bool ok;
        bool autostart;
        bool quitWithTable;
        QString error;
        QString accountsFile;
        int reliefsPerDay = 3;
    };
    const Case cases[] = {
        {{}, true, false, false, {}, {}},
        {{"--autostart", "--quit-with-table", "--port", "7001", "--account", "ann"}, true, true, true, {}, {}},
        {{"--quit-with-table"}, true, false, true, {}, {}},
        {{"--port", "x"}, false, false, false, "not a number: --port x", {}},
        {{"--account"}, false, false, false, "missing value for --account", {}},
        {{"--teleport", "1"}, false, false, false, "unknown option --teleport", {}},
        {{"--teleport"}, false, false, false, "unknown option --teleport", {}},  // not "missing value"
        {{"--accounts", "out/accounts.txt", "--autostart"}, true, true, false, {}, "out/accounts.txt"},
        {{"--reliefs-per-day", "5", "--accounts", "a b.txt"}, true, false, false, {}, "a b.txt", 5},
        {{"--accounts"}, false, false, false, "missing value for --accounts", {}},
        {{"--reliefs-per-day", "many"}, false, false, false, "not a number: --reliefs-per-day many", {}},
    };
    for (const Case& c : cases) {
        const std::string what = c.args.join(' ').toStdString();
        LobbySettings s;
        LobbyStart start{true, true};  // whatever it held before, parsing starts afresh
        QString error;
        EXPECT_EQ(parseLobbyOptions(c.args, s, start, error), c.ok) << what;
        if (!c.ok) {
            EXPECT_EQ(error, c.error);
            continue;
        }
        EXPECT_EQ(start.autostart, c.autostart) << what;
        EXPECT_EQ(start.quitWithTable, c.quitWithTable) << what;
        EXPECT_EQ(s.accountsFile, c.accountsFile) << what;
        EXPECT_EQ(s.reliefsPerDay, c.reliefsPerDay) << what;
    }
    const std::pair<QStringList, QString> reconnect[] = {
        {{"--reconnect-after-ms", "250"}, {}},
        {{"--reconnect-after-ms"}, "missing value for --reconnect-after-ms"},
        {{"--reconnect-after-ms", "-5"}, "not a number: --reconnect-after-ms -5"},
    };
    for (const auto& [args, wantError] : reconnect) {
        LobbySettings s;
        LobbyStart start;
        QString error;
        EXPECT_EQ(parseLobbyOptions(args, s, start, error), wantError.isEmpty()) << args.join(' ').toStdString();
        EXPECT_EQ(error, wantError);
        EXPECT_EQ(start.reconnectAfterMs, wantError.isEmpty() ? 250 : -1);
    }
    LobbySettings s;
    LobbyStart start;
    QString error;
    ASSERT_TRUE(parseLobbyOptions({"--port", "7001", "--account", "ann"}, s, start, error));
    EXPECT_EQ(start.reconnectAfterMs, -1);
    EXPECT_EQ(s.port, 7001);
    EXPECT_EQ(s.account, "ann");
    // The accounts file is the lobby's own: it never reaches the table's launch string.
    s.accountsFile = QStringLiteral("accounts.txt");
    EXPECT_FALSE(buildLaunchString(s).contains(QStringLiteral("accounts")));
}

// Drives a table link through a story: "start"/"end" of the table process, "restore" from the
// table, "enter" for 进入游戏, "<N" a message received and ">N" one sent.
void runSteps(TableLink& link, const std::vector<std::string>& steps) {
    for (const std::string& step : steps) {
        if (step == "start")
            link.tableStarted();
        else if (step == "end")
            link.tableEnded();
        else if (step == "restore")
            link.received(kWmSysCommand, kScRestore);
        else if (step == "enter")
            link.enterGame();
        else if (step[0] == '<')
            link.received(static_cast<uint32_t>(std::stoul(step.substr(1))), 0);
        else
            link.sent(static_cast<uint32_t>(std::stoul(step.substr(1))));
    }
}

// A history of what passed between lobby and table, and what 进入游戏 does after it.
// Steps: "start", "end" (the process), "<N" a message from the table, ">N" one the lobby sent,
// "restore" the table restoring the lobby, "enter" a 进入游戏 in between.
TEST(LobbyEnterGame, FollowsTheTableThroughItsMessages) {
    struct Case {
        const char* name;
        std::vector<std::string> steps;
        EnterAction action;
        TableState after;
    };
    const Case cases[] = {
        {"no table yet", {}, EnterAction::StartTable, TableState::Starting},
        {"starting up", {"start"}, EnterAction::ShowTable, TableState::Starting},
        {"start-up restored the lobby", {"start", "restore"}, EnterAction::ShowTable, TableState::Connecting},
        {"logged in", {"start", "restore", "<22", "<771"}, EnterAction::ShowTable, TableState::AtTable},
        {"exit after logging in", {"start", "restore", "<771", "restore"}, EnterAction::Reenter,
         TableState::Connecting},
        {"exit during a round", {"start", "restore", "<771", "<1127", "<1125", "restore"}, EnterAction::Reenter,
         TableState::Connecting},
        {"exit while still connecting", {"start", "restore", "<22", "restore"}, EnterAction::Reenter,
         TableState::Connecting},
        {"table ended", {"start", "restore", "<771", "end"}, EnterAction::StartTable, TableState::Starting},
        {"table ended after leaving", {"start", "restore", "<771", "restore", "end"}, EnterAction::StartTable,
         TableState::Starting},
        {"the lobby sent 1024", {"start", "restore", "<771", ">1024"}, EnterAction::Reenter, TableState::Connecting},
        {"771 answered by leaving", {"start", "restore", "<771", ">771", "<1024"}, EnterAction::Reenter,
         TableState::Connecting},
        {"771 answered: a round runs", {"start", "restore", "<771", ">771", "<1125"}, EnterAction::ShowTable,
         TableState::AtTable},
        {"1125 answered 1024: no round, still seated", {"start", "restore", "<771", ">1125", "<1024"},
         EnterAction::ShowTable, TableState::AtTable},
        {"a stray 1024 alone", {"start", "restore", "<771", "<1024"}, EnterAction::ShowTable, TableState::AtTable},
        {"second click while logging in again", {"start", "restore", "<771", "restore", "enter"},
         EnterAction::ShowTable, TableState::Connecting},
        {"back at the table, then a second exit", {"start", "restore", "<771", "restore", "enter", "<22", "<771",
                                                   "restore"},
         EnterAction::Reenter, TableState::Connecting},
        {"messages after the end", {"start", "<771", "end", "restore", "<771"}, EnterAction::StartTable,
         TableState::Starting},
    };
    for (const Case& c : cases) {
        TableLink link;
        runSteps(link, c.steps);
        EXPECT_EQ(link.enterGame(), c.action) << c.name;
        EXPECT_EQ(link.state(), c.after) << c.name;
    }
}

// A refused login: the table posts 22 after its login went out, restores the lobby and ends. The
// login task's own 22 before the frame is written, and a reconnect's attempts, are no refusal.
TEST(LobbyEnterGame, KnowsWhenTheServerRefusedTheSeat) {
    struct Case {
        const char* name;
        std::vector<std::string> steps;
        bool refused;
    };
    const Case cases[] = {
        {"refused at the start", {"start", "restore", "<22", "<22", "<771", "<22", "restore", "end"}, true},
        {"refused after 进入游戏 took a left table back",
         {"start", "restore", "<22", "<771", "<771", "<1127", "restore", "enter", ">22", "<22", "<771", "<22",
          "restore", "end"},
         true},
        {"seated", {"start", "restore", "<22", "<771", "<771", "<1127"}, false},
        {"ended while still connecting", {"start", "restore", "<22", "<22", "end"}, false},
        {"a reconnect attempt that got through", {"start", "restore", "<22", "<771", "<771", "<1127", "<22", "<771"},
         false},
        {"进入游戏 again after a refusal", {"start", "restore", "<22", "<771", "<22", "end", "enter"}, false},
    };
    for (const Case& c : cases) {
        TableLink link;
        runSteps(link, c.steps);
        EXPECT_EQ(link.loginRefused(), c.refused) << c.name;
    }
}

TEST(LobbyEnterGame, MinimisingTheLobbyIsNotLeaving) {
    // The table puts the lobby away when its seats fill and when it hides itself: no exit.
    TableLink link;
    link.tableStarted();
    link.received(kWmSysCommand, kScRestore);
    link.received(771, 0);
    link.received(kWmSysCommand, kScMinimize);
    EXPECT_EQ(link.enterGame(), EnterAction::ShowTable);
}

class AccountFile : public ::testing::Test {
protected:
    void write(const std::string& text) {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text.data(), static_cast<qint64>(text.size()));
    }
    QString path() const { return dir.path() + QStringLiteral("/accounts.txt"); }
    std::string stdPath() const { return path().toStdString(); }
    QTemporaryDir dir;
};

TEST_F(AccountFile, ShowsCoinsAndTheReliefsLeftToday) {
    server::AccountRecord ann{"ann", 106400, 3, 1, 0, 1, 0, 1, 20261210};
    server::AccountRecord bob{"bob", 0, 0, 0, 4, 2, 0, 3, 20261209};    // yesterday's reliefs do not count
    server::AccountRecord cat{"猫 %#", 25, 0, 0, 0, 1, 0, 3, 20261210};  // escaped name, none left
    write(server::formatAccounts({ann, bob, cat}) + "broken line\n");
    struct Case {
        std::string account;
        AccountView::Status status;
        int64_t coins;
        int reliefLeft;
    };
    const Case cases[] = {
        {"ann", AccountView::Status::Known, 106400, 2},
        {"bob", AccountView::Status::Known, 0, 3},
        {"猫 %#", AccountView::Status::Known, 25, 0},
        {"dan", AccountView::Status::Unknown, 0, 0},
        {"", AccountView::Status::Unknown, 0, 0},
    };
    for (const Case& c : cases) {
        const AccountView v = readAccountView(stdPath(), c.account, 20261210, 3);
        EXPECT_EQ(v.status, c.status) << c.account;
        EXPECT_EQ(v.coins, c.coins) << c.account;
        EXPECT_EQ(v.reliefLeft, c.reliefLeft) << c.account;
    }
    // The level from the kept score, as the server seats the account: score 3 is the first level.
    EXPECT_EQ(readAccountView(stdPath(), "ann", 20261210, 3).level, 1);
    EXPECT_EQ(readAccountView(stdPath(), "ann", 20261210, 3).wins, 1u);
    server::AccountRecord vet{"vet", 5, 395, 120, 35, 1, 0, 0, 0};
    write(server::formatAccounts({vet}));
    EXPECT_EQ(readAccountView(stdPath(), "vet", 20261210, 3).level, 40);
    EXPECT_EQ(readAccountView(stdPath(), "vet", 20261210, 3).losses, 35u);
    write(server::formatAccounts({ann, bob, cat}));
    // The server may grant more reliefs a day than the default.
    EXPECT_EQ(readAccountView(stdPath(), "猫 %#", 20261210, 5).reliefLeft, 2);
}

TEST_F(AccountFile, NoFileAndAFileThatCannotBeRead) {
    EXPECT_EQ(readAccountView("", "ann", 20261210, 3).status, AccountView::Status::NoFile);
    EXPECT_EQ(readAccountView(stdPath(), "ann", 20261210, 3).status, AccountView::Status::NoFile);
    // A folder where the file should be: there, but not readable as a file.
    const AccountView v = readAccountView(dir.path().toStdString(), "ann", 20261210, 3);
    EXPECT_EQ(v.status, AccountView::Status::Unreadable);
    EXPECT_FALSE(v.problem.empty());
}

int32_t today() { return server::localDate(std::chrono::system_clock::now()); }

// Bus datagrams and file notices arrive through the event loop; the limit only ends a broken run.
template <typename Pred>
bool pumpUntil(Pred done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::msleep(2);
    }
    return done();
}

TEST_F(AccountFile, TheLobbyReadsTheFileAgainAfterADeal) {
    QTemporaryDir busDir;
    WindowBus bus(busDir.path());
    LobbySettings s;
    s.account = QStringLiteral("ann");
    s.accountsFile = path();
    write(server::formatAccounts({{"bob", 7, 0, 0, 0, 1, 0, 0, 0}}));
    LobbyWindow lobby(s, bus);
    lobby.show();  // ann has not played on this server yet
    EXPECT_EQ(lobby.coinsLabel()->text(), QStringLiteral("—"));
    EXPECT_EQ(lobby.reliefLabel()->text(), QStringLiteral("—"));

    write(server::formatAccounts({{"ann", 123456, 0, 0, 0, 1, 0, 1, today()}}));
    ASSERT_TRUE(bus.postMessage(QStringLiteral("Kestrel山庄"), 1127));
    EXPECT_TRUE(pumpUntil([&] { return lobby.coinsLabel()->text() == QStringLiteral("123,456"); }))
        << lobby.coinsLabel()->text().toStdString();
    EXPECT_EQ(lobby.reliefLabel()->text(), QStringLiteral("还可领 2 次"));
    EXPECT_EQ(lobby.levelLabel()->text(), QStringLiteral("第一级 · 新手　0胜 0负"));

    // The server's own way of writing the file, between two of the lobby's events: seen all the same.
    std::string error;
    ASSERT_TRUE(server::writeFileAtomically(stdPath(), server::formatAccounts({{"ann", 56800, 0, 0, 1, 2, 0, 0, 0}}),
                                            error))
        << error;
    EXPECT_TRUE(pumpUntil([&] { return lobby.coinsLabel()->text() == QStringLiteral("56,800"); }))
        << lobby.coinsLabel()->text().toStdString();
    EXPECT_EQ(lobby.reliefLabel()->text(), QStringLiteral("还可领 3 次"));
    EXPECT_EQ(lobby.levelLabel()->text(), QStringLiteral("第一级 · 新手　0胜 1负"));

    write(server::formatAccounts({{"ann", 7, 0, 0, 0, 1, 0, 3, today()}}));
    lobby.showMinimized();
    lobby.showNormal();  // restored from the task bar
    EXPECT_EQ(lobby.coinsLabel()->text(), QStringLiteral("7"));
    EXPECT_EQ(lobby.reliefLabel()->text(), QStringLiteral("今日已领完"));

    write(server::formatAccounts({{"bob", 7, 0, 0, 0, 1, 0, 0, 0}}));
    lobby.refreshAccount();
    EXPECT_EQ(lobby.coinsLabel()->text(), QStringLiteral("—"));
    EXPECT_EQ(lobby.reliefLabel()->text(), QStringLiteral("—"));
}

// The table's window as the bus shows it to the lobby: every message it is sent, in order.
struct FakeTableWindow {
    QWidget window;
    std::vector<uint32_t> got;
    BusWindow bus;
    FakeTableWindow(const QString& title, const WindowBus& b) : bus(&window, title, b) {
        bus.setMessageProc([this](const WindowMessage& m) { got.push_back(m.msg); });
    }
};

TEST(LobbyWindow, AsksTheTableToReconnectOnceAfterItsFirstDealWhenTold) {
    QTemporaryDir busDir;
    WindowBus bus(busDir.path());
    LobbyWindow lobby(LobbySettings{}, bus);
    FakeTableWindow table(QStringLiteral("Vexal"), bus);
    ASSERT_TRUE(table.bus.isRegistered());
    // No table started by this lobby: nothing to reconnect by hand.
    EXPECT_FALSE(lobby.reconnectButton()->isEnabled());

    lobby.reconnectAfterDeal(30);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(bus.postMessage(QStringLiteral("Kestrel山庄"), 1127));
    EXPECT_TRUE(pumpUntil([&] { return !table.got.empty(); }));
    EXPECT_GE(clock.elapsed(), 30);
    EXPECT_EQ(table.got, std::vector<uint32_t>{22});
    // A later deal asks nothing more.
    ASSERT_TRUE(bus.postMessage(QStringLiteral("Kestrel山庄"), 1127));
    QElapsedTimer quiet;
    quiet.start();
    while (quiet.elapsed() < 200)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(table.got, std::vector<uint32_t>{22});

    // By hand, the button's own action.
    lobby.reconnectTable();
    EXPECT_TRUE(pumpUntil([&] { return table.got.size() == 2; }));
    EXPECT_EQ(table.got.back(), 22u);
}

TEST(LobbyWindow, ATableThatCannotStartCountsAsEndedAndTheNextEnterStartsAgain) {
    // The test program's folder holds no table program, so the start fails at once.
    QTemporaryDir busDir;
    WindowBus bus(busDir.path());
    LobbyWindow lobby(LobbySettings{}, bus);
    QSignalSpy ended(&lobby, &LobbyWindow::tableFinished);
    // 进入游戏 through the lobby's own window message, as a script presses it.
    ASSERT_TRUE(bus.postMessage(QStringLiteral("Kestrel山庄"), kLobbyEnterGame));
    ASSERT_TRUE(ended.wait(5000));
    EXPECT_TRUE(lobby.log()->toPlainText().contains("the table did not start"));
    EXPECT_EQ(lobby.tableState(), TableState::None);
    lobby.enterGame();
    ASSERT_TRUE(ended.count() == 2 || ended.wait(5000));
    EXPECT_FALSE(lobby.log()->toPlainText().contains("running already"));
}

}  // namespace
}  // namespace vexal
