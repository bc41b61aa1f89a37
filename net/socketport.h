// What the transport needs of the game connection's socket, so the rings and the SOCKS5 handshake
// stay plain code; the Qt adapter in platform/ is the real one.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace vexal {

// Socket states the client tests. Anything other than connected counts as not connected.
constexpr int kSocketClosed = 0;
constexpr int kSocketConnected = 7;

class SocketPort {
public:
    virtual ~SocketPort() = default;
    virtual int state() const = 0;
    virtual void sendBytes(std::span<const uint8_t> bytes) = 0;
    virtual std::vector<uint8_t> readAvailable() = 0;
};

}  // namespace vexal
