#include "core/launchparams.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace vexal {
namespace {

// The fields of a well-formed launch string for a direct connection.
std::array<std::string, 15> directFields() {
    return {"acct", "pw", "10.0.0.1", "6000", "12345Room 1", "0", "", "0", "", "", "0", "", "", "0", "0"};
}

std::string joined(const std::array<std::string, 15>& fields) {
    std::string line;
    for (const std::string& f : fields) line += f + "$";
    return line;
}

std::string withField(int k, std::string value) {
    auto fields = directFields();
    fields[static_cast<size_t>(k - 1)] = std::move(value);
    return joined(fields);
}

LaunchParameters params(const LaunchParseResult& r) {
    if (const auto* failure = std::get_if<LaunchFailure>(&r)) {
        ADD_FAILURE() << "failed at field " << failure->field;
        return {};
    }
    return std::get<LaunchParameters>(r);
}

TEST(LaunchParameters, ReadsTheLobbysDirectConnectionString) {
    const auto r = parseLaunchParameters("acct$pw$10.0.0.1$6000$12345Room 1$0$$0$$$0$$$0$0$");
    const LaunchParameters& p = params(r);
    EXPECT_EQ(p.account, "acct");
    EXPECT_EQ(p.password, "pw");
    EXPECT_EQ(p.serverHost, "10.0.0.1");
    EXPECT_EQ(p.serverPort, 6000);
    EXPECT_EQ(p.shownLocation(), "Room 1");
    EXPECT_FALSE(p.locationNeedsSmallerFont());
    EXPECT_EQ(p.proxyType, kProxyDirect);
    EXPECT_FALSE(p.customTitle);
    EXPECT_FALSE(p.spectator);
    EXPECT_EQ(p.lobbyTitleAfterConnect(), "Kestrel山庄");
    EXPECT_EQ(p.propSwitch, 0);
    EXPECT_EQ(p.propNumber, 0);
}

TEST(LaunchParameters, ReadsEveryFieldOfAProxyStringWithCustomTitles) {
    const auto r = parseLaunchParameters(
        "  张三$密码$game.example$40000$12345二号房间很长的名字哦$5$127.0.0.1$1080$用户$pass$1$我的大厅$第一桌$1$-7$  ");
    const LaunchParameters& p = params(r);
    EXPECT_EQ(p.account, "张三");
    EXPECT_EQ(p.serverPort, 40000);  // ports use the whole unsigned 16-bit range
    EXPECT_EQ(p.shownLocation(), "二号房间很长的名字哦");
    EXPECT_FALSE(p.locationNeedsSmallerFont());  // 10 characters exactly
    EXPECT_EQ(p.proxyType, kProxySocks5);
    EXPECT_EQ(p.proxyHost, "127.0.0.1");
    EXPECT_EQ(p.proxyPort, 1080);
    EXPECT_EQ(p.proxyUser, "用户");
    EXPECT_EQ(p.proxyPassword, "pass");
    EXPECT_TRUE(p.customTitle);
    EXPECT_EQ(p.lobbyTitle, "我的大厅");
    EXPECT_EQ(p.tableCaption, "第一桌");
    EXPECT_EQ(p.lobbyTitleAfterConnect(), "我的大厅");
    EXPECT_EQ(p.propSwitch, 1);
    EXPECT_EQ(p.propNumber, -7);
    EXPECT_FALSE(p.spectator);

    const OwnPlayer own = ownPlayerFrom(p);
    EXPECT_EQ(own.proxyUserLength, 2);  // characters, not bytes
    EXPECT_EQ(own.proxyPasswordLength, 4);
    EXPECT_EQ(own.seatBit, 0);
    EXPECT_EQ(own.serverHost, "game.example");
}

TEST(LaunchParameters, LocationTextAndCustomTitleFlag) {
    struct Case {
        int field;
        std::string value;
        std::string shown;
        bool smallerFont;
        bool customTitle;
    };
    const Case cases[] = {
        {5, "12345Room 1", "Room 1", false, false},
        {5, "123", "", false, false},
        {5, "12345abcdefghijk", "abcdefghijk", true, false},
        {5, "一二三四五六", "六", false, false},
        {11, "1", "Room 1", false, true},
        {11, "1.0", "Room 1", false, true},
        {11, " 1x", "Room 1", false, true},  // the flag reads the number the text starts with
        {11, "2", "Room 1", false, false},
        {11, "", "Room 1", false, false},
        {11, "yes", "Room 1", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const LaunchParameters& p = params(parseLaunchParameters(withField(c.field, c.value)));
        EXPECT_EQ(p.shownLocation(), c.shown);
        EXPECT_EQ(p.locationNeedsSmallerFont(), c.smallerFont);
        EXPECT_EQ(p.customTitle, c.customTitle);
    }
}

TEST(LaunchParameters, ProxyTypeChoosesTheConnection) {
    const std::pair<std::string, ConnectionMode> cases[] = {
        {"0", ConnectionMode::Direct},
        {"5", ConnectionMode::Socks5},
        {"3", ConnectionMode::None},
        {"-5", ConnectionMode::None},
    };
    for (const auto& [type, mode] : cases) {
        SCOPED_TRACE(type);
        EXPECT_EQ(params(parseLaunchParameters(withField(6, type))).connectionMode(), mode);
    }
}

TEST(LaunchParameters, TextBehindTheFifteenthFieldIsIgnored) {
    const LaunchParameters& p = params(parseLaunchParameters(joined(directFields()) + "extra$99$"));
    EXPECT_EQ(p.propNumber, 0);
    EXPECT_FALSE(p.spectator);
}

TEST(LaunchParameters, RefusesBrokenStrings) {
    using K = LaunchFailureKind;
    struct Case {
        std::string line;
        LaunchFailureKind kind;
        int field;
    };
    const std::string full = joined(directFields());
    const Case cases[] = {
        {"", K::EmptyCommandLine, 0},
        {"    ", K::EmptyCommandLine, 0},
        {full.substr(0, full.size() - 2), K::TooFewFields, 15},  // fourteen fields
        {"acct$pw$", K::TooFewFields, 3},
        {withField(4, "6000x"), K::NotANumber, 4},
        {withField(4, ""), K::NotANumber, 4},
        {withField(4, "0x10"), K::NotANumber, 4},
        {withField(4, "6000.5"), K::NotANumber, 4},
        {withField(4, "1e3"), K::NotANumber, 4},
        {withField(4, "65536"), K::OutOfRange, 4},
        {withField(4, "-1"), K::OutOfRange, 4},
        {withField(4, "99999999999999999999999"), K::NotANumber, 4},
        {withField(6, "abc"), K::NotANumber, 6},
        {withField(6, "32768"), K::OutOfRange, 6},
        {withField(8, ""), K::NotANumber, 8},
        {withField(8, "70000"), K::OutOfRange, 8},
        {withField(9, std::string(256, 'u')), K::OutOfRange, 9},
        {withField(10, std::string(256, 'p')), K::OutOfRange, 10},
        {withField(14, ""), K::NotANumber, 14},
        {withField(15, "x"), K::NotANumber, 15},
        {withField(15, "-32769"), K::OutOfRange, 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const auto r = parseLaunchParameters(c.line);
        ASSERT_TRUE(std::holds_alternative<LaunchFailure>(r));
        EXPECT_EQ(std::get<LaunchFailure>(r).kind, c.kind);
        EXPECT_EQ(std::get<LaunchFailure>(r).field, c.field);
    }
}

TEST(LaunchParameters, NumbersMayCarryBlanksAndSigns) {
    const LaunchParameters& p = params(parseLaunchParameters(withField(4, " +6001 ")));
    EXPECT_EQ(p.serverPort, 6001);
    EXPECT_EQ(params(parseLaunchParameters(withField(9, std::string(255, 'u')))).proxyUser.size(), 255u);
    EXPECT_EQ(params(parseLaunchParameters(withField(4, "65535"))).serverPort, 65535);
}

TEST(LaunchParameters, SpectatorStringsNeedANumberBehindTheLocation) {
    using K = LaunchFailureKind;
    const std::string full = joined(directFields());
    struct Case {
        std::string line;
        LaunchFailureKind kind;
        int field;
    };
    const Case cases[] = {
        // The player's string without its final "$": the text behind field 5 is no number.
        {full.substr(0, full.size() - 1), K::SpectatorTailNotANumber, 5},
        // A number behind field 5 passes that check, but then fields 7 onward are missing.
        {"acct$pw$10.0.0.1$6000$12345Room 1$12345", K::TooFewFields, 7},
        {"acct$pw$10.0.0.1$6000$12345Room 1$", K::TooFewFields, 6},
        {"acct", K::TooFewFields, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const auto r = parseLaunchParameters(c.line);
        ASSERT_TRUE(std::holds_alternative<LaunchFailure>(r));
        EXPECT_EQ(std::get<LaunchFailure>(r).kind, c.kind);
        EXPECT_EQ(std::get<LaunchFailure>(r).field, c.field);
    }
}

}  // namespace
}  // namespace vexal
