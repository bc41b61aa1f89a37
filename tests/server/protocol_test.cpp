// vexal-server as a process, four scripted clients over loopback TCP: full rounds, refused
// frames, and reconnects inside and after the reconnect window.
#include <gtest/gtest.h>

#include <sys/ioctl.h>

#include <algorithm>
#include <map>
#include <set>
#include <thread>

#include "net/messages/calling.h"
#include "net/messages/chat.h"
#include "net/messages/deal.h"
#include "net/messages/departure.h"
#include "net/messages/play.h"
#include "net/messages/wire.h"
#include "server/deck.h"
#include "server/scoring.h"
#include "wireclient.h"

namespace vexal::server::testing {
namespace {

constexpr int64_t kStake = 10;

struct Table4 {
    std::unique_ptr<ServerProcess> server;
    std::array<Player, 4> players;
    std::vector<Player*> all() { return {&players[0], &players[1], &players[2], &players[3]}; }

    explicit Table4(std::vector<std::string> extra = {}) {
        std::vector<std::string> flags = {"--tables", "1", "--bot-wait", "off", "--turn-seconds", "5",
                                          "--seed", "42", "--log-level", "info", "--stake",
                                          std::to_string(kStake), "--start-coins", "100000000"};
        flags.insert(flags.end(), extra.begin(), extra.end());
        server = std::make_unique<ServerProcess>(flags);
        for (int i = 0; i < 4; ++i) {
            players[i].account = "player" + std::to_string(i + 1);
            login(players[i], server->port());
        }
    }

    bool playUntilSettlements(int n) {
        return pump(all(), [&] {
            return std::all_of(players.begin(), players.end(), [&](const Player& p) { return p.settlements >= n; });
        });
    }
};

std::vector<CommandFrame> roundFrames(const Player& p, Command command) {
    std::vector<CommandFrame> out;
    for (size_t i = p.roundStart; i < p.received.size(); ++i)
        if (p.received[i][kCommandByte] == commandByte(command))
            out.push_back(p.received[i]);
    return out;
}

// Everything a settlement must satisfy, checked against what the four clients saw.
void checkRound(Table4& t) {
    // Each seat 27 cards, together the double deck; nobody saw another seat's deal.
    std::vector<CardCode> all;
    for (const Player& p : t.players) {
        ASSERT_EQ(p.dealt.size(), 27u) << p.account;
        all.insert(all.end(), p.dealt.begin(), p.dealt.end());
        for (const CommandFrame& f : roundFrames(p, Command::Deal))
            EXPECT_EQ(f[kSeatByte] & 0x0F, p.seatBit);
    }
    Deck deck = doubleDeck();
    std::vector<CardCode> full(deck.begin(), deck.end());
    std::sort(all.begin(), all.end());
    std::sort(full.begin(), full.end());
    EXPECT_EQ(all, full);

    // The same four records reach every seat.
    std::map<uint8_t, SettlementRecord> bySeat;
    for (const SettlementRecord& r : t.players[0].records)
        bySeat[r.seatBit] = r;
    ASSERT_EQ(bySeat.size(), 4u);
    for (const Player& p : t.players) {
        ASSERT_EQ(p.records.size(), 4u) << p.account;
        for (const SettlementRecord& r : p.records)
            EXPECT_EQ(encode(r), encode(bySeat[r.seatBit])) << p.account;
    }
    std::map<uint8_t, const Player*> playerOf;
    for (const Player& p : t.players)
        playerOf[p.seatBit] = &p;

    std::set<int> places;
    int cardPoints = 0, finalPoints = 0;
    int64_t amounts = 0;
    for (auto& [bit, r] : bySeat) {
        places.insert(r.place);
        cardPoints += r.cardPoints + pointsOf(r.heldCards);
        finalPoints += r.finalPoints;
        amounts += r.signedFinal();
        EXPECT_EQ(r.subtotalGain, r.finalGain);
        EXPECT_EQ(r.stake, uint32_t(kStake));
        const auto& dealt = playerOf[bit]->dealt;
        for (CardCode c : r.heldCards)
            EXPECT_NE(std::find(dealt.begin(), dealt.end(), c), dealt.end()) << "held card not dealt";
        for (auto& [otherBit, o] : bySeat) {
            if (r.heldCards.empty() && !o.heldCards.empty()) {
                EXPECT_LT(r.place, o.place) << "a finished seat places before an unfinished one";
            }
        }
    }
    EXPECT_EQ(places, (std::set<int>{1, 2, 3, 4}));
    EXPECT_EQ(cardPoints, 200);
    EXPECT_EQ(finalPoints, 200);
    EXPECT_EQ(amounts, 0);

    // Lines consistent with the call that happened.
    const Player& viewer = t.players[0];
    std::optional<CallChoice> call, roar;
    for (const CommandFrame& f : roundFrames(viewer, Command::CallResult)) {
        CallChoice c = decodeCallChoice(f);
        if (c.choice == kChoiceCall) call = c;
        if (c.choice == kChoiceRoar) roar = c;
    }
    int64_t bombs = 1;
    uint8_t expectedNext = 0;
    for (const CommandFrame& f : roundFrames(viewer, Command::Play)) {
        PlayReport r = decodePlayReport(f);
        if (expectedNext != 0) {
            EXPECT_EQ(r.seatBit, expectedNext) << "a play reported for a seat that was not on turn";
        }
        expectedNext = r.nextSeatBit;
        bombs *= bombMultiplier(r.type);
    }
    std::map<uint8_t, int64_t> calling;
    int64_t ku = 1;
    if (roar) {
        for (auto& [bit, r] : bySeat) {
            EXPECT_EQ(r.roared, bit == roar->seatBit);
            EXPECT_EQ(r.callerBit, 0);
            calling[bit] = bit == roar->seatBit ? 24 : 8;
        }
    } else {
        ASSERT_TRUE(call.has_value());
        std::vector<uint8_t> holders;
        for (const Player& p : t.players)
            for (CardCode c : p.dealt)
                if (cardRank(c) == call->rank && suitBit(c) == call->suitBit)
                    holders.push_back(p.seatBit);
        ASSERT_EQ(holders.size(), 2u);
        const bool hidden = holders[0] == holders[1];
        const uint8_t partner = holders[0] == call->seatBit ? holders[1] : holders[0];
        for (auto& [bit, r] : bySeat) {
            EXPECT_FALSE(r.roared);
            EXPECT_EQ(r.callerBit, call->seatBit);
            EXPECT_EQ(r.partnerBit, hidden ? call->seatBit : partner);
            calling[bit] = hidden ? (bit == call->seatBit ? 12 : 4) : 1;
        }
        if (!hidden) {
            auto sideOf = [&](uint8_t bit) { return bit == call->seatBit || bit == partner ? 0 : 1; };
            std::array<int, 2> points{};
            std::array<bool, 2> firstAndSecond{true, true};
            for (auto& [bit, r] : bySeat) {
                points[sideOf(bit)] += r.finalPoints;
                if (r.place > 2) firstAndSecond[sideOf(bit)] = false;
            }
            for (int side = 0; side < 2; ++side)
                if (firstAndSecond[side]) ku = points[side] == 200 ? 4 : 2;
            if (ku == 1 && (points[0] == 200 || points[1] == 200)) ku = 2;
        }
    }
    for (auto& [bit, r] : bySeat)
        EXPECT_EQ(int64_t(r.subtotal), kStake * calling[bit] * ku * bombs) << "seat bit " << int(bit);
}

TEST(ServerProtocol, FourClientsPlayFullRounds) {
    Table4 t;
    for (int round = 1; round <= 3; ++round) {
        ASSERT_TRUE(t.playUntilSettlements(round)) << "round " << round;
        checkRound(t);
    }
    for (const Player& p : t.players) {
        EXPECT_TRUE(p.loggedIn);
        int seatInfos = 0;
        for (const CommandFrame& f : p.received)
            seatInfos += f[kCommandByte] == commandByte(Command::SeatInfo) ? 1 : 0;
        EXPECT_GE(seatInfos, 4) << p.account << " learns about every seated player";
    }
    // A fifth player finds the table full: refused, and the server closes the connection.
    Player late;
    late.account = "late";
    login(late, t.server->port());
    ASSERT_TRUE(pump({&late}, [&] { return late.conn->finished(); }));
    ASSERT_FALSE(late.received.empty());
    EXPECT_EQ(late.received[0][kCommandByte], commandByte(Command::Login));
    EXPECT_EQ(late.received[0][15], 2);
    EXPECT_FALSE(late.loggedIn);
    EXPECT_TRUE(t.server->running());
}

TEST(ServerProtocol, RefusesBadFramesAndTheRoundGoesOn) {
    Table4 t;
    Player& victim = t.players[1];
    int tricksTried = 0;
    std::vector<std::string> sent;
    victim.beforePlay = [&](Player& p, const CommandFrame& own) {
        if (tricksTried >= 2)
            return true;
        ++tricksTried;
        // A card the player does not hold.
        std::set<int> held;
        for (CardCode c : p.hand) held.insert(cardId(c));
        int missing = 0;
        while (held.count(missing)) ++missing;
        CommandFrame notHeld = own;
        notHeld[15] = 2;
        notHeld[17] = 1;
        notHeld[18] = kPlaySingle;
        notHeld[19] = 0;
        notHeld[20] = static_cast<uint8_t>(missing);
        p.conn->send(notHeld);
        // The right play under another seat's bit.
        CommandFrame wrongSeat = own;
        wrongSeat[kSeatByte] = static_cast<uint8_t>(p.seatBit == 1 ? 2 : 1);
        p.conn->send(wrongSeat);
        // A play frame of garbage: byte 15 says play, the counts say nonsense.
        CommandFrame garbage = own;
        for (size_t i = 15; i < 60; ++i) garbage[i] = static_cast<uint8_t>(i * 37 + 11);
        garbage[15] = 2;
        p.conn->send(garbage);
        // An unknown command, and a client-side command the server never takes from a seat.
        CommandFrame unknown = own;
        unknown[kCommandByte] = 77;
        p.conn->send(unknown);
        // Out of turn: another seat passes now.
        Player& other = t.players[(&p - &t.players[0] + 1) % 4];
        CommandFrame pass = buildPassFrame(other.seatBit);
        other.conn->send(pass);
        return true;  // then the right play, which must be the one reported
    };
    // Garbage from a stranger: a frame of noise, then half a frame and a disconnect.
    {
        Connection stranger(t.server->port());
        CommandFrame noise;
        for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 91 + 7);
        noise[kCommandByte] = 200;
        stranger.send(noise);
        stranger.sendRaw(noise.data(), 100);
    }
    ASSERT_TRUE(t.playUntilSettlements(2));
    checkRound(t);
    EXPECT_EQ(tricksTried, 2);
    const std::string log = t.server->log();
    size_t refusals = 0;
    for (size_t at = log.find("refused"); at != std::string::npos; at = log.find("refused", at + 1))
        ++refusals;
    EXPECT_GE(refusals, 2u * 5u + 1u) << log;
    EXPECT_TRUE(t.server->running());
}

TEST(ServerProtocol, ShutdownTellsEverySeatedPlayerAndExitsCleanly) {
    Table4 t;
    ASSERT_TRUE(pump(t.all(), [&] { return t.players[3].dealt.size() == 27; }));
    for (Player& p : t.players)
        p.hold = true;  // nobody plays on; the server is stopped in the middle of the round
    EXPECT_EQ(t.server->terminate(), 0);
    for (Player& p : t.players) {
        ASSERT_TRUE(pump({&p}, [&] { return p.conn->finished(); })) << p.account;
        ASSERT_EQ(p.received.back()[kCommandByte], commandByte(Command::Removal)) << p.account;
        EXPECT_EQ(decodeRemoval(p.received.back()).reason, "游戏服务器正在关闭，请稍后重新进入。");
    }
}

// Plays until `p` has seen at least `plays` command 6 frames of the current round.
bool playUntilPlays(Table4& t, const Player& p, size_t plays) {
    return pump(t.all(), [&] { return p.dealt.size() == 27 && roundFrames(p, Command::Play).size() >= plays; });
}

TEST(ServerProtocol, ReconnectInsideTheWindowContinuesAndAfterItIsRefused) {
    Table4 t({"--reconnect-seconds", "2", "--bot-delay-ms", "20"});
    Player& a = t.players[2];
    ASSERT_TRUE(playUntilPlays(t, a, 6));
    const uint8_t token0 = a.token[0], token1 = a.token[1];
    const uint32_t resume = a.resume;
    const uint8_t seatBit = a.seatBit;
    a.conn->close();
    a.conn.reset();
    // The others hold their plays back so the round waits while the seat is away.
    std::vector<Player*> others = {&t.players[0], &t.players[1], &t.players[3]};
    for (Player* p : others)
        p->hold = true;

    // Wrong token, wrong resume number: refused; the right pair gets the seat back.
    struct Attempt {
        uint8_t t0, t1;
        uint32_t resume;
        bool accepted;
    };
    const Attempt attempts[] = {{static_cast<uint8_t>(token0 ^ 0x55), token1, resume, false},
                                {token0, token1, resume + 1, false},
                                {token0, token1, resume, true}};
    for (const Attempt& at : attempts) {
        sendReconnect(a, t.server->port(), at.t0, at.t1, at.resume);
        ASSERT_TRUE(pump(t.all(), [&] { return a.reconnectAnswer.has_value(); }));
        EXPECT_EQ(*a.reconnectAnswer == 1, at.accepted);
    }
    // The resend deals the seat's hand again as it was dealt, then the plays rebuild the table;
    // the round goes on to its settlement with the seat playing again.
    const std::vector<CardCode> dealtBefore = a.dealt;
    auto resumedDeal = [&]() -> const CommandFrame* {
        for (size_t i = a.received.size(); i-- > 0;) {
            const CommandFrame& f = a.received[i];
            if (f[kCommandByte] == commandByte(Command::Deal))
                return &f;
            if (f[kCommandByte] == commandByte(Command::ReconnectAnswer))
                return nullptr;
        }
        return nullptr;
    };
    ASSERT_TRUE(pump(t.all(), [&] { return resumedDeal() != nullptr; }));
    Deal resumed = decodeDeal(*resumedDeal());
    EXPECT_EQ(resumed.seatBit, seatBit);
    EXPECT_EQ(resumed.resumeNumber, resume);
    EXPECT_EQ(resumed.cards, dealtBefore);
    for (Player* p : others)
        p->release();
    ASSERT_TRUE(t.playUntilSettlements(1));
    EXPECT_EQ(a.records.size(), 4u);
    for (const SettlementRecord& r : a.records)
        EXPECT_EQ(r.escapedBits, 0);

    // The next round: drop again and come back too late. Its deal comes first: the plays counted
    // are the new round's, and every seat's ready has reached the server before the drop.
    const size_t settledAt = a.received.size();
    ASSERT_TRUE(pump(t.all(), [&] { return a.roundStart >= settledAt; }));
    ASSERT_TRUE(playUntilPlays(t, a, 4));
    const uint8_t late0 = a.token[0], late1 = a.token[1];
    const uint32_t lateResume = a.resume;
    for (Player* p : others)
        p->hold = true;
    a.conn->close();
    a.conn.reset();
    pumpFor(others, 2600);
    sendReconnect(a, t.server->port(), late0, late1, lateResume);
    ASSERT_TRUE(pump(t.all(), [&] { return a.reconnectAnswer.has_value(); }));
    EXPECT_NE(*a.reconnectAnswer, 1);

    // The player who never came back counts as escaped, and its side loses.
    for (Player* p : others)
        p->release();
    ASSERT_TRUE(pump(others, [&] {
        return std::all_of(others.begin(), others.end(), [](const Player* p) { return p->settlements >= 2; });
    }));
    for (const SettlementRecord& r : t.players[0].records) {
        EXPECT_EQ(r.escapedBits, seatBit);
        if (r.seatBit == seatBit) {
            EXPECT_FALSE(r.finalGain);
        }
    }
    EXPECT_TRUE(t.server->running());
}

// A player that stops reading must not hold up the others, and must get every frame, whole and
// in order, once it reads again. The lines are private to it, so the server writes them to it and
// back to the sender: far more than the system buffers hold (tcp_wmem allows 4 MiB a socket), so
// the server has to keep the rest and finish the writes when the socket takes more.
TEST(ServerProtocol, AReaderThatFallsBehindGetsEveryFrameInOrderAndHoldsNobodyUp) {
    Table4 t;
    Player& sender = t.players[0];
    Player& slow = t.players[1];
    ASSERT_TRUE(pump(t.all(), [&] {
        return std::all_of(t.players.begin(), t.players.end(), [](const Player& p) { return p.seatBit != 0; });
    }));

    constexpr int kLines = 24'000;  // 6.5 MB each way
    auto lineText = [](int i) { return "line " + std::to_string(i); };
    std::vector<Player*> others = {&sender, &t.players[2], &t.players[3]};
    auto chatLines = [&](const Player& p) {
        std::vector<std::string> texts;
        for (const CommandFrame& f : p.received)
            if (f[kCommandByte] == commandByte(Command::Chat))
                texts.push_back(decodeChatLine(f).text);
        return texts;
    };
    // Counts as frames arrive, without going over the earlier ones again.
    struct ChatCount {
        size_t seen = 0;
        size_t lines = 0;
        size_t operator()(const Player& p) {
            for (; seen < p.received.size(); ++seen)
                lines += p.received[seen][kCommandByte] == commandByte(Command::Chat) ? 1 : 0;
            return lines;
        }
    } sentBack, slowGot;
    // The sender reads its echoes while it writes, so neither side of it waits on the other.
    for (int i = 0; i < kLines; ++i) {
        CommandFrame f = encode(ChatLine{sender.seatBit, 0, 0, slow.seatBit, 0, lineText(i)});
        f[kTokenByte] = sender.token[0];
        f[kTokenByte + 1] = sender.token[1];
        sender.conn->send(f);
        if (i % 64 == 63)
            pumpFor(others, 1);
    }
    ASSERT_TRUE(pump(others, [&] { return sentBack(sender) >= size_t(kLines); }))
        << "the sender got " << sentBack(sender) << " of its lines back while one player did not read";
    int queued = 0;
    ASSERT_EQ(ioctl(slow.conn->fd(), FIONREAD, &queued), 0);
    EXPECT_LT(queued, kLines * int(kFrameSize)) << "the system took every line at once: nothing was left to finish";

    ASSERT_TRUE(pump({&slow}, [&] { return slowGot(slow) >= size_t(kLines); }))
        << "the slow reader got " << slowGot(slow) << " lines";
    for (const Player* p : {&sender, &slow}) {
        std::vector<std::string> texts = chatLines(*p);
        ASSERT_EQ(texts.size(), size_t(kLines)) << p->account;
        for (int i = 0; i < kLines; ++i)
            ASSERT_EQ(texts[size_t(i)], lineText(i)) << p->account << " line " << i;
    }
    EXPECT_TRUE(t.server->running());
}

}  // namespace
}  // namespace vexal::server::testing
