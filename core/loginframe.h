// The login frame built once at start-up, and the reconnect login each attempt makes of it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "net/command.h"

namespace vexal {

constexpr size_t kLoginFlagByte = 14;
constexpr size_t kLoginAccountByte = 16;
constexpr size_t kLoginPasswordByte = 32;

enum class LoginFrameFailure {
    WideCharacter,  // a character whose code page 936 code takes two bytes
    TooLong,        // a character would land beyond byte 271
};

struct LoginFrameResult {
    std::optional<CommandFrame> frame;
    LoginFrameFailure failure = LoginFrameFailure::WideCharacter;
};

// Command 18: byte 14 = 1, the account from byte 16 and then the password from byte 32, one byte
// per character (its code page 936 code). An account of more than 16 characters runs into the
// password's place and the password overwrites it there; the server reads the fields at these
// fixed places, so the layout stays. Any failure fails the start-up.
LoginFrameResult buildLoginFrame(std::string_view account, std::string_view password);

// Turns the kept login frame into the reconnect login (command 28) in place: the current session
// token in bytes 260..261 and the resume number of the last deal in bytes 268..271.
void makeReconnectLogin(CommandFrame& keptLogin, std::array<uint8_t, 2> sessionToken,
                        uint32_t resumeNumber);

}  // namespace vexal
