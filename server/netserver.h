// The TCP side of vexal-server: one Asio event loop per thread, each with a hall of its own
// tables; 272-byte frames in and out, the frames one batch of ready connections produces for a
// connection leaving in one write, and a timer per loop that wakes the hall when its earliest
// deadline comes.
//
// The game connections are not Asio sockets: each loop keeps them in an epoll set of its own,
// level-triggered, which the loop's io_context watches as one descriptor. A ready connection
// costs one receive (no second one to find the socket empty, as an Asio read that is started
// again does) and the whole batch is handled before anything is written.
#pragma once

#include <asio.hpp>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <thread>
#include <unordered_map>
#include <vector>

#include <unistd.h>

#include "server/hall.h"

namespace vexal::server {

class NetServer;

// One thread's event loop and hall. Everything in it runs on that thread; other threads reach
// it only by posting to its io_context.
class HallLoop : public Outbox, public HallRouter {
public:
    HallLoop(NetServer& server, const HallConfig& config, Logger& log, Directory& directory, int index);

    asio::io_context& io() { return m_io; }
    Hall& hall() { return m_hall; }

    // A socket accepted for this loop (already bound to its io_context).
    void take(asio::ip::tcp::socket socket, int64_t conn);
    // Tells the seated players the server goes away, closes everything after a moment and stops.
    void shutdown();

    void send(int64_t conn, const CommandFrame& frame) override;
    void close(int64_t conn) override;
    void handOver(int64_t conn, int hall, const CommandFrame& frame, int hops) override;

private:
    struct Handover {
        int hall;
        CommandFrame frame;
        int hops;
    };
    struct Session {
        int fd;  // owned: closed by gone() or the loop's end, or released by transfer()
        int64_t id;
        TimePoint openedAt;
        std::array<uint8_t, 4 * kFrameSize> in{};  // clients send a frame at a time
        size_t inUsed = 0;
        std::vector<uint8_t> pending;   // frames queued by the hall during this event
        std::vector<uint8_t> inflight;  // what the system would not take at once, being written
        size_t inflightSent = 0;        // how much of it the system has taken since
        bool writing = false;
        bool closing = false;
        bool dirty = false;
        bool gone = false;
        std::optional<Handover> handover;
        asio::steady_timer closer;  // forces the close when the peer does not answer our end
        Session(int socket, int64_t conn, TimePoint opened, asio::io_context& io)
            : fd(socket), id(conn), openedAt(opened), closer(io) {}
        ~Session() {
            if (fd >= 0)
                ::close(fd);
        }
        Session(const Session&) = delete;
        Session& operator=(const Session&) = delete;
    };
    using SessionPtr = std::shared_ptr<Session>;

    // Makes the descriptor a connection of this loop; nothing when it cannot be watched.
    SessionPtr add(int fd, int64_t conn, TimePoint openedAt);
    // A connection another loop's hall handed over, with what it had read and not yet handled.
    void adopt(int fd, int64_t conn, TimePoint openedAt, Handover handover, std::vector<uint8_t> unread,
               std::vector<uint8_t> unsent);
    // Waits for the next batch of ready connections and handles it.
    void watch();
    void poll();
    void read(const SessionPtr& s);
    void writable(const SessionPtr& s);
    void setInterest(Session& s, bool out);
    // Hands the frames read so far to the hall; false when the session left this loop.
    bool deliver(const SessionPtr& s);
    void transfer(const SessionPtr& s);
    void startWrite(const SessionPtr& s);
    void shutdownSend(const SessionPtr& s);
    void gone(const SessionPtr& s);
    // Takes the session out of the loop's connections.
    void forget(const Session& s);
    // Reports the end of a connection that failed while the loop was writing.
    void failed(const SessionPtr& s);
    // After every event: the gathered frames go out, and the timer follows the earliest deadline.
    void afterEvent();
    void flush();
    void schedule();
    void tick();

    NetServer& m_server;
    int m_index;
    Logger& m_log;
    asio::io_context m_io{1};
    asio::executor_work_guard<asio::io_context::executor_type> m_work;
    Hall m_hall;
    asio::steady_timer m_timer;
    std::optional<TimePoint> m_armed;  // when the timer fires
    uint64_t m_timerRound = 0;         // tells a fired wait from one replaced since
    bool m_tickPosted = false;
    bool m_stopping = false;
    std::unordered_map<int64_t, SessionPtr> m_sessions;
    SessionPtr m_lastSent;  // the connection the last frame was queued for, while it is one of ours
    std::vector<SessionPtr> m_dirty;
    asio::steady_timer m_grace;
    int m_epoll = -1;
    std::unique_ptr<asio::posix::stream_descriptor> m_poller;  // m_epoll as the io_context sees it
};

class NetServer {
public:
    // Listens on 127.0.0.1:port (0: any free port) with `threads` loops (at most one per table).
    NetServer(uint16_t port, int threads, const HallConfig& config, Logger& log);
    ~NetServer();

    uint16_t port() const { return m_port; }
    int threads() const { return static_cast<int>(m_loops.size()); }
    // Runs every loop until SIGINT or SIGTERM has shut the server down.
    void run();

    HallLoop& loop(int index) { return *m_loops[static_cast<size_t>(index)]; }
    int64_t newConnectionId() { return ++m_nextId; }

private:
    void accept();

    Logger& m_log;
    std::unique_ptr<Directory> m_directory;
    std::vector<std::unique_ptr<HallLoop>> m_loops;
    std::unique_ptr<asio::ip::tcp::acceptor> m_acceptor;  // on the first loop
    std::unique_ptr<asio::signal_set> m_signals;
    uint16_t m_port = 0;
    std::atomic<int64_t> m_nextId{0};
    size_t m_nextLoop = 0;
};

}  // namespace vexal::server
