#include "platform/socketadapter.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace vexal {
namespace {

constexpr int kGenerousMs = 15000;

quint16 unusedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Whether the system sends small writes at once on the adapter's connection (TCP_NODELAY),
// read from the socket itself rather than from what the adapter believes.
bool noDelay(const SocketAdapter& socket) {
    int on = 0;
    socklen_t size = sizeof on;
    const auto fd = static_cast<int>(socket.socketDescriptor());
    return fd >= 0 && getsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, &size) == 0 && on != 0;
}

TEST(SocketAdapter, StatesFromConnectToClose) {
    QTcpServer peer;
    ASSERT_TRUE(peer.listen(QHostAddress::LocalHost, 0));
    SocketAdapter socket;
    EXPECT_EQ(socket.state(), kSocketClosed);

    QSignalSpy connected(&socket, &SocketAdapter::connected);
    socket.connectTo("127.0.0.1", peer.serverPort());
    const int between = socket.state();
    EXPECT_NE(between, kSocketConnected);
    EXPECT_NE(between, kSocketClosed);
    ASSERT_TRUE(QTest::qWaitFor([&] { return connected.count() == 1; }, kGenerousMs));
    EXPECT_EQ(socket.state(), kSocketConnected);
    // A small frame leaves at once instead of waiting behind an unacknowledged one.
    EXPECT_TRUE(noDelay(socket));

    ASSERT_TRUE(QTest::qWaitFor([&] { return peer.hasPendingConnections(); }, kGenerousMs));
    QTcpSocket* far = peer.nextPendingConnection();
    QSignalSpy arrival(&socket, &SocketAdapter::dataArrival);
    far->write("\x01\x02\x00\xFF", 4);
    std::vector<uint8_t> got;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        if (arrival.count() > 0) {
            const auto bytes = socket.readAvailable();
            got.insert(got.end(), bytes.begin(), bytes.end());
        }
        return got.size() >= 4;
    }, kGenerousMs));
    EXPECT_EQ(got, (std::vector<uint8_t>{1, 2, 0, 255}));

    const uint8_t out[] = {9, 0, 8};
    socket.sendBytes(out);
    ASSERT_TRUE(QTest::qWaitFor([&] { return far->bytesAvailable() >= 3; }, kGenerousMs));
    EXPECT_EQ(far->readAll(), QByteArray("\x09\x00\x08", 3));

    QSignalSpy closed(&socket, &SocketAdapter::closed);
    far->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return closed.count() == 1; }, kGenerousMs));
    socket.close();
    EXPECT_EQ(socket.state(), kSocketClosed);
}

TEST(SocketAdapter, RefusedConnectionReportsAnError) {
    SocketAdapter socket;
    QSignalSpy failed(&socket, &SocketAdapter::failed);
    socket.connectTo("127.0.0.1", unusedPort());
    ASSERT_TRUE(QTest::qWaitFor([&] { return failed.count() == 1; }, kGenerousMs));
    EXPECT_EQ(socket.state(), SocketAdapter::kStateError);
    EXPECT_NE(socket.state(), kSocketConnected);
    socket.close();
    EXPECT_EQ(socket.state(), kSocketClosed);
}

}  // namespace
}  // namespace vexal
