// Building and reading command frames: seat bits, integer fields, amounts, text and the session token.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "net/command.h"
#include "rules/card.h"

namespace vexal {

// Command 19 carries a big-endian marker in bytes 236..239: these two values mean the frame belongs
// to the prop plug-in, anything else means chat.
constexpr size_t kChatMarkerByte = 236;
constexpr uint32_t kPluginMarkerFull = 272;
constexpr uint32_t kPluginMarkerShort = 260;
// Chat text starts at byte 16 and carries at most 100 characters (bytes 16..215 at most).
constexpr size_t kChatTextByte = 16;
constexpr size_t kChatTextMaxChars = 100;

// A frame the client builds: 272 zero bytes, the command in byte 3 and the own seat bit in byte 6.
CommandFrame makeFrame(Command command, uint8_t ownSeatBit);
CommandFrame makeFrame(uint8_t command, uint8_t ownSeatBit);

inline uint8_t commandOf(const CommandFrame& frame) { return frame[kCommandByte]; }

// Seat k travels as 2 to the power k. The seat of a bit value is its highest set bit among the low
// four; 0 and 1 both give seat 0. The high four bits of byte 6 never matter.
constexpr uint8_t seatBit(int seat) { return static_cast<uint8_t>(1u << (seat & 3)); }
constexpr int seatOfBit(uint8_t bits) {
    bits &= 0x0F;
    if (bits & 8) return 3;
    if (bits & 4) return 2;
    if (bits & 2) return 1;
    return 0;
}
// Byte 6 with its high nibble masked off.
inline uint8_t frameSeatBits(const CommandFrame& frame) { return frame[kSeatByte] & 0x0F; }
inline int frameSeat(const CommandFrame& frame) { return seatOfBit(frame[kSeatByte]); }

// Relative seat (0 the own seat at the bottom, 1 the next, 2 opposite, 3 the last) is
// `relativeSeat` of rules/card.h; this is its inverse.
constexpr int absoluteSeat(int relative, int ownSeat) { return (relative + ownSeat) & 3; }

// Integer fields; each field's owner states its byte order. Readers and writers take the first byte.
uint16_t readBe16(const CommandFrame& frame, size_t at);
uint32_t readBe32(const CommandFrame& frame, size_t at);
uint16_t readLe16(const CommandFrame& frame, size_t at);
uint32_t readLe32(const CommandFrame& frame, size_t at);
void writeBe16(CommandFrame& frame, size_t at, uint16_t value);
void writeBe32(CommandFrame& frame, size_t at, uint32_t value);
void writeLe16(CommandFrame& frame, size_t at, uint16_t value);
void writeLe32(CommandFrame& frame, size_t at, uint32_t value);

// The signed amount of commands 91 and 92: sign flag at `signAt` (non-zero = negative), magnitude in
// the eight bytes behind it with the last the most significant. Accumulated in a double, as the
// client shows it; magnitudes above 2^53 lose their low bits exactly as that accumulation does.
constexpr size_t kAmountSignByte = 16;
double readAmount(const CommandFrame& frame, size_t signAt = kAmountSignByte);
void writeAmount(CommandFrame& frame, int64_t amount, size_t signAt = kAmountSignByte);

// Text fields are read and written by the command codecs (net/messages/wire.h).

// The two bytes the server stamps into bytes 260..261 of every frame. The dispatcher takes them from
// every received frame except the reconnect answer (command 29); the send operation stamps them into
// the caller's frame object after it has been queued, so a reused frame object carries the token of
// its previous send.
struct SessionToken {
    uint8_t high = 0;  // byte 260
    uint8_t low = 0;   // byte 261

    // Copies bytes 260..261 unless the frame is a command 29. Returns whether it copied.
    bool takeFrom(const CommandFrame& frame);
    void stampInto(CommandFrame& frame) const;
    bool operator==(const SessionToken&) const = default;
};

uint32_t chatMarker(const CommandFrame& frame);
// True for a command 19 whose marker names the prop plug-in.
bool isPluginMessage(const CommandFrame& frame);

// Packs the pending chat text into a command 19 frame that is not a plug-in message: the first 100
// characters from byte 16, one byte for a single-byte character and lead then trail byte for a
// double-byte one, every byte behind the text through 271 set to 0 (the marker included), and the
// pending text cleared. Bytes before 16 stay as the sender set them. Returns false, touching
// nothing, when the pending text is empty: such a frame must not be queued.
bool packChatText(CommandFrame& frame, std::string& pendingChatText);

}  // namespace vexal
