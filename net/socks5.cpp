#include "net/socks5.h"

#include <algorithm>
#include <charconv>

#include "net/cp936.h"

namespace vexal {
namespace {

constexpr uint8_t kVersion = 5;
constexpr uint8_t kAuthVersion = 1;
constexpr uint8_t kMethodNone = 0;
constexpr uint8_t kMethodUserPassword = 2;
constexpr uint8_t kCommandConnect = 1;
constexpr uint8_t kAddressIpv4 = 1;
constexpr uint8_t kAddressDomain = 3;
constexpr uint8_t kAddressIpv6 = 4;
constexpr size_t kMaxFieldChars = 255;

void appendField(std::vector<uint8_t>& out, std::string_view utf8) {
    std::vector<uint16_t> codes = cp936Codes(utf8);
    if (codes.size() > kMaxFieldChars) codes.resize(kMaxFieldChars);
    out.push_back(static_cast<uint8_t>(codes.size()));
    for (uint16_t code : codes) out.push_back(code > 0xFF ? 0 : static_cast<uint8_t>(code));
}

bool isDottedNumbers(std::string_view host) {
    return !host.empty() &&
           std::all_of(host.begin(), host.end(), [](char c) { return c == '.' || (c >= '0' && c <= '9'); });
}

uint8_t addressPart(std::string_view part) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (part.empty() || error != std::errc() || end != part.data() + part.size() || value > 255) return 0;
    return static_cast<uint8_t>(value);
}

}  // namespace

std::vector<uint8_t> socks5Greeting() { return {kVersion, 2, kMethodNone, kMethodUserPassword}; }

std::vector<uint8_t> socks5AuthRequest(std::string_view userName, std::string_view password) {
    std::vector<uint8_t> out{kAuthVersion};
    appendField(out, userName);
    appendField(out, password);
    return out;
}

std::vector<uint8_t> socks5ConnectRequest(std::string_view host, uint16_t port) {
    std::vector<uint8_t> out;
    out.reserve(7 + kMaxFieldChars);
    out.assign({kVersion, kCommandConnect, 0});
    if (isDottedNumbers(host)) {
        out.push_back(kAddressIpv4);
        size_t start = 0;
        for (int i = 0; i < 4; ++i) {
            const size_t dot = std::min(host.find('.', start), host.size());
            out.push_back(start <= host.size() ? addressPart(host.substr(start, dot - start)) : 0);
            start = dot + 1;
        }
    } else {
        // Host names are not in the client's original request; sending them by name lets the proxy
        // resolve them instead of connecting to 0.0.0.0.
        const std::string_view name = host.substr(0, kMaxFieldChars);
        out.push_back(kAddressDomain);
        out.push_back(static_cast<uint8_t>(name.size()));
        out.insert(out.end(), name.begin(), name.end());
    }
    out.push_back(static_cast<uint8_t>(port >> 8));
    out.push_back(static_cast<uint8_t>(port & 0xFF));
    return out;
}

int socks5ConnectReplyLength(std::span<const uint8_t> reply) {
    if (reply.size() < 4) return 0;
    switch (reply[3]) {
    case kAddressIpv4: return 10;
    case kAddressIpv6: return 22;
    case kAddressDomain: return reply.size() < 5 ? 0 : 7 + reply[4];
    default: return -1;
    }
}

std::vector<uint8_t> Socks5Handshake::start() {
    m_state = State::WaitingForMethod;
    m_buffer.clear();
    return socks5Greeting();
}

Socks5Handshake::Step Socks5Handshake::sendNext(State toSend) {
    Step step;
    step.action = Step::Action::Send;
    step.send = toSend == State::AuthToSend
                    ? socks5AuthRequest(m_settings.userName, m_settings.password)
                    : socks5ConnectRequest(m_settings.serverHost, m_settings.serverPort);
    m_state = toSend == State::AuthToSend ? State::WaitingForAuth : State::WaitingForConnect;
    m_buffer.clear();
    return step;
}

Socks5Handshake::Step Socks5Handshake::fail(std::string_view message) {
    m_state = State::Failed;
    m_buffer.clear();
    Step step;
    step.action = Step::Action::Fail;
    step.message = message;
    return step;
}

Socks5Handshake::Step Socks5Handshake::feed(std::span<const uint8_t> bytes) {
    if (m_state != State::WaitingForMethod && m_state != State::WaitingForAuth &&
        m_state != State::WaitingForConnect)
        return {};
    m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
    if (m_buffer.size() < 2) return {};
    const uint8_t b0 = m_buffer[0];
    const uint8_t b1 = m_buffer[1];
    switch (m_state) {
    case State::WaitingForMethod:
        if (b0 != kVersion || (b1 != kMethodNone && b1 != kMethodUserPassword)) return fail(kProxyRequestFailed);
        return sendNext(b1 == kMethodUserPassword ? State::AuthToSend : State::ConnectToSend);
    case State::WaitingForAuth:
        if (b0 != kAuthVersion || b1 != 0) return fail(kProxyAuthFailed);
        return sendNext(State::ConnectToSend);
    default: {
        if (b0 != kVersion || b1 != 0) return fail(kProxyConnectFailed);
        const int length = socks5ConnectReplyLength(m_buffer);
        if (length < 0) return fail(kProxyConnectFailed);
        if (length == 0 || m_buffer.size() < static_cast<size_t>(length)) return {};
        Step step;
        step.action = Step::Action::Through;
        step.gameBytes.assign(m_buffer.begin() + length, m_buffer.end());
        m_buffer.clear();
        m_state = State::Through;
        return step;
    }
    }
}

Socks5Handshake::Step Socks5Handshake::socketClosed() {
    switch (m_state) {
    case State::WaitingForMethod: return fail(kProxyRequestFailed);
    case State::WaitingForAuth: return fail(kProxyAuthFailed);
    case State::WaitingForConnect: return fail(kProxyConnectFailed);
    default: return {};
    }
}

}  // namespace vexal
