// The account file and the daily relief: grants over dates and counts, the file's round trip,
// and input that must be skipped without taking the rest of the file with it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <thread>

#include "fixtures.h"
#include "server/accounts.h"
#include "server/directory.h"

namespace vexal::server {
namespace {

TEST(Relief, UpToTheFloorAFewTimesPerCalendarDay) {
    struct Case {
        const char* name;
        int64_t coins;
        int usedBefore;
        DateNumber usedOn;
        DateNumber today;
        int64_t need;
        int64_t granted;  // 0: none
        int usedAfter;
        int leftAfter;
    };
    const Case cases[] = {
        {"first ever", 0, 0, 0, 20261210, 100, 20'000, 1, 2},
        {"third of the day", 40, 2, 20261210, 20261210, 100, 19'960, 3, 0},
        {"none left today", 0, 3, 20261210, 20261210, 100, 0, 3, 0},
        {"a new day", 0, 3, 20261209, 20261210, 100, 20'000, 1, 2},
        {"a new year", 10, 3, 20261231, 20270101, 100, 19'990, 1, 2},
        {"a day back (clock set back) counts as another day", 0, 3, 20261211, 20261210, 100, 20'000, 1, 2},
        {"enough coins", 100, 1, 20261210, 20261210, 100, 0, 1, 2},
        {"a stake above the floor", 500, 0, 0, 20261210, 50'000, 49'500, 1, 2},
    };
    for (const Case& c : cases) {
        AccountRecord r;
        r.account = "alice";
        r.coins = c.coins;
        r.reliefsToday = c.usedBefore;
        r.reliefDate = c.usedOn;
        EXPECT_EQ(grantRelief(r, c.need, c.today), c.granted) << c.name;
        EXPECT_EQ(r.coins, c.coins + c.granted) << c.name;
        EXPECT_EQ(r.reliefsToday, c.usedAfter) << c.name;
        EXPECT_EQ(reliefLeftToday(r, c.today), c.leftAfter) << c.name;
        if (c.granted > 0) {
            EXPECT_EQ(r.reliefDate, c.today) << c.name;
        }
        // The next day always starts with every relief again.
        EXPECT_EQ(reliefLeftToday(r, c.today + 1), kDefaultReliefsPerDay) << c.name;
    }
    AccountRecord none;
    EXPECT_EQ(grantRelief(none, 100, 20261210, 20'000, 0), 0);  // a server that grants no relief
}

TEST(Relief, TheLocalDateIsAYearMonthDayNumber) {
    const DateNumber d = localDate(std::chrono::system_clock::now());
    EXPECT_GE(d / 10000, 2024);
    EXPECT_GE(d / 100 % 100, 1);
    EXPECT_LE(d / 100 % 100, 12);
    EXPECT_GE(d % 100, 1);
    EXPECT_LE(d % 100, 31);
}

AccountRecord record(std::string name, int64_t coins, DateNumber date = 0, int reliefs = 0) {
    AccountRecord r;
    r.account = std::move(name);
    r.coins = coins;
    r.score = 31;
    r.wins = 7;
    r.losses = 3;
    r.loginCount = 12;
    r.disconnectCount = 1;
    r.reliefsToday = reliefs;
    r.reliefDate = date;
    return r;
}

TEST(AccountFile, EveryNameAndNumberComesBackAsWritten) {
    const std::vector<AccountRecord> records = {
        record("alice", 100'000),
        record("李四", 0, 20261210, 3),  // UTF-8 as the server holds a CP936 name
        record("tab\there", 5, 20240229, 1),
        record("100%", 1'000'000'000'000'000),
        record("line\nbreak\r", 20'000),
        record("#not-a-comment", 1),
        record(" spaced ", 2),
    };
    const std::string text = formatAccounts(records);
    EXPECT_EQ(text.rfind("# vexal accounts 1\n", 0), 0u);
    // Nothing in a name can break a line or a field.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), static_cast<long>(records.size()) + 1);
    EXPECT_NE(text.find("tab%09here\t5\t"), std::string::npos);
    EXPECT_NE(text.find("100%25\t"), std::string::npos);
    EXPECT_NE(text.find("\n%23not-a-comment\t"), std::string::npos);
    EXPECT_NE(text.find("\t2026-12-10\n"), std::string::npos);
    EXPECT_NE(text.find("alice\t100000\t31\t7\t3\t12\t1\t0\t-\n"), std::string::npos);

    AccountFileContents back = parseAccounts(text);
    EXPECT_TRUE(back.problems.empty()) << back.problems.front();
    ASSERT_EQ(back.records.size(), records.size());
    for (const AccountRecord& r : records) {
        auto it = std::find_if(back.records.begin(), back.records.end(),
                               [&](const AccountRecord& b) { return b.account == r.account; });
        ASSERT_NE(it, back.records.end()) << r.account;
        EXPECT_EQ(*it, r) << r.account;
    }
}

TEST(AccountFile, BadLinesAreSkippedAndNamedTheRestIsRead) {
    const std::string good = "good\t500\t1\t1\t0\t1\t0\t0\t-";
    struct Case {
        std::string line;
        const char* why;
    };
    const Case cases[] = {
        {"short\t1\t2", "3 fields"},
        {good + "\textra", "more than 9 fields"},
        {"neg\t-5\t0\t0\t0\t0\t0\t0\t-", "bad coins"},
        {"big\t99999999999999999999\t0\t0\t0\t0\t0\t0\t-", "bad coins"},
        {"plus\t+5\t0\t0\t0\t0\t0\t0\t-", "bad coins"},
        {"space\t 5\t0\t0\t0\t0\t0\t0\t-", "bad coins"},
        {"word\t5\tten\t0\t0\t0\t0\t0\t-", "bad score"},
        {"wins\t5\t0\t4294967296\t0\t0\t0\t0\t-", "bad wins"},
        {"reliefs\t5\t0\t0\t0\t0\t0\t1001\t-", "bad relief count"},
        {"feb30\t5\t0\t0\t0\t0\t0\t1\t2026-02-30", "bad relief date"},
        {"slashes\t5\t0\t0\t0\t0\t0\t1\t2026/12/10", "bad relief date"},
        {"\t5\t0\t0\t0\t0\t0\t0\t-", "bad account name"},
        {"bad%G1\t5\t0\t0\t0\t0\t0\t0\t-", "bad account name"},
        {"cut%4\t5\t0\t0\t0\t0\t0\t0\t-", "bad account name"},
        {"notutf8%FF\t5\t0\t0\t0\t0\t0\t0\t-", "bad account name"},
        {"raw\xC3(\t5\t0\t0\t0\t0\t0\t0\t-", "bad account name"},
        {"bell\x07\t5\t0\t0\t0\t0\t0\t0\t-", "bad account name"},
        {good, "account repeats line 2"},
    };
    std::string text = "# vexal accounts 1\n" + good + "\r\n\n";
    for (const Case& c : cases)
        text += c.line + "\n";
    text += "last\t7\t0\t0\t0\t0\t0\t2\t2026-12-10";  // no final line break
    AccountFileContents got = parseAccounts(text);
    ASSERT_EQ(got.records.size(), 2u);
    EXPECT_EQ(got.records[0].account, "good");
    EXPECT_EQ(got.records[0].coins, 500);
    EXPECT_EQ(got.records[1].account, "last");
    EXPECT_EQ(got.records[1].reliefDate, 20261210);
    ASSERT_EQ(got.problems.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const std::string where = "line " + std::to_string(i + 4) + ": ";
        EXPECT_EQ(got.problems[i].rfind(where, 0), 0u) << got.problems[i];
        EXPECT_NE(got.problems[i].find(cases[i].why), std::string::npos) << got.problems[i] << " / " << cases[i].why;
    }

    // Whatever bytes a damaged file holds, reading it never fails outright.
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        std::string noise(static_cast<size_t>(rng() % 400), '\0');
        for (char& ch : noise)
            ch = static_cast<char>(rng() % 4 == 0 ? "\t\n%-0"[rng() % 5] : static_cast<char>(rng()));
        AccountFileContents damaged = parseAccounts(noise);
        for (const AccountRecord& r : damaged.records)
            EXPECT_FALSE(r.account.empty());
    }
}

TEST(AccountFile, MissingUnreadableAndAtomicallyReplaced) {
    testing::TempDir dir;
    const std::string file = (dir.path / "accounts.txt").string();
    AccountFileContents contents;
    std::string error;
    EXPECT_EQ(readAccountFile(file, contents, error), FileRead::Missing);
    EXPECT_TRUE(contents.records.empty());
    EXPECT_EQ(readAccountFile(dir.path.string(), contents, error), FileRead::Failed);  // a directory
    EXPECT_FALSE(error.empty());

    ASSERT_TRUE(writeFileAtomically(file, formatAccounts({record("alice", 1)}), error)) << error;
    ASSERT_TRUE(writeFileAtomically(file, formatAccounts({record("alice", 2), record("bob", 3)}), error)) << error;
    ASSERT_EQ(readAccountFile(file, contents, error), FileRead::Read);
    ASSERT_EQ(contents.records.size(), 2u);
    EXPECT_EQ(contents.records[0].coins, 2);
    EXPECT_FALSE(std::filesystem::exists(file + ".tmp"));

    // A place nothing can be written to fails with a reason and leaves the old file alone.
    EXPECT_FALSE(writeFileAtomically((dir.path / "no" / "such" / "dir.txt").string(), "x", error));
    EXPECT_NE(error.find("dir.txt"), std::string::npos);
}

// The file is written off the halls' threads: a burst of settlements from two halls ends up in it
// whole once flush() returns, and a change made after the last event is still written before the
// directory goes.
TEST(AccountFile, WrittenBesideTheHallsAndWholeAtTheEnd) {
    testing::TempDir dir;
    const std::string file = (dir.path / "accounts.txt").string();
    Logger quiet(nullptr, LogLevel::Silent);
    auto stored = [&] {
        AccountFileContents contents;
        std::string error;
        EXPECT_EQ(readAccountFile(file, contents, error), FileRead::Read) << error;
        std::map<std::string, int64_t> coins;
        for (const AccountRecord& r : contents.records)
            coins[r.account] = r.coins;
        return coins;
    };
    std::map<std::string, int64_t> expected;
    {
        Directory directory(2, 2, file, quiet);
        std::vector<std::thread> halls;
        for (int hall = 0; hall < 2; ++hall)
            halls.emplace_back([&directory, hall] {
                std::vector<Profile> seated;
                for (int seat = 0; seat < 4; ++seat)
                    seated.push_back(*directory.claim("h" + std::to_string(hall) + "s" + std::to_string(seat), hall,
                                                      1000, true));
                for (int round = 1; round <= 300; ++round) {
                    for (Profile& p : seated)
                        p.coins = 1000 + round * (hall + 1);
                    directory.update(seated);
                    directory.persist();
                }
            });
        for (std::thread& t : halls)
            t.join();
        directory.flush();
        for (int hall = 0; hall < 2; ++hall)
            for (int seat = 0; seat < 4; ++seat)
                expected["h" + std::to_string(hall) + "s" + std::to_string(seat)] = 1000 + 300 * (hall + 1);
        EXPECT_EQ(stored(), expected);

        Profile last = *directory.claim("late", 0, 5, false);
        last.coins = 77;
        directory.release(last);
        expected["late"] = 77;
    }
    EXPECT_EQ(stored(), expected);
    EXPECT_FALSE(std::filesystem::exists(file + ".tmp"));
}

}  // namespace
}  // namespace vexal::server
