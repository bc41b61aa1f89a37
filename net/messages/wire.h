// Field helpers the command codecs add to net/frame.h: exact 64-bit integers and amounts, and
// the three text readings together with their writers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "net/command.h"
#include "net/frame.h"

namespace vexal::wire {

// Seat bits and fresh frames are the ones the client builds with; the server's code names them
// through this namespace.
using vexal::makeFrame;
using vexal::seatBit;
using vexal::seatOfBit;

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
