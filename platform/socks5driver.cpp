#include "platform/socks5driver.h"

namespace vexal {

TimerConnectDeadline::TimerConnectDeadline() {
    m_timer.setSingleShot(true);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        if (m_expired) m_expired();
    });
}

void TimerConnectDeadline::start(int ms, std::function<void()> expired) {
    m_expired = std::move(expired);
    m_timer.start(ms);
}

void TimerConnectDeadline::stop() { m_timer.stop(); }

Socks5Driver::Socks5Driver(SocketAdapter& socket, Transport& transport, std::unique_ptr<ConnectDeadline> deadline,
                           QObject* parent)
    : QObject(parent), m_socket(socket), m_transport(transport), m_deadline(std::move(deadline)) {
    if (!m_deadline) m_deadline = std::make_unique<TimerConnectDeadline>();
    connect(&m_socket, &SocketAdapter::connected, this, &Socks5Driver::onConnected);
    connect(&m_socket, &SocketAdapter::dataArrival, this, &Socks5Driver::onDataArrival);
    connect(&m_socket, &SocketAdapter::closed, this, &Socks5Driver::onClosed);
    connect(&m_socket, &SocketAdapter::failed, this, &Socks5Driver::onSocketFailed);
}

void Socks5Driver::ConnectToSock5Server(const QString& proxyHost, quint16 proxyPort, const Socks5Settings& settings) {
    m_transport.resetPositions();
    m_transport.gameData = false;
    m_handshake = Socks5Handshake(settings);
    m_running = true;
    // The original waited for the proxy without a limit; a proxy that never answers would leave the
    // table waiting for ever without a word.
    m_deadline->start(kConnectTimeoutMs, [this] {
        if (m_running && m_handshake.state() == Socks5Handshake::State::Idle) fail(kProxyTimedOut);
    });
    m_socket.connectTo(proxyHost, proxyPort);
}

void Socks5Driver::abort() {
    m_deadline->stop();
    m_running = false;
}

void Socks5Driver::onConnected() {
    if (!m_running || m_handshake.state() != Socks5Handshake::State::Idle) return;
    m_deadline->stop();
    m_socket.sendBytes(m_handshake.start());
    emit proxyConnected();
}

void Socks5Driver::onDataArrival() {
    if (!m_running || m_transport.gameData) return;
    const std::vector<uint8_t> bytes = m_socket.readAvailable();
    const Socks5Handshake::Step step = m_handshake.feed(bytes);
    switch (step.action) {
    case Socks5Handshake::Step::Action::Wait: return;
    case Socks5Handshake::Step::Action::Send: m_socket.sendBytes(step.send); return;
    case Socks5Handshake::Step::Action::Fail: fail(step.message); return;
    case Socks5Handshake::Step::Action::Through:
        m_running = false;
        m_transport.gameData = true;
        // The ring positions were just reset, so a reply's trailing bytes always fit.
        acceptGameBytes(m_transport, step.gameBytes);
        emit through();
        return;
    }
}

void Socks5Driver::onClosed() {
    if (!m_running) return;
    const Socks5Handshake::Step step = m_handshake.socketClosed();
    if (step.action == Socks5Handshake::Step::Action::Fail) fail(step.message);
}

void Socks5Driver::onSocketFailed() {
    if (!m_running) return;
    if (m_handshake.state() == Socks5Handshake::State::Idle)
        fail(kProxyUnreachable);
    else
        onClosed();
}

void Socks5Driver::fail(std::string_view message) {
    m_running = false;
    m_deadline->stop();
    m_socket.close();
    emit failed(QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size())));
}

}  // namespace vexal
