// What every hall of one server shares, each hall running on a thread of its own: the accounts
// (their lasting records, and which hall holds an account's seat) and, per table, whether it could
// seat a newcomer now. A hall decides only about its own tables; what it reads here of the others'
// is a hint that the owner checks again, so nothing on the game path waits for another thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "server/table.h"

namespace vexal::server {

class Directory {
public:
    // Reads the account file (empty: accounts live in memory only).
    Directory(int tables, int halls, const std::string& accountsFile, Logger& log);
    // Writes what has changed since the last write before it goes.
    ~Directory();
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;

    int tableCount() const { return m_tables; }
    int hallCount() const { return m_halls; }
    // The hall that owns a table: tables are dealt out to the halls in turn.
    int hallOfTable(int table) const { return table % m_halls; }

    // Published by the owner after every change to the table; read by any hall.
    void setSeatable(int table, bool seatable) { m_seatable[table].store(seatable, std::memory_order_relaxed); }
    bool seatable(int table) const { return m_seatable[table].load(std::memory_order_relaxed); }
    // The lowest table at or after `from` that looked able to seat a newcomer; -1 when none.
    int firstSeatable(int from = 0) const;

    // A login takes the account for `hall`: its record (a new one with `startCoins` for a name
    // never seen), its login counted when `countLogin`. Nothing when the account holds a seat.
    std::optional<Profile> claim(const std::string& account, int hall, int64_t startCoins, bool countLogin);
    // The login that claimed the account found no seat in that hall after all.
    void unclaim(const std::string& account);
    // The account's seat was given up: the record as the table left it, no hall holds it now.
    void release(const Profile& profile);
    // Records of seated accounts changed (a settlement, a relief), all under one lock.
    void update(const std::vector<Profile>& profiles);
    // The hall holding the account's seat, if any.
    std::optional<int> hallOf(const std::string& account) const;

    std::optional<AccountRecord> account(const std::string& name) const;
    // An event is over: when a record changed since the last write, the account file's writer is
    // woken. The file is written on a thread of its own, so no hall waits for the disk; changes
    // that come while a write is under way go out together in the next one.
    void persist();
    // Waits until every change made so far is in the file (or its write failed).
    void flush();

private:
    void load();
    void writeLoop();

    const int m_tables;
    const int m_halls;
    Logger& m_log;
    std::unique_ptr<std::atomic<bool>[]> m_seatable;

    mutable std::mutex m_mutex;  // guards what follows
    std::map<std::string, Profile> m_profiles;
    std::map<std::string, int> m_seatedAt;  // account -> hall holding its seat
    std::string m_accountsFile;  // cleared when the file could not be read: it is never overwritten
    uint64_t m_changes = 0;      // record changes so far
    uint64_t m_written = 0;      // the changes the last write held
    bool m_stopping = false;
    std::condition_variable m_wake;     // the writer: changes to write, or the end
    std::condition_variable m_caughtUp; // flush(): a write is done
    std::atomic<bool> m_changed{false}; // a change since persist() last looked, without the lock
    std::thread m_writer;               // only with an account file
};

}  // namespace vexal::server
