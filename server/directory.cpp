#include "server/directory.h"

namespace vexal::server {

Directory::Directory(int tables, int halls, const std::string& accountsFile, Logger& log)
    : m_tables(tables), m_halls(halls < 1 ? 1 : halls), m_log(log),
      m_seatable(std::make_unique<std::atomic<bool>[]>(static_cast<size_t>(tables))),
      m_accountsFile(accountsFile) {
    for (int i = 0; i < tables; ++i)
        m_seatable[i].store(true, std::memory_order_relaxed);
    load();
    if (!m_accountsFile.empty())
        m_writer = std::thread([this] { writeLoop(); });
}

Directory::~Directory() {
    if (!m_writer.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_writer.join();
}

int Directory::firstSeatable(int from) const {
    for (int i = from < 0 ? 0 : from; i < m_tables; ++i)
        if (seatable(i))
            return i;
    return -1;
}

void Directory::load() {
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

std::optional<Profile> Directory::claim(const std::string& account, int hall, int64_t startCoins, bool countLogin) {
    std::lock_guard lock(m_mutex);
    if (m_seatedAt.count(account))
        return std::nullopt;
    auto [it, fresh] = m_profiles.try_emplace(account);
    Profile& profile = it->second;
    if (fresh) {
        profile.account = account;
        profile.nickname = account;
        profile.coins = startCoins;
    }
    if (countLogin || fresh) {
        if (countLogin)
            ++profile.loginCount;
        ++m_changes;
        m_changed.store(true, std::memory_order_relaxed);
    }
    m_seatedAt[account] = hall;
    return profile;
}

void Directory::unclaim(const std::string& account) {
    std::lock_guard lock(m_mutex);
    m_seatedAt.erase(account);
}

void Directory::release(const Profile& profile) {
    std::lock_guard lock(m_mutex);
    m_profiles[profile.account] = profile;
    m_seatedAt.erase(profile.account);
    ++m_changes;
    m_changed.store(true, std::memory_order_relaxed);
}

void Directory::update(const std::vector<Profile>& profiles) {
    std::lock_guard lock(m_mutex);
    for (const Profile& p : profiles)
        m_profiles[p.account] = p;
    ++m_changes;
    m_changed.store(true, std::memory_order_relaxed);
}

std::optional<int> Directory::hallOf(const std::string& account) const {
    std::lock_guard lock(m_mutex);
    auto it = m_seatedAt.find(account);
    if (it == m_seatedAt.end())
        return std::nullopt;
    return it->second;
}

std::optional<AccountRecord> Directory::account(const std::string& name) const {
    std::lock_guard lock(m_mutex);
    auto it = m_profiles.find(name);
    if (it == m_profiles.end())
        return std::nullopt;
    return it->second;
}

void Directory::persist() {
    if (!m_changed.exchange(false, std::memory_order_relaxed) || !m_writer.joinable())
        return;
    m_wake.notify_one();
}

void Directory::flush() {
    if (!m_writer.joinable())
        return;
    std::unique_lock lock(m_mutex);
    const uint64_t wanted = m_changes;
    m_wake.notify_one();
    m_caughtUp.wait(lock, [&] { return m_written >= wanted; });
}

// A synced write of the whole file takes milliseconds; made on a hall's thread after every
// settlement, it held every table of that hall up and, with many tables, capped the rounds a
// server could settle. The writer takes a snapshot of the records under the lock and writes it
// outside; whatever changed meanwhile is in the next snapshot. Before the directory goes, the last
// changes are written.
void Directory::writeLoop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || m_changes > m_written; });
        if (m_changes <= m_written)
            return;  // stopping, and nothing is left to write
        const uint64_t version = m_changes;
        std::vector<AccountRecord> records;
        records.reserve(m_profiles.size());
        for (const auto& [name, p] : m_profiles)
            records.push_back(p);
        lock.unlock();
        std::string error;
        if (!writeFileAtomically(m_accountsFile, formatAccounts(std::move(records)), error))
            m_log.error("accounts: cannot write " + error);
        lock.lock();
        m_written = version;
        m_caughtUp.notify_all();
    }
}

}  // namespace vexal::server
