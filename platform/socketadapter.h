// The game connection's socket: a QTcpSocket seen through the states and events the client tests.
#pragma once

#include <QObject>
#include <QString>
#include <QTcpSocket>

#include "net/socketport.h"

namespace vexal {

class SocketAdapter : public QObject, public SocketPort {
    Q_OBJECT
public:
    // States besides connected (7) and closed (0), as the client's socket control numbered them.
    static constexpr int kStateBound = 1;
    static constexpr int kStateListening = 2;
    static constexpr int kStateResolving = 4;
    static constexpr int kStateConnecting = 6;
    static constexpr int kStateClosing = 8;
    static constexpr int kStateError = 9;  // the last connect or transfer failed; closed since

    explicit SocketAdapter(QObject* parent = nullptr);

    int state() const override;
    void sendBytes(std::span<const uint8_t> bytes) override;
    std::vector<uint8_t> readAvailable() override;

    // Sets the remote host and port and connects; any earlier connection is dropped first.
    void connectTo(const QString& host, quint16 port);
    void close();
    QString lastError() const { return m_lastError; }
    // The system's handle of the connection, -1 while there is none.
    qintptr socketDescriptor() const { return m_socket.socketDescriptor(); }

signals:
    void connected();
    // Bytes are waiting; nothing is read until someone calls readAvailable().
    void dataArrival();
    // The peer closed the connection or it was lost.
    void closed();
    // Connecting or the connection failed (refused, host not found, reset).
    void failed(const QString& error);

private:
    QTcpSocket m_socket;
    bool m_error = false;
    QString m_lastError;
};

}  // namespace vexal
