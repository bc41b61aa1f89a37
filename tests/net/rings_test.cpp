#include "net/rings.h"

#include <gtest/gtest.h>

#include <vector>

#include "net/messages/wire.h"
#include "tests/net/fakesocket.h"

namespace vexal {
namespace {

using test::FakeSocket;

// A frame whose bytes all depend on `n`, so a shifted or torn frame shows.
CommandFrame numbered(uint8_t command, uint32_t n) {
    CommandFrame frame = makeFrame(command, 1);
    for (size_t i = 16; i < 256; ++i) frame[i] = static_cast<uint8_t>(n * 7 + i);
    writeBe32(frame, 100, n);
    return frame;
}

std::vector<uint8_t> bytesOf(const std::vector<CommandFrame>& frames) {
    std::vector<uint8_t> bytes;
    for (const CommandFrame& f : frames) bytes.insert(bytes.end(), f.begin(), f.end());
    return bytes;
}

struct Received {
    std::vector<CommandFrame> frames;
    std::function<void(const CommandFrame&)> sink() {
        return [this](const CommandFrame& f) { frames.push_back(f); };
    }
};

TEST(ReceiveRing, CutsWholeFramesWhateverTheArrivals) {
    struct Case { const char* name; std::vector<size_t> arrivals; std::vector<int> runsAfterEach; };
    // Bytes of three frames arrive in the given pieces; after each arrival the receive step runs
    // until it finds nothing, and the number of frames it dispatched is checked.
    const Case cases[] = {
        {"271 then 1", {271, 1, 544}, {0, 1, 2}},
        {"544 at once", {544, 272}, {2, 1}},
        {"byte by byte start", {1, 1, 269, 1, 544}, {0, 0, 0, 1, 2}},
        {"uneven", {300, 300, 216}, {1, 1, 1}},
    };
    for (const Case& c : cases) {
        Transport transport;
        const std::vector<CommandFrame> sent{numbered(6, 1), numbered(6, 2), numbered(6, 3)};
        const std::vector<uint8_t> stream = bytesOf(sent);
        Received received;
        size_t at = 0;
        for (size_t i = 0; i < c.arrivals.size(); ++i) {
            ASSERT_TRUE(acceptGameBytes(transport, std::span(stream).subspan(at, c.arrivals[i])));
            at += c.arrivals[i];
            int runs = 0;
            while (receiveStep(transport, received.sink()) == ReceiveResult::Dispatched) ++runs;
            EXPECT_EQ(runs, c.runsAfterEach[i]) << c.name << " arrival " << i;
        }
        EXPECT_EQ(received.frames, sent) << c.name;
        EXPECT_EQ(transport.received, sent.back()) << c.name;
    }
}

TEST(ReceiveRing, FrameStraddlingTheEndIsReassembled) {
    Transport transport;
    transport.receiveRing.setPositions(34800, 34800);
    const CommandFrame frame = numbered(9, 42);
    ASSERT_TRUE(acceptGameBytes(transport, frame));
    EXPECT_EQ(transport.receiveRing.writePosition(), 256u);
    Received received;
    EXPECT_EQ(receiveStep(transport, received.sink()), ReceiveResult::Dispatched);
    ASSERT_EQ(received.frames.size(), 1u);
    EXPECT_EQ(received.frames[0], frame);
    EXPECT_EQ(transport.receiveRing.readPosition(), 256u);
}

TEST(ReceiveRing, OverflowIsReportedAndKeepsWhatWasStored) {
    Transport transport;
    const std::vector<uint8_t> almostFull(kRingSize - 1, 6);
    EXPECT_TRUE(acceptGameBytes(transport, almostFull));
    EXPECT_EQ(transport.receiveRing.used(), kRingSize - 1);
    const uint8_t one = 1;
    EXPECT_FALSE(acceptGameBytes(transport, std::span(&one, 1)));
    EXPECT_EQ(transport.receiveRing.used(), kRingSize - 1);
    EXPECT_EQ(transport.receiveRing.peek(0), 6);
}

TEST(ReceiveRing, DepartureHoldKeepsCommand21FirstInLine) {
    Transport transport;
    transport.departureHold = true;
    const std::vector<CommandFrame> sent{numbered(21, 1), numbered(20, 2)};
    ASSERT_TRUE(acceptGameBytes(transport, bytesOf(sent)));
    Received received;
    EXPECT_EQ(receiveStep(transport, received.sink()), ReceiveResult::HeldBack);
    EXPECT_EQ(receiveStep(transport, received.sink()), ReceiveResult::HeldBack);
    EXPECT_TRUE(received.frames.empty());
    EXPECT_EQ(transport.receiveRing.used(), 2 * kFrameSize);

    transport.departureHold = false;
    EXPECT_EQ(receiveStep(transport, received.sink()), ReceiveResult::Dispatched);
    EXPECT_EQ(receiveStep(transport, received.sink()), ReceiveResult::Dispatched);
    EXPECT_EQ(receiveStep(transport, received.sink()), ReceiveResult::NoFrame);
    EXPECT_EQ(received.frames, sent);

    // Other commands pass the hold.
    transport.departureHold = true;
    ASSERT_TRUE(acceptGameBytes(transport, numbered(20, 3)));
    EXPECT_EQ(receiveStep(transport, received.sink()), ReceiveResult::Dispatched);
}

TEST(SendFrame, QueuesACopyAndStampsTheTokenAfterwards) {
    Transport transport;
    FakeSocket socket;
    int armed = 0;
    transport.onFrameQueued = [&] { ++armed; };
    transport.token = SessionToken{5, 6};

    CommandFrame reused = makeFrame(Command::PluginB, 1);
    EXPECT_EQ(SendFrame(transport, reused), SendResult::Queued);
    EXPECT_EQ(reused[260], 5);
    EXPECT_EQ(reused[261], 6);
    transport.token = SessionToken{7, 8};
    EXPECT_EQ(SendFrame(transport, reused), SendResult::Queued);
    EXPECT_EQ(armed, 2);

    EXPECT_EQ(sendStep(transport, socket), SendStepResult::Written);
    EXPECT_EQ(sendStep(transport, socket), SendStepResult::Written);
    EXPECT_EQ(sendStep(transport, socket), SendStepResult::Idle);
    const auto frames = socket.writtenFrames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0][260], 0);  // a fresh frame goes out with 0, 0
    EXPECT_EQ(frames[0][261], 0);
    EXPECT_EQ(frames[1][260], 5);  // the reused object carries its previous send's token
    EXPECT_EQ(frames[1][261], 6);
}

TEST(SendFrame, ChatFramesNeedPendingTextUnlessTheyAreForThePlugin) {
    Transport transport;
    FakeSocket socket;
    int armed = 0;
    transport.onFrameQueued = [&] { ++armed; };

    CommandFrame chat = makeFrame(Command::Chat, 1);
    EXPECT_EQ(SendFrame(transport, chat), SendResult::NotQueued);
    EXPECT_EQ(armed, 0);
    EXPECT_FALSE(transport.sendRing.hasFrame());

    // Plug-in messages go out exactly as built and leave the pending text for the next chat frame.
    for (uint32_t marker : {kPluginMarkerFull, kPluginMarkerShort}) {
        CommandFrame plugin = makeFrame(Command::Chat, 1);
        for (size_t i = 7; i < 260; ++i) plugin[i] = static_cast<uint8_t>(i);
        writeBe32(plugin, kChatMarkerByte, marker);
        const CommandFrame built = plugin;
        transport.pendingChatText = "kept";
        EXPECT_EQ(SendFrame(transport, plugin), SendResult::Queued);
        EXPECT_EQ(transport.pendingChatText, "kept");
        ASSERT_EQ(sendStep(transport, socket), SendStepResult::Written);
        EXPECT_EQ(socket.writtenFrames().back(), built) << marker;
    }

    EXPECT_EQ(SendFrame(transport, chat), SendResult::Queued);
    EXPECT_TRUE(transport.pendingChatText.empty());
    ASSERT_EQ(sendStep(transport, socket), SendStepResult::Written);
    const CommandFrame sentChat = socket.writtenFrames().back();
    EXPECT_EQ(wire::readMixed(sentChat, 16, 215), "kept");
    EXPECT_EQ(chatMarker(sentChat), 0u);
    EXPECT_EQ(armed, 3);
}

// The ring proper holds 127 frames: a 128th would make the positions equal and the ring look
// empty, losing all 128. Frames beyond that wait behind it in order; only a full backlog refuses.
TEST(SendFrame, FullRingNeverLosesOrReordersFrames) {
    Transport transport;
    FakeSocket socket;
    const uint32_t total = kSendRingMaxFrames + kSendBacklogMaxFrames;
    std::vector<SendResult> results;
    for (uint32_t n = 0; n < total; ++n) {
        CommandFrame frame = numbered(7, n);
        results.push_back(SendFrame(transport, frame));
    }
    EXPECT_EQ(std::count(results.begin(), results.end(), SendResult::Queued), long(kSendRingMaxFrames));
    EXPECT_EQ(std::count(results.begin(), results.end(), SendResult::Backlogged), long(kSendBacklogMaxFrames));
    EXPECT_EQ(transport.sendRing.waitingFrames(), total);

    CommandFrame refused = numbered(7, 99999);
    EXPECT_EQ(SendFrame(transport, refused), SendResult::Refused);

    // Half drains; a frame sent now still goes behind everything that waits.
    for (uint32_t n = 0; n < 600; ++n) ASSERT_EQ(sendStep(transport, socket), SendStepResult::Written);
    CommandFrame late = numbered(7, total);
    EXPECT_EQ(SendFrame(transport, late), SendResult::Backlogged);
    while (sendStep(transport, socket) == SendStepResult::Written) {}

    const auto frames = socket.writtenFrames();
    ASSERT_EQ(frames.size(), total + 1);
    for (uint32_t n = 0; n <= total; ++n) ASSERT_EQ(frames[n], numbered(7, n)) << n;
    EXPECT_FALSE(transport.sendRing.hasFrame());
}

TEST(SendStep, PluginHoldsCatchOneFrameOfTheirKind) {
    struct Case {
        const char* name;
        uint8_t command;
        uint8_t b8, b9;  // v = b8 * 256 + b9, kind = v / 8
        bool holdA, holdB;
        SendStepResult result;
    };
    const Case cases[] = {
        {"kind 129 with hold A", 45, 4, 8, true, true, SendStepResult::HeldA},
        {"v 1039 is still kind 129", 45, 4, 15, true, false, SendStepResult::HeldA},
        {"kind 128 passes", 45, 4, 7, true, true, SendStepResult::Written},
        {"kind 129 without hold A", 45, 4, 8, false, true, SendStepResult::Written},
        {"kind 386 with hold B", 45, 12, 16, true, true, SendStepResult::HeldB},
        {"kind 386 without hold B", 45, 12, 16, true, false, SendStepResult::Written},
        {"other command of kind 129", 44, 4, 8, true, true, SendStepResult::Written},
    };
    for (const Case& c : cases) {
        Transport transport;
        FakeSocket socket;
        transport.holdA.armed = c.holdA;
        transport.holdB.armed = c.holdB;
        CommandFrame frame = numbered(c.command, 3);
        frame[8] = c.b8;
        frame[9] = c.b9;
        const CommandFrame queued = frame;
        SendFrame(transport, frame);
        EXPECT_EQ(sendStep(transport, socket), c.result) << c.name;
        const bool held = c.result == SendStepResult::HeldA || c.result == SendStepResult::HeldB;
        EXPECT_EQ(socket.written.empty(), held) << c.name;
        if (c.result == SendStepResult::HeldA) {
            EXPECT_FALSE(transport.holdA.armed);
            EXPECT_EQ(transport.holdA.frame, queued);
        }
        if (c.result == SendStepResult::HeldB) {
            EXPECT_FALSE(transport.holdB.armed);
            EXPECT_EQ(transport.holdB.frame, queued);
        }
    }
}

TEST(SendStep, SocketStateAndLeaveFrames) {
    struct Case { int state; uint8_t command; uint8_t byte15; SendStepResult result; size_t written; };
    const Case cases[] = {
        {kSocketConnected, 16, 0, SendStepResult::WroteLeave, kFrameSize},
        {kSocketConnected, 16, 1, SendStepResult::Written, kFrameSize},
        {kSocketConnected, 24, 0, SendStepResult::Written, kFrameSize},
        {kSocketClosed, 16, 0, SendStepResult::Dropped, 0},
        {6, 24, 0, SendStepResult::Dropped, 0},  // still connecting counts as not connected
    };
    for (const Case& c : cases) {
        Transport transport;
        FakeSocket socket;
        socket.socketState = c.state;
        CommandFrame frame = makeFrame(c.command, 1);
        frame[15] = c.byte15;
        SendFrame(transport, frame);
        EXPECT_EQ(sendStep(transport, socket), c.result);
        EXPECT_EQ(socket.written.size(), c.written);
        EXPECT_EQ(sendStep(transport, socket), SendStepResult::Idle);  // a dropped frame is gone
    }
}

TEST(Transport, ResetPositionsAndHolds) {
    Transport transport;
    for (uint32_t n = 0; n < 200; ++n) {
        CommandFrame frame = numbered(7, n);
        SendFrame(transport, frame);
    }
    ASSERT_TRUE(acceptGameBytes(transport, std::vector<uint8_t>(300, 1)));
    transport.resetPositions();
    EXPECT_EQ(transport.receiveRing.used(), 0u);
    EXPECT_EQ(transport.receiveRing.writePosition(), 0u);
    EXPECT_FALSE(transport.sendRing.hasFrame());

    transport.holdA.frame[3] = 45;
    transport.armRoundEndHolds();
    EXPECT_TRUE(transport.holdA.armed && transport.holdB.armed && transport.departureHold);
    EXPECT_EQ(transport.holdA.frame, CommandFrame{});
    transport.holdB = PluginHold{false, numbered(45, 1)};
    transport.clearHolds();
    EXPECT_FALSE(transport.holdA.armed || transport.holdB.armed || transport.departureHold);
    EXPECT_EQ(transport.holdB.frame, CommandFrame{});
}

}  // namespace
}  // namespace vexal
