// Code page 936 (GBK) text as it travels in frames and INI files; the program's own text is UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vexal {

// The code page 936 code of each character of a UTF-8 text: below 0x100 for a single-byte
// character, lead * 256 + trail for a double-byte one. A character code page 936 cannot
// represent becomes '?', as the platform's own conversion does; invalid UTF-8 likewise.
std::vector<uint16_t> cp936Codes(std::string_view utf8);

// Code page 936 bytes of a UTF-8 text (unrepresentable characters become '?').
std::string utf8ToCp936(std::string_view utf8);

// UTF-8 text of code page 936 bytes in the "mixed" reading: a byte below 0x80 is one character,
// a byte of 0x80 or more leads a two-byte character. A broken pair becomes U+FFFD.
std::string cp936ToUtf8(std::string_view cp936);

// UTF-8 of one code page 936 character code (single byte, or lead * 256 + trail);
// U+FFFD when the code names no character.
std::string cp936CharToUtf8(uint16_t code);

}  // namespace vexal
