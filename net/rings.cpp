#include "net/rings.h"

namespace vexal {

bool ByteRing::append(std::span<const uint8_t> bytes) {
    for (uint8_t b : bytes) {
        if (room() == 0) return false;
        m_bytes[m_write] = b;
        m_write = (m_write + 1) % kRingSize;
    }
    return true;
}

bool ByteRing::takeFrame(CommandFrame& out) {
    if (used() < kFrameSize) return false;
    for (size_t i = 0; i < kFrameSize; ++i) out[i] = m_bytes[(m_read + i) % kRingSize];
    m_read = (m_read + kFrameSize) % kRingSize;
    return true;
}

SendRing::PushResult SendRing::push(const CommandFrame& frame) {
    // Once anything waits in the backlog, later frames go behind it even if the ring has room.
    if (m_backlog.empty() && m_ring.room() >= kFrameSize) {
        m_ring.append(frame);
        return PushResult::Queued;
    }
    if (m_backlog.size() >= kSendBacklogMaxFrames) return PushResult::Refused;
    m_backlog.push_back(frame);
    return PushResult::Backlogged;
}

bool SendRing::pop(CommandFrame& out) {
    if (!m_ring.takeFrame(out)) return false;
    while (!m_backlog.empty() && m_ring.room() >= kFrameSize) {
        m_ring.append(m_backlog.front());
        m_backlog.pop_front();
    }
    return true;
}

void SendRing::resetPositions() {
    m_ring.setPositions(0, 0);
    m_backlog.clear();
}

void Transport::resetPositions() {
    receiveRing.setPositions(0, 0);
    sendRing.resetPositions();
}

void Transport::armRoundEndHolds() {
    holdA = PluginHold{true, {}};
    holdB = PluginHold{true, {}};
    departureHold = true;
}

void Transport::clearHolds() {
    holdA = PluginHold{};
    holdB = PluginHold{};
    departureHold = false;
}

SendResult SendFrame(Transport& transport, CommandFrame& frame) {
    if (frame[kCommandByte] == commandByte(Command::Chat) && !isPluginMessage(frame) &&
        !packChatText(frame, transport.pendingChatText))
        return SendResult::NotQueued;
    const SendRing::PushResult pushed = transport.sendRing.push(frame);
    if (pushed == SendRing::PushResult::Refused) return SendResult::Refused;
    transport.token.stampInto(frame);
    if (transport.onFrameQueued) transport.onFrameQueued();
    return pushed == SendRing::PushResult::Queued ? SendResult::Queued : SendResult::Backlogged;
}

bool acceptGameBytes(Transport& transport, std::span<const uint8_t> bytes) {
    return transport.receiveRing.append(bytes);
}

ReceiveResult receiveStep(Transport& transport, const std::function<void(const CommandFrame&)>& dispatch) {
    ReceiveRing& ring = transport.receiveRing;
    if (!ring.hasFrame()) return ReceiveResult::NoFrame;
    if (transport.departureHold && ring.peek(kCommandByte) == commandByte(Command::PlayerLeft))
        return ReceiveResult::HeldBack;
    ring.takeFrame(transport.received);
    // Dispatch gets a copy: a handler may queue or receive frames while it runs.
    const CommandFrame frame = transport.received;
    dispatch(frame);
    return ReceiveResult::Dispatched;
}

SendStepResult sendStep(Transport& transport, SocketPort& socket) {
    CommandFrame frame;
    if (!transport.sendRing.pop(frame)) return SendStepResult::Idle;
    if (frame[kCommandByte] == commandByte(Command::PluginB)) {
        const uint32_t kind = readBe16(frame, 8) / 8u;
        if (transport.holdA.armed && kind == kHoldAKind) {
            transport.holdA = PluginHold{false, frame};
            return SendStepResult::HeldA;
        }
        if (transport.holdB.armed && kind == kHoldBKind) {
            transport.holdB = PluginHold{false, frame};
            return SendStepResult::HeldB;
        }
    }
    if (socket.state() != kSocketConnected) return SendStepResult::Dropped;
    socket.sendBytes(frame);
    const bool leave = frame[kCommandByte] == commandByte(Command::TableState) && frame[15] == 0;
    return leave ? SendStepResult::WroteLeave : SendStepResult::Written;
}

}  // namespace vexal
