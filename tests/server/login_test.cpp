// The login frame the client builds and keeps, the reconnect login it turns into, and the
// server's reading of both.
#include "net/messages/login.h"

#include <gtest/gtest.h>

#include <string>

namespace vexal {
namespace {

// Every byte of the frame except those listed must be 0.
void expectZeroExcept(const CommandFrame& f, std::initializer_list<std::pair<size_t, size_t>> ranges) {
    for (size_t i = 0; i < kFrameSize; ++i) {
        bool listed = false;
        for (auto [from, to] : ranges) listed = listed || (i >= from && i <= to);
        if (!listed) {
            EXPECT_EQ(f[i], 0) << "byte " << i;
        }
    }
}

std::string bytesAt(const CommandFrame& f, size_t from, size_t count) {
    return std::string(f.begin() + static_cast<long>(from), f.begin() + static_cast<long>(from + count));
}

TEST(LoginFrame, CarriesAccountAndPasswordOneBytePerCharacter) {
    const LoginFrameResult r = buildLoginFrame("acct", "pw");
    ASSERT_TRUE(r.frame);
    const CommandFrame& f = *r.frame;
    EXPECT_EQ(f[3], 18);
    EXPECT_EQ(f[14], 1);
    EXPECT_EQ(bytesAt(f, 16, 4), "acct");
    EXPECT_EQ(bytesAt(f, 32, 2), "pw");
    expectZeroExcept(f, {{3, 3}, {14, 14}, {16, 19}, {32, 33}});
}

TEST(LoginFrame, LongAccountsRunIntoThePasswordsPlace) {
    struct Case {
        std::string account;
        std::string password;
        std::string bytes16to35;  // what the server finds from byte 16 on
    };
    const std::string twenty = "abcdefghijklmnopqrst";
    const Case cases[] = {
        {twenty, "WXYZ", "abcdefghijklmnopWXYZ"},
        {twenty, "WX", "abcdefghijklmnopWXst"},
        {twenty, "", "abcdefghijklmnopqrst"},
        {"exactly16chars!!", "pw", std::string("exactly16chars!!pw") + '\0' + '\0'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.account + "/" + c.password);
        const LoginFrameResult r = buildLoginFrame(c.account, c.password);
        ASSERT_TRUE(r.frame);
        EXPECT_EQ(bytesAt(*r.frame, 16, 20), c.bytes16to35);
    }
}

TEST(LoginFrame, FailsOnWideCharactersAndOverlongText) {
    struct Case {
        std::string account;
        std::string password;
        std::optional<LoginFrameFailure> failure;
    };
    const Case cases[] = {
        {"张三", "pw", LoginFrameFailure::WideCharacter},
        {"acct", "密码", LoginFrameFailure::WideCharacter},
        {std::string(256, 'a'), "", std::nullopt},  // ends on byte 271
        {std::string(257, 'a'), "", LoginFrameFailure::TooLong},
        {"a", std::string(240, 'p'), std::nullopt},
        {"a", std::string(241, 'p'), LoginFrameFailure::TooLong},
        {"a\xF0\x9F\x98\x80", "pw", std::nullopt},  // outside the code page: sent as '?'
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.account.size());
        const LoginFrameResult r = buildLoginFrame(c.account, c.password);
        EXPECT_EQ(r.frame.has_value(), !c.failure.has_value());
        if (c.failure) {
            EXPECT_EQ(r.failure, *c.failure);
        }
    }
    const LoginFrameResult r = buildLoginFrame("a\xF0\x9F\x98\x80", "pw");
    ASSERT_TRUE(r.frame);
    EXPECT_EQ((*r.frame)[17], '?');
}

TEST(LoginFrame, ReconnectLoginChangesTheKeptFrameInPlace) {
    LoginFrameResult r = buildLoginFrame("acct", "pw");
    ASSERT_TRUE(r.frame);
    CommandFrame kept = *r.frame;
    makeReconnectLogin(kept, {0x12, 0x34}, 258);
    EXPECT_EQ(kept[3], 28);
    EXPECT_EQ(kept[14], 1);
    EXPECT_EQ(bytesAt(kept, 16, 4), "acct");
    EXPECT_EQ(bytesAt(kept, 32, 2), "pw");
    EXPECT_EQ(kept[260], 0x12);
    EXPECT_EQ(kept[261], 0x34);
    EXPECT_EQ(bytesAt(kept, 268, 4), std::string("\x02\x01\x00\x00", 4));
    expectZeroExcept(kept, {{3, 3}, {14, 14}, {16, 19}, {32, 33}, {260, 261}, {268, 271}});

    // A second attempt rewrites the fields with the newest token and resume number.
    makeReconnectLogin(kept, {0xAB, 0x00}, 0xDEADBEEF);
    EXPECT_EQ(kept[260], 0xAB);
    EXPECT_EQ(kept[261], 0x00);
    EXPECT_EQ(bytesAt(kept, 268, 4), "\xEF\xBE\xAD\xDE");

    // The reconnect over, the kept frame is the very login it was made from.
    restoreLogin(kept);
    EXPECT_EQ(kept, *r.frame);
}

TEST(LoginFrame, TheServerReadsWhatTheClientBuilt) {
    CommandFrame kept = buildLoginFrame("acct", "pw").frame.value();
    const LoginRequest login = decodeLoginRequest(kept);
    EXPECT_FALSE(login.reconnect);
    EXPECT_EQ(login.account, "acct");
    EXPECT_EQ(login.password, "pw");

    makeReconnectLogin(kept, {0x12, 0x34}, 258);
    const LoginRequest re = decodeLoginRequest(kept);
    EXPECT_TRUE(re.reconnect);
    EXPECT_EQ(re.account, "acct");
    EXPECT_EQ(re.password, "pw");
    EXPECT_EQ(re.token0, 0x12);
    EXPECT_EQ(re.token1, 0x34);
    EXPECT_EQ(re.resumeNumber, 258u);

    // The account field ends at byte 31: a 16-character account runs straight into the password,
    // and a longer one reaches the server cut to 16, its tail left in the password's place.
    struct Case {
        std::string account, password, readAccount, readPassword;
    };
    const Case cases[] = {
        {"abcdefghijklmnop", "secret", "abcdefghijklmnop", "secret"},
        {"abcdefghijklmnopqrst", "pw", "abcdefghijklmnop", "pwst"},
    };
    for (const Case& c : cases) {
        const LoginRequest read = decodeLoginRequest(buildLoginFrame(c.account, c.password).frame.value());
        EXPECT_EQ(read.account, c.readAccount) << c.account;
        EXPECT_EQ(read.password, c.readPassword) << c.account;
    }
}

TEST(ReconnectAnswer, OnlyOneInByte15Accepts) {
    for (bool accepted : {true, false})
        EXPECT_EQ(decodeReconnectAnswer(encode(ReconnectAnswer{1, accepted})).accepted, accepted);
    CommandFrame two = encode(ReconnectAnswer{1, true});
    two[15] = 2;
    EXPECT_FALSE(decodeReconnectAnswer(two).accepted);
}

}  // namespace
}  // namespace vexal
