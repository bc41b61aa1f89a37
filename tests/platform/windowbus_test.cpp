#include "platform/windowbus.h"
#include "platform/singleinstance.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <vector>

using namespace vexal;

namespace {

// Datagrams are in the receiver's queue once sendto returns; a few passes of the event loop
// let the notifier deliver them. Bounded by passes, not by time.
template <typename Pred>
bool pumpUntil(Pred done) {
    for (int i = 0; i < 50 && !done(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    return done();
}

class WindowBusTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        bus = WindowBus(dir.path());
    }
    QTemporaryDir dir;
    WindowBus bus{QString()};
};

TEST_F(WindowBusTest, PostedMessagesReachTheWindowRegisteredUnderTheTitle) {
    QWidget lobby;
    BusWindow reg(&lobby, QStringLiteral("Kestrel山庄"), bus);
    ASSERT_TRUE(reg.isRegistered());
    std::vector<WindowMessage> got;
    QObject::connect(&reg, &BusWindow::messageReceived, [&](const WindowMessage& m) { got.push_back(m); });

    EXPECT_TRUE(bus.findWindow(QStringLiteral("Kestrel山庄")));
    EXPECT_FALSE(bus.findWindow(QStringLiteral("Kestrel")));
    EXPECT_FALSE(bus.findWindow(QString()));

    for (uint32_t msg : {22u, 771u, 1127u})
        EXPECT_TRUE(bus.postMessage(QStringLiteral("Kestrel山庄"), msg));
    EXPECT_FALSE(bus.postMessage(QStringLiteral("nobody"), 22));
    ASSERT_TRUE(pumpUntil([&] { return got.size() == 3; }));
    EXPECT_EQ(got[0].msg, 22u);
    EXPECT_EQ(got[1].msg, 771u);
    EXPECT_EQ(got[2].msg, 1127u);
    EXPECT_EQ(got[2].wParam, 0);
    EXPECT_EQ(got[2].lParam, 0);
}

TEST_F(WindowBusTest, SystemCommandsRestoreAndMinimiseTheWindow) {
    QWidget w;
    w.show();
    BusWindow reg(&w, QStringLiteral("table"), bus);
    bus.postMessage(QStringLiteral("table"), kWmSysCommand, kScMinimize);
    ASSERT_TRUE(pumpUntil([&] { return w.isMinimized(); }));
    bus.postMessage(QStringLiteral("table"), kWmSysCommand, kScRestore);
    ASSERT_TRUE(pumpUntil([&] { return !w.isMinimized(); }));
    EXPECT_TRUE(w.isVisible());
}

TEST_F(WindowBusTest, HookSeesMessagesFirstAndCanHandOnToThePreviousProcedure) {
    QWidget w;
    w.show();
    BusWindow reg(&w, QStringLiteral("table"), bus);
    std::vector<uint32_t> hooked;
    BusWindow::MessageProc previous;
    previous = reg.setMessageProc([&](const WindowMessage& m) {
        hooked.push_back(m.msg);
        if (m.msg != 1024)
            previous(m);
    });
    bus.postMessage(QStringLiteral("table"), 1024);
    bus.postMessage(QStringLiteral("table"), kWmSysCommand, kScMinimize);
    ASSERT_TRUE(pumpUntil([&] { return hooked.size() == 2; }));
    EXPECT_EQ(hooked, (std::vector<uint32_t>{1024, kWmSysCommand}));
    EXPECT_TRUE(pumpUntil([&] { return w.isMinimized(); }));

    // Putting the previous procedure back stops the hook from seeing anything.
    reg.setMessageProc(previous);
    bus.postMessage(QStringLiteral("table"), 1024);
    pumpUntil([] { return false; });
    EXPECT_EQ(hooked.size(), 2u);
}

TEST_F(WindowBusTest, ALiveTitleCannotBeTakenButAStaleOneCanAndTitlesMove) {
    QWidget a, b;
    auto first = std::make_unique<BusWindow>(&a, QStringLiteral("Kestrel山庄"), bus);
    BusWindow second(&b, QStringLiteral("Kestrel山庄"), bus);
    EXPECT_TRUE(first->isRegistered());
    EXPECT_FALSE(second.isRegistered());

    // A socket file left behind by a dead process names no window and is reused.
    first.reset();
    const QByteArray path = bus.pathFor(QStringLiteral("Kestrel山庄")).toLocal8Bit();
    {
        int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::memcpy(addr.sun_path, path.constData(), static_cast<size_t>(path.size()));
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        ::close(fd);  // the file stays, nobody listens
    }
    EXPECT_FALSE(bus.findWindow(QStringLiteral("Kestrel山庄")));
    EXPECT_TRUE(second.setTitle(QStringLiteral("Kestrel山庄")));
    EXPECT_TRUE(bus.findWindow(QStringLiteral("Kestrel山庄")));

    EXPECT_TRUE(second.setTitle(QStringLiteral("我的大厅")));
    EXPECT_FALSE(bus.findWindow(QStringLiteral("Kestrel山庄")));
    EXPECT_TRUE(bus.findWindow(QStringLiteral("我的大厅")));
}

TEST_F(WindowBusTest, SecondInstanceIsRefusedWhileTheFirstHoldsTheLock) {
    SingleInstance first(dir.path());
    SingleInstance second(dir.path());
    EXPECT_TRUE(first.acquire());
    EXPECT_TRUE(first.acquire());
    EXPECT_FALSE(second.acquire());
}

}  // namespace
