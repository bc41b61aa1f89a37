// The server's connections and tables: login and reconnect logins, seat lookup, keep-alive
// silence and the routing of every received frame to its table. No sockets.
//
// A server may run several halls, one per thread, each owning every n-th table and the
// connections seated there; they share a Directory. A login that belongs to another hall's table
// is handed over to that hall with the frame that decided it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "server/deadlines.h"
#include "server/directory.h"
#include "server/table.h"

namespace vexal::server {

struct HallConfig {
    int tables = 4;
    Millis silenceLimit{40'000};  // a connection silent this long between rounds is dropped
    Millis loginLimit{30'000};    // a connection that has not logged in by then is dropped
    std::string accountsFile;     // empty: accounts live in memory only
    TableConfig table;
};

// Moves a connection to another hall of the same server, with the login frame it is to handle
// there. The connection is no longer this hall's; `hops` counts the halls it has been through.
class HallRouter {
public:
    virtual ~HallRouter() = default;
    virtual void handOver(int64_t conn, int hall, const CommandFrame& frame, int hops) = 0;
};

class Hall : public TableEvents {
public:
    // The only hall: every table, accounts of its own.
    Hall(const HallConfig& config, Outbox& out, Logger& log);
    // Hall `index` of the directory's halls, owning the tables the directory gives it.
    Hall(const HallConfig& config, Outbox& out, Logger& log, Directory& directory, int index, HallRouter* router);

    void connected(int64_t conn, TimePoint now);
    void received(int64_t conn, const CommandFrame& frame, TimePoint now);
    // A connection handed over by another hall, with the login frame that brought it here.
    void adopt(int64_t conn, const CommandFrame& frame, int hops, TimePoint openedAt, TimePoint now);
    // The connection closed or failed. Also called by the transport after the hall closed it.
    void disconnected(int64_t conn, TimePoint now);

    // Tells every seated player the server is going away (command 22) and closes every connection.
    void shutdown(TimePoint now);

    // Handles whatever is due by `now`, and only that.
    void tick(TimePoint now);
    // The earliest deadline held; it may come before the real one of a connection heard from
    // since (the tick looks again), never after.
    std::optional<TimePoint> nextWakeup() const { return m_due.earliest(); }

    // The hall's own tables, by their place in the hall.
    const Table& table(int index) const { return *m_tables[index].table; }
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
        int table = -1;  // the table's place in this hall
        int seat = -1;
        int key = -1;    // its deadline's key
    };
    struct TableSlot {
        std::unique_ptr<Table> table;
        int key = -1;
        bool running = false;  // a round was running when last looked at
    };

    void route(int64_t conn, const CommandFrame& frame, int hops, TimePoint now);
    void login(int64_t conn, Connection& c, const CommandFrame& frame, int hops, TimePoint now);
    void reconnect(int64_t conn, Connection& c, const CommandFrame& frame, int hops, TimePoint now);
    bool takeSeatBack(int64_t conn, Connection& c, const CommandFrame& frame, const std::string& account, int hops,
                      TimePoint now);
    void handOver(int64_t conn, int hall, const CommandFrame& frame, int hops);
    // Hands the records changed by the last event to the directory and writes the account file.
    void persist();
    void drop(int64_t conn, const std::string& why);
    uint16_t newToken();
    static CommandFrame stamped(CommandFrame frame, uint16_t token);
    int localTable(int global) const { return global / m_directory->hallCount(); }

    // After anything that may have changed table `local`: its deadline, whether it can seat a
    // newcomer, and the silence deadlines of its connections when a round ended.
    void tableChanged(int local);
    // When the connection's silence or login deadline is due, or nothing when none runs now.
    std::optional<TimePoint> connectionDue(const Connection& c) const;
    // Makes sure the connection's deadline is held no later than it falls due.
    void watch(Connection& c);
    void checkConnection(int64_t conn, TimePoint now);

    HallConfig m_config;
    Outbox& m_out;
    Logger& m_log;
    std::unique_ptr<Directory> m_ownDirectory;
    Directory* m_directory;
    int m_index = 0;
    HallRouter* m_router = nullptr;
    Rng m_rng;
    std::vector<TableSlot> m_tables;
    std::unordered_map<int64_t, Connection> m_connections;
    DeadlineHeap<TimePoint> m_due;
    std::vector<int64_t> m_keyOwner;  // by key: the connection, or -1 - the table's place
    std::unordered_map<std::string, Profile> m_changedProfiles;  // not yet in the directory
    std::vector<int> m_dueKeys;  // scratch of tick
    int m_roundsSettled = 0;
};

}  // namespace vexal::server
