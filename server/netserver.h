// The TCP side of vexal-server: one Asio io_context on one thread, 272-byte frames in and out,
// a timer that wakes the hall when something is due.
#pragma once

#include <asio.hpp>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>

#include "server/hall.h"

namespace vexal::server {

class NetServer : public Outbox {
public:
    NetServer(asio::io_context& io, uint16_t port, Logger& log);

    // Starts accepting; the hall must outlive the server's work.
    void start(Hall& hall);
    // No new connections and no more timer wake-ups; the open ones go on until closed.
    void stopAccepting();
    void stop();
    uint16_t port() const { return m_port; }

    void send(int64_t conn, const CommandFrame& frame) override;
    void close(int64_t conn) override;

private:
    struct Session {
        asio::ip::tcp::socket socket;
        CommandFrame incoming{};
        std::deque<CommandFrame> outgoing;
        bool writing = false;
        bool closing = false;
        asio::steady_timer closer;  // forces the close when the peer does not answer our end
        explicit Session(asio::ip::tcp::socket s) : socket(std::move(s)), closer(socket.get_executor()) {}
    };

    void accept();
    void read(int64_t conn);
    void write(int64_t conn);
    void shutdown(int64_t conn);
    void gone(int64_t conn);
    void reschedule();

    asio::io_context& m_io;
    asio::ip::tcp::acceptor m_acceptor;
    asio::steady_timer m_timer;
    Logger& m_log;
    Hall* m_hall = nullptr;
    uint16_t m_port = 0;
    int64_t m_nextId = 0;
    std::map<int64_t, std::shared_ptr<Session>> m_sessions;
};

}  // namespace vexal::server
