#include "net/messages/wire.h"

#include <limits>
#include <vector>

#include "net/cp936.h"

namespace vexal::wire {

int64_t getLe64(const CommandFrame& f, size_t at) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = v << 8 | f.at(at + i);
    return static_cast<int64_t>(v);
}

void putLe64(CommandFrame& f, size_t at, int64_t v) {
    auto u = static_cast<uint64_t>(v);
    for (int i = 0; i < 8; ++i)
        f.at(at + i) = static_cast<uint8_t>(u >> (8 * i));
}

int64_t getSignedAmount(const CommandFrame& f, size_t signAt) {
    uint64_t magnitude = 0;
    for (int i = 8; i >= 1; --i)
        magnitude = magnitude << 8 | f.at(signAt + i);
    constexpr auto kMax = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
    if (magnitude > kMax)
        magnitude = kMax;
    auto value = static_cast<int64_t>(magnitude);
    return f.at(signAt) != 0 ? -value : value;
}

void putSignedAmount(CommandFrame& f, size_t signAt, int64_t amount) {
    f.at(signAt) = amount < 0 ? 1 : 0;
    // Negating INT64_MIN overflows; its magnitude is taken in unsigned arithmetic.
    uint64_t magnitude = amount < 0 ? 0 - static_cast<uint64_t>(amount) : static_cast<uint64_t>(amount);
    for (int i = 1; i <= 8; ++i)
        f.at(signAt + i) = static_cast<uint8_t>(magnitude >> (8 * (i - 1)));
}

std::string readOneBytePerChar(const CommandFrame& f, size_t first, size_t last) {
    std::string out;
    for (size_t i = first; i <= last && i < kFrameSize && f[i] != 0; ++i)
        out += f[i] < 0x80 ? std::string(1, static_cast<char>(f[i])) : cp936CharToUtf8(f[i]);
    return out;
}

std::string readMixed(const CommandFrame& f, size_t first, size_t last) {
    std::string out;
    size_t i = first;
    while (i <= last && i < kFrameSize && f[i] != 0) {
        if (f[i] < 0x80) {
            out += static_cast<char>(f[i]);
            ++i;
        } else if (i + 1 <= last && i + 1 < kFrameSize && f[i + 1] != 0) {
            out += cp936CharToUtf8(static_cast<uint16_t>(f[i] << 8 | f[i + 1]));
            i += 2;
        } else {
            // A lead byte at the field's end, or one followed by the terminator, stands alone.
            out += cp936CharToUtf8(f[i]);
            break;
        }
    }
    return out;
}

std::string readTwoBytePerChar(const CommandFrame& f, size_t first, size_t last) {
    std::string out;
    for (size_t i = first; i + 1 <= last && i + 1 < kFrameSize && f[i] != 0; i += 2) {
        if (f[i] >= 0x80) {
            out += cp936CharToUtf8(static_cast<uint16_t>(f[i] << 8 | f[i + 1]));
            continue;
        }
        // Not a double-byte pair (the field should hold none such): two plain bytes, the second
        // possibly the terminator.
        out += static_cast<char>(f[i]);
        if (f[i + 1] == 0)
            break;
        out += f[i + 1] < 0x80 ? std::string(1, static_cast<char>(f[i + 1])) : cp936CharToUtf8(f[i + 1]);
    }
    return out;
}

void writeOneBytePerChar(CommandFrame& f, size_t first, size_t last, std::string_view utf8) {
    size_t at = first;
    for (uint16_t code : cp936Codes(utf8)) {
        if (at > last || at >= kFrameSize)
            break;
        f[at++] = code < 0x100 ? static_cast<uint8_t>(code) : uint8_t{'?'};
    }
}

void writeMixed(CommandFrame& f, size_t first, size_t last, std::string_view utf8) {
    size_t at = first;
    for (uint16_t code : cp936Codes(utf8)) {
        size_t width = code < 0x100 ? 1 : 2;
        if (at + width - 1 > last || at + width - 1 >= kFrameSize)
            break;
        if (width == 1) {
            f[at++] = static_cast<uint8_t>(code);
        } else {
            f[at++] = static_cast<uint8_t>(code >> 8);
            f[at++] = static_cast<uint8_t>(code);
        }
    }
}

void writeTwoBytePerChar(CommandFrame& f, size_t first, size_t last, std::string_view utf8) {
    constexpr uint16_t kFullWidthQuestion = 0xA3BF;
    constexpr uint16_t kIdeographicSpace = 0xA1A1;
    size_t at = first;
    for (uint16_t code : cp936Codes(utf8)) {
        if (at + 1 > last || at + 1 >= kFrameSize)
            break;
        if (code == ' ')
            code = kIdeographicSpace;
        else if (code > 0x20 && code < 0x7F)
            code = static_cast<uint16_t>(0xA380 + code);  // code page 936's full-width row
        else if (code < 0x100)
            code = kFullWidthQuestion;
        f[at++] = static_cast<uint8_t>(code >> 8);
        f[at++] = static_cast<uint8_t>(code);
    }
}

}  // namespace vexal::wire
