#include "server/netserver.h"

namespace vexal::server {

using asio::ip::tcp;

NetServer::NetServer(asio::io_context& io, uint16_t port, Logger& log)
    : m_io(io), m_acceptor(io, tcp::endpoint(asio::ip::make_address("127.0.0.1"), port)), m_timer(io),
      m_log(log) {
    m_port = m_acceptor.local_endpoint().port();
}

void NetServer::start(Hall& hall) {
    m_hall = &hall;
    accept();
    reschedule();
}

void NetServer::stopAccepting() {
    asio::error_code ec;
    m_acceptor.close(ec);
    m_timer.cancel();
}

void NetServer::stop() {
    stopAccepting();
    asio::error_code ec;
    for (auto& [conn, s] : m_sessions) {
        s->closer.cancel();
        s->socket.close(ec);
    }
    m_sessions.clear();
}

void NetServer::accept() {
    m_acceptor.async_accept([this](asio::error_code ec, tcp::socket socket) {
        if (ec) {
            if (ec != asio::error::operation_aborted)
                m_log.warn("accept failed: " + ec.message());
            if (m_acceptor.is_open() && ec != asio::error::operation_aborted)
                accept();
            return;
        }
        asio::error_code ignored;
        socket.set_option(tcp::no_delay(true), ignored);
        const int64_t conn = ++m_nextId;
        m_sessions.emplace(conn, std::make_shared<Session>(std::move(socket)));
        m_log.debug("connection " + std::to_string(conn) + " opened");
        m_hall->connected(conn, Clock::now());
        read(conn);
        reschedule();
        accept();
    });
}

void NetServer::read(int64_t conn) {
    auto it = m_sessions.find(conn);
    if (it == m_sessions.end())
        return;
    auto session = it->second;
    asio::async_read(session->socket, asio::buffer(session->incoming),
                     [this, conn, session](asio::error_code ec, size_t) {
                         if (ec) {
                             // A half frame before the close is dropped with the connection.
                             gone(conn);
                             return;
                         }
                         // A connection being closed is still read, so that its end is noticed
                         // and reported, but nothing it sends is taken any more.
                         if (!session->closing) {
                             m_hall->received(conn, session->incoming, Clock::now());
                             reschedule();
                         }
                         read(conn);
                     });
}

void NetServer::send(int64_t conn, const CommandFrame& frame) {
    auto it = m_sessions.find(conn);
    if (it == m_sessions.end() || it->second->closing)
        return;
    it->second->outgoing.push_back(frame);
    if (!it->second->writing)
        write(conn);
}

void NetServer::write(int64_t conn) {
    auto it = m_sessions.find(conn);
    if (it == m_sessions.end())
        return;
    auto session = it->second;
    if (session->outgoing.empty()) {
        session->writing = false;
        if (session->closing)
            shutdown(conn);
        return;
    }
    session->writing = true;
    asio::async_write(session->socket, asio::buffer(session->outgoing.front()),
                      [this, conn, session](asio::error_code ec, size_t) {
                          if (ec) {
                              session->outgoing.clear();
                              session->writing = false;
                              asio::error_code ignored;
                              session->socket.close(ignored);
                              return;
                          }
                          session->outgoing.pop_front();
                          write(conn);
                      });
}

void NetServer::close(int64_t conn) {
    auto it = m_sessions.find(conn);
    if (it == m_sessions.end() || it->second->closing)
        return;
    it->second->closing = true;
    // Frames already queued (a refusal, a removal notice) still go out before the close.
    if (!it->second->writing)
        shutdown(conn);
}

// Ends our side only: closing a socket with unread input makes the system reset the connection,
// and a reset can destroy the last frames (a refusal, a removal notice) before the peer reads
// them. The read loop sees the peer's end; a peer that never ends is cut off after a while.
void NetServer::shutdown(int64_t conn) {
    auto it = m_sessions.find(conn);
    if (it == m_sessions.end())
        return;
    auto session = it->second;
    asio::error_code ignored;
    session->socket.shutdown(tcp::socket::shutdown_send, ignored);
    session->closer.expires_after(std::chrono::seconds(5));
    session->closer.async_wait([session](asio::error_code ec) {
        if (ec)
            return;
        asio::error_code ignored;
        session->socket.close(ignored);
    });
}

void NetServer::gone(int64_t conn) {
    auto it = m_sessions.find(conn);
    if (it == m_sessions.end())
        return;
    asio::error_code ignored;
    it->second->closer.cancel();
    it->second->socket.close(ignored);
    m_sessions.erase(it);
    m_log.debug("connection " + std::to_string(conn) + " gone");
    m_hall->disconnected(conn, Clock::now());
    reschedule();
}

void NetServer::reschedule() {
    if (!m_hall || !m_acceptor.is_open())
        return;
    TimePoint now = Clock::now();
    std::optional<TimePoint> next = m_hall->nextWakeup();
    TimePoint at = next ? std::max(*next, now) : now + std::chrono::seconds(1);
    m_timer.expires_at(at);
    m_timer.async_wait([this](asio::error_code ec) {
        if (ec)
            return;
        m_hall->tick(Clock::now());
        reschedule();
    });
}

}  // namespace vexal::server
