// The lobby's "$"-terminated launch string, read into the own player's identity and session settings.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace vexal {

// Proxy types of field 6 that open a connection; any other value opens none.
constexpr int kProxyDirect = 0;
constexpr int kProxySocks5 = 5;

enum class ConnectionMode {
    Direct,  // connect the socket and arm the login task
    Socks5,  // start the proxy handshake, which writes the login itself
    None,    // any other proxy type: the table shows, nothing connects
};

// What the fifteen fields say, as stored. Text fields are the program's UTF-8.
struct LaunchParameters {
    std::string account;           // 1
    std::string password;          // 2
    std::string serverHost;        // 3
    uint16_t serverPort = 0;       // 4
    std::string location;          // 5, whole field
    int16_t proxyType = 0;         // 6
    std::string proxyHost;         // 7
    uint16_t proxyPort = 0;        // 8
    std::string proxyUser;         // 9
    std::string proxyPassword;     // 10
    bool customTitle = false;      // 11, on only when the field reads as exactly 1
    std::string lobbyTitle;        // 12
    std::string tableCaption;      // 13
    int16_t propSwitch = 0;        // 14, exactly 1 allows the prop plug-in
    int16_t propNumber = 0;        // 15, handed to the prop plug-in
    bool spectator = false;        // the string did not end in "$"

    // The location label's text: field 5 without its first 5 characters.
    std::string shownLocation() const;
    // The label uses a font 2 points smaller when the shown text is longer than 10 characters.
    bool locationNeedsSmallerFont() const;
    ConnectionMode connectionMode() const;
    // The lobby window title once the socket has been opened: field 12 with the custom title
    // flag on, otherwise the lobby's own title.
    std::string lobbyTitleAfterConnect() const;
};

enum class LaunchFailureKind {
    EmptyCommandLine,      // the user started the client by hand: a message box, then the end
    TooFewFields,          // the text ran out before field 15
    NotANumber,            // a numeric field is empty or not a number
    OutOfRange,            // a numeric field does not fit its 16-bit range, or a proxy user
                           // name or password is longer than its one-byte length allows
    SpectatorTailNotANumber,  // spectator mode: the text behind field 5 is not a number
};

struct LaunchFailure {
    LaunchFailureKind kind;
    int field = 0;  // 1..15, 0 when no single field is to blame
};

using LaunchParseResult = std::variant<LaunchParameters, LaunchFailure>;

// Reads a command line. Only EmptyCommandLine is shown to the user ("本游戏需从游戏大厅中启动！");
// every other failure restores the lobby window and ends the process without a message.
LaunchParseResult parseLaunchParameters(std::string_view commandLine);

constexpr std::string_view kLobbyTitle = "Kestrel山庄";
constexpr std::string_view kMissingLaunchText = "本游戏需从游戏大厅中启动！";
constexpr std::string_view kStartupCaption = "警告";

// The local player's session identity. The seat bit stays 0 until the server's first seat
// information fills it in.
struct OwnPlayer {
    std::string account;
    std::string password;
    std::string serverHost;
    uint16_t serverPort = 0;
    int16_t proxyType = 0;
    std::string proxyHost;
    uint16_t proxyPort = 0;
    std::string proxyUser;
    std::string proxyPassword;
    uint8_t proxyUserLength = 0;      // in characters; SOCKS5 sends one byte per character
    uint8_t proxyPasswordLength = 0;
    int16_t propSwitch = 0;
    int16_t propNumber = 0;
    bool spectator = false;
    uint8_t seatBit = 0;
};

OwnPlayer ownPlayerFrom(const LaunchParameters& params);

}  // namespace vexal
