// kestrel-lobby: collects the server, account and proxy settings and starts the table.
#include "lobby/lobbywindow.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    vexal::LobbySettings settings;
    bool autostart = false;
    QString error;
    if (!vexal::parseLobbyOptions(args, settings, autostart, error)) {
        std::fprintf(stderr, "kestrel-lobby: %s\n", qPrintable(error));
        return 2;
    }
    vexal::LobbyWindow window(settings);
    window.show();
    if (autostart)
        QTimer::singleShot(0, &window, &vexal::LobbyWindow::startTable);
    return app.exec();
}
