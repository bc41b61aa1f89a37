// The account file: players' coins, results and reliefs kept across server runs, and the daily
// relief rule. Plain C++ with no Asio, so the lobby can read the same file with the same code.
//
// The file is UTF-8 text, one account per line, nine fields separated by one tab:
//
//   account  coins  score  wins  losses  logins  disconnects  reliefs  relief-date
//
// account: the account as the server holds it (UTF-8), with '%', '#', tab, line breaks and every
// other control character written as %XX (two upper-case hex digits of the byte); coins and score:
// whole numbers 0 .. 10^15; wins, losses, logins, disconnects: 0 .. 4294967295; reliefs: the
// reliefs granted on relief-date, 0 .. 1000; relief-date: the server's local date of those
// reliefs as YYYY-MM-DD, or "-" when the account never had one. Lines starting with '#' and blank
// lines are skipped; a line may end in CR LF. The server writes "# vexal accounts 1" first, then
// the accounts in byte order of their names.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vexal::server {

// A relief tops a player's coins up to this floor (or to the table's need, if higher) ...
constexpr int64_t kDefaultReliefFloor = 20'000;
// ... this many times per calendar day of the server's local date.
constexpr int kDefaultReliefsPerDay = 3;

// A calendar date as YYYYMMDD (20261210); 0 means none.
using DateNumber = int32_t;

// The server's local date at `at`.
DateNumber localDate(std::chrono::system_clock::time_point at);

// An account's lasting record, as the account file holds it.
struct AccountRecord {
    std::string account;
    int64_t coins = 0;
    int64_t score = 0;
    uint32_t wins = 0;
    uint32_t losses = 0;
    uint32_t loginCount = 0;
    uint32_t disconnectCount = 0;
    int reliefsToday = 0;       // reliefs granted on reliefDate
    DateNumber reliefDate = 0;  // the day of those reliefs; 0: never

    friend bool operator==(const AccountRecord&, const AccountRecord&) = default;
};

// Level 1..40 of an account's score (a win adds 3, a loss 1): one level per 10 points.
int levelOfScore(int64_t score);
// The rank a level belongs to, the title before a player's name: 新手 (1-10), 熟手 (11-20),
// 高手 (21-30), 大师 (31-40).
const char* rankOfLevel(int level);

// How many reliefs the account may still get on `today`: all of them on a new day.
int reliefLeftToday(const AccountRecord& record, DateNumber today, int perDay = kDefaultReliefsPerDay);

// Grants one relief if the account lacks `need` coins and has one left today: the coins go up to
// max(floor, need), the day's count goes up. Returns the coins granted, 0 when none were.
int64_t grantRelief(AccountRecord& record, int64_t need, DateNumber today, int64_t floor = kDefaultReliefFloor,
                    int perDay = kDefaultReliefsPerDay);

struct AccountFileContents {
    std::vector<AccountRecord> records;  // in file order; a repeated account keeps its first line
    std::vector<std::string> problems;   // one per skipped line: "line N: why"
};

// The records of an account file's text. Never throws: a line that is not a valid record is
// skipped and named in `problems`.
AccountFileContents parseAccounts(std::string_view text);

// The text of an account file holding these records.
std::string formatAccounts(std::vector<AccountRecord> records);

// One account name as the file writes it, and back; unescapeAccount fails (false) on a broken
// escape, a raw control character or text that is not UTF-8.
std::string escapeAccount(std::string_view account);
bool unescapeAccount(std::string_view field, std::string& account);

enum class FileRead { Read, Missing, Failed };

// Reads a whole file. A missing file is FileRead::Missing (an empty store); a file that exists but
// cannot be read gives FileRead::Failed with the reason in `error`.
FileRead readTextFile(const std::string& path, std::string& text, std::string& error);

// readTextFile, then parseAccounts.
FileRead readAccountFile(const std::string& path, AccountFileContents& contents, std::string& error);

// Writes `text` to `path` atomically: a temporary file beside it, written and synced, then
// renamed over it, so a reader sees the old file or the new one and never half of one.
bool writeFileAtomically(const std::string& path, std::string_view text, std::string& error);

}  // namespace vexal::server
