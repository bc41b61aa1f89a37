#include "platform/windowbus.h"
#include "platform/singleinstance.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
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

// A folder whose path alone passes the 108 bytes a socket address holds, as a build folder deep
// in a checkout gives.
QString deepFolder(const QString& base, const QString& leaf) {
    QString path = base;
    while (path.size() < 150)
        path += QStringLiteral("/a-rather-long-folder-name");
    path += QLatin1Char('/') + leaf;
    EXPECT_TRUE(QDir().mkpath(path));
    return path;
}

TEST_F(WindowBusTest, AFolderOfAnyLengthCarriesMessagesAndKeepsTitlesApartFromAnotherFolder) {
    const QString folder = deepFolder(dir.path(), QStringLiteral("one"));
    ASSERT_GE(QFile::encodeName(WindowBus(folder).pathFor(QStringLiteral("x"))).size(),
              static_cast<qsizetype>(sizeof(sockaddr_un::sun_path)));

    QWidget w;
    BusWindow reg(&w, QStringLiteral("Kestrel山庄"), WindowBus(folder));
    ASSERT_TRUE(reg.isRegistered()) << qPrintable(reg.error());
    EXPECT_TRUE(reg.error().isEmpty());
    std::vector<uint32_t> got;
    QObject::connect(&reg, &BusWindow::messageReceived,
                     [&](const WindowMessage& m) { got.push_back(m.msg); });

    // Another process's view of the same folder: a separate bus object over the same path.
    const WindowBus same(folder);
    EXPECT_TRUE(same.findWindow(QStringLiteral("Kestrel山庄")));
    EXPECT_TRUE(same.postMessage(QStringLiteral("Kestrel山庄"), 771));
    ASSERT_TRUE(pumpUntil([&] { return got.size() == 1; }));
    EXPECT_EQ(got[0], 771u);

    // The same title in another deep folder is another window.
    const WindowBus other(deepFolder(dir.path(), QStringLiteral("two")));
    EXPECT_FALSE(other.findWindow(QStringLiteral("Kestrel山庄")));
    EXPECT_FALSE(other.postMessage(QStringLiteral("Kestrel山庄"), 22));
    QWidget w2;
    BusWindow second(&w2, QStringLiteral("Kestrel山庄"), other);
    EXPECT_TRUE(second.isRegistered()) << qPrintable(second.error());

    // Within one folder the title stays taken, and the reason says so.
    QWidget w3;
    BusWindow third(&w3, QStringLiteral("Kestrel山庄"), same);
    EXPECT_FALSE(third.isRegistered());
    EXPECT_EQ(third.error(), QStringLiteral("another window already holds the title Kestrel山庄"));

    // A window that goes takes its socket with it: the title is free again.
    reg.setTitle(QStringLiteral("Kestrel"));
    EXPECT_FALSE(same.findWindow(QStringLiteral("Kestrel山庄")));
    EXPECT_TRUE(third.setTitle(QStringLiteral("Kestrel山庄")));
}

TEST_F(WindowBusTest, ASocketThatCannotBeMadeIsReportedWithItsPathAndTheSystemsReason) {
    // A folder that does not exist, short and long: nothing can be bound there.
    for (const QString& folder : {dir.path() + QStringLiteral("/missing"),
                                  deepFolder(dir.path(), QStringLiteral("x")) + QStringLiteral("/missing")}) {
        QWidget w;
        const WindowBus missing(folder);
        BusWindow reg(&w, QStringLiteral("table"), missing);
        EXPECT_FALSE(reg.isRegistered());
        EXPECT_FALSE(reg.error().contains(QStringLiteral("already holds")));
        const QString error = reg.error();
        EXPECT_TRUE(error.contains(missing.pathFor(QStringLiteral("table")))) << qPrintable(error);
        EXPECT_TRUE(error.contains(QString::fromLocal8Bit(std::strerror(ENOENT)))) << qPrintable(error);
        EXPECT_TRUE(error.contains(QStringLiteral("errno %1").arg(ENOENT))) << qPrintable(error);
    }
}

TEST_F(WindowBusTest, SecondInstanceIsRefusedWhileTheFirstHoldsTheLock) {
    SingleInstance first(dir.path());
    SingleInstance second(dir.path());
    EXPECT_TRUE(first.acquire());
    EXPECT_TRUE(first.acquire());
    EXPECT_FALSE(second.acquire());
}

}  // namespace
