#include "server/hall.h"

#include "net/messages/departure.h"
#include "net/messages/login.h"
#include "net/messages/seating.h"
#include "net/messages/wire.h"

namespace vexal::server {

namespace {

constexpr const char* kSilentReason = "长时间没有响应，您已离开游戏桌。";
constexpr const char* kShutdownReason = "游戏服务器正在关闭，请稍后重新进入。";
constexpr int64_t kNoOwner = INT64_MIN;  // a key whose connection is gone

}  // namespace

Hall::Hall(const HallConfig& config, Outbox& out, Logger& log)
    : Hall(config, out, log, *new Directory(config.tables, 1, config.accountsFile, log), 0, nullptr) {
    m_ownDirectory.reset(m_directory);
}

Hall::Hall(const HallConfig& config, Outbox& out, Logger& log, Directory& directory, int index, HallRouter* router)
    : m_config(config), m_out(out), m_log(log), m_directory(&directory), m_index(index), m_router(router),
      m_rng(config.table.seed ^ 0x5EA7ED ^ static_cast<uint64_t>(index) << 32) {
    for (int g = index; g < config.tables; g += directory.hallCount()) {
        TableSlot slot;
        slot.table = std::make_unique<Table>(g, config.table, out, *this, log);
        slot.key = m_due.addKey();
        m_keyOwner.resize(static_cast<size_t>(slot.key) + 1);
        m_keyOwner[static_cast<size_t>(slot.key)] = -1 - static_cast<int64_t>(m_tables.size());
        m_tables.push_back(std::move(slot));
    }
    for (int local = 0; local < tableCount(); ++local)
        tableChanged(local);
}

void Hall::persist() {
    if (!m_changedProfiles.empty()) {
        std::vector<Profile> changed;
        changed.reserve(m_changedProfiles.size());
        for (auto& [name, p] : m_changedProfiles)
            changed.push_back(std::move(p));
        m_changedProfiles.clear();
        m_directory->update(changed);
    }
    m_directory->persist();
}

std::optional<AccountRecord> Hall::account(const std::string& name) const { return m_directory->account(name); }

uint16_t Hall::newToken() {
    return static_cast<uint16_t>(1 + drawBelow(m_rng, 0xFFFF));
}

void Hall::connected(int64_t conn, TimePoint now) {
    Connection& c = m_connections[conn];
    c = Connection{now, now, 0, -1, -1, m_due.addKey()};
    m_keyOwner.resize(std::max(m_keyOwner.size(), static_cast<size_t>(c.key) + 1));
    m_keyOwner[static_cast<size_t>(c.key)] = conn;
    watch(c);
}

void Hall::adopt(int64_t conn, const CommandFrame& frame, int hops, TimePoint openedAt, TimePoint now) {
    connected(conn, now);
    m_connections[conn].openedAt = openedAt;
    route(conn, frame, hops, now);
    persist();
}

void Hall::received(int64_t conn, const CommandFrame& frame, TimePoint now) {
    route(conn, frame, 0, now);
    persist();
}

void Hall::drop(int64_t conn, const std::string& why) {
    m_log.info("connection " + std::to_string(conn) + " closed: " + why);
    m_out.close(conn);
}

void Hall::handOver(int64_t conn, int hall, const CommandFrame& frame, int hops) {
    auto it = m_connections.find(conn);
    m_due.removeKey(it->second.key);
    m_keyOwner[static_cast<size_t>(it->second.key)] = kNoOwner;
    m_connections.erase(it);
    m_router->handOver(conn, hall, frame, hops);
}

void Hall::route(int64_t conn, const CommandFrame& frame, int hops, TimePoint now) {
    auto it = m_connections.find(conn);
    if (it == m_connections.end())
        return;
    Connection& c = it->second;
    c.lastHeard = now;
    const auto command = static_cast<Command>(frame[kCommandByte]);
    if (c.table < 0) {
        if (command == Command::Login)
            return login(conn, c, frame, hops, now);
        if (command == Command::ReconnectLogin)
            return reconnect(conn, c, frame, hops, now);
        // The answer carries the token the line came with: the client keeps the token of every
        // frame, and a reconnect login still pending needs the one it had.
        if (command == Command::Chat && !isPluginMessage(frame))
            m_out.send(conn, stamped(refusedLineFrame(kLineBeforeSeated),
                                     static_cast<uint16_t>(frame[kTokenByte] << 8 | frame[kTokenByte + 1])));
        if (command != Command::KeepAlive)
            m_log.warn("connection " + std::to_string(conn) + ": refused command " +
                       std::to_string(frame[kCommandByte]) + " before login");
        return;
    }
    if (command == Command::Login || command == Command::ReconnectLogin) {
        m_log.warn("connection " + std::to_string(conn) + ": refused a second login");
        return;
    }
    const int local = c.table;
    Table& t = *m_tables[local].table;
    t.receive(c.seat, frame, now);
    // Bots with no delay answer the play at once: their plays leave with it, in the same writes.
    if (std::optional<TimePoint> next = t.nextWakeup(); next && *next <= now)
        t.tick(now);
    tableChanged(local);
}

void Hall::login(int64_t conn, Connection& c, const CommandFrame& frame, int hops, TimePoint now) {
    LoginRequest req = decodeLoginRequest(frame);
    auto answer = [&](LoginResult result) {
        m_out.send(conn, encode(LoginAnswer{0, static_cast<uint8_t>(m_config.table.turnSeconds),
                                            static_cast<uint8_t>(result), ""}));
    };
    if (req.account.empty() || req.account.rfind("bot", 0) == 0) {
        answer(LoginResult::VerificationFailed);
        return drop(conn, "login refused: account \"" + req.account + "\"");
    }
    std::optional<Profile> profile =
        m_directory->claim(req.account, m_index, m_config.table.startCoins, hops == 0);
    if (!profile) {
        if (takeSeatBack(conn, c, frame, req.account, hops, now))
            return;
        answer(LoginResult::StartRefused);
        return drop(conn, "login refused: " + req.account + " is seated already");
    }
    // The lowest table that can seat a newcomer; another hall's table as far as it looks from
    // here, which that hall checks again. A login bounced about too often takes what is here.
    const int halls = m_directory->hallCount();
    const bool mayHandOver = m_router && hops < 4 * halls;
    for (int g = 0; g < m_directory->tableCount(); ++g) {
        const int owner = m_directory->hallOfTable(g);
        if (owner != m_index) {
            if (mayHandOver && m_directory->seatable(g)) {
                m_directory->unclaim(req.account);
                return handOver(conn, owner, frame, hops + 1);
            }
            continue;
        }
        const int local = localTable(g);
        Table& t = *m_tables[local].table;
        if (!t.canSeat())
            continue;
        c.token = newToken();
        c.table = local;
        c.seat = -2;  // set below; frames sent while seating already go to this connection
        int seat = t.seatHuman(conn, c.token, *profile, now);
        tableChanged(local);
        auto again = m_connections.find(conn);
        if (again == m_connections.end())
            return;
        if (seat >= 0 && again->second.table < 0)
            return;  // seated and put out at once: short of coins with no relief left today
        again->second.seat = seat;
        if (seat >= 0) {
            watch(again->second);
            return;
        }
        again->second.table = -1;
        break;
    }
    m_directory->unclaim(req.account);
    answer(LoginResult::StartRefused);
    drop(conn, "login refused: every table is full");
}

// The account holds a seat: a login takes it back when nobody plays it (the player left the round,
// or the connection is gone), as the lobby's 进入游戏 after leaving a round does. A seat still
// played over a live connection stays that connection's.
bool Hall::takeSeatBack(int64_t conn, Connection& c, const CommandFrame& frame, const std::string& account, int hops,
                        TimePoint now) {
    if (m_router && hops < 4 * m_directory->hallCount()) {
        std::optional<int> owner = m_directory->hallOf(account);
        if (owner && *owner != m_index) {
            handOver(conn, *owner, frame, hops + 1);
            return true;
        }
    }
    for (int local = 0; local < tableCount(); ++local) {
        Table& t = *m_tables[local].table;
        const int seat = t.returningSeat(account);
        if (seat < 0)
            continue;
        // A connection that sent the leave frame may still be open: it has no say in the seat now.
        if (const int64_t old = t.connectionOf(seat); old >= 0) {
            if (auto it = m_connections.find(old); it != m_connections.end()) {
                it->second.table = -1;
                it->second.seat = -1;
            }
            drop(old, "its seat was taken back by a new login of " + account);
        }
        c.token = newToken();
        c.table = local;
        c.seat = seat;
        t.seatReturning(seat, conn, c.token, now);
        tableChanged(local);
        if (auto again = m_connections.find(conn); again != m_connections.end())
            watch(again->second);
        return true;
    }
    return false;
}

void Hall::reconnect(int64_t conn, Connection& c, const CommandFrame& frame, int hops, TimePoint now) {
    LoginRequest req = decodeLoginRequest(frame);
    const uint16_t token = static_cast<uint16_t>(req.token0 << 8 | req.token1);
    if (m_router && hops < 4 * m_directory->hallCount()) {
        std::optional<int> owner = m_directory->hallOf(req.account);
        if (owner && *owner != m_index)
            return handOver(conn, *owner, frame, hops + 1);
    }
    for (int local = 0; local < tableCount(); ++local) {
        Table& t = *m_tables[local].table;
        int seat = t.reconnectSeat(req.account, token, req.resumeNumber);
        if (seat < 0)
            continue;
        c.token = token;
        c.table = local;
        c.seat = seat;
        t.resume(seat, conn, now);
        tableChanged(local);
        return;
    }
    CommandFrame refused = encode(ReconnectAnswer{0, false});
    m_out.send(conn, refused);
    drop(conn, "reconnect refused for \"" + req.account + "\"");
}

void Hall::disconnected(int64_t conn, TimePoint now) {
    auto it = m_connections.find(conn);
    if (it == m_connections.end())
        return;
    Connection c = it->second;
    m_connections.erase(it);
    m_due.removeKey(c.key);
    m_keyOwner[static_cast<size_t>(c.key)] = kNoOwner;
    if (c.table >= 0 && c.seat >= 0 && m_tables[c.table].table->connectionOf(c.seat) == conn) {
        m_tables[c.table].table->connectionLost(c.seat, now);
        tableChanged(c.table);
    }
    persist();
}

void Hall::seatReleased(int64_t conn, const Profile& profile) {
    m_changedProfiles.erase(profile.account);
    m_directory->release(profile);
    auto it = m_connections.find(conn);
    if (it != m_connections.end()) {
        it->second.table = -1;
        it->second.seat = -1;
        watch(it->second);
    }
}

void Hall::profileUpdated(const Profile& profile) {
    m_changedProfiles[profile.account] = profile;
}

void Hall::roundSettled(const RoundSummary& summary) {
    ++m_roundsSettled;
    // Silence is counted from the end of the round, when the client's keep-alive may resume.
    const Table& t = *m_tables[localTable(summary.table)].table;
    for (int seat = 0; seat < kSeats; ++seat) {
        auto it = m_connections.find(t.connectionOf(seat));
        if (it != m_connections.end() && it->second.lastHeard < summary.at)
            it->second.lastHeard = summary.at;
    }
}

CommandFrame Hall::stamped(CommandFrame frame, uint16_t token) {
    frame[kTokenByte] = static_cast<uint8_t>(token >> 8);
    frame[kTokenByte + 1] = static_cast<uint8_t>(token);
    return frame;
}

void Hall::shutdown(TimePoint now) {
    std::vector<int64_t> conns;
    for (const auto& [conn, c] : m_connections) {
        conns.push_back(conn);
        if (c.table >= 0 && c.seat >= 0)
            m_out.send(conn, stamped(encode(Removal{wire::seatBit(c.seat), kShutdownReason}), c.token));
    }
    for (int64_t conn : conns) {
        drop(conn, "server shutting down");
        disconnected(conn, now);
    }
    persist();
}

void Hall::tableChanged(int local) {
    TableSlot& slot = m_tables[local];
    const Table& t = *slot.table;
    // A deadline that moved later stays where it was held, as a connection's does: every play
    // moves the turn's deadline on, and the heap would be reordered at every turn. The entry
    // comes due early once, the table's tick finds nothing to do, and the real one is set then.
    if (std::optional<TimePoint> next = t.nextWakeup()) {
        const std::optional<TimePoint> held = m_due.deadline(slot.key);
        if (!held || *next < *held)
            m_due.set(slot.key, *next);
    } else {
        m_due.clear(slot.key);
    }
    m_directory->setSeatable(t.index(), t.canSeat());
    const bool running = t.roundRunning();
    if (slot.running && !running) {
        // Between rounds the players' silence counts again.
        for (int seat = 0; seat < kSeats; ++seat) {
            auto it = m_connections.find(t.connectionOf(seat));
            if (it != m_connections.end())
                watch(it->second);
        }
    }
    slot.running = running;
}

std::optional<TimePoint> Hall::connectionDue(const Connection& c) const {
    if (c.table < 0)
        return std::max(c.openedAt, c.lastHeard) + m_config.loginLimit;
    // The client stops its keep-alive while a round is dealt, so silence only counts between
    // rounds.
    if (m_tables[c.table].table->roundRunning())
        return std::nullopt;
    return c.lastHeard + m_config.silenceLimit;
}

// Frames heard later move the real deadline on without touching the heap: the entry held comes
// due early, and checkConnection puts it back at the real one.
void Hall::watch(Connection& c) {
    std::optional<TimePoint> due = connectionDue(c);
    if (!due)
        return;
    std::optional<TimePoint> held = m_due.deadline(c.key);
    if (!held || *due < *held)
        m_due.set(c.key, *due);
}

void Hall::checkConnection(int64_t conn, TimePoint now) {
    auto it = m_connections.find(conn);
    if (it == m_connections.end())
        return;
    const Connection& c = it->second;
    std::optional<TimePoint> due = connectionDue(c);
    if (!due)
        return;  // a round runs; its end watches the connection again
    if (now < *due) {
        m_due.set(c.key, *due);
        return;
    }
    if (c.table >= 0 && c.seat >= 0)
        m_out.send(conn, stamped(encode(Removal{wire::seatBit(c.seat), kSilentReason}), c.token));
    drop(conn, c.table < 0 ? "no login" : "silent too long");
    disconnected(conn, now);
}

void Hall::tick(TimePoint now) {
    m_dueKeys.clear();
    while (std::optional<int> key = m_due.popDue(now))
        m_dueKeys.push_back(*key);
    // Silent connections go first: a round due now would otherwise start with them.
    for (int key : m_dueKeys) {
        const int64_t owner = m_keyOwner[static_cast<size_t>(key)];
        if (owner >= 0)
            checkConnection(owner, now);
    }
    for (int key : m_dueKeys) {
        const int64_t owner = m_keyOwner[static_cast<size_t>(key)];
        if (owner < 0 && owner != kNoOwner) {
            const int local = static_cast<int>(-1 - owner);
            m_tables[local].table->tick(now);
            tableChanged(local);
        }
    }
    persist();
}

}  // namespace vexal::server
