#include "wireclient.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "net/messages/calling.h"
#include "net/messages/deal.h"
#include "net/messages/login.h"
#include "net/messages/seating.h"
#include "net/messages/play.h"
#include "net/messages/wire.h"
#include "rules/arrange.h"
#include "rules/hint.h"
#include "server/bot.h"
#include "server/round.h"

extern char** environ;

namespace vexal::server::testing {

ServerProcess::ServerProcess(const std::vector<std::string>& flags) {
    char logTemplate[] = "/tmp/vexal-server-log-XXXXXX";
    int logFd = mkstemp(logTemplate);
    if (logFd < 0)
        throw std::runtime_error("no log file");
    m_logPath = logTemplate;
    int out[2];
    if (pipe(out) != 0)
        throw std::runtime_error("no pipe");
    std::vector<std::string> args = {VEXAL_BINARY_DIR "/bin/vexal-server", "--port", "0"};
    args.insert(args.end(), flags.begin(), flags.end());
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, logFd, 2);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        throw std::runtime_error("cannot start vexal-server");
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(logFd);
    // The server prints "listening on 127.0.0.1:PORT" once it accepts connections.
    std::string line;
    char c;
    pollfd pfd{out[0], POLLIN, 0};
    while (line.find('\n') == std::string::npos && poll(&pfd, 1, 10000) > 0 && read(out[0], &c, 1) == 1)
        line += c;
    ::close(out[0]);
    const std::string prefix = "listening on 127.0.0.1:";
    if (line.rfind(prefix, 0) != 0)
        throw std::runtime_error("unexpected first line: " + line);
    m_port = static_cast<uint16_t>(std::stoi(line.substr(prefix.size())));
}

ServerProcess::~ServerProcess() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        int status = 0;
        waitpid(m_pid, &status, 0);
    }
    std::remove(m_logPath.c_str());
}

int ServerProcess::terminate() {
    if (m_pid <= 0)
        return -1;
    kill(m_pid, SIGTERM);
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool ServerProcess::running() {
    int status = 0;
    return m_pid > 0 && waitpid(m_pid, &status, WNOHANG) == 0;
}

std::string ServerProcess::log() const {
    std::ifstream in(m_logPath);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

Connection::Connection(uint16_t port) {
    m_fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
        throw std::runtime_error("cannot connect");
    int one = 1;
    setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

Connection::~Connection() { close(); }

void Connection::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void Connection::sendRaw(const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0 && m_fd >= 0) {
        ssize_t n = ::send(m_fd, p, size, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        p += n;
        size -= static_cast<size_t>(n);
    }
}

void Connection::send(const CommandFrame& frame) { sendRaw(frame.data(), frame.size()); }

bool Connection::readAvailable() {
    char buf[4096];
    while (m_fd >= 0) {
        ssize_t n = recv(m_fd, buf, sizeof buf, MSG_DONTWAIT);
        if (n > 0) {
            m_buffer.append(buf, static_cast<size_t>(n));
            continue;
        }
        if (n == 0) {
            m_peerClosed = true;
            return false;
        }
        return errno == EAGAIN || errno == EWOULDBLOCK;
    }
    return false;
}

std::optional<CommandFrame> Connection::takeFrame() {
    if (m_buffer.size() < kFrameSize)
        return std::nullopt;
    CommandFrame f;
    std::copy(m_buffer.begin(), m_buffer.begin() + kFrameSize, f.begin());
    m_buffer.erase(0, kFrameSize);
    return f;
}

void login(Player& p, uint16_t port) {
    p.conn = std::make_unique<Connection>(port);
    p.conn->send(buildLoginFrame(p.account, "pw").frame.value());
}

void sendReconnect(Player& p, uint16_t port, uint8_t token0, uint8_t token1, uint32_t resume) {
    p.conn = std::make_unique<Connection>(port);
    p.reconnectAnswer.reset();
    CommandFrame reconnect = buildLoginFrame(p.account, "pw").frame.value();
    makeReconnectLogin(reconnect, {token0, token1}, resume);
    p.conn->send(reconnect);
}

namespace {

CommandFrame withToken(const Player& p, CommandFrame f) {
    f[kTokenByte] = p.token[0];
    f[kTokenByte + 1] = p.token[1];
    return f;
}

// The play to beat as a client keeps it: real cards first in the order received, wild cards
// after; only the first entry's rank, the type and the count matter.
LastPlay lastPlayOf(const PlayReport& r) {
    LastPlay last;
    last.type = r.type;
    last.count = static_cast<int>(r.cards.size());
    int k = 0;
    for (CardCode c : r.cards)
        if (!isWild(c))
            last.entries[k++] = cardRank(c) * 256 + suitBit(c);
    for (CardCode c : r.cards)
        if (isWild(c))
            last.entries[k++] = cardRank(c) * 256;
    return last;
}

void handle(Player& p, const CommandFrame& f) {
    p.received.push_back(f);
    const auto command = static_cast<Command>(f[kCommandByte]);
    if (command != Command::ReconnectAnswer) {
        p.token[0] = f[kTokenByte];
        p.token[1] = f[kTokenByte + 1];
    }
    switch (command) {
    case Command::Login:
        p.loggedIn = f[15] == 1;
        break;
    case Command::ReconnectAnswer:
        p.reconnectAnswer = f[15];
        break;
    case Command::SeatInfo:
        if (p.seatBit == 0)
            p.seatBit = f[kSeatByte] & 0x0F;
        // The own seat's information arms the start button; this client presses it at once.
        if ((f[226] & 0x0F) == p.seatBit && p.autoReady)
            p.conn->send(withToken(p, encode(ReadyOrLeave{p.seatBit, true})));
        break;
    case Command::Deal: {
        Deal d = decodeDeal(f);
        EXPECT_EQ(d.seatBit, p.seatBit) << p.account << " got another seat's deal";
        if (d.cards.size() == kHandSlots) {
            p.dealt = d.cards;
            p.roundStart = p.received.size() - 1;
        }
        p.hand = d.cards;
        p.resume = d.resumeNumber;
        p.records.clear();
        p.last = LastPlay{};
        break;
    }
    case Command::CallingTurn:
        if ((f[kSeatByte] & 0x0F) == p.seatBit)
            p.conn->send(withToken(p, encode(automaticCallChoice(p.seatBit, f[11], p.hand))));
        break;
    case Command::Play: {
        PlayReport r = decodePlayReport(f);
        if (!r.cards.empty()) {
            if (r.seatBit == p.seatBit)
                for (CardCode c : r.cards)
                    std::erase_if(p.hand, [&](CardCode h) { return cardId(h) == cardId(c); });
            p.last = lastPlayOf(r);
        }
        if (closesTrick(r.trickFlag))
            p.last = LastPlay{};
        if (r.nextSeatBit == p.seatBit && r.trickFlag != kTrickToPlayer) {
            CommandFrame own = withToken(p, choosePlay(p));
            if (p.hold)
                p.pending = own;
            else if (!p.beforePlay || p.beforePlay(p, own))
                p.conn->send(own);
        }
        break;
    }
    case Command::RoundEnd:
        p.records.push_back(decodeSettlement(f));
        if (p.records.size() == kSeats) {
            ++p.settlements;
            if (p.autoReady)
                p.conn->send(withToken(p, encode(ReadyOrLeave{p.seatBit, true})));
        }
        break;
    default:
        break;
    }
}

}  // namespace

void Player::release() {
    hold = false;
    if (pending && conn)
        conn->send(*pending);
    pending.reset();
}

void pumpFor(std::vector<Player*> players, int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    pump(players, [&] { return std::chrono::steady_clock::now() >= until; }, ms + 1000);
}

CommandFrame choosePlay(const Player& p) {
    if (p.last.type == kPlayNone) {
        std::vector<CardCode> lead = botLead(p.hand);
        sortSelection(lead);
        PlayType type = ClassifyPlay(kPlayNone, lead);
        if (type == kPlayUndecided)
            type = kPlayPairRun;
        return *buildPlayFrame(p.seatBit, type, arrangePlay(type, lead));
    }
    HintResult hint = hintSearch(p.hand, p.last);
    if (hint.pass)
        return buildPassFrame(p.seatBit);
    std::vector<CardCode> sel;
    for (int slot : hint.slots)
        sel.push_back(p.hand[slot]);
    sortSelection(sel);
    PlayType type = ClassifyPlay(p.last.type, sel);
    return *buildPlayFrame(p.seatBit, type, arrangePlay(type, sel));
}

bool pump(std::vector<Player*> players, const std::function<bool()>& done, int idleLimitMs) {
    int idleMs = 0;
    for (;;) {
        // Frames already buffered first: poll only reports bytes not yet read.
        for (Player* p : players) {
            while (p->conn) {
                std::optional<CommandFrame> f = p->conn->takeFrame();
                if (!f)
                    break;
                handle(*p, *f);
                if (done())
                    return true;
            }
        }
        if (done())
            return true;
        std::vector<pollfd> fds;
        std::vector<Player*> who;
        for (Player* p : players) {
            if (p->conn && p->conn->open() && !p->conn->peerClosed()) {
                fds.push_back({p->conn->fd(), POLLIN, 0});
                who.push_back(p);
            }
        }
        if (fds.empty())
            return false;
        // Short polls, so that a `done` that watches the clock is seen in time.
        constexpr int kSlice = 50;
        if (poll(fds.data(), fds.size(), kSlice) <= 0) {
            idleMs += kSlice;
            if (idleMs < idleLimitMs)
                continue;
            ADD_FAILURE() << "no frame for " << idleLimitMs << " ms";
            return false;
        }
        idleMs = 0;
        for (size_t i = 0; i < fds.size(); ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            who[i]->conn->readAvailable();
        }
    }
}

}  // namespace vexal::server::testing
