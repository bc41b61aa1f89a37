// The server's connections and tables: login and reconnect logins, seat lookup, keep-alive
// silence and the routing of every received frame to its table. No sockets.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "server/table.h"

namespace vexal::server {

struct HallConfig {
    int tables = 4;
    Millis silenceLimit{40'000};  // a connection silent this long between rounds is dropped
    Millis loginLimit{30'000};    // a connection that has not logged in by then is dropped
    std::string accountsFile;     // empty: accounts live in memory only
    TableConfig table;
};

class Hall : public TableEvents {
public:
    Hall(const HallConfig& config, Outbox& out, Logger& log);

    void connected(int64_t conn, TimePoint now);
    void received(int64_t conn, const CommandFrame& frame, TimePoint now);
    // The connection closed or failed. Also called by the transport after the hall closed it.
    void disconnected(int64_t conn, TimePoint now);

    // Tells every seated player the server is going away (command 22) and closes every connection.
    void shutdown(TimePoint now);

    void tick(TimePoint now);
    std::optional<TimePoint> nextWakeup() const;

    const Table& table(int index) const { return *m_tables[index]; }
    int tableCount() const { return static_cast<int>(m_tables.size()); }
    int roundsSettled() const { return m_roundsSettled; }
    size_t connectionCount() const { return m_connections.size(); }

    // The lasting record of an account the hall knows; nothing when it knows none.
    std::optional<AccountRecord> account(const std::string& name) const;

    // TableEvents
    void seatReleased(int64_t conn, const Profile& profile) override;
    void profileUpdated(const Profile& profile) override;
    void roundSettled(const RoundSummary& summary) override;

private:
    struct Connection {
        TimePoint lastHeard;
        TimePoint openedAt;
        uint16_t token = 0;
        int table = -1;
        int seat = -1;
    };

    void route(int64_t conn, const CommandFrame& frame, TimePoint now);
    void login(int64_t conn, Connection& c, const CommandFrame& frame, TimePoint now);
    void loadAccounts();
    // Writes the account file when a record changed since the last write.
    void persist();
    void reconnect(int64_t conn, Connection& c, const CommandFrame& frame, TimePoint now);
    void drop(int64_t conn, const std::string& why);
    uint16_t newToken();
    static CommandFrame stamped(CommandFrame frame, uint16_t token);

    HallConfig m_config;
    Outbox& m_out;
    Logger& m_log;
    Rng m_rng;
    std::vector<std::unique_ptr<Table>> m_tables;
    std::map<int64_t, Connection> m_connections;
    std::map<std::string, Profile> m_profiles;
    std::string m_accountsFile;  // cleared when the file could not be read: it is never overwritten
    bool m_accountsChanged = false;
    int m_roundsSettled = 0;
};

}  // namespace vexal::server
