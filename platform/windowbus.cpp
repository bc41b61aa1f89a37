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

// The address of a socket file. A path too long for sun_path (108 bytes with the end) is reached
// through the folder: the folder is opened and the socket named relative to the process's handle
// on it, "/proc/self/fd/N/name", which fits whatever the folder's path is. Binding, connecting and
// sending all go through the same file, so two processes that share a folder meet there and two
// folders stay apart.
class SocketAddress {
public:
    explicit SocketAddress(const QString& path) {
        std::memset(&m_addr, 0, sizeof m_addr);
        m_addr.sun_family = AF_UNIX;
        const QByteArray bytes = QFile::encodeName(path);
        if (static_cast<size_t>(bytes.size()) < sizeof m_addr.sun_path) {
            std::memcpy(m_addr.sun_path, bytes.constData(), static_cast<size_t>(bytes.size()));
            m_ok = true;
            return;
        }
        const int slash = bytes.lastIndexOf('/');
        const QByteArray folder = slash > 0 ? bytes.left(slash) : QByteArrayLiteral("/");
        m_folderFd = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (m_folderFd < 0) {
            m_errno = errno;
            return;
        }
        const QByteArray viaFolder = "/proc/self/fd/" + QByteArray::number(m_folderFd) + bytes.mid(slash);
        if (static_cast<size_t>(viaFolder.size()) >= sizeof m_addr.sun_path) {
            m_errno = ENAMETOOLONG;
            return;
        }
        std::memcpy(m_addr.sun_path, viaFolder.constData(), static_cast<size_t>(viaFolder.size()));
        m_ok = true;
    }
    ~SocketAddress() {
        if (m_folderFd >= 0)
            ::close(m_folderFd);
    }
    SocketAddress(const SocketAddress&) = delete;
    SocketAddress& operator=(const SocketAddress&) = delete;

    // False with the reason in error() when the folder cannot be opened.
    bool ok() const { return m_ok; }
    int error() const { return m_errno; }
    const sockaddr* get() const { return reinterpret_cast<const sockaddr*>(&m_addr); }
    socklen_t size() const { return sizeof m_addr; }

private:
    sockaddr_un m_addr;
    int m_folderFd = -1;
    bool m_ok = false;
    int m_errno = 0;
};

QString describe(const QString& title, const WindowMessage& m) {
    return QStringLiteral("%1 %2 %3 %4").arg(title).arg(m.msg).arg(m.wParam).arg(m.lParam);
}

// True when a live socket answers at the path (a stale file from a dead process does not).
bool someoneListens(const QString& path) {
    const SocketAddress addr(path);
    if (!addr.ok())
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool ok = ::connect(fd, addr.get(), addr.size()) == 0;
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
    if (title.isEmpty()) {
        trace("post-failed", describe(title, m));
        return false;
    }
    const SocketAddress addr(pathFor(title));
    if (!addr.ok()) {
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
    const ssize_t sent = ::sendto(fd, data, sizeof data, 0, addr.get(), addr.size());
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
    m_error.clear();
    if (title.isEmpty())
        return false;
    const QString path = m_bus.pathFor(title);
    if (someoneListens(path)) {
        m_error = QStringLiteral("another window already holds the title ") + title;
        return false;
    }
    auto failed = [&](const char* step, int error) {
        const QString reason = QString::fromLocal8Bit(std::strerror(error));
        m_error = QStringLiteral("cannot register the title %1: %2 %3: %4 (errno %5)")
                      .arg(title, QString::fromLatin1(step), path, reason)
                      .arg(error);
        return false;
    };
    const SocketAddress addr(path);
    if (!addr.ok())
        return failed("opening the folder of", addr.error());
    // A file left by a process that is gone names no window.
    ::unlink(QFile::encodeName(path).constData());
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return failed("making a socket for", errno);
    if (::bind(fd, addr.get(), addr.size()) != 0) {
        const int error = errno;
        ::close(fd);
        return failed("binding", error);
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
