// vexal: the table client, started by the lobby with the launch string.
#include "app/demo.h"
#include "app/mainloop.h"
#include "app/startup.h"
#include "media/resources.h"
#include "media/sound.h"
#include "platform/singleinstance.h"
#include "platform/windowbus.h"
#include "table/mainform.h"
#include "table/sessionview.h"
#include "app/wiring.h"
#include "table/round.h"
#include "table/tablesound.h"

#include <QApplication>
#include <QStringList>
#include <QTimer>

int main(int argc, char** argv) {
    // The felt is the largest picture and the first paint needs it: the other core decodes it
    // while the application connects to the display and the table is built.
    vexal::prefetchGifPicture(vexal::picture::kTableBackground);
    QApplication app(argc, argv);
    const QString programDir = QCoreApplication::applicationDirPath();
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();

    vexal::SessionState state;
    vexal::MainForm form(state);
    vexal::SystemClock clock;
    vexal::MainLoop loop(state, form, vexal::WindowBus(vexal::busFolder()), clock);
    vexal::SingleInstance instance(vexal::runtimeFolder());

    // The audio library would otherwise take SIGTERM and SIGINT for itself, and the lobby or a
    // terminal could no longer end the table.
    qputenv("SDL_NO_SIGNAL_HANDLERS", "1");
    vexal::Sound sound(programDir.toStdString());
    vexal::RoundView* round = vexal::installRound(loop, form, state, &sound);
    vexal::installDemo(loop, form, *round);
    vexal::installTableSound(loop, form, state, sound);
    vexal::installChat(loop, form, &sound, programDir.toStdString());
    vexal::installRules(loop, form, state);

    form.onClose = [&] {
        loop.removeMessageHook();
        sound.StopEffect();
        vexal::closeTableWindows(form);
    };

    vexal::StartupEnvironment env{args.join(QLatin1Char(' ')), programDir, nullptr, &sound};
    if (!vexal::startUp(loop, form, state, instance, env))
        return 0;

    // VEXAL_SCREENSHOT=path grabs the table window after VEXAL_SCREENSHOT_DELAY seconds (6).
    const QString shot = qEnvironmentVariable("VEXAL_SCREENSHOT");
    if (!shot.isEmpty()) {
        bool ok = false;
        int delay = qEnvironmentVariableIntValue("VEXAL_SCREENSHOT_DELAY", &ok);
        if (!ok)
            delay = 6;
        QTimer::singleShot(delay * 1000, &form, [&form, shot] {
            form.grab().save(shot);
            fprintf(stderr, "screenshot: %s\n", qPrintable(shot));
        });
    }
    return app.exec();
}
