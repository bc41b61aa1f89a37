#include "net/frame.h"

#include <algorithm>

#include "net/cp936.h"

namespace vexal {

CommandFrame makeFrame(uint8_t command, uint8_t ownSeatBit) {
    CommandFrame frame{};
    frame[kCommandByte] = command;
    frame[kSeatByte] = ownSeatBit;
    return frame;
}

CommandFrame makeFrame(Command command, uint8_t ownSeatBit) {
    return makeFrame(commandByte(command), ownSeatBit);
}

uint16_t readBe16(const CommandFrame& f, size_t at) {
    return static_cast<uint16_t>(f.at(at) << 8 | f.at(at + 1));
}

uint32_t readBe32(const CommandFrame& f, size_t at) {
    return uint32_t{f.at(at)} << 24 | uint32_t{f.at(at + 1)} << 16 | uint32_t{f.at(at + 2)} << 8 |
           uint32_t{f.at(at + 3)};
}

uint16_t readLe16(const CommandFrame& f, size_t at) {
    return static_cast<uint16_t>(f.at(at) | f.at(at + 1) << 8);
}

uint32_t readLe32(const CommandFrame& f, size_t at) {
    return uint32_t{f.at(at)} | uint32_t{f.at(at + 1)} << 8 | uint32_t{f.at(at + 2)} << 16 |
           uint32_t{f.at(at + 3)} << 24;
}

void writeBe16(CommandFrame& f, size_t at, uint16_t v) {
    f.at(at) = static_cast<uint8_t>(v >> 8);
    f.at(at + 1) = static_cast<uint8_t>(v);
}

void writeBe32(CommandFrame& f, size_t at, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) f.at(at + i) = static_cast<uint8_t>(v >> (24 - 8 * i));
}

void writeLe16(CommandFrame& f, size_t at, uint16_t v) {
    f.at(at) = static_cast<uint8_t>(v);
    f.at(at + 1) = static_cast<uint8_t>(v >> 8);
}

void writeLe32(CommandFrame& f, size_t at, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) f.at(at + i) = static_cast<uint8_t>(v >> (8 * i));
}

double readAmount(const CommandFrame& f, size_t signAt) {
    double amount = f.at(signAt + 8);
    for (size_t i = signAt + 7; i > signAt; --i) amount = amount * 256 + f[i];
    return f[signAt] != 0 ? -amount : amount;
}

void writeAmount(CommandFrame& f, int64_t amount, size_t signAt) {
    // The magnitude of INT64_MIN does not fit int64, so it is taken in unsigned arithmetic.
    const uint64_t magnitude = amount < 0 ? uint64_t{0} - static_cast<uint64_t>(amount) : static_cast<uint64_t>(amount);
    f.at(signAt) = amount < 0 ? 1 : 0;
    for (size_t i = 0; i < 8; ++i) f.at(signAt + 1 + i) = static_cast<uint8_t>(magnitude >> (8 * i));
}

bool SessionToken::takeFrom(const CommandFrame& frame) {
    if (frame[kCommandByte] == commandByte(Command::ReconnectAnswer)) return false;
    high = frame[kTokenByte];
    low = frame[kTokenByte + 1];
    return true;
}

void SessionToken::stampInto(CommandFrame& frame) const {
    frame[kTokenByte] = high;
    frame[kTokenByte + 1] = low;
}

uint32_t chatMarker(const CommandFrame& frame) { return readBe32(frame, kChatMarkerByte); }

bool isPluginMessage(const CommandFrame& frame) {
    if (frame[kCommandByte] != commandByte(Command::Chat)) return false;
    const uint32_t marker = chatMarker(frame);
    return marker == kPluginMarkerFull || marker == kPluginMarkerShort;
}

bool packChatText(CommandFrame& frame, std::string& pendingChatText) {
    if (pendingChatText.empty()) return false;
    std::vector<uint16_t> codes = cp936Codes(pendingChatText);
    if (codes.size() > kChatTextMaxChars) codes.resize(kChatTextMaxChars);
    size_t at = kChatTextByte;
    for (uint16_t code : codes) {
        if (code > 0xFF) frame[at++] = static_cast<uint8_t>(code >> 8);
        frame[at++] = static_cast<uint8_t>(code);
    }
    std::fill(frame.begin() + static_cast<std::ptrdiff_t>(at), frame.end(), uint8_t{0});
    pendingChatText.clear();
    return true;
}

}  // namespace vexal
