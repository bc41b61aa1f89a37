#include "net/messages/login.h"

#include "net/messages/wire.h"

namespace vexal {

using namespace wire;

CommandFrame encode(const LoginRequest& m) {
    CommandFrame f = makeFrame(m.reconnect ? Command::ReconnectLogin : Command::Login, 0);
    f[14] = 1;
    writeOneBytePerChar(f, 16, 31, m.account);
    writeOneBytePerChar(f, 32, 259, m.password);
    if (m.reconnect) {
        f[kTokenByte] = m.token0;
        f[kTokenByte + 1] = m.token1;
        writeLe32(f, kResumeNumberByte, m.resumeNumber);
    }
    return f;
}

LoginRequest decodeLoginRequest(const CommandFrame& f) {
    LoginRequest m;
    m.reconnect = f[kCommandByte] == commandByte(Command::ReconnectLogin);
    m.account = readOneBytePerChar(f, 16, 31);
    m.password = readOneBytePerChar(f, 32, 259);
    if (m.reconnect) {
        m.token0 = f[kTokenByte];
        m.token1 = f[kTokenByte + 1];
        m.resumeNumber = readLe32(f, kResumeNumberByte);
    }
    return m;
}

CommandFrame encode(const ReconnectAnswer& m) {
    CommandFrame f = makeFrame(Command::ReconnectAnswer, m.seatBit);
    f[15] = m.accepted ? 1 : 0;
    return f;
}

ReconnectAnswer decodeReconnectAnswer(const CommandFrame& f) {
    return ReconnectAnswer{static_cast<uint8_t>(f[kSeatByte] & 0x0F), f[15] == 1};
}

}  // namespace vexal
