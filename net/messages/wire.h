// Field helpers shared by the command codecs: seat bits, integers of both byte orders, the
// signed 64-bit amount and the three text readings of frame text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "net/command.h"

namespace vexal::wire {

// Seat k travels as 2 to the power k; a bit value names the seat of its highest set bit among
// the low four (0 and 1 both name seat 0). The high four bits of byte 6 never matter.
constexpr uint8_t seatBit(int seat) { return static_cast<uint8_t>(1u << (seat & 3)); }
constexpr int seatOfBit(uint8_t bits) {
    bits &= 0x0F;
    if (bits & 8) return 3;
    if (bits & 4) return 2;
    if (bits & 2) return 1;
    return 0;
}

// A fresh frame: 272 zero bytes with the command number and the seat bit set.
CommandFrame makeFrame(Command command, uint8_t seatBits);

uint16_t getBe16(const CommandFrame& f, size_t at);
uint32_t getBe32(const CommandFrame& f, size_t at);
void putBe32(CommandFrame& f, size_t at, uint32_t v);
uint16_t getLe16(const CommandFrame& f, size_t at);
uint32_t getLe32(const CommandFrame& f, size_t at);
void putLe32(CommandFrame& f, size_t at, uint32_t v);
void putLe16(CommandFrame& f, size_t at, uint16_t v);
// Two's complement, lowest byte first. The server only ever writes non-negative values, for
// which this equals the client's unsigned accumulation into a double.
int64_t getLe64(const CommandFrame& f, size_t at);
void putLe64(CommandFrame& f, size_t at, int64_t v);

// Sign byte at `signAt` (non-zero: negative), unsigned magnitude in the eight bytes from
// `signAt + 1`, least significant first. A magnitude beyond the int64 range saturates.
int64_t getSignedAmount(const CommandFrame& f, size_t signAt);
void putSignedAmount(CommandFrame& f, size_t signAt, int64_t amount);

// Text fields run from `first` to `last` (inclusive) and end at the first zero byte. The program's
// own text is UTF-8; on the wire it is code page 936.
//  - one byte per character: each byte is a character of its own;
//  - mixed: a byte below 0x80 is one character, a byte of 0x80 or more leads a two-byte one;
//  - two bytes per character: every pair is one double-byte character (a zero lead byte ends).
std::string readOneBytePerChar(const CommandFrame& f, size_t first, size_t last);
std::string readMixed(const CommandFrame& f, size_t first, size_t last);
std::string readTwoBytePerChar(const CommandFrame& f, size_t first, size_t last);

// Writers for the same readings. Text is cut at the field's end without splitting a character;
// the field's remaining bytes are left as they are (0 in a fresh frame). A character the reading
// cannot carry is written as '?' (one byte per character) or as its full-width form (two bytes
// per character: ASCII becomes U+FF01..U+FF5E, anything else the full-width question mark).
void writeOneBytePerChar(CommandFrame& f, size_t first, size_t last, std::string_view utf8);
void writeMixed(CommandFrame& f, size_t first, size_t last, std::string_view utf8);
void writeTwoBytePerChar(CommandFrame& f, size_t first, size_t last, std::string_view utf8);

}  // namespace vexal::wire
