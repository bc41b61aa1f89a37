#include "platform/windowbus.h"

#include "platform/trace.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace vexal {

namespace {

constexpr size_t kDatagramSize = 4 + 8 + 8;

bool fillAddress(const QString& path, sockaddr_un& addr) {
    const QByteArray bytes = QFile::encodeName(path);
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (static_cast<size_t>(bytes.size()) >= sizeof addr.sun_path)
        return false;
    std::memcpy(addr.sun_path, bytes.constData(), static_cast<size_t>(bytes.size()));
    return true;
}

QString describe(const QString& title, const WindowMessage& m) {
    return QStringLiteral("%1 %2 %3 %4").arg(title).arg(m.msg).arg(m.wParam).arg(m.lParam);
}

// True when a live socket answers at the path (a stale file from a dead process does not).
bool someoneListens(const QString& path) {
    sockaddr_un addr;
    if (!fillAddress(path, addr))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

QString runtimeFolder() {
    QString dir = qEnvironmentVariable("VEXAL_RUNTIME_DIR");
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QStringLiteral("/tmp/vexal-%1").arg(::getuid());
    QDir().mkpath(dir);
    return dir;
}

QString busFolder(const QString& runtime) {
    const QString dir = runtime + QStringLiteral("/vexal-bus");
    QDir().mkpath(dir);
    return dir;
}

WindowBus::WindowBus(QString folder) : m_folder(std::move(folder)) {}

QString WindowBus::pathFor(const QString& title) const {
    const QByteArray hash = QCryptographicHash::hash(title.toUtf8(), QCryptographicHash::Sha1).toHex();
    return m_folder + QLatin1Char('/') + QString::fromLatin1(hash.left(24));
}

bool WindowBus::findWindow(const QString& title) const {
    return !title.isEmpty() && someoneListens(pathFor(title));
}

bool WindowBus::postMessage(const QString& title, uint32_t msg, int64_t wParam, int64_t lParam) const {
    const WindowMessage m{msg, wParam, lParam};
    sockaddr_un addr;
    if (title.isEmpty() || !fillAddress(pathFor(title), addr)) {
        trace("post-failed", describe(title, m));
        return false;
    }
    unsigned char data[kDatagramSize];
    std::memcpy(data, &m.msg, 4);
    std::memcpy(data + 4, &m.wParam, 8);
    std::memcpy(data + 12, &m.lParam, 8);
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    const ssize_t sent =
        ::sendto(fd, data, sizeof data, 0, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    ::close(fd);
    const bool ok = sent == static_cast<ssize_t>(sizeof data);
    trace(ok ? "post" : "post-failed", describe(title, m));
    return ok;
}

BusWindow::BusWindow(QWidget* window, const QString& title, const WindowBus& bus)
    : m_window(window), m_bus(bus) {
    qRegisterMetaType<WindowMessage>();
    m_proc = defaultMessageProc();
    bindTitle(title);
}

BusWindow::~BusWindow() { unbind(); }

bool BusWindow::setTitle(const QString& title) {
    if (title == m_title && isRegistered())
        return true;
    unbind();
    return bindTitle(title);
}

bool BusWindow::bindTitle(const QString& title) {
    m_title = title;
    if (title.isEmpty())
        return false;
    const QString path = m_bus.pathFor(title);
    if (someoneListens(path))
        return false;
    sockaddr_un addr;
    if (!fillAddress(path, addr))
        return false;
    ::unlink(addr.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_path = path;
    m_notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &BusWindow::readPending);
    return true;
}

void BusWindow::unbind() {
    if (m_fd < 0)
        return;
    m_notifier.reset();
    ::close(m_fd);
    m_fd = -1;
    QFile::remove(m_path);
    m_path.clear();
}

BusWindow::MessageProc BusWindow::setMessageProc(MessageProc proc) {
    MessageProc previous = std::move(m_proc);
    m_proc = proc ? std::move(proc) : defaultMessageProc();
    return previous;
}

BusWindow::MessageProc BusWindow::defaultMessageProc() {
    QPointer<QWidget> window = m_window;
    return [window](const WindowMessage& m) {
        if (!window || m.msg != kWmSysCommand)
            return;
        if (m.wParam == kScRestore) {
            window->showNormal();
            window->raise();
            window->activateWindow();
        } else if (m.wParam == kScMinimize) {
            window->showMinimized();
        }
    };
}

void BusWindow::deliver(const WindowMessage& message) {
    emit messageReceived(message);
    // Copied: the procedure may replace itself while it runs.
    const MessageProc proc = m_proc;
    if (proc)
        proc(message);
}

void BusWindow::readPending() {
    // One datagram per notification: the notifier fires again while more wait, and the message
    // procedure may close this window, so nothing of ours is touched after it runs.
    unsigned char data[kDatagramSize];
    const ssize_t got = ::recv(m_fd, data, sizeof data, 0);
    if (got != static_cast<ssize_t>(sizeof data))
        return;  // drained, or not one of ours
    WindowMessage m;
    std::memcpy(&m.msg, data, 4);
    std::memcpy(&m.wParam, data + 4, 8);
    std::memcpy(&m.lParam, data + 12, 8);
    trace("recv", describe(m_title, m));
    deliver(m);
}

}  // namespace vexal
