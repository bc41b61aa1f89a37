// The client's login (18) and reconnect login (28), and the server's reconnect answer (29).
//
// Command 18 / 28, client to server: byte 14 = 1; bytes 16..31 the account and bytes 32..259 the
//   password, one byte per character, each up to its first zero byte (an account longer than 16
//   characters has been overwritten by the password from byte 32 on). Command 28 adds the
//   session token in bytes 260..261 and the resume number of the last deal in bytes 268..271,
//   least significant byte first (the deal itself carries it most significant first).
// Command 29, server to client: byte 15 = 1 accepted, any other value refused.
#pragma once

#include <cstdint>
#include <string>

#include "net/command.h"

namespace vexal {

struct LoginRequest {
    bool reconnect = false;  // command 28 rather than 18
    std::string account;
    std::string password;
    uint8_t token0 = 0;  // bytes 260, 261 (reconnect only)
    uint8_t token1 = 0;
    uint32_t resumeNumber = 0;  // reconnect only
};
CommandFrame encode(const LoginRequest& m);
LoginRequest decodeLoginRequest(const CommandFrame& f);

struct ReconnectAnswer {
    uint8_t seatBit = 0;
    bool accepted = false;
};
CommandFrame encode(const ReconnectAnswer& m);
ReconnectAnswer decodeReconnectAnswer(const CommandFrame& f);

}  // namespace vexal
