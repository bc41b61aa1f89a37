#include "app/startup.h"

#include "core/launchparams.h"
#include "net/messages/login.h"
#include "app/mainloop.h"
#include "core/videosetting.h"
#include "media/sound.h"
#include "platform/messagebox.h"
#include "platform/singleinstance.h"
#include "platform/trace.h"
#include "table/mainform.h"

#include <QGuiApplication>
#include <QScreen>

#include <cstdio>

namespace vexal {

namespace {

const QString kWarning = QStringLiteral("警告");

QString q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Failure path: restore the lobby (which itself ends the process when its title names no
// window), then end without a message.
bool fail(MainLoop& loop, const char* why) {
    trace("startup-failed", QString::fromLatin1(why));
    loop.restoreLobby();
    loop.endProcess();
    return false;
}

}  // namespace

QString lobbyTitleField(const QString& commandLine) {
    const QStringList fields = commandLine.trimmed().split(QLatin1Char('$'));
    // Twelve fields need eleven "$" before the twelfth's text.
    return fields.size() >= 12 ? fields[11] : QString();
}

bool startUp(MainLoop& loop, MainForm& form, SessionState& state, SingleInstance& instance,
             const StartupEnvironment& env) {
    loop.transport().resetPositions();

    if (!instance.acquire()) {
        messageBox(&form, QStringLiteral("新Vexal已经运行！"), kWarning);
        loop.restoreLobby();
        loop.endProcess();
        return false;
    }

    state.turnTimeLimit = 15;
    form.WebBrowser1->hide();
    const QSize screen = env.screen ? *env.screen
                         : QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->size()
                                                            : QSize(1024, 768);
    form.sizeForScreen(screen);

    loop.scheduler().disarmAll();
    // The device opens with the table and the tune starts looped, before anything else can use
    // the effect buffer.
    if (env.sound)
        env.sound->startUp();
    form.stopShuffle();

    const QString line = env.commandLine.trimmed();
    if (line.isEmpty()) {
        messageBox(&form, q(kMissingLaunchText), q(kStartupCaption));
        loop.endProcess();
        return false;
    }
    // While parsing, the lobby's title is field 12; a failure restores that window.
    loop.setLobbyTitle(lobbyTitleField(line));
    const LaunchParseResult parsed = parseLaunchParameters(line.toStdString());
    if (const auto* failure = std::get_if<LaunchFailure>(&parsed)) {
        if (failure->kind == LaunchFailureKind::EmptyCommandLine) {
            messageBox(&form, q(kMissingLaunchText), q(kStartupCaption));
            loop.endProcess();
            return false;
        }
        return fail(loop, "launch string");
    }
    state.launch = std::get<LaunchParameters>(parsed);
    state.own = ownPlayerFrom(state.launch);
    // Until the server describes the own seat, the table knows its player by the launch account.
    state.shownNames[0] = state.launch.account;
    loop.setLobbyTitle(q(state.launch.lobbyTitle));
    form.setLocationText(q(state.launch.shownLocation()), state.launch.locationNeedsSmallerFont());

    const std::optional<bool> video = readVideoSetting(env.programDir.toStdString());
    if (!video)
        return fail(loop, "video setting");
    state.videoEnabled = *video;

    form.clearSysmsg(0);
    form.setSysmsg(0, QStringLiteral("正在连接服务器..."));

    loop.stopMainTimer();
    loop.transport().gameData = true;
    const LoginFrameResult login = buildLoginFrame(state.launch.account, state.launch.password);
    if (!login.frame)
        return fail(loop, "login frame");
    loop.loginFrame() = *login.frame;

    loop.openConnection();

    loop.restoreLobby();

    const QString caption = state.launch.customTitle ? q(state.launch.tableCaption) : QStringLiteral("Vexal");
    form.setWindowTitle(caption);
    // Without its bus socket the table still plays, but the lobby cannot reach it: say why.
    if (!loop.registerTableWindow(caption) && !loop.tableBusWindow()->error().isEmpty())
        std::fprintf(stderr, "vexal: %s\n", qPrintable(loop.tableBusWindow()->error()));
    form.show();
    if (state.launch.customTitle)
        state.turnTimeLimit = 15;
    else
        loop.setLobbyTitle(q(kLobbyTitle));

    state.own.seatBit = 0;
    loop.installMessageHook();
    return true;
}

}  // namespace vexal
