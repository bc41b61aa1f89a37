// The client's login (18) and reconnect login (28), and the server's reconnect answer (29).
//
// Command 18, client to server: byte 14 = 1; the account from byte 16 and the password from byte
//   32, one byte per character (its code page 936 code). The server reads the account in bytes
//   16..31 and the password in bytes 32..259, each up to its first zero byte.
// Command 28: the kept login frame, changed in place by each reconnect attempt: the session token
//   in bytes 260..261 and the resume number of the last deal in bytes 268..271, least significant
//   byte first (the deal itself carries it most significant first). Once the reconnect is over it
//   is command 18 again, those fields zero.
// Command 29, server to client: byte 15 = 1 accepted, any other value refused.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
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

// The login frame (command 18), built once at start-up and kept. An account of more than 16
// characters runs into the password's place and the password overwrites it there; the server
// reads the fields at these fixed places, so the layout stays. Any failure fails the start-up.
LoginFrameResult buildLoginFrame(std::string_view account, std::string_view password);

// Turns the kept login frame into the reconnect login (command 28) in place; a later attempt
// rewrites the fields with the newest token and resume number.
void makeReconnectLogin(CommandFrame& keptLogin, std::array<uint8_t, 2> sessionToken,
                        uint32_t resumeNumber);
// Turns a reconnect login back into the login (command 18) it was made from: the next connection
// logs in as a newcomer, since the seat the reconnect asked for is no longer kept.
void restoreLogin(CommandFrame& keptLogin);

// A login or reconnect login as the server reads it.
struct LoginRequest {
    bool reconnect = false;  // command 28 rather than 18
    std::string account;
    std::string password;
    uint8_t token0 = 0;  // bytes 260, 261 (reconnect only)
    uint8_t token1 = 0;
    uint32_t resumeNumber = 0;  // reconnect only
};
LoginRequest decodeLoginRequest(const CommandFrame& f);

struct ReconnectAnswer {
    uint8_t seatBit = 0;
    bool accepted = false;
};
CommandFrame encode(const ReconnectAnswer& m);
ReconnectAnswer decodeReconnectAnswer(const CommandFrame& f);

}  // namespace vexal
