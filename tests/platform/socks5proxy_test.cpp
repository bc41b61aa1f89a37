// The handshake against a real SOCKS5 proxy (microsocks) in front of a loopback game server.
#include "platform/socks5driver.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <memory>

#include "net/messages/wire.h"

namespace vexal {
namespace {

constexpr int kGenerousMs = 15000;

quint16 unusedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

CommandFrame patterned(uint8_t command, uint8_t seed) {
    CommandFrame frame = makeFrame(command, 1);
    for (size_t i = 4; i < kFrameSize; ++i) frame[i] = static_cast<uint8_t>(i * seed + 1);
    return frame;
}

// microsocks on a free loopback port, for the life of the object.
class Proxy {
public:
    bool start(const QString& user, const QString& password) {
        port = unusedPort();
        QStringList args{"-i", "127.0.0.1", "-p", QString::number(port)};
        if (!user.isEmpty()) args << "-u" << user << "-P" << password;
        process.start("microsocks", args);
        if (!process.waitForStarted(kGenerousMs)) return false;
        return QTest::qWaitFor([&] {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, port);
            return probe.waitForConnected(200);
        }, kGenerousMs);
    }
    ~Proxy() {
        process.kill();
        process.waitForFinished(kGenerousMs);
    }
    QProcess process;
    quint16 port = 0;
};

// The game server's side: greets every connection with one frame and keeps what it receives.
class FarSide {
public:
    FarSide() {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            peer = server.nextPendingConnection();
            peer->write(reinterpret_cast<const char*>(greeting.data()), kFrameSize);
            QObject::connect(peer, &QTcpSocket::readyRead, [this] { received += peer->readAll(); });
        });
    }
    QTcpServer server;
    QTcpSocket* peer = nullptr;
    QByteArray received;
    const CommandFrame greeting = patterned(20, 3);
};

struct Client {
    Client(std::unique_ptr<ConnectDeadline> deadline = {}) : driver(socket, transport, std::move(deadline)) {
        QObject::connect(&socket, &SocketAdapter::dataArrival, [this] {
            if (transport.gameData) acceptGameBytes(transport, socket.readAvailable());
        });
    }
    Transport transport;
    SocketAdapter socket;
    Socks5Driver driver;
    QSignalSpy proxyConnected{&driver, &Socks5Driver::proxyConnected};
    QSignalSpy through{&driver, &Socks5Driver::through};
    QSignalSpy failed{&driver, &Socks5Driver::failed};

    bool finished() { return through.count() > 0 || failed.count() > 0; }
    QString failure() { return failed.isEmpty() ? QString() : failed.first().first().toString(); }
};

TEST(Socks5Proxy, FramesPassIntactBothWaysWithAndWithoutAuthentication) {
    struct Case { QString user, password; };
    for (const Case& c : {Case{"vexal", "s3cret"}, Case{"", ""}}) {
        SCOPED_TRACE(c.user.isEmpty() ? "no authentication" : "user and password");
        Proxy proxy;
        ASSERT_TRUE(proxy.start(c.user, c.password));
        FarSide far;
        Client client;
        client.driver.ConnectToSock5Server(
            "127.0.0.1", proxy.port,
            Socks5Settings{c.user.toStdString(), c.password.toStdString(), "127.0.0.1", far.server.serverPort()});
        EXPECT_FALSE(client.transport.gameData);
        ASSERT_TRUE(QTest::qWaitFor([&] { return client.finished(); }, kGenerousMs));
        ASSERT_EQ(client.through.count(), 1) << client.failure().toStdString();
        EXPECT_EQ(client.proxyConnected.count(), 1);
        EXPECT_TRUE(client.transport.gameData);
        // The tunnel is the connection to the proxy: its small frames leave at once as well.
        int on = 0;
        socklen_t size = sizeof on;
        ASSERT_EQ(getsockopt(static_cast<int>(client.socket.socketDescriptor()), IPPROTO_TCP, TCP_NODELAY, &on, &size), 0);
        EXPECT_NE(on, 0);

        // The login frame goes straight to the socket, the next frame through the SendRing.
        const CommandFrame login = patterned(18, 5);
        client.socket.sendBytes(login);
        CommandFrame chat = makeFrame(Command::Chat, 1);
        client.transport.pendingChatText = "你好 proxy";
        ASSERT_EQ(SendFrame(client.transport, chat), SendResult::Queued);
        ASSERT_EQ(sendStep(client.transport, client.socket), SendStepResult::Written);

        ASSERT_TRUE(QTest::qWaitFor([&] { return far.received.size() >= 2 * int(kFrameSize); }, kGenerousMs));
        ASSERT_EQ(far.received.size(), 2 * int(kFrameSize));
        EXPECT_EQ(far.received.left(kFrameSize), QByteArray(reinterpret_cast<const char*>(login.data()), kFrameSize));
        CommandFrame chatOnWire;
        std::copy_n(far.received.constData() + kFrameSize, kFrameSize, chatOnWire.begin());
        EXPECT_EQ(wire::readMixed(chatOnWire, 16, 215), "你好 proxy");

        // The server's greeting reaches the ReceiveRing whole, with no proxy byte in front of it.
        ASSERT_TRUE(QTest::qWaitFor([&] { return client.transport.receiveRing.hasFrame(); }, kGenerousMs));
        std::vector<CommandFrame> dispatched;
        EXPECT_EQ(receiveStep(client.transport, [&](const CommandFrame& f) { dispatched.push_back(f); }),
                  ReceiveResult::Dispatched);
        ASSERT_EQ(dispatched.size(), 1u);
        EXPECT_EQ(dispatched[0], far.greeting);
        EXPECT_EQ(client.transport.receiveRing.used(), 0u);
        client.socket.close();
    }
}

TEST(Socks5Proxy, WrongPasswordIsRefusedWithItsMessage) {
    Proxy proxy;
    ASSERT_TRUE(proxy.start("vexal", "s3cret"));
    FarSide far;
    Client client;
    client.driver.ConnectToSock5Server("127.0.0.1", proxy.port,
                                       Socks5Settings{"vexal", "wrong", "127.0.0.1", far.server.serverPort()});
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.finished(); }, kGenerousMs));
    EXPECT_EQ(client.through.count(), 0);
    EXPECT_EQ(client.failure(), QString("代理服务器用户验证失败！"));
    EXPECT_NE(client.socket.state(), kSocketConnected);
    EXPECT_EQ(far.peer, nullptr);
}

TEST(Socks5Proxy, NoProxyListeningFailsAtOnce) {
    Client client;
    client.driver.ConnectToSock5Server("127.0.0.1", unusedPort(), Socks5Settings{"", "", "127.0.0.1", 1});
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.finished(); }, kGenerousMs));
    EXPECT_EQ(client.failure(), QString::fromUtf8(kProxyUnreachable.data()));
    EXPECT_FALSE(client.driver.running());
}

// A proxy played by the test: it answers each request with the given replies, and puts a game
// frame right behind the IPv6 connect reply in the same write, as a fast server behind a proxy may.
TEST(Socks5Proxy, GameBytesBehindTheConnectReplyReachTheReceiveRing) {
    QTcpServer scripted;
    ASSERT_TRUE(scripted.listen(QHostAddress::LocalHost, 0));
    const CommandFrame first = patterned(20, 7);
    QByteArray connectReply("\x05\x00\x00\x04", 4);
    connectReply += QByteArray(18, '\x01');
    connectReply += QByteArray(reinterpret_cast<const char*>(first.data()), kFrameSize);
    QTcpSocket* proxySide = nullptr;
    QByteArray requests;
    int answered = 0;
    QObject::connect(&scripted, &QTcpServer::newConnection, [&] {
        proxySide = scripted.nextPendingConnection();
        QObject::connect(proxySide, &QTcpSocket::readyRead, [&] {
            requests += proxySide->readAll();
            if (answered == 0 && requests.size() >= 4) {
                proxySide->write("\x05", 1);  // the method reply in two pieces
                proxySide->flush();
                proxySide->write("\x02", 1);
                ++answered;
            } else if (answered == 1 && requests.size() >= 4 + 9) {
                proxySide->write("\x01\x00", 2);
                ++answered;
            } else if (answered == 2 && requests.size() >= 4 + 9 + 10) {
                proxySide->write(connectReply);
                ++answered;
            }
        });
    });

    Client client;
    client.driver.ConnectToSock5Server("127.0.0.1", scripted.serverPort(), Socks5Settings{"user", "pw", "10.1.2.3", 6000});
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.finished(); }, kGenerousMs));
    ASSERT_EQ(client.through.count(), 1) << client.failure().toStdString();
    EXPECT_EQ(requests, QByteArray("\x05\x02\x00\x02"
                                   "\x01\x04user\x02pw"
                                   "\x05\x01\x00\x01\x0a\x01\x02\x03\x17\x70",
                                   4 + 9 + 10));
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.transport.receiveRing.hasFrame(); }, kGenerousMs));
    EXPECT_EQ(client.transport.receiveRing.used(), kFrameSize);
    CommandFrame received{};
    ASSERT_EQ(receiveStep(client.transport, [&](const CommandFrame& f) { received = f; }), ReceiveResult::Dispatched);
    EXPECT_EQ(received, first);
}

TEST(Socks5Proxy, AbortedHandshakeStaysSilent) {
    Proxy proxy;
    ASSERT_TRUE(proxy.start("", ""));
    FarSide far;
    Client client;
    client.driver.ConnectToSock5Server("127.0.0.1", proxy.port, Socks5Settings{"", "", "127.0.0.1", far.server.serverPort()});
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.proxyConnected.count() == 1; }, kGenerousMs));
    client.driver.abort();
    client.socket.close();
    for (int i = 0; i < 50; ++i) QCoreApplication::processEvents();
    EXPECT_EQ(client.through.count(), 0);
    EXPECT_EQ(client.failed.count(), 0);
    EXPECT_FALSE(client.driver.running());
}

class ManualDeadline : public ConnectDeadline {
public:
    void start(int ms, std::function<void()> expired) override {
        startedMs = ms;
        m_expired = std::move(expired);
    }
    void stop() override { m_expired = nullptr; }
    void expire() {
        if (auto expired = std::exchange(m_expired, nullptr)) expired();
    }
    bool running() const { return static_cast<bool>(m_expired); }
    int startedMs = 0;

private:
    std::function<void()> m_expired;
};

TEST(Socks5Proxy, ConnectTimeLimit) {
    Proxy proxy;
    ASSERT_TRUE(proxy.start("", ""));

    // The deadline passes before the proxy has answered: the attempt ends with a message and a late
    // connection is ignored.
    {
        auto deadline = std::make_unique<ManualDeadline>();
        ManualDeadline* clock = deadline.get();
        Client client(std::move(deadline));
        client.driver.ConnectToSock5Server("127.0.0.1", proxy.port, Socks5Settings{"", "", "127.0.0.1", 1});
        EXPECT_EQ(clock->startedMs, Socks5Driver::kConnectTimeoutMs);
        clock->expire();
        ASSERT_EQ(client.failed.count(), 1);
        EXPECT_EQ(client.failure(), QString::fromUtf8(kProxyTimedOut.data()));
        EXPECT_EQ(client.socket.state(), kSocketClosed);
        for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
        EXPECT_EQ(client.proxyConnected.count(), 0);
        EXPECT_EQ(client.failed.count(), 1);
    }
    // The proxy answers in time: the deadline is stopped and cannot fail the handshake later.
    {
        auto deadline = std::make_unique<ManualDeadline>();
        ManualDeadline* clock = deadline.get();
        FarSide far;
        Client client(std::move(deadline));
        client.driver.ConnectToSock5Server("127.0.0.1", proxy.port,
                                           Socks5Settings{"", "", "127.0.0.1", far.server.serverPort()});
        ASSERT_TRUE(QTest::qWaitFor([&] { return client.proxyConnected.count() == 1; }, kGenerousMs));
        EXPECT_FALSE(clock->running());
        clock->expire();
        ASSERT_TRUE(QTest::qWaitFor([&] { return client.finished(); }, kGenerousMs));
        EXPECT_EQ(client.through.count(), 1);
        EXPECT_EQ(client.failed.count(), 0);
    }
}

}  // namespace
}  // namespace vexal
