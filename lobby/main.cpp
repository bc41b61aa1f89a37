// kestrel-lobby: shows the account and the room, starts the table and takes the player back to it.
#include "lobby/lobbywindow.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace {

const char* const kUsage =
    "usage: kestrel-lobby [--host HOST] [--port N] [--account NAME] [--password TEXT]\n"
    "                     [--location TEXT] [--proxy-type 0|5] [--proxy-host HOST] [--proxy-port N]\n"
    "                     [--proxy-user NAME] [--proxy-password TEXT] [--custom-title]\n"
    "                     [--lobby-title TEXT] [--caption TEXT] [--prop-switch 0|1] [--prop-number N]\n"
    "                     [--accounts FILE] [--reliefs-per-day N] [--autostart] [--quit-with-table]\n"
    "                     [--reconnect-after-ms N]\n"
    "  --reconnect-after-ms N  for tests: ask the table to reconnect (window message 22) N ms after\n"
    "                          it first reports a deal; the 重新连接 button under 高级 does it by hand\n";

}  // namespace

int main(int argc, char** argv) {
    // Options are read before the application object: the usage and option errors need no display.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    vexal::LobbySettings settings;
    vexal::LobbyStart start;
    QString error;
    if (!vexal::parseLobbyOptions(args, settings, start, error)) {
        std::fprintf(stderr, "kestrel-lobby: %s\n%s", qPrintable(error), kUsage);
        return 2;
    }
    QApplication app(argc, argv);
    vexal::LobbyWindow window(settings);
    window.show();
    if (start.quitWithTable)
        QObject::connect(&window, &vexal::LobbyWindow::tableFinished, &app, &QApplication::quit);
    if (start.reconnectAfterMs >= 0)
        window.reconnectAfterDeal(start.reconnectAfterMs);
    if (start.autostart)
        QTimer::singleShot(0, &window, &vexal::LobbyWindow::enterGame);
    return app.exec();
}
