#include "server/netserver.h"

#include <algorithm>
#include <cstring>

#include <unistd.h>

namespace vexal::server {

using asio::ip::tcp;

HallLoop::HallLoop(NetServer& server, const HallConfig& config, Logger& log, Directory& directory, int index)
    : m_server(server), m_index(index), m_log(log), m_work(asio::make_work_guard(m_io)),
      m_hall(config, *this, log, directory, index, this), m_timer(m_io), m_grace(m_io) {
    asio::post(m_io, [this] { schedule(); });
}

HallLoop::SessionPtr HallLoop::add(tcp::socket socket, int64_t conn, TimePoint openedAt) {
    asio::error_code ignored;
    socket.set_option(tcp::no_delay(true), ignored);
    // Writes are tried at once and only what the system does not take waits for the loop.
    socket.non_blocking(true, ignored);
    auto s = std::make_shared<Session>(std::move(socket), conn, openedAt);
    m_sessions.emplace(conn, s);
    return s;
}

void HallLoop::take(tcp::socket socket, int64_t conn) {
    if (m_stopping)
        return;
    const TimePoint now = Clock::now();
    SessionPtr s = add(std::move(socket), conn, now);
    m_log.debug("connection " + std::to_string(conn) + " opened");
    m_hall.connected(conn, now);
    read(s);
    afterEvent();
}

void HallLoop::adopt(int fd, int64_t conn, TimePoint openedAt, Handover handover, std::vector<uint8_t> unread,
                     std::vector<uint8_t> unsent) {
    tcp::socket socket(m_io);
    asio::error_code ec;
    socket.assign(tcp::v4(), fd, ec);
    if (ec || m_stopping) {
        ::close(fd);
        return;
    }
    SessionPtr s = add(std::move(socket), conn, openedAt);
    s->pending = std::move(unsent);
    if (!unread.empty())
        std::memcpy(s->in.data(), unread.data(), unread.size());
    s->inUsed = unread.size();
    if (!s->pending.empty()) {
        s->dirty = true;
        m_dirty.push_back(s);
    }
    m_hall.adopt(conn, handover.frame, handover.hops, openedAt, Clock::now());
    if (s->handover) {
        transfer(s);
    } else if (deliver(s)) {
        read(s);
    }
    afterEvent();
}

void HallLoop::read(const SessionPtr& s) {
    s->socket.async_read_some(asio::buffer(s->in.data() + s->inUsed, s->in.size() - s->inUsed),
                              [this, s](asio::error_code ec, size_t n) {
                                  if (s->handover || s->gone)
                                      return;  // moved to another loop, or already reported
                                  if (ec) {
                                      // A half frame before the close is dropped with the connection.
                                      gone(s);
                                      afterEvent();
                                      return;
                                  }
                                  s->inUsed += n;
                                  if (deliver(s))
                                      read(s);
                                  afterEvent();
                              });
}

bool HallLoop::deliver(const SessionPtr& s) {
    size_t at = 0;
    const TimePoint now = Clock::now();
    while (s->inUsed - at >= kFrameSize) {
        // A connection being closed is still read, so that its end is noticed and reported,
        // but nothing it sends is taken any more.
        if (!s->closing) {
            CommandFrame frame;
            std::memcpy(frame.data(), s->in.data() + at, kFrameSize);
            m_hall.received(s->id, frame, now);
        }
        at += kFrameSize;
        if (s->handover) {
            std::memmove(s->in.data(), s->in.data() + at, s->inUsed - at);
            s->inUsed -= at;
            transfer(s);
            return false;
        }
    }
    std::memmove(s->in.data(), s->in.data() + at, s->inUsed - at);
    s->inUsed -= at;
    return true;
}

void HallLoop::handOver(int64_t conn, int hall, const CommandFrame& frame, int hops) {
    // The move itself waits until the frame's handling is over (deliver and adopt look).
    auto it = m_sessions.find(conn);
    if (it != m_sessions.end())
        it->second->handover = Handover{hall, frame, hops};
}

void HallLoop::transfer(const SessionPtr& s) {
    m_sessions.erase(s->id);
    Handover h = *s->handover;
    asio::error_code ec;
    const int fd = s->socket.release(ec);
    if (ec) {
        m_log.warn("connection " + std::to_string(s->id) + " could not move: " + ec.message());
        s->socket.close(ec);
        return;
    }
    std::vector<uint8_t> unread(s->in.begin(), s->in.begin() + static_cast<long>(s->inUsed));
    std::vector<uint8_t> unsent = std::move(s->pending);
    unsent.insert(unsent.begin(), s->inflight.begin(), s->inflight.end());
    HallLoop& to = m_server.loop(h.hall);
    asio::post(to.m_io, [&to, fd, conn = s->id, opened = s->openedAt, h, unread = std::move(unread),
                         unsent = std::move(unsent)]() mutable {
        to.adopt(fd, conn, opened, h, std::move(unread), std::move(unsent));
    });
}

void HallLoop::send(int64_t conn, const CommandFrame& frame) {
    auto it = m_sessions.find(conn);
    if (it == m_sessions.end() || it->second->closing)
        return;
    Session& s = *it->second;
    s.pending.insert(s.pending.end(), frame.begin(), frame.end());
    if (!s.dirty) {
        s.dirty = true;
        m_dirty.push_back(it->second);
    }
}

void HallLoop::close(int64_t conn) {
    auto it = m_sessions.find(conn);
    if (it == m_sessions.end() || it->second->closing)
        return;
    it->second->closing = true;
    // Frames already queued (a refusal, a removal notice) still go out before the close.
    if (!it->second->dirty) {
        it->second->dirty = true;
        m_dirty.push_back(it->second);
    }
}

void HallLoop::flush() {
    for (size_t i = 0; i < m_dirty.size(); ++i) {
        SessionPtr s = std::move(m_dirty[i]);
        s->dirty = false;
        if (!s->gone && !s->handover && !s->writing)
            startWrite(s);
    }
    m_dirty.clear();
}

void HallLoop::startWrite(const SessionPtr& s) {
    if (s->pending.empty()) {
        if (s->closing)
            shutdownSend(s);
        return;
    }
    asio::error_code ec;
    const size_t n = s->socket.write_some(asio::buffer(s->pending), ec);
    if (ec && ec != asio::error::would_block && ec != asio::error::try_again) {
        s->pending.clear();
        s->socket.close(ec);  // the read loop reports the end
        return;
    }
    if (n == s->pending.size()) {
        s->pending.clear();
        if (s->closing)
            shutdownSend(s);
        return;
    }
    s->inflight.assign(s->pending.begin() + static_cast<long>(n), s->pending.end());
    s->pending.clear();
    s->writing = true;
    asio::async_write(s->socket, asio::buffer(s->inflight), [this, s](asio::error_code ec, size_t) {
        s->writing = false;
        s->inflight.clear();
        if (s->handover || s->gone)
            return;
        if (ec) {
            s->pending.clear();
            asio::error_code ignored;
            s->socket.close(ignored);
            return;
        }
        startWrite(s);
    });
}

// Ends our side only: closing a socket with unread input makes the system reset the connection,
// and a reset can destroy the last frames (a refusal, a removal notice) before the peer reads
// them. The read loop sees the peer's end; a peer that never ends is cut off after a while.
void HallLoop::shutdownSend(const SessionPtr& s) {
    asio::error_code ignored;
    s->socket.shutdown(tcp::socket::shutdown_send, ignored);
    s->closer.expires_after(std::chrono::seconds(5));
    s->closer.async_wait([s](asio::error_code ec) {
        if (ec)
            return;
        asio::error_code ignored;
        s->socket.close(ignored);
    });
}

void HallLoop::gone(const SessionPtr& s) {
    s->gone = true;
    asio::error_code ignored;
    s->closer.cancel();
    s->socket.close(ignored);
    m_sessions.erase(s->id);
    m_log.debug("connection " + std::to_string(s->id) + " gone");
    m_hall.disconnected(s->id, Clock::now());
}

void HallLoop::afterEvent() {
    flush();
    schedule();
}

// The timer is set again only when the earliest deadline comes before the one it waits for: a
// deadline that moved later lets it fire early, and the hall finds nothing due then. What is due
// already is handled as soon as the loop has served the sockets that are ready.
void HallLoop::schedule() {
    if (m_stopping)
        return;
    std::optional<TimePoint> next = m_hall.nextWakeup();
    if (!next)
        return;
    if (*next <= Clock::now()) {
        if (!m_tickPosted) {
            m_tickPosted = true;
            asio::post(m_io, [this] {
                m_tickPosted = false;
                tick();
            });
        }
        return;
    }
    if (m_armed && *m_armed <= *next)
        return;
    m_armed = *next;
    m_timer.expires_at(*next);
    m_timer.async_wait([this, round = ++m_timerRound](asio::error_code ec) {
        if (ec || round != m_timerRound)
            return;
        m_armed.reset();
        tick();
    });
}

void HallLoop::tick() {
    if (m_stopping)
        return;
    m_hall.tick(Clock::now());
    afterEvent();
}

void HallLoop::shutdown() {
    m_stopping = true;
    m_timer.cancel();
    m_hall.shutdown(Clock::now());
    flush();
    // The removal notices get a moment to leave before everything closes.
    m_grace.expires_after(std::chrono::milliseconds(300));
    m_grace.async_wait([this](asio::error_code) {
        asio::error_code ignored;
        for (auto& [conn, s] : m_sessions) {
            s->gone = true;
            s->closer.cancel();
            s->socket.close(ignored);
        }
        m_sessions.clear();
        m_work.reset();
        m_io.stop();
    });
}

NetServer::NetServer(uint16_t port, int threads, const HallConfig& config, Logger& log) : m_log(log) {
    const int loops = std::clamp(threads, 1, std::max(1, config.tables));
    m_directory = std::make_unique<Directory>(config.tables, loops, config.accountsFile, log);
    for (int i = 0; i < loops; ++i)
        m_loops.push_back(std::make_unique<HallLoop>(*this, config, log, *m_directory, i));
    asio::io_context& first = m_loops.front()->io();
    m_acceptor = std::make_unique<tcp::acceptor>(first, tcp::endpoint(asio::ip::make_address("127.0.0.1"), port));
    m_port = m_acceptor->local_endpoint().port();
    m_signals = std::make_unique<asio::signal_set>(first, SIGINT, SIGTERM);
}

NetServer::~NetServer() = default;

void NetServer::accept() {
    // New connections go to the loops in turn; a login whose table another loop owns moves there.
    HallLoop& to = *m_loops[m_nextLoop];
    m_acceptor->async_accept(to.io(), [this, &to](asio::error_code ec, tcp::socket socket) {
        if (ec) {
            if (ec != asio::error::operation_aborted)
                m_log.warn("accept failed: " + ec.message());
            if (m_acceptor->is_open() && ec != asio::error::operation_aborted)
                accept();
            return;
        }
        m_nextLoop = (m_nextLoop + 1) % m_loops.size();
        const int64_t conn = newConnectionId();
        asio::post(to.io(), [&to, conn, socket = std::move(socket)]() mutable { to.take(std::move(socket), conn); });
        accept();
    });
}

void NetServer::run() {
    accept();
    m_signals->async_wait([this](asio::error_code, int) {
        m_log.info("shutting down");
        asio::error_code ignored;
        m_acceptor->close(ignored);
        for (auto& loop : m_loops)
            asio::post(loop->io(), [&l = *loop] { l.shutdown(); });
    });
    std::vector<std::thread> threads;
    for (size_t i = 1; i < m_loops.size(); ++i)
        threads.emplace_back([&l = *m_loops[i]] { l.io().run(); });
    m_loops.front()->io().run();
    for (std::thread& t : threads)
        t.join();
}

}  // namespace vexal::server
