// The SOCKS5 handshake (RFC 1928, user/password of RFC 1929) that runs on the game socket before the
// first game frame. Plain state machine: the Qt driver in platform/ feeds it the socket's bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vexal {

inline constexpr std::string_view kProxyRequestFailed = "请求代理失败！";
inline constexpr std::string_view kProxyAuthFailed = "代理服务器用户验证失败！";
inline constexpr std::string_view kProxyConnectFailed = "通过代理连接主站失败！";
inline constexpr std::string_view kProxyConnected = "连接代理服务器成功！";
// Our own: the proxy's TCP connection cannot be made or does not come up in time.
inline constexpr std::string_view kProxyUnreachable = "无法连接代理服务器！";
inline constexpr std::string_view kProxyTimedOut = "连接代理服务器超时！";

struct Socks5Settings {
    std::string userName;  // UTF-8; each character goes out as one code page 936 byte
    std::string password;
    std::string serverHost;  // the game server: a dotted IPv4 address, or a host name
    uint16_t serverPort = 0;
};

// Messages the client writes, as bytes.
std::vector<uint8_t> socks5Greeting();
// 1, name length, name bytes, password length, password bytes. Lengths count characters; a character
// whose code page 936 code needs two bytes goes out as 0. At most 255 characters of each are sent.
std::vector<uint8_t> socks5AuthRequest(std::string_view userName, std::string_view password);
// 5, 1, 0, then the address and the port high byte first. A host of digits and dots is an IPv4
// address (a part that is not a number 0..255 is sent as 0); any other host goes as a domain name.
std::vector<uint8_t> socks5ConnectRequest(std::string_view host, uint16_t port);

// Length of the connect reply starting at `reply`, or 0 while too few bytes have arrived to tell.
// -1 for an address type the client cannot measure.
int socks5ConnectReplyLength(std::span<const uint8_t> reply);

class Socks5Handshake {
public:
    enum class State : uint8_t {
        Idle = 0,
        GreetingToSend = 1,
        WaitingForMethod = 2,
        AuthToSend = 3,
        WaitingForAuth = 4,
        ConnectToSend = 5,
        WaitingForConnect = 6,
        Through = 7,  // the proxy has connected us to the game server
        Failed = 8,
    };

    struct Step {
        enum class Action {
            Wait,      // the reply is not complete yet
            Send,      // write `send` to the socket
            Through,   // the game stream starts; `gameBytes` already arrived behind the reply
            Fail,      // show `message` and close the socket
        };
        Action action = Action::Wait;
        std::vector<uint8_t> send;
        std::vector<uint8_t> gameBytes;
        std::string message;
    };

    explicit Socks5Handshake(Socks5Settings settings = {}) : m_settings(std::move(settings)) {}

    // The proxy's TCP connection is up: returns the greeting to write.
    std::vector<uint8_t> start();
    // Bytes that arrived from the proxy. Each reply is taken only once it is complete, however it is
    // split over arrivals; bytes behind the connect reply belong to the game stream. A reply is at
    // most 262 bytes and is consumed whole, so the buffer stays small; anything the proxy sends
    // behind a method or authentication reply is dropped with it when the next request goes out.
    Step feed(std::span<const uint8_t> bytes);
    // The socket closed before the proxy let us through: the failure of the reply being awaited.
    Step socketClosed();

    State state() const { return m_state; }
    size_t bufferedBytes() const { return m_buffer.size(); }

private:
    Step sendNext(State toSend);
    Step fail(std::string_view message);

    Socks5Settings m_settings;
    State m_state = State::Idle;
    std::vector<uint8_t> m_buffer;
};

}  // namespace vexal
