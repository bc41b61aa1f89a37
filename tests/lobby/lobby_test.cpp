#include "lobby/lobbywindow.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace vexal {
namespace {

TEST(LobbyOptions, ReadsSettingsAndWhatTheLobbyDoesByItself) {
    struct Case {
        QStringList args;
        bool ok;
        bool autostart;
        bool quitWithTable;
        QString error;
    };
    const Case cases[] = {
        {{}, true, false, false, {}},
        {{"--autostart", "--quit-with-table", "--port", "7001", "--account", "ann"}, true, true, true, {}},
        {{"--quit-with-table"}, true, false, true, {}},
        {{"--port", "x"}, false, false, false, "not a number: --port x"},
        {{"--account"}, false, false, false, "missing value for --account"},
        {{"--teleport", "1"}, false, false, false, "unknown option --teleport"},
        {{"--teleport"}, false, false, false, "unknown option --teleport"},  // not "missing value"
    };
    for (const Case& c : cases) {
        LobbySettings s;
        LobbyStart start{true, true};  // whatever it held before, parsing starts afresh
        QString error;
        EXPECT_EQ(parseLobbyOptions(c.args, s, start, error), c.ok) << c.args.join(' ').toStdString();
        if (!c.ok) {
            EXPECT_EQ(error, c.error);
            continue;
        }
        EXPECT_EQ(start.autostart, c.autostart) << c.args.join(' ').toStdString();
        EXPECT_EQ(start.quitWithTable, c.quitWithTable) << c.args.join(' ').toStdString();
    }
    LobbySettings s;
    LobbyStart start;
    QString error;
    ASSERT_TRUE(parseLobbyOptions({"--port", "7001", "--account", "ann"}, s, start, error));
    EXPECT_EQ(s.port, 7001);
    EXPECT_EQ(s.account, "ann");
}

TEST(LobbyWindow, ATableThatCannotStartCountsAsEnded) {
    // The test program's folder holds no table program, so the start fails at once.
    LobbyWindow lobby(LobbySettings{});
    QSignalSpy ended(&lobby, &LobbyWindow::tableFinished);
    lobby.startTable();
    ASSERT_TRUE(ended.count() == 1 || ended.wait(5000));
    EXPECT_TRUE(lobby.log()->toPlainText().contains("the table did not start"));
}

}  // namespace
}  // namespace vexal
