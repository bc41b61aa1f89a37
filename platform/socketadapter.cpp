#include "platform/socketadapter.h"

namespace vexal {

SocketAdapter::SocketAdapter(QObject* parent) : QObject(parent) {
    connect(&m_socket, &QTcpSocket::connected, this, [this] {
        m_error = false;
        // Frames are small and each one is a move somebody waits for. With Nagle's algorithm a
        // frame written soon after another one still unacknowledged (a keep-alive, say) waits for
        // the server's delayed acknowledgement, about 40 ms. Through a proxy this is the
        // connection to the proxy, which then carries the game, so the option holds there too.
        m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        emit connected();
    });
    connect(&m_socket, &QTcpSocket::readyRead, this, &SocketAdapter::dataArrival);
    connect(&m_socket, &QTcpSocket::disconnected, this, &SocketAdapter::closed);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
        m_error = true;
        m_lastError = m_socket.errorString();
        emit failed(m_lastError);
    });
}

int SocketAdapter::state() const {
    switch (m_socket.state()) {
    case QAbstractSocket::UnconnectedState: return m_error ? kStateError : kSocketClosed;
    case QAbstractSocket::HostLookupState: return kStateResolving;
    case QAbstractSocket::ConnectingState: return kStateConnecting;
    case QAbstractSocket::ConnectedState: return kSocketConnected;
    case QAbstractSocket::BoundState: return kStateBound;
    case QAbstractSocket::ListeningState: return kStateListening;
    case QAbstractSocket::ClosingState: return kStateClosing;
    }
    return kSocketClosed;
}

void SocketAdapter::sendBytes(std::span<const uint8_t> bytes) {
    m_socket.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

std::vector<uint8_t> SocketAdapter::readAvailable() {
    const QByteArray data = m_socket.readAll();
    return std::vector<uint8_t>(data.begin(), data.end());
}

void SocketAdapter::connectTo(const QString& host, quint16 port) {
    m_socket.abort();
    m_error = false;
    m_socket.connectToHost(host, port);
}

void SocketAdapter::close() {
    m_error = false;
    // A connected socket first hands its written bytes to the system, so a leave frame written just
    // before still goes out; a connection still being made is dropped at once.
    if (m_socket.state() == QAbstractSocket::ConnectedState)
        m_socket.close();
    else
        m_socket.abort();
}

}  // namespace vexal
