#include "core/launchparams.h"

#include <optional>

#include "core/numbers.h"

namespace vexal {
namespace {

constexpr int kFieldCount = 15;

// UTF-8 characters: every byte that does not continue a sequence starts one.
bool startsCharacter(char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }

size_t characterCount(std::string_view text) {
    size_t count = 0;
    for (char c : text) count += startsCharacter(c) ? 1 : 0;
    return count;
}

std::string_view dropCharacters(std::string_view text, size_t count) {
    size_t i = 0;
    while (i < text.size() && count > 0) {
        ++i;
        while (i < text.size() && !startsCharacter(text[i])) ++i;
        --count;
    }
    return text.substr(i);
}

}  // namespace

std::string LaunchParameters::shownLocation() const {
    return std::string(dropCharacters(location, 5));
}

bool LaunchParameters::locationNeedsSmallerFont() const {
    return characterCount(shownLocation()) > 10;
}

ConnectionMode LaunchParameters::connectionMode() const {
    if (proxyType == kProxyDirect) return ConnectionMode::Direct;
    if (proxyType == kProxySocks5) return ConnectionMode::Socks5;
    return ConnectionMode::None;
}

std::string LaunchParameters::lobbyTitleAfterConnect() const {
    return customTitle ? lobbyTitle : std::string(kLobbyTitle);
}

LaunchParseResult parseLaunchParameters(std::string_view commandLine) {
    const std::string_view line = trimBlanks(commandLine);
    if (line.empty()) return LaunchFailure{LaunchFailureKind::EmptyCommandLine, 0};

    LaunchParameters p;
    p.spectator = line.back() != '$';

    std::string_view rest = line;
    for (int k = 1; k <= kFieldCount; ++k) {
        if (rest.empty()) return LaunchFailure{LaunchFailureKind::TooFewFields, k};
        const size_t end = rest.find('$');
        const std::string_view field = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);

        std::optional<LaunchFailure> failure;
        auto toNumber = [&](int64_t min, int64_t max) -> int64_t {
            const auto wide = parseStrictInteger(field, INT64_MIN, INT64_MAX);
            if (!wide)
                failure = LaunchFailure{LaunchFailureKind::NotANumber, k};
            else if (*wide < min || *wide > max)
                failure = LaunchFailure{LaunchFailureKind::OutOfRange, k};
            return failure ? 0 : *wide;
        };

        switch (k) {
            case 1: p.account = field; break;
            case 2: p.password = field; break;
            case 3: p.serverHost = field; break;
            // Ports are unsigned 16-bit, the other numbers signed 16-bit.
            case 4: p.serverPort = static_cast<uint16_t>(toNumber(0, UINT16_MAX)); break;
            case 5:
                p.location = field;
                // A spectator's whole text behind field 5 must read as a number as well; the fields
                // after it are then still read as for a player.
                if (p.spectator && !parseStrictNumber(rest))
                    failure = LaunchFailure{LaunchFailureKind::SpectatorTailNotANumber, 5};
                break;
            case 6: p.proxyType = static_cast<int16_t>(toNumber(INT16_MIN, INT16_MAX)); break;
            case 7: p.proxyHost = field; break;
            case 8: p.proxyPort = static_cast<uint16_t>(toNumber(0, UINT16_MAX)); break;
            case 9:
            case 10:
                // The proxy handshake sends each length as one byte.
                if (characterCount(field) > UINT8_MAX)
                    failure = LaunchFailure{LaunchFailureKind::OutOfRange, k};
                (k == 9 ? p.proxyUser : p.proxyPassword) = field;
                break;
            case 11: p.customTitle = leadingNumber(field) == 1.0; break;
            case 12: p.lobbyTitle = field; break;
            case 13: p.tableCaption = field; break;
            case 14: p.propSwitch = static_cast<int16_t>(toNumber(INT16_MIN, INT16_MAX)); break;
            case 15: p.propNumber = static_cast<int16_t>(toNumber(INT16_MIN, INT16_MAX)); break;
        }
        if (failure) return *failure;
    }
    return p;
}

OwnPlayer ownPlayerFrom(const LaunchParameters& params) {
    OwnPlayer own;
    own.account = params.account;
    own.password = params.password;
    own.serverHost = params.serverHost;
    own.serverPort = params.serverPort;
    own.proxyType = params.proxyType;
    own.proxyHost = params.proxyHost;
    own.proxyPort = params.proxyPort;
    own.proxyUser = params.proxyUser;
    own.proxyPassword = params.proxyPassword;
    own.proxyUserLength = static_cast<uint8_t>(characterCount(params.proxyUser));
    own.proxyPasswordLength = static_cast<uint8_t>(characterCount(params.proxyPassword));
    own.propSwitch = params.propSwitch;
    own.propNumber = params.propNumber;
    own.spectator = params.spectator;
    own.seatBit = 0;
    return own;
}

}  // namespace vexal
