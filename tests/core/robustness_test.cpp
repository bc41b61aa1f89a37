// Random launch strings and random INI files under the sanitizers: nothing crashes, and what
// is read back obeys the rules the parsers promise.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

#include "core/launchparams.h"
#include "net/messages/login.h"
#include "core/inifile.h"
#include "net/cp936.h"

namespace vexal {
namespace {

namespace fs = std::filesystem;

constexpr unsigned kSeed = 20261210;

std::string randomBytes(std::mt19937& rng, size_t maxLength, std::string_view alphabet) {
    std::uniform_int_distribution<size_t> length(0, maxLength);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::string s(length(rng), '\0');
    for (char& c : s) c = alphabet[pick(rng)];
    return s;
}

std::string anyBytes(std::mt19937& rng, size_t maxLength) {
    std::uniform_int_distribution<size_t> length(0, maxLength);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string s(length(rng), '\0');
    for (char& c : s) c = static_cast<char>(byte(rng));
    return s;
}

// A launch string of roughly fifteen fields, each a number, a text, junk or nothing.
std::string randomLaunchString(std::mt19937& rng) {
    std::uniform_int_distribution<int> kind(0, 9);
    const int fields = std::uniform_int_distribution<int>(13, 16)(rng);
    std::string line = kind(rng) == 0 ? "  " : "";
    for (int k = 0; k < fields; ++k) {
        switch (kind(rng)) {
            case 0: break;
            case 1: line += anyBytes(rng, 12); break;
            case 2: line += "\xE5\x95\x8A\xE5\x95\x8A"; break;
            case 3: line += std::string(std::uniform_int_distribution<size_t>(0, 300)(rng), 'n'); break;
            default:
                line += std::to_string(rng() % 4 ? static_cast<int>(rng() % 10000)
                                                 : std::uniform_int_distribution<int>(-70000, 70000)(rng));
                break;
        }
        if (k + 1 < fields || kind(rng) < 8) line += '$';
    }
    return line;
}

TEST(Robustness, RandomLaunchStringsNeverCrashAndSpectatorsNeverPass) {
    std::mt19937 rng(kSeed);
    int passed = 0;
    for (int i = 0; i < 20000; ++i) {
        const std::string line = i % 4 == 0 ? anyBytes(rng, 300) : randomLaunchString(rng);
        const LaunchParseResult r = parseLaunchParameters(line);
        if (const auto* p = std::get_if<LaunchParameters>(&r)) {
            ++passed;
            EXPECT_FALSE(p->spectator) << line;
            (void)p->shownLocation();
            const OwnPlayer own = ownPlayerFrom(*p);
            EXPECT_EQ(own.seatBit, 0);
            const LoginFrameResult login = buildLoginFrame(p->account, p->password);
            if (login.frame) {
                EXPECT_EQ((*login.frame)[3], 18);
            }
        }
    }
    // The mix must reach the end of the fields now and then, or the test proves little.
    EXPECT_GT(passed, 100);
}

TEST(Robustness, RandomLoginTextNeverWritesOutsideTheFrame) {
    std::mt19937 rng(kSeed + 1);
    for (int i = 0; i < 5000; ++i) {
        const std::string account = anyBytes(rng, 300);
        const std::string password = anyBytes(rng, 300);
        const LoginFrameResult r = buildLoginFrame(account, password);
        if (r.frame) {
            CommandFrame reconnect = *r.frame;
            makeReconnectLogin(reconnect, {1, 2}, static_cast<uint32_t>(rng()));
            EXPECT_EQ(reconnect[3], 28);
        }
    }
}

// Random INI text: real-looking lines from a few names, mixed with junk, zero bytes, lone lead
// bytes, bracket and "=" trail bytes and huge lines.
std::string randomIniText(std::mt19937& rng) {
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<int> name(0, 3);
    const char* names[] = {"a", "B", "c", "\xB0\x5D"};
    std::string text;
    const int lines = std::uniform_int_distribution<int>(0, 40)(rng);
    for (int i = 0; i < lines; ++i) {
        switch (kind(rng)) {
            case 0: case 1: text += std::string("[") + names[name(rng)] + "]"; break;
            case 2: case 3: case 4:
                text += std::string(names[name(rng)]) + " = " + anyBytes(rng, 20);
                break;
            case 5: text += anyBytes(rng, 40); break;
            case 6: {
                // Now and then a line far beyond the 1023-character cut.
                const size_t length = rng() % 50 == 0 ? 200000 : rng() % 3000;
                text += std::string(names[name(rng)]) + "=" + std::string(length, '\xB0');
                break;
            }
            case 7: text += '\xB0'; break;
            case 8: text += std::string(3, '\0'); break;
            default: break;
        }
        text += (i % 3 == 0) ? "\n" : "\r\n";
    }
    if (std::uniform_int_distribution<int>(0, 1)(rng)) text += '\xB0';  // no line end, lone lead
    return text;
}

TEST(Robustness, RandomIniFilesNeverCrashAndWritesTouchOnlyTheirKey) {
    const fs::path dir = fs::temp_directory_path() / ("vexal-ini-fuzz-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
    classIniFile ini((dir / "fuzz.ini").string());
    std::mt19937 rng(kSeed + 2);
    const std::vector<std::string> names = {"a", "b", "c", cp936ToUtf8("\xB0\x5D"), "zz"};
    const std::string valueAlphabet = "ab =;[]\t\xE5\x95\x8A";

    for (int round = 0; round < 300; ++round) {
        std::ofstream(ini.INIFileName(), std::ios::binary | std::ios::trunc) << randomIniText(rng);

        std::map<std::pair<std::string, std::string>, std::string> before;
        for (const auto& s : names)
            for (const auto& k : names) {
                const std::string v = ini.GetIniKey(s, k);
                EXPECT_LE(v.size(), kIniValueLimit * 4);
                EXPECT_EQ(v.find('\0'), std::string::npos);
                before[{s, k}] = v;
            }

        const std::string& section = names[rng() % names.size()];
        const std::string& key = names[rng() % names.size()];
        std::string value = randomBytes(rng, 30, valueAlphabet);
        // Whole UTF-8 characters only: the alphabet's Chinese character may have been split.
        value = cp936ToUtf8(utf8ToCp936(value));
        ASSERT_TRUE(ini.WriteIniKey(section, key, value));

        for (const auto& [place, old] : before) {
            std::string expected = old;
            if (place.first == section && place.second == key) {
                const size_t a = value.find_first_not_of(" \t");
                const size_t b = value.find_last_not_of(" \t");
                expected = a == std::string::npos ? "" : value.substr(a, b - a + 1);
            }
            EXPECT_EQ(ini.GetIniKey(place.first, place.second), expected)
                << "round " << round << " " << place.first << "/" << place.second;
        }
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace vexal
