// Whether the machine has a browser that would open the information page, read from fake
// application folders and $BROWSER values: a launcher or an entry without a program behind it is
// no browser.
#include "platform/browser.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace vexal;

namespace {

class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        program = dir.path() + QStringLiteral("/bin/webview");
        write(program, "#!/bin/sh\nexit 0\n");
        ASSERT_TRUE(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
    static void write(const QString& path, const QByteArray& text) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    // An application folder holding one entry, `name` under it.
    QString appsWith(const QString& name, const QByteArray& entry) {
        const QString apps = dir.path() + QStringLiteral("/apps-%1").arg(++m_folders);
        write(apps + QLatin1Char('/') + name, entry);
        return apps;
    }
    QByteArray entry(const QByteArray& mime, const QString& exec, const QByteArray& extra = {}) const {
        return "[Desktop Entry]\nType=Application\nName=Web\nExec=" + exec.toUtf8() +
               " %u\nMimeType=" + mime + "\n" + extra;
    }

    QTemporaryDir dir;
    QString program;
    int m_folders = 0;
};

TEST_F(BrowserTest, AnHttpHandlerWithItsProgramOrARunnableBrowserVariableIsABrowser) {
    const QString missing = dir.path() + QStringLiteral("/bin/gone");
    const QByteArray http = "text/html;x-scheme-handler/http;x-scheme-handler/https;";
    struct Case {
        const char* what;
        QStringList apps;
        QString variable;
        bool browser;
    };
    const Case cases[] = {
        {"nothing at all", {}, {}, false},
        {"empty folders", {dir.path() + QStringLiteral("/nothing")}, {}, false},
        {"an http handler", {appsWith(QStringLiteral("web.desktop"), entry(http, program))}, {}, true},
        {"in a subfolder", {appsWith(QStringLiteral("vendor/web.desktop"), entry(http, program))}, {}, true},
        {"its program is gone", {appsWith(QStringLiteral("web.desktop"), entry(http, missing))}, {}, false},
        {"TryExec names a gone program",
         {appsWith(QStringLiteral("web.desktop"),
                   entry(http, program, "TryExec=" + missing.toUtf8() + "\n"))},
         {},
         false},
        {"html files only",
         {appsWith(QStringLiteral("viewer.desktop"), entry("text/html;", program))},
         {},
         false},
        {"https only",
         {appsWith(QStringLiteral("web.desktop"), entry("x-scheme-handler/https;", program))},
         {},
         false},
        {"hidden",
         {appsWith(QStringLiteral("web.desktop"), entry(http, program, "Hidden=true\n"))},
         {},
         false},
        {"the handler line belongs to an action",
         {appsWith(QStringLiteral("web.desktop"), "[Desktop Entry]\nExec=" + program.toUtf8() +
                                                      "\n[Desktop Action open]\nMimeType=" + http + "\n")},
         {},
         false},
        {"not a desktop entry", {appsWith(QStringLiteral("web.txt"), entry(http, program))}, {}, false},
        {"$BROWSER runs", {}, program, true},
        {"$BROWSER with arguments", {}, program + QStringLiteral(" --new-window"), true},
        {"$BROWSER's second command runs", {}, missing + QLatin1Char(':') + program, true},
        {"$BROWSER names nothing that runs", {}, missing + QStringLiteral(":no-such-browser-here"), false},
    };
    for (const Case& c : cases) EXPECT_EQ(browserInstalled(c.apps, c.variable), c.browser) << c.what;
}

}  // namespace
