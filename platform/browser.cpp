#include "platform/browser.h"

#include <QDesktopServices>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>

namespace vexal {

namespace {

// The program a command line starts, when it can be run (a path or a name on $PATH).
bool canRun(const QString& commandLine) {
    const QStringList words = QProcess::splitCommand(commandLine);
    if (words.isEmpty())
        return false;
    return !QStandardPaths::findExecutable(words.first()).isEmpty();
}

// One desktop entry that opens http addresses with a program that is there.
bool opensHttp(const QString& desktopFile) {
    QFile file(desktopFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QTextStream in(&file);
    bool inEntry = false;
    bool http = false;
    bool hidden = false;
    QString exec;
    QString tryExec;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inEntry)
            continue;
        if (line.startsWith(QLatin1String("MimeType="))) {
            const QStringList types = line.mid(9).split(QLatin1Char(';'), Qt::SkipEmptyParts);
            http = types.contains(QLatin1String("x-scheme-handler/http"));
        } else if (line.startsWith(QLatin1String("Exec="))) {
            exec = line.mid(5);
        } else if (line.startsWith(QLatin1String("TryExec="))) {
            tryExec = line.mid(8);
        } else if (line == QLatin1String("Hidden=true")) {
            hidden = true;
        }
    }
    if (!http || hidden)
        return false;
    return canRun(tryExec.isEmpty() ? exec : tryExec);
}

}  // namespace

bool browserInstalled(const QStringList& applicationDirs, const QString& browserVariable) {
    for (const QString& command : browserVariable.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (canRun(command))
            return true;
    for (const QString& dir : applicationDirs) {
        QDirIterator it(dir, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            if (opensHttp(it.next()))
                return true;
    }
    return false;
}

bool browserInstalled() {
    return browserInstalled(QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation),
                            qEnvironmentVariable("BROWSER"));
}

bool openInBrowser(const QUrl& url) {
    return browserInstalled() && QDesktopServices::openUrl(url);
}

}  // namespace vexal
