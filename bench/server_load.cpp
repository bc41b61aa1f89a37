// Fills a running vexal-server with simple players, one per table with three bots: each logs in,
// presses ready whenever the table asks, sends the keep-alive and answers its own turns at once
// the way the server answers a turn that runs out (the automatic call, the lowest single when
// leading, a pass when following). Used by bench/figures to measure the server's memory with many
// tables in play.
//
// Usage: server_load PORT PLAYERS SECONDS   (SECONDS of play once every table has been dealt)
// Prints "dealt N" once every player's table has been dealt, and at the end "rounds N" (rounds
// settled as the players saw them).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "net/command.h"
#include "net/messages/calling.h"
#include "net/messages/deal.h"
#include "net/messages/login.h"
#include "net/messages/play.h"
#include "net/messages/seating.h"
#include "server/round.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Player {
    int fd = -1;
    std::string in;
    uint8_t seatBit = 0;
    uint8_t token[2] = {0, 0};
    int records = 0;  // settlement records of the current round
    bool dealt = false;
    std::vector<vexal::CardCode> hand;
    bool leading = true;  // nothing on the table to beat
};

bool sendFrame(Player& p, vexal::CommandFrame f) {
    f[vexal::kTokenByte] = p.token[0];
    f[vexal::kTokenByte + 1] = p.token[1];
    size_t done = 0;
    while (done < f.size()) {
        const ssize_t n = ::send(p.fd, f.data() + done, f.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

int connectTo(uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return -1;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Handles one frame from the server; returns 1 when it closed a round for this player.
int handle(Player& p, const vexal::CommandFrame& f) {
    using vexal::Command;
    const auto command = static_cast<Command>(f[vexal::kCommandByte]);
    p.token[0] = f[vexal::kTokenByte];
    p.token[1] = f[vexal::kTokenByte + 1];
    switch (command) {
    case Command::SeatInfo:
        if (p.seatBit == 0)
            p.seatBit = f[vexal::kSeatByte] & 0x0F;
        if ((f[226] & 0x0F) == p.seatBit)
            sendFrame(p, vexal::encode(vexal::ReadyOrLeave{p.seatBit, true}));
        return 0;
    case Command::Deal:
        p.dealt = true;
        p.hand = vexal::decodeDeal(f).cards;
        p.leading = true;
        return 0;
    case Command::CallingTurn: {
        const vexal::CallingTurn turn = vexal::decodeCallingTurn(f);
        if (turn.seatBit == p.seatBit)
            sendFrame(p, vexal::encode(vexal::server::automaticCallChoice(p.seatBit, turn.offer, p.hand)));
        return 0;
    }
    case Command::Play: {
        const vexal::PlayReport r = vexal::decodePlayReport(f);
        if (r.seatBit == p.seatBit)
            for (vexal::CardCode c : r.cards)
                std::erase_if(p.hand, [&](vexal::CardCode h) { return vexal::cardId(h) == vexal::cardId(c); });
        if (!r.cards.empty())
            p.leading = false;
        if (vexal::closesTrick(r.trickFlag))
            p.leading = true;
        if (r.nextSeatBit == p.seatBit && r.trickFlag != vexal::kTrickToPlayer && !p.hand.empty())
            sendFrame(p, vexal::server::automaticPlayFrame(p.seatBit, p.leading, p.hand));
        return 0;
    }
    case Command::RoundEnd:
        if (++p.records < 4)
            return 0;
        p.records = 0;
        sendFrame(p, vexal::encode(vexal::ReadyOrLeave{p.seatBit, true}));
        return 1;
    default:
        return 0;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: server_load PORT PLAYERS SECONDS\n");
        return 2;
    }
    const auto port = static_cast<uint16_t>(std::atoi(argv[1]));
    const int count = std::atoi(argv[2]);
    const int seconds = std::atoi(argv[3]);
    if (port == 0 || count <= 0 || seconds <= 0) {
        std::fprintf(stderr, "server_load: PORT, PLAYERS and SECONDS must be above 0\n");
        return 2;
    }

    // One player at a time: the next logs in once the one before has been dealt, so the bots have
    // filled that table and the next player opens a table of its own.
    std::vector<Player> players;
    players.reserve(static_cast<size_t>(count));
    auto connectNext = [&] {
        Player& p = players.emplace_back();
        p.fd = connectTo(port);
        if (p.fd < 0)
            return false;
        const std::string account = "load" + std::to_string(players.size() - 1);
        return sendFrame(p, vexal::buildLoginFrame(account, "pw").frame.value());
    };

    // SECONDS count from the moment every table has been dealt.
    auto end = Clock::now() + std::chrono::minutes(5);
    auto nextKeepAlive = Clock::now();
    int rounds = 0;
    bool dealtReported = false;
    std::vector<pollfd> fds;
    while (Clock::now() < end) {
        if (players.size() < static_cast<size_t>(count) && (players.empty() || players.back().dealt) &&
            !connectNext()) {
            std::fprintf(stderr, "server_load: cannot connect to port %u\n", port);
            return 1;
        }
        if (Clock::now() >= nextKeepAlive) {
            for (Player& p : players) {
                vexal::CommandFrame k{};
                k[vexal::kCommandByte] = vexal::commandByte(vexal::Command::KeepAlive);
                k[vexal::kSeatByte] = p.seatBit;
                sendFrame(p, k);
            }
            nextKeepAlive = Clock::now() + std::chrono::seconds(10);
        }
        fds.resize(players.size());
        for (size_t i = 0; i < players.size(); ++i)
            fds[i] = pollfd{players[i].fd, POLLIN, 0};
        if (::poll(fds.data(), fds.size(), 200) < 0)
            break;
        for (size_t i = 0; i < players.size(); ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            Player& p = players[i];
            char buf[8192];
            const ssize_t n = ::recv(p.fd, buf, sizeof buf, 0);
            if (n <= 0) {
                std::fprintf(stderr, "server_load: the server closed player %zu\n", i);
                return 1;
            }
            p.in.append(buf, static_cast<size_t>(n));
            while (p.in.size() >= vexal::kFrameSize) {
                vexal::CommandFrame f;
                std::copy(p.in.begin(), p.in.begin() + vexal::kFrameSize, f.begin());
                p.in.erase(0, vexal::kFrameSize);
                rounds += handle(p, f);
            }
        }
        if (!dealtReported) {
            int dealt = 0;
            for (const Player& p : players)
                dealt += p.dealt;
            if (dealt == count) {
                std::printf("dealt %d\n", dealt);
                std::fflush(stdout);
                dealtReported = true;
                end = Clock::now() + std::chrono::seconds(seconds);
            }
        }
    }
    if (!dealtReported) {
        std::fprintf(stderr, "server_load: only %zu players were dealt within five minutes\n", players.size());
        return 1;
    }
    std::printf("rounds %d\n", rounds);
    for (Player& p : players)
        ::close(p.fd);
    return 0;
}
