// The two socket rings, the send operation and the receive and send steps the main timer runs.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <string>

#include "net/command.h"
#include "net/frame.h"
#include "net/socketport.h"

namespace vexal {

constexpr size_t kRingSize = 34816;  // 128 frames
constexpr size_t kRingFrames = kRingSize / kFrameSize;
// Equal positions mean an empty ring, so a ring holds one byte less than its size: 127 whole frames.
constexpr size_t kSendRingMaxFrames = kRingFrames - 1;
// Frames queued while the SendRing is full wait behind it, in order, up to this many.
constexpr size_t kSendBacklogMaxFrames = 1024;

// A circular byte buffer; data amount = (write + size - read) mod size.
class ByteRing {
public:
    size_t used() const { return (m_write + kRingSize - m_read) % kRingSize; }
    size_t room() const { return kRingSize - 1 - used(); }
    size_t readPosition() const { return m_read; }
    size_t writePosition() const { return m_write; }
    // Positions go back to 0 before a reconnect; the contents are never cleared. Other positions
    // place a stream at any point of the ring, its end included.
    void setPositions(size_t read, size_t write) {
        m_read = read % kRingSize;
        m_write = write % kRingSize;
    }
    // Stores as many bytes as there is room for; false when not all of them fitted.
    bool append(std::span<const uint8_t> bytes);
    uint8_t peek(size_t offset) const { return m_bytes[(m_read + offset) % kRingSize]; }
    // Copies the next frame out (wrapping at the ring's end) and advances; false with less than a frame.
    bool takeFrame(CommandFrame& out);

private:
    std::array<uint8_t, kRingSize> m_bytes{};
    size_t m_read = 0;
    size_t m_write = 0;
};

// Bytes from the server in arrival order; the receive step cuts them into frames.
class ReceiveRing : public ByteRing {
public:
    bool hasFrame() const { return used() >= kFrameSize; }
};

// Frames waiting for the socket. The ring proper holds 127 frames; a frame queued while it is full
// waits in a backlog behind it and moves into the ring as frames leave, so nothing is overwritten
// and the order is kept. Only a full backlog refuses a frame.
class SendRing {
public:
    enum class PushResult { Queued, Backlogged, Refused };
    PushResult push(const CommandFrame& frame);
    bool pop(CommandFrame& out);
    size_t waitingFrames() const { return m_ring.used() / kFrameSize + m_backlog.size(); }
    bool hasFrame() const { return waitingFrames() > 0; }
    // Before a reconnect: positions to 0, and the frames behind them go with them.
    void resetPositions();
    const ByteRing& ring() const { return m_ring; }

private:
    ByteRing m_ring;
    std::deque<CommandFrame> m_backlog;
};

// A plug-in frame kept back between a round's end and the next deal.
struct PluginHold {
    bool armed = false;
    CommandFrame frame{};
};

// Everything the socket events, the main timer's two transport steps and the dispatcher share.
// One per process, on the window thread.
struct Transport {
    ReceiveRing receiveRing;
    SendRing sendRing;
    SessionToken token;
    // `PendingChatText`: set by the chat senders just before they send a command 19, consumed by SendFrame.
    std::string pendingChatText;
    // The frame being dispatched; the next one overwrites it, so handlers copy what they keep.
    CommandFrame received{};
    // Off while the SOCKS5 handshake runs: arriving bytes belong to the proxy then.
    bool gameData = true;
    PluginHold holdA;
    PluginHold holdB;
    // While on, a received command 21 waits first in line in the ReceiveRing.
    bool departureHold = false;
    // Called whenever a frame has been queued; the main timer arms its send task with counter 0.
    std::function<void()> onFrameQueued;

    void resetPositions();
    // Round end (command 9) while the departure hold is off: arm both holds with empty frames and
    // hold departures until the score sheet has been handled.
    void armRoundEndHolds();
    // Login answer: disarm both holds, empty both frames, departure hold off.
    void clearHolds();
};

// Bytes 8..9 of a command 45, big-endian, divided by 8: the plug-in's message kind the holds catch.
constexpr uint32_t kHoldAKind = 129;
constexpr uint32_t kHoldBKind = 386;

enum class SendResult {
    Queued,      // in the SendRing
    Backlogged,  // behind a full SendRing, in order
    NotQueued,   // a chat frame with no pending text: nothing to send
    Refused,     // ring and backlog full; the frame is not sent
};

// `SendFrame`: the one send operation for every frame except login, reconnect login and leave.
// Packs chat text into a command 19 that is no plug-in message, queues a copy of the frame and only
// then stamps the session token into the caller's frame object.
SendResult SendFrame(Transport& transport, CommandFrame& frame);

// Socket data arrival while the game-data flag is on. False when the ReceiveRing overflowed: the
// session cannot go on (the caller restores the lobby window and ends the process).
bool acceptGameBytes(Transport& transport, std::span<const uint8_t> bytes);

enum class ReceiveResult {
    NoFrame,     // less than a whole frame waiting
    HeldBack,    // a command 21 waits behind the departure hold
    Dispatched,  // one frame handed to the dispatcher
};
// One receive-task run: cuts at most one frame into `transport.received` and dispatches it.
ReceiveResult receiveStep(Transport& transport, const std::function<void(const CommandFrame&)>& dispatch);

enum class SendStepResult {
    Idle,        // less than a frame waiting: the send task disarms itself
    HeldA,       // caught by plug-in hold A, not sent now
    HeldB,       // caught by plug-in hold B
    Written,     // written to the socket
    WroteLeave,  // a leave frame (16 with byte 15 = 0) was written: the caller leaves the table
    Dropped,     // the socket was not connected; the frame is lost
};
// One send-task run: takes at most one frame from the SendRing.
SendStepResult sendStep(Transport& transport, SocketPort& socket);

}  // namespace vexal
