#include "core/inifile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "net/cp936.h"

namespace vexal {
namespace {

namespace fs = std::filesystem;

struct IniFileTest : ::testing::Test {
    fs::path dir;
    classIniFile ini;
    void SetUp() override {
        dir = fs::temp_directory_path() / ("vexal-ini-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
        ini.setINIFileName((dir / "test.ini").string());
    }
    void TearDown() override { fs::remove_all(dir); }
    void write(const std::string& bytes) const {
        std::ofstream(ini.INIFileName(), std::ios::binary) << bytes;
    }
    std::string read() const {
        std::ifstream in(ini.INIFileName(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST_F(IniFileTest, ReadsKeysTheWayThePlatformFunctionsDo) {
    // "中文" in section and value, written in code page 936 as the files are.
    write(utf8ToCp936("; comment=1\r\n"
                      "[general]\r\n"
                      "count = 5   \r\n"
                      "Name=Alice\r\n"
                      "name=Bob\r\n"
                      "url=a=b=c\r\n"
                      "blank=\r\n"
                      "novalue\r\n"
                      "  [ 中文 ]  \n"
                      "词=你好 世界\n"
                      "[other]\r\n"
                      "count=7\r\n"
                      "[general]\r\n"
                      "late=1\r\n"));
    struct Case {
        std::string section;
        std::string key;
        std::string value;
    };
    const Case cases[] = {
        {"general", "count", "5"},
        {"GENERAL", "COUNT", "5"},
        {" general ", " count ", "5"},
        {"general", "name", "Alice"},  // the first of two
        {"general", "url", "a=b=c"},
        {"general", "blank", ""},
        {"general", "novalue", ""},
        {"general", "missing", ""},
        {"general", "late", ""},       // only the first section of a name counts
        {"中文", "词", "你好 世界"},
        {"other", "count", "7"},
        {"none", "count", ""},
        {"", "comment", ""},
        {"general", "; comment", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.section + "/" + c.key);
        EXPECT_EQ(ini.GetIniKey(c.section, c.key), c.value);
    }
}

TEST_F(IniFileTest, MissingFileReadsEmpty) {
    EXPECT_EQ(ini.GetIniKey("a", "b"), "");
    EXPECT_FALSE(fs::exists(ini.INIFileName()));
}

TEST_F(IniFileTest, TrailBytesThatLookLikeBracketsOrLettersStayPartOfTheirCharacter) {
    // Double-byte characters whose trail bytes are "]" (0x5D) and "A" (0x41).
    std::string section = "X";
    section += '\xB0';
    section += ']';
    std::string key = "k";
    key += '\x81';
    key += 'A';
    write("[" + section + "]\r\n" + key + "=v\r\n");
    const std::string sectionUtf8 = cp936ToUtf8(section);
    const std::string keyUtf8 = cp936ToUtf8(key);
    ASSERT_EQ(utf8ToCp936(sectionUtf8), section);
    ASSERT_EQ(utf8ToCp936(keyUtf8), key);
    EXPECT_EQ(ini.GetIniKey(sectionUtf8, keyUtf8), "v");
    // The same bytes with the trail letter in lower case name another character, another key.
    std::string otherKey = "k";
    otherKey += '\x81';
    otherKey += 'a';
    EXPECT_EQ(ini.GetIniKey(sectionUtf8, cp936ToUtf8(otherKey)), "");
}

TEST_F(IniFileTest, LongValuesAreCutAndZerosRemoved) {
    struct Case {
        std::string stored;  // UTF-8
        std::string read;
    };
    std::string chinese1500;
    for (int i = 0; i < 1500; ++i) chinese1500 += "字";
    std::string chinese1023;
    for (int i = 0; i < 1023; ++i) chinese1023 += "字";
    const Case cases[] = {
        {std::string(1500, 'x'), std::string(1023, 'x')},
        {std::string(1023, 'y'), std::string(1023, 'y')},
        {chinese1500, chinese1023},
        {std::string(1022, 'z') + "  tail", std::string(1022, 'z')},  // blanks at the cut go too
        {std::string("a\0b", 3), "ab"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored.size());
        write("[s]\r\nk=" + utf8ToCp936(c.stored) + "\r\n");
        EXPECT_EQ(ini.GetIniKey("s", "k"), c.read);
    }
}

TEST_F(IniFileTest, WritesCreateFileSectionAndKey) {
    EXPECT_TRUE(ini.WriteIniKey("vidiosetting", "vidiovalue", "1"));
    EXPECT_EQ(read(), "[vidiosetting]\r\nvidiovalue=1\r\n");
    EXPECT_TRUE(ini.WriteIniKey("vidiosetting", "other", "2"));
    EXPECT_TRUE(ini.WriteIniKey("聊天", "短语1", "大家好，很高兴见到各位！"));
    EXPECT_TRUE(ini.WriteIniKey("VIDIOSETTING", "VidioValue", "0"));
    EXPECT_EQ(read(), utf8ToCp936("[vidiosetting]\r\nVidioValue=0\r\nother=2\r\n"
                                  "[聊天]\r\n短语1=大家好，很高兴见到各位！\r\n"));
    EXPECT_EQ(ini.GetIniKey("聊天", "短语1"), "大家好，很高兴见到各位！");
    EXPECT_EQ(ini.GetIniKey("vidiosetting", "vidiovalue"), "0");
}

TEST_F(IniFileTest, WritesKeepEveryOtherLineByteForByte) {
    const std::string before =
        "; kept\n"
        "[a]\n"
        "x=1\n"
        "junk \xB0\n"
        "\n"
        "[b]\r\n"
        "y=2\r\n"
        "\r\n"
        "[c]\r\n"
        "z=3";  // no line end on the last line
    struct Case {
        std::string section, key, value;
        std::string after;
    };
    const Case cases[] = {
        {"a", "x", "9", "; kept\n[a]\nx=9\r\njunk \xB0\n\n[b]\r\ny=2\r\n\r\n[c]\r\nz=3"},
        {"a", "new", "v", "; kept\n[a]\nx=1\njunk \xB0\nnew=v\r\n\n[b]\r\ny=2\r\n\r\n[c]\r\nz=3"},
        {"b", "new", "v", "; kept\n[a]\nx=1\njunk \xB0\n\n[b]\r\ny=2\r\nnew=v\r\n\r\n[c]\r\nz=3"},
        {"c", "new", "v", "; kept\n[a]\nx=1\njunk \xB0\n\n[b]\r\ny=2\r\n\r\n[c]\r\nz=3\r\nnew=v\r\n"},
        {"c", "z", "", "; kept\n[a]\nx=1\njunk \xB0\n\n[b]\r\ny=2\r\n\r\n[c]\r\nz=\r\n"},
        {"d", "w", "4", before + "\r\n[d]\r\nw=4\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.section + "/" + c.key);
        write(before);
        EXPECT_TRUE(ini.WriteIniKey(c.section, c.key, c.value));
        EXPECT_EQ(read(), c.after);
    }
    // No temporary file is left behind.
    size_t files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) ++files;
    EXPECT_EQ(files, 1u);
}

// A round's keys go in with one rewrite; the file reads the same as after one write per key, and
// a key that would break the layout is left out without losing the others.
TEST_F(IniFileTest, SeveralKeysOfASectionInOneWrite) {
    const std::string before = "[keep]\r\nx=1\r\n[juNum:1]\r\ncount( 0 )=2\r\n";
    const std::vector<std::pair<std::string, std::string>> keys = {
        {"name( 0 )", "玩家"}, {"count( 0 )", "3"}, {"count( 0 )( 0 )", "初始：100000金币"}, {"COUNT( 0 )", "4"}};
    write(before);
    for (const auto& [k, v] : keys)
        ASSERT_TRUE(ini.WriteIniKey("juNum:1", k, v));
    const std::string oneByOne = read();

    write(before);
    EXPECT_TRUE(ini.WriteIniKeys("juNum:1", keys));
    EXPECT_EQ(read(), oneByOne);
    EXPECT_EQ(ini.GetIniKey("juNum:1", "count( 0 )"), "4");
    EXPECT_EQ(ini.GetIniKey("keep", "x"), "1");

    write(before);
    EXPECT_FALSE(ini.WriteIniKeys("juNum:2", {{"a", "1"}, {"b=c", "2"}, {"d", "line\r\n[evil]"}, {"e", "5"}}));
    EXPECT_EQ(ini.GetIniKey("juNum:2", "a"), "1");
    EXPECT_EQ(ini.GetIniKey("juNum:2", "e"), "5");
    EXPECT_EQ(ini.GetIniKey("evil", "d"), "");
    EXPECT_EQ(ini.GetIniKey("juNum:1", "count( 0 )"), "2");
}

TEST_F(IniFileTest, RefusesWritesThatWouldBreakTheLayout) {
    const std::string before = "[s]\r\nk=v\r\n";
    struct Case {
        std::string section, key, value;
    };
    const Case cases[] = {
        {"s", "", "x"},
        {"s", "  ", "x"},
        {"s", "a=b", "x"},
        {"s", "[t]", "x"},
        {"s", ";k", "x"},
        {"s", "k", "line\r\n[evil]\r\nk=2"},
        {"s", "k\n", "x"},
        {"s]x", "k", "x"},
        {"s\n", "k", "x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.section + "/" + c.key + "/" + c.value);
        write(before);
        EXPECT_FALSE(ini.WriteIniKey(c.section, c.key, c.value));
        EXPECT_EQ(read(), before);
    }
}

TEST_F(IniFileTest, FailedWriteReportsAndLeavesNothing) {
    for (const fs::path& path : {dir / "no-such-folder" / "x.ini", dir}) {
        SCOPED_TRACE(path.string());
        ini.setINIFileName(path.string());
        EXPECT_FALSE(ini.WriteIniKey("s", "k", "v"));
        EXPECT_EQ(ini.GetIniKey("s", "k"), "");
    }
    EXPECT_FALSE(fs::exists(dir / "no-such-folder"));
    EXPECT_TRUE(fs::is_empty(dir));
}

TEST_F(IniFileTest, WritesKeepALinkAndTheFilesPermissions) {
    const fs::path real = dir / "real.ini";
    std::ofstream(real, std::ios::binary) << "[s]\r\nk=1\r\n";
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
    const fs::path link = dir / "link.ini";
    fs::create_symlink(real, link);
    ini.setINIFileName(link.string());
    EXPECT_TRUE(ini.WriteIniKey("s", "k", "2"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(classIniFile(real.string()).GetIniKey("s", "k"), "2");
    EXPECT_EQ(fs::status(real).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

}  // namespace
}  // namespace vexal
