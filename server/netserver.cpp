#include "server/netserver.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vexal::server {

using asio::ip::tcp;

namespace {

constexpr int kBatch = 256;  // ready connections taken from the epoll set at a time

}  // namespace

HallLoop::HallLoop(NetServer& server, const HallConfig& config, Logger& log, Directory& directory, int index)
    : m_server(server), m_index(index), m_log(log), m_work(asio::make_work_guard(m_io)),
      m_hall(config, *this, log, directory, index, this), m_timer(m_io), m_grace(m_io) {
    m_epoll = ::epoll_create1(EPOLL_CLOEXEC);
    if (m_epoll < 0)
        throw std::system_error(errno, std::generic_category(), "epoll_create1");
    m_poller = std::make_unique<asio::posix::stream_descriptor>(m_io, m_epoll);
    asio::post(m_io, [this] {
        schedule();
        watch();
    });
}

HallLoop::SessionPtr HallLoop::add(int fd, int64_t conn, TimePoint openedAt) {
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    // Writes are tried at once and only what the system does not take waits for the loop.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    auto s = std::make_shared<Session>(fd, conn, openedAt, m_io);
    epoll_event ev{};
    ev.events = EPOLLIN | EPOLLRDHUP;
    ev.data.u64 = static_cast<uint64_t>(conn);
    if (::epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &ev) != 0) {
        m_log.warn("connection " + std::to_string(conn) + " cannot be watched: " + std::strerror(errno));
        return nullptr;  // closes the descriptor
    }
    m_sessions.emplace(conn, s);
    return s;
}

void HallLoop::setInterest(Session& s, bool out) {
    epoll_event ev{};
    ev.events = EPOLLIN | EPOLLRDHUP | (out ? EPOLLOUT : 0u);
    ev.data.u64 = static_cast<uint64_t>(s.id);
    ::epoll_ctl(m_epoll, EPOLL_CTL_MOD, s.fd, &ev);
}

void HallLoop::take(tcp::socket socket, int64_t conn) {
    if (m_stopping)
        return;
    asio::error_code ec;
    const int fd = socket.release(ec);
    if (ec)
        return;
    const TimePoint now = Clock::now();
    SessionPtr s = add(fd, conn, now);
    if (!s)
        return;
    m_log.debug("connection " + std::to_string(conn) + " opened");
    m_hall.connected(conn, now);
    afterEvent();
}

void HallLoop::adopt(int fd, int64_t conn, TimePoint openedAt, Handover handover, std::vector<uint8_t> unread,
                     std::vector<uint8_t> unsent) {
    if (m_stopping) {
        ::close(fd);
        return;
    }
    SessionPtr s = add(fd, conn, openedAt);
    if (!s)
        return;
    s->pending = std::move(unsent);
    if (!unread.empty())
        std::memcpy(s->in.data(), unread.data(), unread.size());
    s->inUsed = unread.size();
    if (!s->pending.empty()) {
        s->dirty = true;
        m_dirty.push_back(s);
    }
    m_hall.adopt(conn, handover.frame, handover.hops, openedAt, Clock::now());
    if (s->handover)
        transfer(s);
    else
        deliver(s);
    afterEvent();
}

void HallLoop::watch() {
    m_poller->async_wait(asio::posix::stream_descriptor::wait_read, [this](asio::error_code ec) {
        if (ec)
            return;
        poll();
    });
}

// The whole batch is read and handled before the gathered frames are written, so a connection
// that several events of the batch write to still gets one write.
void HallLoop::poll() {
    std::array<epoll_event, kBatch> events;
    const int n = ::epoll_wait(m_epoll, events.data(), kBatch, 0);
    for (int i = 0; i < n; ++i) {
        auto it = m_sessions.find(static_cast<int64_t>(events[i].data.u64));
        if (it == m_sessions.end())
            continue;
        SessionPtr s = it->second;
        if (s->gone || s->handover)
            continue;
        if ((events[i].events & (EPOLLOUT | EPOLLHUP | EPOLLERR)) && s->writing)
            writable(s);
        if (!s->gone && (events[i].events & (EPOLLIN | EPOLLRDHUP | EPOLLHUP | EPOLLERR)))
            read(s);
    }
    afterEvent();
    if (n == kBatch)
        asio::post(m_io, [this] { poll(); });  // more may be ready: no need to wait to learn it
    else
        watch();
}

// One receive per readiness: the set is level-triggered, so what a full buffer leaves behind
// comes up in the next batch.
void HallLoop::read(const SessionPtr& s) {
    const ssize_t n = ::recv(s->fd, s->in.data() + s->inUsed, s->in.size() - s->inUsed, 0);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return;
    if (n <= 0) {
        // A half frame before the close is dropped with the connection.
        gone(s);
        return;
    }
    s->inUsed += static_cast<size_t>(n);
    deliver(s);
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
    if (at > 0) {
        std::memmove(s->in.data(), s->in.data() + at, s->inUsed - at);
        s->inUsed -= at;
    }
    return true;
}

void HallLoop::handOver(int64_t conn, int hall, const CommandFrame& frame, int hops) {
    // The move itself waits until the frame's handling is over (deliver and adopt look).
    auto it = m_sessions.find(conn);
    if (it != m_sessions.end())
        it->second->handover = Handover{hall, frame, hops};
}

void HallLoop::transfer(const SessionPtr& s) {
    forget(*s);
    Handover h = *s->handover;
    ::epoll_ctl(m_epoll, EPOLL_CTL_DEL, s->fd, nullptr);
    const int fd = s->fd;
    s->fd = -1;
    std::vector<uint8_t> unread(s->in.begin(), s->in.begin() + static_cast<long>(s->inUsed));
    std::vector<uint8_t> unsent = std::move(s->pending);
    unsent.insert(unsent.begin(), s->inflight.begin() + static_cast<long>(s->inflightSent), s->inflight.end());
    HallLoop& to = m_server.loop(h.hall);
    asio::post(to.m_io, [&to, fd, conn = s->id, opened = s->openedAt, h, unread = std::move(unread),
                         unsent = std::move(unsent)]() mutable {
        to.adopt(fd, conn, opened, h, std::move(unread), std::move(unsent));
    });
}

void HallLoop::send(int64_t conn, const CommandFrame& frame) {
    // The frames of one event mostly go to one connection, one after the other.
    if (!m_lastSent || m_lastSent->id != conn) {
        auto it = m_sessions.find(conn);
        if (it == m_sessions.end())
            return;
        m_lastSent = it->second;
    }
    Session& s = *m_lastSent;
    if (s.closing)
        return;
    s.pending.insert(s.pending.end(), frame.begin(), frame.end());
    if (!s.dirty) {
        s.dirty = true;
        m_dirty.push_back(m_lastSent);
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
    const ssize_t n = ::send(s->fd, s->pending.data(), s->pending.size(), MSG_NOSIGNAL);
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
        failed(s);
        return;
    }
    const size_t sent = n > 0 ? static_cast<size_t>(n) : 0;
    if (sent == s->pending.size()) {
        s->pending.clear();
        if (s->closing)
            shutdownSend(s);
        return;
    }
    s->inflight.assign(s->pending.begin() + static_cast<long>(sent), s->pending.end());
    s->pending.clear();
    s->writing = true;
    setInterest(*s, true);
}

// The rest of a write the system would not take at once; what was queued since follows it.
void HallLoop::writable(const SessionPtr& s) {
    const ssize_t n = ::send(s->fd, s->inflight.data() + s->inflightSent, s->inflight.size() - s->inflightSent,
                             MSG_NOSIGNAL);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return;
    if (n < 0) {
        failed(s);
        return;
    }
    s->inflightSent += static_cast<size_t>(n);
    if (s->inflightSent < s->inflight.size())
        return;
    s->inflight.clear();
    s->inflightSent = 0;
    s->writing = false;
    setInterest(*s, false);
    startWrite(s);
}

void HallLoop::failed(const SessionPtr& s) {
    s->pending.clear();
    s->inflight.clear();
    s->inflightSent = 0;
    s->writing = false;
    s->closing = true;  // nothing more is queued or taken
    // Reported from a handler of its own: the loop may be in the middle of writing others.
    asio::post(m_io, [this, s] {
        if (s->gone || s->handover)
            return;
        gone(s);
        afterEvent();
    });
}

// Ends our side only: closing a socket with unread input makes the system reset the connection,
// and a reset can destroy the last frames (a refusal, a removal notice) before the peer reads
// them. The read side sees the peer's end; a peer that never ends is cut off after a while.
void HallLoop::shutdownSend(const SessionPtr& s) {
    ::shutdown(s->fd, SHUT_WR);
    s->closer.expires_after(std::chrono::seconds(5));
    s->closer.async_wait([this, s](asio::error_code ec) {
        if (ec || s->gone || s->handover)
            return;
        gone(s);
        afterEvent();
    });
}

void HallLoop::gone(const SessionPtr& s) {
    s->gone = true;
    s->closer.cancel();
    if (s->fd >= 0) {
        ::close(s->fd);  // leaves the epoll set with it
        s->fd = -1;
    }
    forget(*s);
    if (m_log.enabled(LogLevel::Debug))
        m_log.debug("connection " + std::to_string(s->id) + " gone");
    m_hall.disconnected(s->id, Clock::now());
}

void HallLoop::forget(const Session& s) {
    if (m_lastSent.get() == &s)
        m_lastSent.reset();
    m_sessions.erase(s.id);
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
            if (s->fd >= 0) {
                ::close(s->fd);
                s->fd = -1;
            }
        }
        m_poller->cancel(ignored);
        m_lastSent.reset();
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
