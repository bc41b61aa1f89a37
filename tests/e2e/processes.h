// Real processes for the end-to-end tests: the programs of this build, their environment, and a
// process wrapper that gathers output and takes its children down with it.
#pragma once

#include <signal.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTcpServer>
#include <functional>
#include <memory>
#include <vector>

namespace e2e {

inline const QString kBin = QStringLiteral(VEXAL_BINARY_DIR "/bin");

// Headless, self-answering boxes, traces on, and a runtime folder per table so several tables can
// run for one user. A table that plays by itself takes its turns through its own controls (away
// mode makes its countdowns short).
inline QProcessEnvironment tableEnvironment(const QString& runtime, bool playsItself = false) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    env.insert(QStringLiteral("VEXAL_AUTO_ANSWER"), QStringLiteral("1"));
    env.insert(QStringLiteral("VEXAL_TRACE"), QStringLiteral("1"));
    env.insert(QStringLiteral("VEXAL_RUNTIME_DIR"), runtime);
    if (playsItself) {
        env.insert(QStringLiteral("VEXAL_AWAY"), QStringLiteral("1"));
        env.insert(QStringLiteral("VEXAL_AUTOPLAY"), QStringLiteral("1"));
    }
    return env;
}

inline quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Every process whose parent is `parent`: a lobby's tables.
inline std::vector<pid_t> childrenOf(qint64 parent) {
    std::vector<pid_t> found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (!ok)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (command) state ppid ...": the command may hold blanks, so read after its ')'.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1].toLongLong() == parent)
            found.push_back(static_cast<pid_t>(pid));
    }
    return found;
}

// A lobby leaves a running table alone when it ends itself, so a test ends the tables its
// lobbies started together with the lobby.
struct Proc {
    std::unique_ptr<QProcess> p = std::make_unique<QProcess>();
    QString out;
    void pump(int ms = 50) {
        p->waitForReadyRead(ms);
        out += QString::fromUtf8(p->readAll());
    }
    Proc() = default;
    Proc(Proc&&) = default;
    ~Proc() {
        if (!p || p->state() == QProcess::NotRunning)
            return;
        for (pid_t child : childrenOf(p->processId())) ::kill(child, SIGKILL);
        p->kill();
        p->waitForFinished(5000);
    }
};

// End-to-end runs use real timers; the limit only stops a broken run from hanging.
inline bool waitFor(std::vector<Proc*> procs, const std::function<bool()>& done, int limitMs = 90000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limitMs)
            return false;
        for (Proc* p : procs) p->pump(20);
    }
    return true;
}

// Starts one of this build's programs with its output merged into `out`.
inline void start(Proc& proc, const QString& program, const QStringList& args,
                  const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    proc.p->setProcessEnvironment(env);
    proc.p->setProcessChannelMode(QProcess::MergedChannels);
    proc.p->start(kBin + QLatin1Char('/') + program, args);
}

// vexal-server on `port` with these flags; true once it listens.
inline bool startServer(Proc& server, quint16 port, const QStringList& flags) {
    start(server, QStringLiteral("vexal-server"),
          QStringList{QStringLiteral("--port"), QString::number(port), QStringLiteral("--log-level"),
                      QStringLiteral("info")} +
              flags);
    return waitFor(
        {&server}, [&] { return server.out.contains(QStringLiteral("listening")); }, 20000);
}

}  // namespace e2e
