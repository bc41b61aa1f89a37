// The hall and its tables in-process with a fake clock: logins, bots, the server answering for an
// idle player, chat relay, silence, relief and coin shortage, and many self-played rounds.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "net/messages/calling.h"
#include "net/messages/chat.h"
#include "net/messages/deal.h"
#include "net/messages/departure.h"
#include "net/messages/login.h"
#include "net/messages/play.h"
#include "net/messages/seating.h"
#include "net/messages/settlement.h"
#include "net/messages/wire.h"
#include "core/inifile.h"
#include "fixtures.h"
#include "model/chat.h"
#include "model/roundstate.h"
#include "server/hall.h"
#include "server/selfplay.h"

namespace vexal::server {
namespace {

using namespace std::chrono_literals;

using testing::RecordingOutbox;

struct HallFixture : ::testing::Test {
    std::ostringstream logText;
    Logger log{&logText, LogLevel::Debug};
    RecordingOutbox out;
    HallConfig config;
    std::unique_ptr<Hall> hall;
    TimePoint now{};

    void make(int tables = 1) {
        config.tables = tables;
        config.table.seed = 9;
        hall = std::make_unique<Hall>(config, out, log);
    }
    void connect(int64_t conn, const std::string& account) {
        hall->connected(conn, now);
        hall->received(conn, buildLoginFrame(account, "pw").frame.value(), now);
    }
    // Runs the hall's timers up to `until`, stopping at every wake-up on the way.
    void advanceTo(TimePoint until) {
        for (auto next = hall->nextWakeup(); next && *next <= until; next = hall->nextWakeup()) {
            now = std::max(now, *next);
            hall->tick(now);
        }
        now = until;
        hall->tick(now);
    }
    uint8_t seatBitOf(int64_t conn) { return out.of(conn, Command::SeatInfo).at(0)[kSeatByte]; }
};

TEST_F(HallFixture, LoginAnswersAndRefusals) {
    config.table.bots = false;
    config.table.turnSeconds = 20;
    make();
    connect(1, "alice");
    auto answer = out.of(1, Command::Login);
    ASSERT_EQ(answer.size(), 1u);
    EXPECT_EQ(answer[0][15], 1);
    EXPECT_EQ(answer[0][11], 20);
    auto info = out.of(1, Command::SeatInfo);
    ASSERT_EQ(info.size(), 1u);
    EXPECT_EQ(decodeSeatInfo(info[0]).account, "alice");
    EXPECT_EQ(info[0][kSeatByte], info[0][226]);
    EXPECT_NE(info[0][kTokenByte] | info[0][kTokenByte + 1], 0);

    struct Case {
        int64_t conn;
        const char* account;
        uint8_t result;
    };
    const Case refused[] = {{2, "", 3}, {3, "bot0-1", 3}, {4, "alice", 2}};
    for (const Case& c : refused) {
        connect(c.conn, c.account);
        ASSERT_EQ(out.of(c.conn, Command::Login).size(), 1u) << c.account;
        EXPECT_EQ(out.of(c.conn, Command::Login)[0][15], c.result) << c.account;
        EXPECT_TRUE(out.closed.count(c.conn)) << c.account;
        hall->disconnected(c.conn, now);
    }
    for (int64_t conn = 5; conn <= 7; ++conn)
        connect(conn, "p" + std::to_string(conn));
    // The fifth player finds the only table full.
    connect(8, "late");
    EXPECT_EQ(out.of(8, Command::Login).at(0)[15], 2);
    // Everybody learned about everybody: alice saw herself and the three who came after.
    EXPECT_EQ(out.of(1, Command::SeatInfo).size(), 4u);
    EXPECT_EQ(out.of(7, Command::SeatInfo).size(), 4u);
    // Frames before login other than a login are refused; a second login is refused.
    hall->connected(9, now);
    hall->received(9, encode(ReadyOrLeave{1, true}), now);
    hall->received(1, buildLoginFrame("alice", "pw").frame.value(), now);
    EXPECT_EQ(log.warnings(), 2);
}

TEST_F(HallFixture, BotsFillAfterTheWaitAndTheRoundStartsFifteenSecondsLater) {
    config.table.botWait = 10s;
    make();
    connect(1, "alice");
    advanceTo(now + 9s);
    EXPECT_EQ(out.of(1, Command::SeatInfo).size(), 1u);
    advanceTo(now + 1s);
    EXPECT_EQ(out.of(1, Command::SeatInfo).size(), 4u);
    advanceTo(now + 14s);
    EXPECT_TRUE(out.of(1, Command::Deal).empty());
    advanceTo(now + 1s);
    ASSERT_EQ(out.of(1, Command::Deal).size(), 1u);
    EXPECT_EQ(decodeDeal(out.of(1, Command::Deal)[0]).cards.size(), 27u);
}

TEST_F(HallFixture, TheServerAnswersForAnIdlePlayerOnlyAfterTheCountdownAndGrace) {
    config.table.botWait = 0s;
    config.table.botDelay = 0ms;
    config.table.turnSeconds = 15;
    make();
    connect(1, "alice");
    hall->received(1, encode(ReadyOrLeave{seatBitOf(1), true}), now);
    ASSERT_EQ(out.of(1, Command::Deal).size(), 1u);
    const std::vector<CardCode> hand = decodeDeal(out.of(1, Command::Deal)[0]).cards;
    // Seat 0 starts the first round: its calling countdown is 10 s, the server waits 5 s more.
    ASSERT_EQ(seatBitOf(1), 1);
    advanceTo(now + 14900ms);
    EXPECT_TRUE(out.of(1, Command::CallResult).empty());
    advanceTo(now + 100ms);
    ASSERT_FALSE(out.of(1, Command::CallResult).empty());
    CallChoice call = decodeCallChoice(out.of(1, Command::CallResult)[0]);
    EXPECT_EQ(call.choice, kChoiceCall);
    EXPECT_TRUE(std::any_of(hand.begin(), hand.end(), [&](CardCode c) {
        return cardRank(c) == call.rank && suitBit(c) == call.suitBit;
    }));
    // Play until the round is settled; the idle player's turns are answered after 15 + 5 s.
    for (int i = 0; i < 400 && out.of(1, Command::RoundEnd).size() < 4; ++i)
        advanceTo(now + 20s);
    ASSERT_EQ(out.of(1, Command::RoundEnd).size(), 4u);
    // Nothing but the own deal ever carried unplayed cards before the settlement.
    for (const CommandFrame& f : out.of(1, Command::Deal))
        EXPECT_EQ(f[kSeatByte], 1);
}

TEST_F(HallFixture, AnIdleStarterWhoCanOnlyRoarIsAnsweredWithARoar) {
    config.table.botWait = 0s;
    config.table.botDelay = 0ms;
    // Seat 0 holds only 5s, 10s, Ks and jokers: nothing it may call.
    config.table.dealer = [](Rng&) {
        Deck ordered = doubleDeck();
        std::vector<CardCode> first, rest;
        for (CardCode c : ordered) {
            int rank = cardRank(c);
            bool uncallable = rank == 5 || rank == 10 || rank == 13 || rank >= 16;
            (uncallable && first.size() < 27 ? first : rest).push_back(c);
        }
        first.insert(first.end(), rest.begin(), rest.end());
        Deck deck{};
        std::copy(first.begin(), first.end(), deck.begin());
        return deck;
    };
    make();
    connect(1, "alice");
    hall->received(1, encode(ReadyOrLeave{seatBitOf(1), true}), now);
    ASSERT_EQ(out.of(1, Command::CallingTurn).size(), 1u);
    EXPECT_EQ(out.of(1, Command::CallingTurn)[0][11], kOfferRoarOnly);
    advanceTo(now + 14900ms);
    EXPECT_TRUE(out.of(1, Command::CallResult).empty());
    advanceTo(now + 100ms);
    ASSERT_EQ(out.of(1, Command::CallResult).size(), 1u);
    EXPECT_EQ(decodeCallChoice(out.of(1, Command::CallResult)[0]).choice, kChoiceRoar);
    EXPECT_EQ(hall->table(0).round()->lone(), 0);
}

TEST_F(HallFixture, AReconnectAfterTheRoundWasSettledGetsThatRoundAndItsSettlementThenTheNextDeal) {
    config.table.botWait = 0s;
    config.table.botDelay = 100ms;
    make();
    connect(1, "alice");
    hall->received(1, encode(ReadyOrLeave{seatBitOf(1), true}), now);
    const CommandFrame deal = out.of(1, Command::Deal).at(0);
    hall->disconnected(1, now);
    // Bots finish the round for the dropped seat; the next round starts without waiting for it.
    for (int i = 0; i < 2000 && hall->table(0).roundsPlayed() == 0; ++i)
        advanceTo(now + 100ms);
    ASSERT_EQ(hall->table(0).roundsPlayed(), 1);
    ASSERT_TRUE(hall->table(0).roundRunning());

    hall->connected(2, now);
    CommandFrame reconnect = buildLoginFrame("alice", "pw").frame.value();
    makeReconnectLogin(reconnect, {deal[kTokenByte], deal[kTokenByte + 1]}, decodeDeal(deal).resumeNumber);
    hall->received(2, reconnect, now);
    const std::vector<CommandFrame>& got = out.frames[2];
    ASSERT_GE(got.size(), 7u);
    EXPECT_EQ(got[0][kCommandByte], commandByte(Command::ReconnectAnswer));
    EXPECT_EQ(got[0][15], 1);
    // The settled round is rebuilt first, so that its score sheet reads as it would have.
    ASSERT_EQ(got[1][kCommandByte], commandByte(Command::Deal));
    EXPECT_EQ(decodeDeal(got[1]).cards, decodeDeal(deal).cards);
    EXPECT_EQ(decodeDeal(got[1]).resumeNumber, decodeDeal(deal).resumeNumber);
    auto firstEnd = std::find_if(got.begin(), got.end(),
                                 [](const CommandFrame& f) { return f[kCommandByte] == commandByte(Command::RoundEnd); });
    ASSERT_LE(firstEnd + 5, got.end());
    std::set<uint8_t> about;
    for (auto it = firstEnd; it != firstEnd + 4; ++it) {
        EXPECT_EQ((*it)[kCommandByte], commandByte(Command::RoundEnd));
        about.insert((*it)[kSeatByte]);
    }
    EXPECT_EQ(about, (std::set<uint8_t>{1, 2, 4, 8}));
    const CommandFrame& next = *(firstEnd + 4);
    EXPECT_EQ(next[kCommandByte], commandByte(Command::Deal));
    EXPECT_EQ(decodeDeal(next).resumeNumber, hall->table(0).resumeNumber());
    // The seat belongs to the new connection now.
    EXPECT_EQ(hall->table(0).connectionOf(0), 2);
}

TEST_F(HallFixture, ChatIsRelayedUnderTheSendersSeatAndPrivateLinesOnlyToTheTwo) {
    config.table.bots = false;
    make();
    for (int64_t conn = 1; conn <= 3; ++conn)
        connect(conn, "p" + std::to_string(conn));
    const uint8_t s1 = seatBitOf(1), s2 = seatBitOf(2);
    auto chatCount = [&](int64_t conn) { return out.of(conn, Command::Chat).size(); };

    ChatLine publicLine{s1, 0, 0, 0, 0, "p1说道： 你好"};
    CommandFrame pub = encode(publicLine);
    pub[260] = 0x12;  // stray bytes behind the text never travel on
    pub[250] = 0x34;
    hall->received(1, pub, now);
    for (int64_t conn = 1; conn <= 3; ++conn)
        ASSERT_EQ(chatCount(conn), 1u);
    CommandFrame relayed = out.of(3, Command::Chat)[0];
    EXPECT_EQ(decodeChatLine(relayed).text, "p1说道： 你好");
    EXPECT_EQ(relayed[kSeatByte], s1);
    EXPECT_EQ(relayed[250], 0);

    hall->received(1, encode(ChatLine{s1, 1, 3, s2, 0, "悄悄话"}), now);
    EXPECT_EQ(chatCount(1), 2u);
    EXPECT_EQ(chatCount(2), 2u);
    EXPECT_EQ(chatCount(3), 1u);
    EXPECT_EQ(out.of(2, Command::Chat)[1][10], 3);

    // A line the server does not relay: the sender alone hears why, in a system line (no sender,
    // no phrase, no addressee) carrying its own token. A plug-in message is no line: dropped.
    const int warningsBefore = log.warnings();
    CommandFrame plugin = encode(ChatLine{s1, 0, 0, 0, 0, ""});
    plugin[238] = 1;
    plugin[239] = 16;
    struct Refused {
        CommandFrame frame;
        const char* reason;  // nullptr: dropped without a word
    };
    const Refused refused[] = {
        {encode(ChatLine{s1, 0, 0, 8, 0, "to an empty seat"}), kLineToEmptySeat},
        {encode(ChatLine{s1, 0, 0, static_cast<uint8_t>(s2 | 8), 0, "to two seats"}), kLineToNoSeat},
        {encode(ChatLine{s2, 0, 0, 0, 0, "under another seat"}), kLineUnderAnotherSeat},
        {plugin, nullptr},
    };
    const CommandFrame ownToken = out.of(1, Command::Chat).back();
    for (const Refused& r : refused) {
        const size_t before = chatCount(1);
        hall->received(1, r.frame, now);
        ASSERT_EQ(chatCount(1), before + (r.reason ? 1 : 0)) << (r.reason ? r.reason : "plug-in");
        if (!r.reason)
            continue;
        const CommandFrame answer = out.of(1, Command::Chat).back();
        const ChatLine why = decodeChatLine(answer);
        EXPECT_EQ(why.seatBit, 0) << r.reason;
        EXPECT_EQ(why.addresseeBit, 0) << r.reason;
        EXPECT_EQ(why.phraseList, 0) << r.reason;
        EXPECT_EQ(why.text, r.reason);
        EXPECT_EQ(answer[kTokenByte], ownToken[kTokenByte]) << r.reason;
        EXPECT_EQ(answer[kTokenByte + 1], ownToken[kTokenByte + 1]) << r.reason;
    }
    EXPECT_EQ(chatCount(2), 2u);
    EXPECT_EQ(chatCount(3), 1u);
    EXPECT_EQ(log.warnings(), warningsBefore + 3);

    // Before its login is answered a connection has no seat to speak from; the answer keeps the
    // token the line came with (a reconnect login may be on its way).
    hall->connected(9, now);
    CommandFrame early = encode(ChatLine{1, 0, 0, 0, 0, "anyone?"});
    early[kTokenByte] = 0x12;
    early[kTokenByte + 1] = 0x34;
    hall->received(9, early, now);
    ASSERT_EQ(out.of(9, Command::Chat).size(), 1u);
    const CommandFrame answer = out.of(9, Command::Chat)[0];
    EXPECT_EQ(decodeChatLine(answer).seatBit, 0);
    EXPECT_EQ(decodeChatLine(answer).text, kLineBeforeSeated);
    EXPECT_EQ(answer[kTokenByte], 0x12);
    EXPECT_EQ(answer[kTokenByte + 1], 0x34);
}

// A private line to a bot goes as one to a person: back to the sender under its seat, with the
// bot's seat as the addressee, and nothing else said or warned.
TEST_F(HallFixture, APrivateLineToABotIsRelayedToTheSender) {
    config.table.botWait = 0s;
    make();
    connect(1, "alice");
    advanceTo(now + 1s);
    std::vector<uint8_t> bots;
    for (const CommandFrame& f : out.of(1, Command::SeatInfo))
        if (decodeSeatInfo(f).account.rfind("bot", 0) == 0)
            bots.push_back(decodeSeatInfo(f).seatBit);
    ASSERT_EQ(bots.size(), 3u);
    const uint8_t own = seatBitOf(1);
    const int warningsBefore = log.warnings();
    for (uint8_t bot : bots) {
        const size_t before = out.of(1, Command::Chat).size();
        hall->received(1, encode(ChatLine{own, 2, 7, bot, 97, "不要，你们先走。"}), now);
        ASSERT_EQ(out.of(1, Command::Chat).size(), before + 1) << int(bot);
        const ChatLine relayed = decodeChatLine(out.of(1, Command::Chat).back());
        EXPECT_EQ(relayed.seatBit, own);
        EXPECT_EQ(relayed.addresseeBit, bot);
        EXPECT_EQ(relayed.phraseList, 2);
        EXPECT_EQ(relayed.phraseNumber, 7);
        EXPECT_EQ(relayed.text, "不要，你们先走。");
    }
    EXPECT_EQ(log.warnings(), warningsBefore);
}

// The client names a quick phrase's voice by byte 64 of the speaker's seat frame as it came; the
// build speaks voices for 0 and 1 only, so those are the bytes that go out: 1 for people and the
// bots at seats 0 and 2, 0 for the bots at seats 1 and 3.
TEST_F(HallFixture, SeatFramesSendOnlyTheSexBytesVoicesAreSpokenFor) {
    config.table.botWait = 0s;
    make();
    connect(1, "alice");
    advanceTo(now + 1s);
    const auto frames = out.of(1, Command::SeatInfo);
    ASSERT_EQ(frames.size(), 4u);
    for (const CommandFrame& f : frames) {
        const SeatInfo info = decodeSeatInfo(f);
        const bool bot = info.account.rfind("bot", 0) == 0;
        const int seat = wire::seatOfBit(info.seatBit);
        EXPECT_EQ(f[64], !bot || seat % 2 == 0 ? 1 : 0) << info.account;
    }
}

// The bots' lines are phrases of the chat.ini the client ships, each under the number the
// receivers find its bubble and voice by.
TEST(BotPhrases, AreTheLinesOfTheShippedQuickPhrases) {
    const QuickPhrases shipped = loadQuickPhrases(classIniFile(VEXAL_CHAT_INI));
    for (const QuickPhrase& p : {kPhraseBomb, kPhraseRoar, kPhraseFiveTenKing, kPhraseWhereIsMyFriend,
                                 kPhraseLeaveThePoints, kPhraseThisTrickIsMine, kPhraseOneCardLeft, kPhraseWon})
        EXPECT_EQ(shipped.phrase(p.list, p.number), p.text) << int(p.number);
}

// Bots speak after their own calls and plays, with a phrase that fits what they did; the bots of a
// table say at most one line a trick and never the table's previous line again, so over a few
// rounds the history holds several phrases and no column of one.
TEST_F(HallFixture, BotsVaryTheirLinesAndSpeakAtMostOnceATrick) {
    config.table.botWait = 0s;
    config.table.botDelay = 0ms;
    const QuickPhrases shipped = loadQuickPhrases(classIniFile(VEXAL_CHAT_INI));
    std::set<int> phrasesSaid;
    int lines = 0;
    for (uint64_t seed = 1; seed <= 6; ++seed) {
        out.frames.clear();
        config.tables = 1;
        config.table.seed = seed;
        hall = std::make_unique<Hall>(config, out, log);
        connect(1, "alice");
        const uint8_t own = seatBitOf(1);
        // Alice never plays: the server answers for her. Four rounds at one table.
        for (size_t round = 1; round <= 4; ++round) {
            hall->received(1, encode(ReadyOrLeave{own, true}), now);
            for (int step = 0; step < 400 && out.of(1, Command::RoundEnd).size() < 4 * round; ++step)
                advanceTo(now + 5s);
            ASSERT_EQ(out.of(1, Command::RoundEnd).size(), 4 * round) << seed;
        }
        std::map<uint8_t, std::string> names;
        for (const CommandFrame& f : out.of(1, Command::SeatInfo))
            names[decodeSeatInfo(f).seatBit] = decodeSeatInfo(f).nickname;

        int deals = 0, tricksClosed = 0;
        std::set<std::pair<int, int>> tricksSpokenIn;
        int lastPhrase = 0;
        const CommandFrame* deed = nullptr;  // the last call or play sent
        for (const CommandFrame& f : out.frames[1]) {
            const auto command = static_cast<Command>(f[kCommandByte]);
            if (command == Command::Deal) {
                ++deals;
                tricksClosed = 0;
            } else if (command == Command::CallResult) {
                deed = &f;
            } else if (command == Command::Play) {
                const PlayReport p = decodePlayReport(f);
                if (p.type != kPlayNone)  // a pass, or the opening of play, is nobody's deed
                    deed = &f;
                tricksClosed += p.trickFlag == kTrickToNextSeat || p.trickFlag == kTrickToByte16 ? 1 : 0;
            } else if (command == Command::Chat) {
                const ChatLine line = decodeChatLine(f);
                const std::string where = "seed " + std::to_string(seed) + " deal " + std::to_string(deals) +
                                          " trick " + std::to_string(tricksClosed);
                ++lines;
                phrasesSaid.insert(line.phraseNumber);
                EXPECT_NE(line.seatBit, own) << where;
                EXPECT_EQ(line.phraseList, 2) << where;
                EXPECT_EQ(line.byte13, 97) << where;
                EXPECT_EQ(line.addresseeBit, 0) << where;
                EXPECT_EQ(line.text, names[line.seatBit] + "说道： " + shipped.phrase(2, line.phraseNumber)) << where;
                // The opening of play closes "trick 0": the calling counts with the first trick.
                EXPECT_TRUE(tricksSpokenIn.insert({deals, std::max(1, tricksClosed)}).second)
                    << "a second line in " << where;
                EXPECT_NE(line.phraseNumber, lastPhrase) << "the same line again in " << where;
                lastPhrase = line.phraseNumber;

                // Said right after the speaker's own deed, and fitting it.
                ASSERT_NE(deed, nullptr) << where;
                if ((*deed)[kCommandByte] == commandByte(Command::CallResult)) {
                    const CallChoice c = decodeCallChoice(*deed);
                    EXPECT_EQ(c.seatBit, line.seatBit) << where;
                    EXPECT_EQ(line.phraseNumber, c.choice == kChoiceRoar ? 2 : 4) << where;
                } else {
                    const PlayReport p = decodePlayReport(*deed);
                    EXPECT_EQ(p.seatBit, line.seatBit) << where;
                    const std::set<int> fitting =
                        isBombType(p.type) ? std::set<int>{1, 5, 6, 8, 10}
                        : p.type >= kPlayFiveTenKingDiamonds && p.type <= kPlayFiveTenKingSpades
                            ? std::set<int>{3, 8, 10}
                            : std::set<int>{8, 10};
                    EXPECT_TRUE(fitting.count(line.phraseNumber)) << where << ": " << line.text;
                }
            }
        }
    }
    EXPECT_GE(lines, 10);
    EXPECT_GE(phrasesSaid.size(), 4u);
}

TEST_F(HallFixture, SilenceDropsAConnectionBetweenRoundsOnly) {
    config.table.bots = false;
    config.silenceLimit = 40s;
    make();
    connect(1, "quiet");
    connect(2, "talker");
    advanceTo(now + 39s);
    hall->received(2, encode(ReadyOrLeave{seatBitOf(2), false}), now);  // leaves: seat freed
    EXPECT_TRUE(out.closed.count(2));
    advanceTo(now + 1s);
    EXPECT_TRUE(out.closed.count(1));
    ASSERT_EQ(out.of(1, Command::Removal).size(), 1u);
    EXPECT_EQ(decodeRemoval(out.of(1, Command::Removal)[0]).reason, "长时间没有响应，您已离开游戏桌。");

    // During a round nobody is dropped for silence: the client does not keep alive then.
    RecordingOutbox fresh;
    config.table.bots = true;
    config.table.botWait = 0s;
    Hall roundHall(config, fresh, log);
    roundHall.connected(1, now);
    roundHall.received(1, buildLoginFrame("idle", "pw").frame.value(), now);
    roundHall.received(1, encode(ReadyOrLeave{1, true}), now);
    ASSERT_TRUE(roundHall.table(0).roundRunning());
    roundHall.tick(now + 41s);
    EXPECT_FALSE(fresh.closed.count(1));
}

TEST_F(HallFixture, ReliefForTheBrokeThenCoinShortage) {
    config.table.botWait = 0s;
    config.table.botDelay = 0ms;
    config.table.stake = 100;
    config.table.startCoins = 100;
    config.table.reliefFloor = 100;
    config.table.reliefsPerDay = 1;
    config.table.today = [] { return DateNumber{20261210}; };
    make();
    connect(1, "poor");
    const uint8_t me = seatBitOf(1);
    hall->received(1, encode(ReadyOrLeave{me, true}), now);
    bool shortage = false;
    for (int round = 1; round <= 6 && !shortage; ++round) {
        for (int i = 0; i < 400 && out.of(1, Command::RoundEnd).size() < 4u * round; ++i)
            advanceTo(now + 20s);
        ASSERT_EQ(out.of(1, Command::RoundEnd).size(), 4u * round);
        shortage = !out.of(1, Command::TableState).empty() &&
                   out.of(1, Command::TableState).back()[15] >= 3;
        if (!shortage)
            hall->received(1, encode(ReadyOrLeave{me, true}), now);
    }
    // Every loser of a round hit 0 coins: the bots got relief, announced by 92 frames; the player
    // got the day's one relief (91) and the second time was sent away with a coin shortage.
    auto own = out.of(1, Command::OwnCoinChange);
    auto others = out.of(1, Command::OtherCoinChange);
    EXPECT_FALSE(others.empty());
    for (const CommandFrame& f : others) {
        CoinChange c = decodeCoinChange(f);
        EXPECT_EQ(c.amount, 100);
        EXPECT_EQ(c.account.rfind("bot", 0), 0u);
    }
    // With this seed the player loses twice within six rounds.
    ASSERT_TRUE(shortage);
    EXPECT_EQ(own.size(), 1u);
    EXPECT_EQ(decodeCoinChange(own[0]).amount, 100);
    EXPECT_EQ(out.of(1, Command::TableState).back()[kSeatByte], me);
    EXPECT_TRUE(out.closed.count(1));
}

// The account file: read at start (a bad line skipped, the file as read kept beside it), the
// day's reliefs carried over, a new day's relief granted at the seat, written after the relief
// and after the settlement, and read again by the next server.
TEST_F(HallFixture, AccountsSurviveARestartAndReliefFollowsTheCalendar) {
    testing::TempDir dir;
    const std::string file = (dir.path / "accounts.txt").string();
    std::string error;
    ASSERT_TRUE(writeFileAtomically(file,
                                    "# vexal accounts 1\n"
                                    "broke\t0\t40\t10\t4\t9\t0\t3\t2026-12-10\n"
                                    "damaged\t12x\t0\t0\t0\t0\t0\t0\t-\n",
                                    error));
    DateNumber today = 20261210;
    config.accountsFile = file;
    config.table.today = [&today] { return today; };
    config.table.botWait = 0s;
    config.table.botDelay = 0ms;
    make();
    // The file is written on a thread of its own, soon after the change: read it once it holds
    // the account as the hall has it now.
    AccountFileContents stored;
    auto readOnceWritten = [&](const std::string& account) {
        const AccountRecord now = *hall->account(account);
        for (int i = 0; i < 500; ++i) {
            if (readAccountFile(file, stored, error) == FileRead::Read && stored.records.size() == 1 &&
                stored.records[0] == now)
                return true;
            std::this_thread::sleep_for(10ms);
        }
        return false;
    };
    EXPECT_NE(logText.str().find("line 3: bad coins"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(file + ".bad"));
    ASSERT_TRUE(hall->account("broke"));
    EXPECT_FALSE(hall->account("damaged"));

    // No relief left today: seated and put out with the coin shortage.
    connect(1, "broke");
    ASSERT_FALSE(out.of(1, Command::TableState).empty());
    EXPECT_EQ(out.of(1, Command::TableState).back()[15], static_cast<uint8_t>(TableStateKind::CoinShortage));
    EXPECT_TRUE(out.closed.count(1));
    EXPECT_TRUE(out.of(1, Command::OwnCoinChange).empty());
    EXPECT_EQ(hall->account("broke")->coins, 0);
    hall->disconnected(1, now);

    // The next day: the first relief tops the coins up to the floor as the player sits down.
    today = 20261211;
    connect(2, "broke");
    ASSERT_EQ(out.of(2, Command::OwnCoinChange).size(), 1u);
    EXPECT_EQ(decodeCoinChange(out.of(2, Command::OwnCoinChange)[0]).amount, kDefaultReliefFloor);
    EXPECT_FALSE(out.closed.count(2));
    ASSERT_TRUE(readOnceWritten("broke"));  // the damaged line is gone from the file, kept in .bad
    EXPECT_EQ(stored.records[0].coins, kDefaultReliefFloor);
    EXPECT_EQ(stored.records[0].reliefsToday, 1);
    EXPECT_EQ(stored.records[0].reliefDate, 20261211);
    EXPECT_EQ(reliefLeftToday(stored.records[0], today), kDefaultReliefsPerDay - 1);

    // A settled round goes to disk.
    hall->received(2, encode(ReadyOrLeave{seatBitOf(2), true}), now);
    for (int i = 0; i < 400 && out.of(2, Command::RoundEnd).size() < 4; ++i)
        advanceTo(now + 20s);
    ASSERT_EQ(out.of(2, Command::RoundEnd).size(), 4u);
    const AccountRecord after = *hall->account("broke");
    EXPECT_EQ(after.wins + after.losses, 15u);
    ASSERT_TRUE(readOnceWritten("broke"));
    EXPECT_EQ(stored.records[0], after);

    // The next server run knows the account as it was left.
    RecordingOutbox otherOut;
    Hall restarted(config, otherOut, log);
    ASSERT_TRUE(restarted.account("broke"));
    EXPECT_EQ(*restarted.account("broke"), after);
}

// The level label reads what the settlement last wrote there: a login shows the same level title,
// from the account's kept score, after leaving the table and after a restart of the server.
TEST_F(HallFixture, ALoginShowsTheLevelTheSettlementShowedAfterARejoinAndARestart) {
    testing::TempDir dir;
    const std::string file = (dir.path / "accounts.txt").string();
    std::string error;
    ASSERT_TRUE(writeFileAtomically(file, "# vexal accounts 1\nvet\t100000\t27\t6\t3\t4\t0\t0\t-\n", error));
    config.accountsFile = file;
    config.table.botWait = 0s;
    config.table.botDelay = 0ms;
    make();
    // The own seat's information in the frames a connection got.
    auto ownInfo = [this](int64_t conn) {
        for (const CommandFrame& f : out.of(conn, Command::SeatInfo))
            if (decodeSeatInfo(f).account == "vet")
                return decodeSeatInfo(f);
        ADD_FAILURE() << "no seat information about vet";
        return SeatInfo{};
    };
    connect(1, "vet");
    SeatInfo first = ownInfo(1);
    EXPECT_EQ(first.level, "第三级");  // score 27
    EXPECT_EQ(first.title, "新手");
    EXPECT_EQ(first.score, 27);
    EXPECT_EQ(first.wins, 6u);
    EXPECT_EQ(first.losses, 3u);

    hall->received(1, encode(ReadyOrLeave{seatBitOf(1), true}), now);
    for (int i = 0; i < 400 && out.of(1, Command::RoundEnd).size() < 4; ++i)
        advanceTo(now + 20s);
    ASSERT_EQ(out.of(1, Command::RoundEnd).size(), 4u);
    uint8_t settledLevel = 0;
    for (const CommandFrame& f : out.of(1, Command::RoundEnd))
        if ((f[kSeatByte] & 0x0F) == seatBitOf(1))
            settledLevel = decodeSettlement(f).level;
    const AccountRecord after = *hall->account("vet");
    ASSERT_EQ(after.wins + after.losses, 10u);
    EXPECT_EQ(settledLevel, levelOfScore(after.score));
    const std::string shownAfterRound = levelTitle(settledLevel);

    // Leaving between rounds and sitting down again.
    hall->received(1, encode(ReadyOrLeave{seatBitOf(1), false}), now);
    hall->disconnected(1, now);
    connect(2, "vet");
    SeatInfo again = ownInfo(2);
    EXPECT_EQ(again.level, shownAfterRound);
    EXPECT_EQ(again.title, rankOfLevel(settledLevel));
    EXPECT_EQ(again.score, after.score);
    EXPECT_EQ(again.wins, after.wins);
    EXPECT_EQ(again.losses, after.losses);

    // The server goes (writing its last changes) and comes back.
    hall->shutdown(now);
    hall.reset();
    RecordingOutbox otherOut;
    Hall restarted(config, otherOut, log);
    restarted.connected(3, now);
    restarted.received(3, buildLoginFrame("vet", "pw").frame.value(), now);
    SeatInfo restartedInfo = decodeSeatInfo(otherOut.of(3, Command::SeatInfo).at(0));
    EXPECT_EQ(restartedInfo.level, shownAfterRound);
    EXPECT_EQ(restartedInfo.score, after.score);
    EXPECT_EQ(restartedInfo.wins, after.wins);
    EXPECT_EQ(restartedInfo.losses, after.losses);
}

TEST_F(HallFixture, AnAccountFileThatCannotBeReadIsNeverWrittenOver) {
    testing::TempDir dir;
    config.accountsFile = dir.path.string();  // a directory: it exists but reads as no file
    config.table.bots = false;
    make();
    EXPECT_NE(logText.str().find("cannot read"), std::string::npos);
    connect(1, "alice");
    EXPECT_EQ(hall->account("alice")->coins, config.table.startCoins);
    EXPECT_TRUE(std::filesystem::is_directory(dir.path));
    EXPECT_FALSE(std::filesystem::exists(dir.path.string() + ".tmp"));
}

TEST(SelfPlay, RoundsAreCompleteConsistentAndReproducible) {
    Logger quiet(nullptr, LogLevel::Silent);
    TableConfig config;
    config.seed = 2024;
    config.stake = 10;
    int checked = 0;
    std::set<CallKind> kinds;
    auto check = [&](const RoundSummary& s) {
        ++checked;
        kinds.insert(s.facts.kind);
        std::set<int> places;
        int points = 0;
        int64_t amounts = 0;
        for (int seat = 0; seat < 4; ++seat) {
            const SettlementRecord& r = s.records[seat];
            places.insert(r.place);
            points += r.finalPoints;
            amounts += s.scoring.seats[seat].amount;
            EXPECT_EQ(r.cardPoints + pointsOf(r.heldCards), s.facts.cardPoints[seat] + s.facts.handPoints[seat]);
            EXPECT_EQ(r.roared, s.facts.kind == CallKind::Roar && seat == s.facts.lone);
            if (s.facts.kind == CallKind::Hidden) {
                EXPECT_EQ(r.callerBit, r.partnerBit);
            }
        }
        EXPECT_EQ(places, (std::set<int>{1, 2, 3, 4}));
        EXPECT_EQ(points, 200);
        EXPECT_EQ(amounts, 0);
    };
    SelfPlayTotals first = runSelfPlay(300, config, quiet, check);
    EXPECT_EQ(first.rounds, 300);
    EXPECT_EQ(checked, 300);
    EXPECT_TRUE(kinds.count(CallKind::Ordinary));
    SelfPlayTotals again = runSelfPlay(300, config, quiet);
    EXPECT_EQ(again.amounts, first.amounts);
    EXPECT_EQ(again.wins, first.wins);
}

}  // namespace
}  // namespace vexal::server
