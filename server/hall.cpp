#include "server/hall.h"

#include "net/messages/departure.h"
#include "net/messages/login.h"
#include "net/messages/seating.h"
#include "net/messages/wire.h"

namespace vexal::server {

namespace {

constexpr const char* kSilentReason = "长时间没有响应，您已离开游戏桌。";
constexpr const char* kShutdownReason = "游戏服务器正在关闭，请稍后重新进入。";

}  // namespace

Hall::Hall(const HallConfig& config, Outbox& out, Logger& log)
    : m_config(config), m_out(out), m_log(log), m_rng(config.table.seed ^ 0x5EA7ED),
      m_accountsFile(config.accountsFile) {
    loadAccounts();
    for (int i = 0; i < config.tables; ++i)
        m_tables.push_back(std::make_unique<Table>(i, config.table, out, *this, log));
}

void Hall::loadAccounts() {
    if (m_accountsFile.empty())
        return;
    std::string text, error;
    switch (readTextFile(m_accountsFile, text, error)) {
    case FileRead::Missing:
        m_log.info("accounts: " + m_accountsFile + " does not exist yet, no accounts");
        return;
    case FileRead::Failed:
        // Writing over a file we could not read would lose every account in it.
        m_log.error("accounts: cannot read " + m_accountsFile + ": " + error + "; accounts are kept in memory only");
        m_accountsFile.clear();
        return;
    case FileRead::Read:
        break;
    }
    AccountFileContents contents = parseAccounts(text);
    for (const std::string& problem : contents.problems)
        m_log.warn("accounts: " + m_accountsFile + " " + problem + ", line skipped");
    if (!contents.problems.empty()) {
        // The next write leaves the skipped lines out; the file as it was stays beside it.
        if (writeFileAtomically(m_accountsFile + ".bad", text, error))
            m_log.warn("accounts: the file as read is kept as " + m_accountsFile + ".bad");
        else
            m_log.error("accounts: cannot keep a copy of the file as read: " + error);
    }
    for (AccountRecord& record : contents.records) {
        Profile& p = m_profiles[record.account];
        static_cast<AccountRecord&>(p) = std::move(record);
        p.nickname = p.account;
    }
    m_log.info("accounts: " + std::to_string(contents.records.size()) + " read from " + m_accountsFile);
}

void Hall::persist() {
    if (!m_accountsChanged || m_accountsFile.empty())
        return;
    m_accountsChanged = false;
    std::vector<AccountRecord> records;
    records.reserve(m_profiles.size());
    for (const auto& [name, p] : m_profiles)
        records.push_back(p);
    std::string error;
    if (!writeFileAtomically(m_accountsFile, formatAccounts(std::move(records)), error))
        m_log.error("accounts: cannot write " + error);
}

std::optional<AccountRecord> Hall::account(const std::string& name) const {
    auto it = m_profiles.find(name);
    if (it == m_profiles.end())
        return std::nullopt;
    return it->second;
}

uint16_t Hall::newToken() {
    return static_cast<uint16_t>(1 + drawBelow(m_rng, 0xFFFF));
}

void Hall::connected(int64_t conn, TimePoint now) {
    m_connections[conn] = Connection{now, now, 0, -1, -1};
}

void Hall::received(int64_t conn, const CommandFrame& frame, TimePoint now) {
    route(conn, frame, now);
    persist();
}

void Hall::drop(int64_t conn, const std::string& why) {
    m_log.info("connection " + std::to_string(conn) + " closed: " + why);
    m_out.close(conn);
}

void Hall::route(int64_t conn, const CommandFrame& frame, TimePoint now) {
    auto it = m_connections.find(conn);
    if (it == m_connections.end())
        return;
    Connection& c = it->second;
    c.lastHeard = now;
    const auto command = static_cast<Command>(frame[kCommandByte]);
    if (c.table < 0) {
        if (command == Command::Login)
            return login(conn, c, frame, now);
        if (command == Command::ReconnectLogin)
            return reconnect(conn, c, frame, now);
        if (command != Command::KeepAlive)
            m_log.warn("connection " + std::to_string(conn) + ": refused command " +
                       std::to_string(frame[kCommandByte]) + " before login");
        return;
    }
    if (command == Command::Login || command == Command::ReconnectLogin) {
        m_log.warn("connection " + std::to_string(conn) + ": refused a second login");
        return;
    }
    m_tables[c.table]->receive(c.seat, frame, now);
}

void Hall::login(int64_t conn, Connection& c, const CommandFrame& frame, TimePoint now) {
    LoginRequest req = decodeLoginRequest(frame);
    auto answer = [&](LoginResult result) {
        m_out.send(conn, encode(LoginAnswer{0, static_cast<uint8_t>(m_config.table.turnSeconds),
                                            static_cast<uint8_t>(result), ""}));
    };
    if (req.account.empty() || req.account.rfind("bot", 0) == 0) {
        answer(LoginResult::VerificationFailed);
        return drop(conn, "login refused: account \"" + req.account + "\"");
    }
    for (const auto& t : m_tables) {
        if (t->holdsAccount(req.account)) {
            answer(LoginResult::StartRefused);
            return drop(conn, "login refused: " + req.account + " is seated already");
        }
    }
    auto [pit, fresh] = m_profiles.try_emplace(req.account);
    Profile& profile = pit->second;
    if (fresh) {
        profile.account = req.account;
        profile.nickname = req.account;
        profile.coins = m_config.table.startCoins;
    }
    ++profile.loginCount;
    m_accountsChanged = true;
    for (auto& t : m_tables) {
        if (!t->canSeat())
            continue;
        c.token = newToken();
        c.table = t->index();
        c.seat = -2;  // set below; frames sent while seating already go to this connection
        int seat = t->seatHuman(conn, c.token, profile, now);
        auto again = m_connections.find(conn);
        if (again == m_connections.end())
            return;
        if (seat >= 0 && again->second.table < 0)
            return;  // seated and put out at once: short of coins with no relief left today
        again->second.seat = seat;
        if (seat >= 0)
            return;
        again->second.table = -1;
        break;
    }
    answer(LoginResult::StartRefused);
    drop(conn, "login refused: every table is full");
}

void Hall::reconnect(int64_t conn, Connection& c, const CommandFrame& frame, TimePoint now) {
    LoginRequest req = decodeLoginRequest(frame);
    const uint16_t token = static_cast<uint16_t>(req.token0 << 8 | req.token1);
    for (auto& t : m_tables) {
        int seat = t->reconnectSeat(req.account, token, req.resumeNumber);
        if (seat < 0)
            continue;
        c.token = token;
        c.table = t->index();
        c.seat = seat;
        t->resume(seat, conn, now);
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
    if (c.table >= 0 && c.seat >= 0 && m_tables[c.table]->connectionOf(c.seat) == conn)
        m_tables[c.table]->connectionLost(c.seat, now);
    persist();
}

void Hall::seatReleased(int64_t conn, const Profile& profile) {
    m_profiles[profile.account] = profile;
    m_accountsChanged = true;
    auto it = m_connections.find(conn);
    if (it != m_connections.end()) {
        it->second.table = -1;
        it->second.seat = -1;
    }
}

void Hall::profileUpdated(const Profile& profile) {
    m_profiles[profile.account] = profile;
    m_accountsChanged = true;
}

void Hall::roundSettled(const RoundSummary& summary) {
    ++m_roundsSettled;
    // Silence is counted from the end of the round, when the client's keep-alive may resume.
    for (auto& [conn, c] : m_connections)
        if (c.table == summary.table && c.lastHeard < summary.at)
            c.lastHeard = summary.at;
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

void Hall::tick(TimePoint now) {
    std::vector<std::pair<int64_t, std::string>> silent;
    for (const auto& [conn, c] : m_connections) {
        if (c.table < 0 && now >= c.openedAt + m_config.loginLimit && now >= c.lastHeard + m_config.loginLimit)
            silent.emplace_back(conn, "no login");
        // The client stops its keep-alive while a round is dealt, so silence only counts between
        // rounds.
        else if (c.table >= 0 && !m_tables[c.table]->roundRunning() && now >= c.lastHeard + m_config.silenceLimit)
            silent.emplace_back(conn, "silent too long");
    }
    for (const auto& [conn, why] : silent) {
        const Connection& c = m_connections[conn];
        if (c.table >= 0 && c.seat >= 0)
            m_out.send(conn, stamped(encode(Removal{wire::seatBit(c.seat), kSilentReason}), c.token));
        drop(conn, why);
        disconnected(conn, now);
    }
    for (auto& t : m_tables)
        t->tick(now);
    persist();
}

std::optional<TimePoint> Hall::nextWakeup() const {
    std::optional<TimePoint> next;
    auto consider = [&](std::optional<TimePoint> t) {
        if (t && (!next || *t < *next))
            next = t;
    };
    for (const auto& t : m_tables)
        consider(t->nextWakeup());
    for (const auto& [conn, c] : m_connections) {
        if (c.table < 0)
            consider(std::max(c.openedAt, c.lastHeard) + m_config.loginLimit);
        else if (!m_tables[c.table]->roundRunning())
            consider(c.lastHeard + m_config.silenceLimit);
    }
    return next;
}

}  // namespace vexal::server
