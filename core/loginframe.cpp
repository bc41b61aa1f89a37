#include "core/loginframe.h"

#include <vector>

#include "net/cp936.h"

namespace vexal {
namespace {

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
    for (size_t i = 0; i < 4; ++i)
        keptLogin[kResumeNumberByte + i] = static_cast<uint8_t>(resumeNumber >> (8 * i));
}

}  // namespace vexal
