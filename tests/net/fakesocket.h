// A socket that records what is written to it, for the transport tests.
#pragma once

#include <algorithm>
#include <utility>
#include <vector>

#include "net/command.h"
#include "net/socketport.h"

namespace vexal::test {

class FakeSocket : public SocketPort {
public:
    int state() const override { return socketState; }
    void sendBytes(std::span<const uint8_t> bytes) override { written.insert(written.end(), bytes.begin(), bytes.end()); }
    std::vector<uint8_t> readAvailable() override { return std::exchange(incoming, {}); }

    std::vector<CommandFrame> writtenFrames() const {
        std::vector<CommandFrame> frames(written.size() / kFrameSize);
        for (size_t i = 0; i < frames.size(); ++i)
            std::copy_n(written.begin() + static_cast<std::ptrdiff_t>(i * kFrameSize), kFrameSize, frames[i].begin());
        return frames;
    }

    int socketState = kSocketConnected;
    std::vector<uint8_t> written;
    std::vector<uint8_t> incoming;
};

}  // namespace vexal::test
