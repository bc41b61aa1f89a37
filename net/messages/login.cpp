#include "net/messages/login.h"

#include <vector>

#include "net/cp936.h"
#include "net/messages/wire.h"

namespace vexal {

using namespace wire;

namespace {

constexpr size_t kLoginAccountLast = kLoginPasswordByte - 1;
constexpr size_t kLoginPasswordLast = kTokenByte - 1;

std::optional<LoginFrameFailure> writeOneBytePerCharacter(CommandFrame& frame, size_t start,
                                                          std::string_view text) {
    const std::vector<uint16_t> codes = cp936Codes(text);
    for (size_t i = 0; i < codes.size(); ++i) {
        if (codes[i] > 0xFF) return LoginFrameFailure::WideCharacter;
        if (start + i >= kFrameSize) return LoginFrameFailure::TooLong;
        frame[start + i] = static_cast<uint8_t>(codes[i]);
    }
    return std::nullopt;
}

}  // namespace

LoginFrameResult buildLoginFrame(std::string_view account, std::string_view password) {
    CommandFrame frame{};
    frame[kCommandByte] = commandByte(Command::Login);
    frame[kLoginFlagByte] = 1;
    if (auto failure = writeOneBytePerCharacter(frame, kLoginAccountByte, account))
        return {std::nullopt, *failure};
    if (auto failure = writeOneBytePerCharacter(frame, kLoginPasswordByte, password))
        return {std::nullopt, *failure};
    return {frame, LoginFrameFailure::WideCharacter};
}

void makeReconnectLogin(CommandFrame& keptLogin, std::array<uint8_t, 2> sessionToken,
                        uint32_t resumeNumber) {
    keptLogin[kCommandByte] = commandByte(Command::ReconnectLogin);
    keptLogin[kLoginFlagByte] = 1;
    keptLogin[kTokenByte] = sessionToken[0];
    keptLogin[kTokenByte + 1] = sessionToken[1];
    writeLe32(keptLogin, kResumeNumberByte, resumeNumber);
}

void restoreLogin(CommandFrame& keptLogin) {
    keptLogin[kCommandByte] = commandByte(Command::Login);
    keptLogin[kTokenByte] = 0;
    keptLogin[kTokenByte + 1] = 0;
    writeLe32(keptLogin, kResumeNumberByte, 0);
}

LoginRequest decodeLoginRequest(const CommandFrame& f) {
    LoginRequest m;
    m.reconnect = f[kCommandByte] == commandByte(Command::ReconnectLogin);
    m.account = readOneBytePerChar(f, kLoginAccountByte, kLoginAccountLast);
    m.password = readOneBytePerChar(f, kLoginPasswordByte, kLoginPasswordLast);
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
