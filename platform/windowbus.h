// Window lookup by title and posted window messages between our processes (table and lobby).
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace vexal {

// Message numbers shared with the lobby. Restore and minimise travel as system commands.
constexpr uint32_t kWmSysCommand = 0x0112;
constexpr int64_t kScRestore = 0xF120;
constexpr int64_t kScMinimize = 0xF020;

struct WindowMessage {
    uint32_t msg = 0;
    int64_t wParam = 0;
    int64_t lParam = 0;
};

// The per-user folder where windows register and the single-instance lock lives:
// $VEXAL_RUNTIME_DIR when set (tests run several tables side by side with their own folders),
// else the user's runtime location, else a per-user folder under /tmp.
QString runtimeFolder();
// The bus folder inside a runtime folder.
QString busFolder(const QString& runtime = runtimeFolder());

// Finding and posting. Posting never blocks: a full or vanished receiver drops the message,
// as a posted window message to a dead window would be lost.
class WindowBus {
public:
    explicit WindowBus(QString folder = busFolder());
    const QString& folder() const { return m_folder; }
    // The socket path a title registers at (hashed: titles may hold any character).
    QString pathFor(const QString& title) const;
    bool findWindow(const QString& title) const;
    bool postMessage(const QString& title, uint32_t msg, int64_t wParam = 0, int64_t lParam = 0) const;

private:
    QString m_folder;
};

// One registered top-level window. The default message procedure carries out restore and
// minimise on the window; setMessageProc installs a hook and hands back the one it replaces.
class BusWindow : public QObject {
    Q_OBJECT
public:
    using MessageProc = std::function<void(const WindowMessage&)>;

    BusWindow(QWidget* window, const QString& title, const WindowBus& bus = WindowBus());
    ~BusWindow() override;

    // False when another live window holds the title or the socket cannot be made; error() then
    // says which, with the socket's path and the system's reason for the latter.
    bool isRegistered() const { return m_fd >= 0; }
    const QString& error() const { return m_error; }
    const QString& title() const { return m_title; }
    bool setTitle(const QString& title);

    MessageProc setMessageProc(MessageProc proc);
    MessageProc defaultMessageProc();
    // Runs the current procedure, as a received message does.
    void deliver(const WindowMessage& message);

signals:
    void messageReceived(const vexal::WindowMessage& message);

private:
    bool bindTitle(const QString& title);
    void unbind();
    void readPending();

    QPointer<QWidget> m_window;
    WindowBus m_bus;
    QString m_title;
    QString m_path;
    QString m_error;
    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    MessageProc m_proc;
};

}  // namespace vexal

Q_DECLARE_METATYPE(vexal::WindowMessage)
