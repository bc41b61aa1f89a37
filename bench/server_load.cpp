// Fills a running vexal-server with simple players, one per table with three bots (nobody plays
// until every player has been dealt, so that each login opens a table of its own): each logs in,
// presses ready whenever the table asks, sends the keep-alive and answers its own turns the way
// the server answers a turn that runs out (the automatic call, the lowest single when leading, a
// pass when following). Used by bench/figures for the server's memory and its load figures.
//
// Usage: server_load PORT PLAYERS SECONDS [--pace flat|human] [--server-pid PID] [--seed N]
//   flat (default): a player answers its turn at once; human: after 1 to 3 seconds.
// SECONDS of play are measured once every player's table has been dealt. Prints "dealt N" then,
// at the end, "rounds N" (rounds settled in the window, as the players saw them), the rounds per
// second, the turn -> echo times (from the frame that gives a player its turn, or in human pace
// from its answer, to the server's frame carrying that player's own call or play) and the CPU the
// server (with --server-pid) and the driver itself spent in the window, from /proc/PID/stat.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <queue>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
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
    std::vector<uint8_t> in;
    uint8_t seatBit = 0;
    uint8_t token[2] = {0, 0};
    int records = 0;  // settlement records of the current round
    bool dealt = false;
    std::vector<vexal::CardCode> hand;
    bool leading = true;  // nothing on the table to beat
    bool awaitingEcho = false;
    Clock::time_point turnAt{};          // when the turn began for the timing
    vexal::CommandFrame answer{};        // human pace: the answer waiting for its moment
    bool answerWaiting = false;
};

struct Options {
    bool humanPace = false;
    long serverPid = 0;
    unsigned seed = 1;
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
    // A play written right after a keep-alive must not wait for the server's delayed ACK.
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

// Clock ticks of user and system time a process has spent, from /proc/PID/stat; -1 when gone.
long long cpuTicks(long pid) {
    std::ifstream in(pid == 0 ? std::string("/proc/self/stat") : "/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(in, text))
        return -1;
    // The command name may hold spaces: the fields after it start behind the last ')'.
    std::istringstream rest(text.substr(text.rfind(')') + 2));
    std::string field;
    long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14)
            utime = std::stoll(field);
        if (i == 15)
            stime = std::stoll(field);
    }
    return utime + stime;
}

class Driver {
public:
    Driver(const Options& o) : m_options(o), m_rng(o.seed) {}

    bool measuring = false;
    bool holding = true;
    int rounds = 0;
    std::vector<double> latenciesMs;

    // The answer is sent at once in flat pace, after 1 to 3 seconds in human pace. While players
    // are still logging in, answers wait: a round that ends leaves its table open to a newcomer
    // until its player is ready again, and a newcomer seated there would leave a table empty.
    void answer(Player& p, const vexal::CommandFrame& f, Clock::time_point now) {
        if (holding) {
            p.answer = f;
            p.answerWaiting = true;
            m_held.push_back(static_cast<int>(&p - m_players->data()));
            return;
        }
        if (!m_options.humanPace) {
            p.turnAt = now;
            p.awaitingEcho = true;
            sendFrame(p, f);
            return;
        }
        p.answer = f;
        p.answerWaiting = true;
        const auto wait = std::chrono::milliseconds(std::uniform_int_distribution<int>(1000, 3000)(m_rng));
        m_waiting.push({now + wait, static_cast<int>(&p - m_players->data())});
    }

    // Every player is seated at a table of its own: the answers held back go out.
    void release(Clock::time_point now) {
        holding = false;
        for (int i : m_held) {
            Player& p = (*m_players)[static_cast<size_t>(i)];
            if (!p.answerWaiting)
                continue;
            p.answerWaiting = false;
            answer(p, p.answer, now);
        }
        m_held.clear();
    }

    void sendDue(Clock::time_point now) {
        while (!m_waiting.empty() && m_waiting.top().first <= now) {
            Player& p = (*m_players)[static_cast<size_t>(m_waiting.top().second)];
            m_waiting.pop();
            if (!p.answerWaiting)
                continue;
            p.answerWaiting = false;
            p.turnAt = Clock::now();
            p.awaitingEcho = true;
            sendFrame(p, p.answer);
        }
    }
    int msUntilNextAnswer(Clock::time_point now) const {
        if (m_waiting.empty())
            return 200;
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(m_waiting.top().first - now).count();
        return static_cast<int>(std::clamp<long long>(ms + 1, 0, 200));
    }

    void echoed(Player& p, Clock::time_point now) {
        if (!p.awaitingEcho)
            return;
        p.awaitingEcho = false;
        if (measuring)
            latenciesMs.push_back(std::chrono::duration<double, std::milli>(now - p.turnAt).count());
    }

    // Handles one frame from the server.
    void handle(Player& p, const vexal::CommandFrame& f, Clock::time_point now) {
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
            return;
        case Command::Deal:
            p.dealt = true;
            p.hand = vexal::decodeDeal(f).cards;
            p.leading = true;
            return;
        case Command::CallingTurn: {
            const vexal::CallingTurn turn = vexal::decodeCallingTurn(f);
            if (turn.seatBit == p.seatBit)
                answer(p, vexal::encode(vexal::server::automaticCallChoice(p.seatBit, turn.offer, p.hand)), now);
            return;
        }
        case Command::CallResult:
            if (vexal::decodeCallChoice(f).seatBit == p.seatBit)
                echoed(p, now);
            return;
        case Command::Play: {
            const vexal::PlayReport r = vexal::decodePlayReport(f);
            if (r.seatBit == p.seatBit) {
                echoed(p, now);
                for (vexal::CardCode c : r.cards)
                    std::erase_if(p.hand, [&](vexal::CardCode h) { return vexal::cardId(h) == vexal::cardId(c); });
            }
            if (!r.cards.empty())
                p.leading = false;
            if (vexal::closesTrick(r.trickFlag))
                p.leading = true;
            if (r.nextSeatBit == p.seatBit && r.trickFlag != vexal::kTrickToPlayer && !p.hand.empty())
                answer(p, vexal::server::automaticPlayFrame(p.seatBit, p.leading, p.hand), now);
            return;
        }
        case Command::RoundEnd:
            if (++p.records < 4)
                return;
            p.records = 0;
            p.awaitingEcho = false;
            p.answerWaiting = false;
            sendFrame(p, vexal::encode(vexal::ReadyOrLeave{p.seatBit, true}));
            if (measuring)
                ++rounds;
            return;
        default:
            return;
        }
    }

    void setPlayers(std::vector<Player>* players) { m_players = players; }

private:
    using Waiting = std::pair<Clock::time_point, int>;
    Options m_options;
    std::mt19937 m_rng;
    std::vector<Player>* m_players = nullptr;
    std::priority_queue<Waiting, std::vector<Waiting>, std::greater<>> m_waiting;
    std::vector<int> m_held;
};

double quantile(std::vector<double>& v, double q) {
    if (v.empty())
        return 0;
    const size_t k = std::min(v.size() - 1, static_cast<size_t>(q * static_cast<double>(v.size())));
    std::nth_element(v.begin(), v.begin() + static_cast<long>(k), v.end());
    return v[k];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: server_load PORT PLAYERS SECONDS [--pace flat|human] [--server-pid PID] [--seed N]\n");
        return 2;
    }
    const auto port = static_cast<uint16_t>(std::atoi(argv[1]));
    const int count = std::atoi(argv[2]);
    const int seconds = std::atoi(argv[3]);
    if (port == 0 || count <= 0 || seconds <= 0) {
        std::fprintf(stderr, "server_load: PORT, PLAYERS and SECONDS must be above 0\n");
        return 2;
    }
    Options options;
    for (int i = 4; i + 1 < argc; i += 2) {
        const std::string_view flag = argv[i];
        if (flag == "--pace" && (std::string_view(argv[i + 1]) == "flat" || std::string_view(argv[i + 1]) == "human")) {
            options.humanPace = std::string_view(argv[i + 1]) == "human";
        } else if (flag == "--server-pid") {
            options.serverPid = std::atol(argv[i + 1]);
        } else if (flag == "--seed") {
            options.seed = static_cast<unsigned>(std::atol(argv[i + 1]));
        } else {
            std::fprintf(stderr, "server_load: unknown option %s %s\n", argv[i], argv[i + 1]);
            return 2;
        }
    }
    if ((argc - 4) % 2 != 0) {
        std::fprintf(stderr, "server_load: %s needs a value\n", argv[argc - 1]);
        return 2;
    }

    const int epoll = ::epoll_create1(0);
    std::vector<Player> players;
    players.reserve(static_cast<size_t>(count));
    Driver driver(options);
    driver.setPlayers(&players);

    // One player at a time: the next logs in once the one before has been dealt, so the bots have
    // filled that table and the next player opens a table of its own.
    auto connectNext = [&] {
        Player& p = players.emplace_back();
        p.fd = connectTo(port);
        if (p.fd < 0)
            return false;
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.u32 = static_cast<uint32_t>(players.size() - 1);
        ::epoll_ctl(epoll, EPOLL_CTL_ADD, p.fd, &ev);
        const std::string account = "load" + std::to_string(players.size() - 1);
        return sendFrame(p, vexal::buildLoginFrame(account, "pw").frame.value());
    };

    // SECONDS count from the moment every table has been dealt.
    auto end = Clock::now() + std::chrono::minutes(5);
    Clock::time_point windowStart{};
    auto nextKeepAlive = Clock::now();
    size_t keepAliveNext = 0;
    long long serverTicks0 = 0, driverTicks0 = 0;
    int dealtCount = 0;
    std::vector<epoll_event> events(1024);
    std::vector<uint8_t> buf(64 * 1024);
    while (Clock::now() < end) {
        if (players.size() < static_cast<size_t>(count) && (players.empty() || players.back().dealt) &&
            !connectNext()) {
            std::fprintf(stderr, "server_load: cannot connect to port %u\n", port);
            return 1;
        }
        Clock::time_point now = Clock::now();
        // Every player keeps alive every 10 s, the players spread over the period as real clients
        // are: all at once would put thousands of frames in front of the turns being timed.
        while (!players.empty() && now >= nextKeepAlive) {
            Player& p = players[keepAliveNext % players.size()];
            vexal::CommandFrame k{};
            k[vexal::kCommandByte] = vexal::commandByte(vexal::Command::KeepAlive);
            k[vexal::kSeatByte] = p.seatBit;
            sendFrame(p, k);
            ++keepAliveNext;
            nextKeepAlive += std::chrono::microseconds(10'000'000 / count);
        }
        driver.sendDue(now);
        const int n = ::epoll_wait(epoll, events.data(), static_cast<int>(events.size()), driver.msUntilNextAnswer(now));
        if (n < 0)
            break;
        now = Clock::now();
        for (int e = 0; e < n; ++e) {
            const size_t i = events[static_cast<size_t>(e)].data.u32;
            Player& p = players[i];
            const ssize_t got = ::recv(p.fd, buf.data(), buf.size(), 0);
            if (got <= 0) {
                std::fprintf(stderr, "server_load: the server closed player %zu\n", i);
                return 1;
            }
            p.in.insert(p.in.end(), buf.begin(), buf.begin() + got);
            size_t at = 0;
            const bool wasDealt = p.dealt;
            while (p.in.size() - at >= vexal::kFrameSize) {
                vexal::CommandFrame f;
                std::memcpy(f.data(), p.in.data() + at, vexal::kFrameSize);
                at += vexal::kFrameSize;
                driver.handle(p, f, now);
            }
            p.in.erase(p.in.begin(), p.in.begin() + static_cast<long>(at));
            dealtCount += !wasDealt && p.dealt;
        }
        if (!driver.measuring && dealtCount == count) {
            std::printf("dealt %d\n", dealtCount);
            std::fflush(stdout);
            driver.release(Clock::now());
            driver.measuring = true;
            windowStart = Clock::now();
            end = windowStart + std::chrono::seconds(seconds);
            serverTicks0 = options.serverPid ? cpuTicks(options.serverPid) : 0;
            driverTicks0 = cpuTicks(0);
        }
    }
    if (!driver.measuring) {
        std::fprintf(stderr, "server_load: only %d players were dealt within five minutes\n", dealtCount);
        return 1;
    }
    const double window = std::chrono::duration<double>(Clock::now() - windowStart).count();
    const double tick = static_cast<double>(::sysconf(_SC_CLK_TCK));
    const double driverCpu = static_cast<double>(cpuTicks(0) - driverTicks0) / tick / window * 100.0;
    std::printf("rounds %d\n", driver.rounds);
    std::printf("rounds/s %.0f\n", driver.rounds / window);
    std::vector<double>& lat = driver.latenciesMs;
    const double worst = lat.empty() ? 0 : *std::max_element(lat.begin(), lat.end());
    const double p50 = quantile(lat, 0.50), p99 = quantile(lat, 0.99);
    std::printf("turns %zu p50 %.2f ms p99 %.2f ms max %.2f ms\n", lat.size(), p50, p99, worst);
    if (options.serverPid) {
        const long long serverTicks = cpuTicks(options.serverPid);
        std::printf("cpu server %.0f%% driver %.0f%%\n",
                    serverTicks < 0 ? -1.0 : static_cast<double>(serverTicks - serverTicks0) / tick / window * 100.0,
                    driverCpu);
    } else {
        std::printf("cpu driver %.0f%%\n", driverCpu);
    }
    for (Player& p : players)
        ::close(p.fd);
    ::close(epoll);
    return 0;
}
