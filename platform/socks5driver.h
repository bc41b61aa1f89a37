// Runs the SOCKS5 handshake over the game socket: `ConnectToSock5Server` and its replies.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

#include "net/rings.h"
#include "net/socks5.h"
#include "platform/socketadapter.h"

namespace vexal {

// The time limit on the proxy's TCP connection, behind an interface so tests fire it themselves.
class ConnectDeadline {
public:
    virtual ~ConnectDeadline() = default;
    virtual void start(int ms, std::function<void()> expired) = 0;
    virtual void stop() = 0;
};

class TimerConnectDeadline : public ConnectDeadline {
public:
    TimerConnectDeadline();
    void start(int ms, std::function<void()> expired) override;
    void stop() override;

private:
    QTimer m_timer;
    std::function<void()> m_expired;
};

class Socks5Driver : public QObject {
    Q_OBJECT
public:
    static constexpr int kConnectTimeoutMs = 10000;

    // Without a deadline the driver uses a QTimer.
    Socks5Driver(SocketAdapter& socket, Transport& transport, std::unique_ptr<ConnectDeadline> deadline = {},
                 QObject* parent = nullptr);

    // Resets the ring positions, routes arriving bytes to the handshake and connects to the proxy.
    // The rest happens in the socket's events and ends in `through` or `failed`.
    void ConnectToSock5Server(const QString& proxyHost, quint16 proxyPort, const Socks5Settings& settings);
    // Stops a handshake in progress without a message (the table is being reset or left).
    void abort();

    bool running() const { return m_running; }
    Socks5Handshake::State state() const { return m_handshake.state(); }

signals:
    // The proxy accepted the TCP connection and the greeting is out: the login counts as sent and
    // the connection watch starts.
    void proxyConnected();
    // The proxy connected us to the game server. Game bytes that came with its reply are already in
    // the ReceiveRing. Next: message 771 to the lobby, "连接代理服务器成功！", the kept login frame
    // straight to the socket, and the main timer.
    void through();
    // The handshake failed and the socket is closed; the message goes to a message box. Nothing retries.
    void failed(const QString& message);

private:
    void onConnected();
    void onDataArrival();
    void onClosed();
    void onSocketFailed();
    void fail(std::string_view message);

    SocketAdapter& m_socket;
    Transport& m_transport;
    std::unique_ptr<ConnectDeadline> m_deadline;
    Socks5Handshake m_handshake;
    bool m_running = false;
};

}  // namespace vexal
