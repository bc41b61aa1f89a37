#include "server/accounts.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>

#include <unistd.h>

namespace vexal::server {

namespace {

constexpr std::string_view kHeader = "# vexal accounts 1\n";
constexpr int kFields = 9;
constexpr int64_t kMaxCoins = 1'000'000'000'000'000;
constexpr int kMaxReliefsInADay = 1000;

bool isControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool validUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        int extra = 0;
        uint32_t cp = 0;
        if (b < 0x80) {
            ++i;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            extra = 1;
            cp = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2;
            cp = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3;
            cp = b & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<size_t>(extra) >= s.size())
            return false;
        for (int k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80)
                return false;
            cp = cp << 6 | (c & 0x3F);
        }
        static const uint32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kLeast[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += static_cast<size_t>(extra) + 1;
    }
    return true;
}

template <typename T>
bool parseNumber(std::string_view text, T lo, T hi, T& out) {
    T value{};
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size() || value < lo || value > hi)
        return false;
    out = value;
    return true;
}

bool validDate(int year, int month, int day) {
    if (year < 1970 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool parseDate(std::string_view text, DateNumber& out) {
    if (text == "-") {
        out = 0;
        return true;
    }
    int year = 0, month = 0, day = 0;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !parseNumber(text.substr(0, 4), 0, 9999, year) ||
        !parseNumber(text.substr(5, 2), 0, 99, month) || !parseNumber(text.substr(8, 2), 0, 99, day) ||
        !validDate(year, month, day))
        return false;
    out = year * 10000 + month * 100 + day;
    return true;
}

std::string formatDate(DateNumber date) {
    if (date <= 0)
        return "-";
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date / 10000, date / 100 % 100, date % 100);
    return text;
}

// One line without its line break; empty `why` when it is a record.
AccountRecord parseLine(std::string_view line, std::string& why) {
    AccountRecord r;
    std::string_view field[kFields];
    int n = 0;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        if (n == kFields) {
            why = "more than " + std::to_string(kFields) + " fields";
            return r;
        }
        field[n++] = line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
        if (tab == std::string_view::npos)
            break;
        start = tab + 1;
    }
    if (n != kFields) {
        why = std::to_string(n) + " fields, not " + std::to_string(kFields);
        return r;
    }
    if (!unescapeAccount(field[0], r.account) || r.account.empty())
        why = "bad account name";
    else if (!parseNumber<int64_t>(field[1], 0, kMaxCoins, r.coins))
        why = "bad coins";
    else if (!parseNumber<int64_t>(field[2], 0, kMaxCoins, r.score))
        why = "bad score";
    else if (!parseNumber<uint32_t>(field[3], 0, UINT32_MAX, r.wins))
        why = "bad wins";
    else if (!parseNumber<uint32_t>(field[4], 0, UINT32_MAX, r.losses))
        why = "bad losses";
    else if (!parseNumber<uint32_t>(field[5], 0, UINT32_MAX, r.loginCount))
        why = "bad login count";
    else if (!parseNumber<uint32_t>(field[6], 0, UINT32_MAX, r.disconnectCount))
        why = "bad disconnect count";
    else if (!parseNumber<int>(field[7], 0, kMaxReliefsInADay, r.reliefsToday))
        why = "bad relief count";
    else if (!parseDate(field[8], r.reliefDate))
        why = "bad relief date";
    return r;
}

}  // namespace

DateNumber localDate(std::chrono::system_clock::time_point at) {
    const std::time_t t = std::chrono::system_clock::to_time_t(at);
    std::tm tm{};
    localtime_r(&t, &tm);
    return (tm.tm_year + 1900) * 10000 + (tm.tm_mon + 1) * 100 + tm.tm_mday;
}

int levelOfScore(int64_t score) {
    if (score < 0)
        return 1;
    return static_cast<int>(std::min<int64_t>(40, 1 + score / 10));
}

const char* rankOfLevel(int level) {
    static const char* const kRanks[] = {"新手", "熟手", "高手", "大师"};
    return kRanks[std::clamp((level - 1) / 10, 0, 3)];
}

int reliefLeftToday(const AccountRecord& record, DateNumber today, int perDay) {
    const int used = record.reliefDate == today ? record.reliefsToday : 0;
    return std::max(0, perDay - used);
}

int64_t grantRelief(AccountRecord& record, int64_t need, DateNumber today, int64_t floor, int perDay) {
    if (record.coins >= need || reliefLeftToday(record, today, perDay) == 0)
        return 0;
    if (record.reliefDate != today) {
        record.reliefDate = today;
        record.reliefsToday = 0;
    }
    ++record.reliefsToday;
    const int64_t grant = std::max(floor, need) - record.coins;
    record.coins += grant;
    return grant;
}

std::string escapeAccount(std::string_view account) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : account) {
        const auto c = static_cast<unsigned char>(ch);
        if (isControl(c) || c == '%' || c == '#') {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

bool unescapeAccount(std::string_view field, std::string& account) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        const auto c = static_cast<unsigned char>(field[i]);
        if (isControl(c))
            return false;
        if (c != '%') {
            out += field[i];
            continue;
        }
        if (i + 2 >= field.size())
            return false;
        const int hi = hexValue(field[i + 1]), lo = hexValue(field[i + 2]);
        if (hi < 0 || lo < 0)
            return false;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    if (!validUtf8(out))
        return false;
    account = std::move(out);
    return true;
}

AccountFileContents parseAccounts(std::string_view text) {
    AccountFileContents contents;
    std::map<std::string, int> firstLine;
    int number = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        std::string why;
        AccountRecord r = parseLine(line, why);
        if (why.empty()) {
            auto [it, fresh] = firstLine.try_emplace(r.account, number);
            if (!fresh)
                why = "account repeats line " + std::to_string(it->second);
        }
        if (!why.empty()) {
            contents.problems.push_back("line " + std::to_string(number) + ": " + why);
            continue;
        }
        contents.records.push_back(std::move(r));
    }
    return contents;
}

std::string formatAccounts(std::vector<AccountRecord> records) {
    std::sort(records.begin(), records.end(),
              [](const AccountRecord& a, const AccountRecord& b) { return a.account < b.account; });
    std::string text(kHeader);
    for (const AccountRecord& r : records) {
        text += escapeAccount(r.account);
        for (int64_t v : {r.coins, r.score, int64_t{r.wins}, int64_t{r.losses}, int64_t{r.loginCount},
                          int64_t{r.disconnectCount}, int64_t{r.reliefsToday}}) {
            text += '\t';
            text += std::to_string(v);
        }
        text += '\t';
        text += formatDate(r.reliefDate);
        text += '\n';
    }
    return text;
}

FileRead readTextFile(const std::string& path, std::string& text, std::string& error) {
    text.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        if (errno == ENOENT)
            return FileRead::Missing;
        error = std::strerror(errno);
        return FileRead::Failed;
    }
    char buffer[1 << 14];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        text.append(buffer, got);
    const bool failed = std::ferror(f) != 0;
    const int why = errno;
    std::fclose(f);
    if (failed) {
        text.clear();
        error = std::strerror(why);
        return FileRead::Failed;
    }
    return FileRead::Read;
}

FileRead readAccountFile(const std::string& path, AccountFileContents& contents, std::string& error) {
    std::string text;
    const FileRead result = readTextFile(path, text, error);
    contents = parseAccounts(text);
    return result;
}

bool writeFileAtomically(const std::string& path, std::string_view text, std::string& error) {
    const std::string temp = path + ".tmp";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) {
        error = temp + ": " + std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size() && std::fflush(f) == 0 &&
              ::fsync(::fileno(f)) == 0;
    int why = errno;
    ok = std::fclose(f) == 0 && ok;
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
        why = errno;
        ok = false;
    }
    if (!ok) {
        error = path + ": " + std::strerror(why);
        std::remove(temp.c_str());
    }
    return ok;
}

}  // namespace vexal::server
