// A seat that drops and comes back: the frames of the resend, fed to the client's own round model,
// must show the table exactly as a client that never dropped shows it. The other human at the
// table receives every broadcast the returning seat missed, so the model fed its frames (with the
// returning seat's deal) is the reference.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <sstream>

#include "model/roundmodel.h"
#include "net/messages/calling.h"
#include "net/messages/deal.h"
#include "net/messages/login.h"
#include "net/messages/play.h"
#include "net/messages/seating.h"
#include "net/messages/settlement.h"
#include "fixtures.h"
#include "server/hall.h"

namespace vexal::server {
namespace {

using namespace std::chrono_literals;

using testing::RecordingOutbox;

bool isRoundFrame(const CommandFrame& f) {
    switch (static_cast<Command>(f[kCommandByte])) {
    case Command::Deal:
    case Command::CallingTurn:
    case Command::CallResult:
    case Command::Play:
    case Command::RoundEnd:
        return true;
    default:
        return false;
    }
}

// The client's round model fed as the table's dispatcher and loop feed it: a deal for the own seat
// resets the round first.
struct Client {
    SessionState session;
    RoundModel model{session};
    int bombAnimations = 0;
    int roarAnimations = 0;
    std::optional<SettlementSheet> sheet;

    explicit Client(uint8_t seatBit) {
        session.own.seatBit = seatBit;
        session.loggedIn = true;
    }
    void feed(const CommandFrame& f) {
        Effects fx;
        switch (static_cast<Command>(f[kCommandByte])) {
        case Command::Deal:
            if ((f[kSeatByte] & 0x0F) != session.own.seatBit)
                return;
            fx.append(model.resetRound());
            fx.append(model.clearOwnHand());
            model.stopPlayCountdown();
            fx.append(model.receive(decodeDeal(f)));
            break;
        case Command::CallingTurn:
            fx = model.receive(decodeCallingTurn(f));
            break;
        case Command::CallResult:
            fx = model.receive(decodeCallChoice(f));
            break;
        case Command::Play:
            fx = model.receive(decodePlayReport(f));
            break;
        case Command::RoundEnd:
            fx = model.receive(decodeSettlement(f));
            break;
        default:
            return;
        }
        ASSERT_FALSE(fx.session.leave) << "the client left the table on command " << int(f[kCommandByte]);
        for (const ViewChange& v : fx.view) {
            bombAnimations += std::holds_alternative<view::BombAnimation>(v);
            roarAnimations += std::holds_alternative<view::RoarAnimation>(v);
            if (const auto* s = std::get_if<view::ScoreSheetShown>(&v))
                sheet = s->sheet;
        }
    }
};

// The card codes lying in each image list, as the table shows them.
std::vector<CardCode> shownCards(const RoundState& st, int seat, const ShownPlay& play) {
    std::vector<CardCode> out;
    for (int k = 0; k < play.count; ++k)
        out.push_back(st.imageCard[static_cast<size_t>(seat)][static_cast<size_t>(play.images[static_cast<size_t>(k)])]);
    return out;
}

// Everything the round's views draw from, compared field by field so that a failure names it.
void expectSameTable(const Client& got, const Client& want) {
    const RoundState& g = got.model.state();
    const RoundState& w = want.model.state();
    for (size_t r = 0; r < 4; ++r) {
        SCOPED_TRACE("relative seat " + std::to_string(r));
        EXPECT_EQ(g.hands[r].count, w.hands[r].count);
        if (r == 0) {
            for (int k = 0; k < w.hands[0].count; ++k)
                EXPECT_EQ(g.hands[0].codes[static_cast<size_t>(k)], w.hands[0].codes[static_cast<size_t>(k)]) << k;
        }
        EXPECT_EQ(g.pointsTaken[r], w.pointsTaken[r]);
        EXPECT_EQ(g.bombs[r], w.bombs[r]);
        EXPECT_EQ(shownCards(g, static_cast<int>(r), g.shown[r]), shownCards(w, static_cast<int>(r), w.shown[r]));
        EXPECT_EQ(shownCards(g, static_cast<int>(r), g.lastTrick[r]),
                  shownCards(w, static_cast<int>(r), w.lastTrick[r]));
        EXPECT_EQ(g.passed[r], w.passed[r]);
        EXPECT_EQ(g.finishBadge[r], w.finishBadge[r]);
        EXPECT_EQ(g.nextFreeImage[r], w.nextFreeImage[r]);
    }
    EXPECT_EQ(g.multiplier, w.multiplier);
    EXPECT_EQ(g.tablePoints, w.tablePoints);
    EXPECT_EQ(g.finishingPlace, w.finishingPlace);
    EXPECT_EQ(g.lastPlay.type, w.lastPlay.type);
    EXPECT_EQ(g.lastPlay.count, w.lastPlay.count);
    // Entries past the count are left over from longer plays; nothing reads them.
    for (int k = 0; k < w.lastPlay.count; ++k)
        EXPECT_EQ(g.lastPlay.entries[static_cast<size_t>(k)], w.lastPlay.entries[static_cast<size_t>(k)]) << k;
    EXPECT_EQ(g.calledCardShown, w.calledCardShown);
    EXPECT_EQ(g.calledRank, w.calledRank);
    EXPECT_EQ(g.calledSuitBit, w.calledSuitBit);
    EXPECT_EQ(g.bankerSeat, w.bankerSeat);
    EXPECT_EQ(g.roarSeat, w.roarSeat);
    EXPECT_EQ(g.roarMarkerShown, w.roarMarkerShown);
    EXPECT_EQ(g.partnerSeat, w.partnerSeat);
    EXPECT_EQ(g.callingPhase, w.callingPhase);
    EXPECT_EQ(g.callingTurn, w.callingTurn);
    EXPECT_EQ(g.ownPlayTurn, w.ownPlayTurn);
    EXPECT_EQ(g.handInputEnabled, w.handInputEnabled);
    EXPECT_EQ(g.playControls, w.playControls);
    EXPECT_EQ(g.pilesShown, w.pilesShown);
    EXPECT_EQ(g.labelsShown, w.labelsShown);
    EXPECT_EQ(g.handsRevealed, w.handsRevealed);
    EXPECT_EQ(got.model.clock().shown, want.model.clock().shown);
    EXPECT_EQ(got.model.clock().seat, want.model.clock().seat);
    EXPECT_EQ(got.model.playCountdownOn(), want.model.playCountdownOn());
    ASSERT_EQ(got.sheet.has_value(), want.sheet.has_value());
    if (want.sheet) {
        EXPECT_EQ(got.sheet->lists, want.sheet->lists);
        EXPECT_EQ(got.sheet->coinChange, want.sheet->coinChange);
    }
}

// Alice (seat 0) and Bob (seat 1) with two bots; Alice drops right after the deal and a bot plays
// for her; Bob answers nothing, so the server answers for him when his short turn runs out.
struct ReconnectFixture : ::testing::Test {
    std::ostringstream logText;
    Logger log{&logText, LogLevel::Debug};
    RecordingOutbox out;
    HallConfig config = [] {
        HallConfig c;
        c.table.reconnectWindow = std::chrono::hours(1);
        return c;
    }();
    std::unique_ptr<Hall> hall;
    TimePoint now{};
    static constexpr int64_t kAlice = 1, kBob = 2, kAliceAgain = 3;

    // `leaves`: Alice sends the leave frame before her connection goes, as 退出 does.
    void start(uint64_t seed, bool leaves = false) {
        config.tables = 1;
        config.table.seed = seed;
        config.table.botWait = 1s;
        config.table.botDelay = 100ms;
        config.table.turnSeconds = 3;
        config.table.callingTime = 1s;
        config.table.grace = 0s;
        hall = std::make_unique<Hall>(config, out, log);
        for (auto [conn, account] : {std::pair{kAlice, "alice"}, std::pair{kBob, "bob"}}) {
            hall->connected(conn, now);
            hall->received(conn, buildLoginFrame(account, "pw").frame.value(), now);
        }
        advanceTo(now + 2s);
        hall->received(kAlice, encode(ReadyOrLeave{1, true}), now);
        hall->received(kBob, encode(ReadyOrLeave{2, true}), now);
        ASSERT_TRUE(hall->table(0).roundRunning());
        if (leaves)
            hall->received(kAlice, encode(ReadyOrLeave{1, false}), now);
        hall->disconnected(kAlice, now);
    }
    void advanceTo(TimePoint until) {
        for (auto next = hall->nextWakeup(); next && *next <= until; next = hall->nextWakeup()) {
            now = std::max(now, *next);
            hall->tick(now);
        }
        now = until;
        hall->tick(now);
    }
    // Bob's round frames from the latest deal of the round Alice dropped in.
    std::vector<CommandFrame> bobSince(size_t from) const {
        std::vector<CommandFrame> got;
        const auto& all = out.frames.at(kBob);
        for (size_t i = from; i < all.size(); ++i)
            if (isRoundFrame(all[i]))
                got.push_back(all[i]);
        return got;
    }
    CommandFrame aliceDeal() const {
        for (const CommandFrame& f : out.frames.at(kAlice))
            if (f[kCommandByte] == commandByte(Command::Deal))
                return f;
        return {};
    }
    size_t bobDealIndex() const {
        const auto& all = out.frames.at(kBob);
        for (size_t i = 0; i < all.size(); ++i)
            if (all[i][kCommandByte] == commandByte(Command::Deal))
                return i;
        return all.size();
    }
    // The reconnect login with Alice's token and resume number; the frames her new connection got.
    std::vector<CommandFrame> reconnect() {
        const CommandFrame deal = aliceDeal();
        hall->connected(kAliceAgain, now);
        CommandFrame login = buildLoginFrame("alice", "pw").frame.value();
        makeReconnectLogin(login, {deal[kTokenByte], deal[kTokenByte + 1]}, decodeDeal(deal).resumeNumber);
        hall->received(kAliceAgain, login, now);
        return out.frames[kAliceAgain];
    }
};

// How many times the table was cleared (trick flag 1 or 9) in a stream of round frames.
int clears(const std::vector<CommandFrame>& frames) {
    int n = 0;
    for (const CommandFrame& f : frames)
        if (f[kCommandByte] == commandByte(Command::Play)) {
            const uint8_t flag = decodePlayReport(f).trickFlag;
            n += flag == kTrickToNextSeat || flag == kTrickToByte16;
        }
    return n;
}

// Bomb plays (cards of type 6 and up, which the client animates) after the second-to-last clear.
int bombsInLastTwoTricks(const std::vector<CommandFrame>& frames) {
    std::vector<PlayReport> plays;
    for (const CommandFrame& f : frames)
        if (f[kCommandByte] == commandByte(Command::Play))
            plays.push_back(decodePlayReport(f));
    int seen = 0;
    size_t from = 0;
    for (size_t i = plays.size(); i-- > 0;)
        if ((plays[i].trickFlag == kTrickToNextSeat || plays[i].trickFlag == kTrickToByte16) && ++seen == 2) {
            from = i;
            break;
        }
    int n = 0;
    for (size_t i = from; i < plays.size(); ++i)
        n += !plays[i].cards.empty() && plays[i].type > 5;
    return n;
}

struct Moment {
    const char* name;
    // Whether to come back now, given the table and Bob's round frames so far.
    std::function<bool(const Table&, const std::vector<CommandFrame>&)> now;
    // Also in the roar deal, a short round: a roar ends the calling at once, and the lone player's
    // point cards run out in a few tricks.
    bool withRoar = false;
};

TEST_F(ReconnectFixture, TheResendShowsTheTableAsAClientThatNeverDroppedShowsIt) {
    const Moment moments[] = {
        {"during calling, after the first call",
         [](const Table& t, const std::vector<CommandFrame>&) {
             return t.round() && t.round()->phase() == Phase::Calling && !t.round()->callHistory().empty();
         }},
        {"at the opening of play",
         [](const Table& t, const std::vector<CommandFrame>& f) {
             return t.round() && t.round()->phase() == Phase::Playing && clears(f) == 1;
         },
         true},
        {"mid-trick after one trick",
         [](const Table& t, const std::vector<CommandFrame>& f) {
             return t.round() && t.round()->phase() == Phase::Playing && clears(f) == 2 && !t.round()->leading();
         },
         true},
        {"mid-trick late in the round",
         [](const Table& t, const std::vector<CommandFrame>& f) {
             return t.round() && t.round()->phase() == Phase::Playing && clears(f) >= 7 &&
                    !t.round()->leading() && f.back()[17] > 0;
         }},
        {"after a pass in the trick",
         [](const Table& t, const std::vector<CommandFrame>& f) {
             return t.round() && t.round()->phase() == Phase::Playing && clears(f) >= 4 &&
                    f.back()[kCommandByte] == commandByte(Command::Play) && f.back()[17] == 0 &&
                    !closesTrick(f.back()[15]);
         }},
        {"leading after a trick late in the round",
         [](const Table& t, const std::vector<CommandFrame>& f) {
             return t.round() && t.round()->phase() == Phase::Playing && clears(f) >= 6 && t.round()->leading();
         }},
        {"after the settlement", [](const Table& t, const std::vector<CommandFrame>&) { return t.roundsPlayed() == 1; }, true},
    };
    // Seeded shuffles, and a deal where Alice holds nothing she may call, so the bot playing for
    // her roars.
    std::vector<CardCode> roarHand;
    for (int rank : {5, 10, 13})
        for (int suit : {1, 2, 4, 8})
            for (int copy : {0, 1})
                roarHand.push_back(testing::card(rank, suit, copy));
    roarHand.insert(roarHand.end(), {testing::joker(16, 0), testing::joker(16, 1), testing::joker(17, 0)});
    const Deck roarDeck = testing::deckWith({roarHand, {}, {}, {}});
    struct Deal {
        uint64_t seed;
        bool roar;
    };
    for (Deal deal : {Deal{3, false}, Deal{11, false}, Deal{29, false}, Deal{5, true}}) {
        for (const Moment& m : moments) {
            if (deal.roar && !m.withRoar)
                continue;
            SCOPED_TRACE(std::string(m.name) + ", seed " + std::to_string(deal.seed) + (deal.roar ? ", a roar" : ""));
            out.frames.clear();
            now = {};
            config.table.dealer = nullptr;
            if (deal.roar)
                config.table.dealer = [&](Rng&) { return roarDeck; };
            start(deal.seed);
            const size_t bobDeal = bobDealIndex();
            bool reached = false;
            for (int i = 0; i < 20000 && !reached; ++i) {
                advanceTo(now + 20ms);
                reached = m.now(hall->table(0), bobSince(bobDeal));
            }
            ASSERT_TRUE(reached);
            if (deal.roar) {
                ASSERT_EQ(hall->table(0).roundsPlayed() ? 0 : hall->table(0).round()->lone(), 0);
            }
            const std::vector<CommandFrame> missed = bobSince(bobDeal);

            Client live(1);
            live.feed(aliceDeal());
            for (const CommandFrame& f : missed)
                if (f[kCommandByte] != commandByte(Command::Deal))
                    live.feed(f);

            const std::vector<CommandFrame> resend = reconnect();
            ASSERT_FALSE(resend.empty());
            EXPECT_EQ(resend[0][kCommandByte], commandByte(Command::ReconnectAnswer));
            EXPECT_EQ(resend[0][15], 1);
            ASSERT_GT(resend.size(), 1u);
            EXPECT_EQ(resend[1][kCommandByte], commandByte(Command::Deal));
            EXPECT_EQ(decodeDeal(resend[1]).cards, decodeDeal(aliceDeal()).cards) << "the deal as it was dealt";

            // A client that lost everything, and one that kept what it saw before it dropped.
            Client fresh(1), stale(1);
            stale.feed(aliceDeal());
            for (const CommandFrame& f : resend) {
                fresh.feed(f);
                stale.feed(f);
            }
            {
                SCOPED_TRACE("a client that lost its table");
                expectSameTable(fresh, live);
            }
            {
                SCOPED_TRACE("a client that kept its table");
                expectSameTable(stale, live);
            }
            // The call buttons show only for an open calling turn of the own seat. (The reference
            // never answered its own calling turn, so its offer is no guide here.)
            const Round* round = hall->table(0).round();
            const bool ownCall = round && round->phase() == Phase::Calling && round->callingSeat() == 0;
            EXPECT_EQ(fresh.model.state().callOffer, ownCall ? round->offer() : kNoCallOffer);
            // Only the bombs still in sight (the trick in progress and the last one) are shown
            // going off again; a roar is the one call that animates.
            EXPECT_EQ(fresh.bombAnimations, bombsInLastTwoTricks(missed));
            EXPECT_EQ(fresh.roarAnimations, live.roarAnimations);
            // The seat is the new connection's, and the server goes on with it.
            EXPECT_EQ(hall->table(0).connectionOf(0), kAliceAgain);
        }
    }
}

// The resend does not repeat the round's history play by play: long-cleared tricks come as a
// summary, so a late return gets far fewer play reports than the round has had.
TEST_F(ReconnectFixture, LongClearedTricksComeAsASummary) {
    start(11);
    const size_t bobDeal = bobDealIndex();
    for (int i = 0; i < 20000 && clears(bobSince(bobDeal)) < 8; ++i)
        advanceTo(now + 20ms);
    const std::vector<CommandFrame> missed = bobSince(bobDeal);
    ASSERT_GE(clears(missed), 8);
    const std::vector<CommandFrame> resend = reconnect();
    auto plays = [](const std::vector<CommandFrame>& frames) {
        return std::count_if(frames.begin(), frames.end(),
                             [](const CommandFrame& f) { return f[kCommandByte] == commandByte(Command::Play); });
    };
    EXPECT_LT(plays(resend), plays(missed) / 2);
}

// 进入游戏 after 退出 in the middle of a round: the client has reset its table and sends a fresh
// login. It is seated back at its own seat, told about every seat, and shown the round as the
// reconnect shows it; the round goes on with the player, and his side still loses it for leaving.
TEST_F(ReconnectFixture, ALoginAfterLeavingTheRoundTakesTheSeatBackAndTheSideStillLoses) {
    struct Case {
        const char* what;
        bool leaves;  // the leave frame, or only a lost connection whose reconnect gave up
        Moment moment;
    };
    const Case cases[] = {
        {"left during calling", true,
         {"", [](const Table& t, const std::vector<CommandFrame>&) {
              return t.round() && t.round()->phase() == Phase::Calling && !t.round()->callHistory().empty();
          }}},
        {"left, back mid-trick late in the round", true,
         {"", [](const Table& t, const std::vector<CommandFrame>& f) {
              return t.round() && t.round()->phase() == Phase::Playing && clears(f) >= 5 && !t.round()->leading() &&
                     f.back()[17] > 0;
          }}},
        {"dropped, back after a few tricks", false,
         {"", [](const Table& t, const std::vector<CommandFrame>& f) {
              return t.round() && t.round()->phase() == Phase::Playing && clears(f) >= 3;
          }}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        out.frames.clear();
        out.closed.clear();
        now = {};
        start(29, c.leaves);
        const size_t bobDeal = bobDealIndex();
        bool reached = false;
        for (int i = 0; i < 20000 && !reached; ++i) {
            advanceTo(now + 20ms);
            reached = c.moment.now(hall->table(0), bobSince(bobDeal));
        }
        ASSERT_TRUE(reached);
        const std::vector<CommandFrame> missed = bobSince(bobDeal);
        Client live(1);
        live.feed(aliceDeal());
        for (const CommandFrame& f : missed)
            if (f[kCommandByte] != commandByte(Command::Deal))
                live.feed(f);

        const size_t bobSeatInfos = out.of(kBob, Command::SeatInfo).size();
        hall->connected(kAliceAgain, now);
        hall->received(kAliceAgain, buildLoginFrame("alice", "pw").frame.value(), now);
        const std::vector<CommandFrame> got = out.frames[kAliceAgain];
        ASSERT_FALSE(got.empty());
        EXPECT_EQ(got[0][kCommandByte], commandByte(Command::Login));
        ASSERT_EQ(got[0][15], static_cast<uint8_t>(LoginResult::Accepted));
        EXPECT_FALSE(out.closed.count(kAliceAgain));
        // Every seat described to her, her own at seat 0, before the round comes.
        std::set<std::string> described;
        size_t firstRound = got.size();
        for (size_t i = 0; i < got.size(); ++i) {
            if (got[i][kCommandByte] == commandByte(Command::SeatInfo)) {
                const SeatInfo info = decodeSeatInfo(got[i]);
                EXPECT_EQ(info.addresseeBit, 1);
                described.insert(info.account);
                EXPECT_LT(i, firstRound) << "seat information after the round's frames";
            }
            if (isRoundFrame(got[i]) && firstRound == got.size())
                firstRound = i;
        }
        EXPECT_EQ(described, (std::set<std::string>{"alice", "bob", "bot0-2", "bot0-3"}));
        ASSERT_LT(firstRound, got.size());
        // The reconnect's answer just before the round: the client catches up without replaying it.
        ASSERT_GT(firstRound, 0u);
        EXPECT_EQ(got[firstRound - 1][kCommandByte], commandByte(Command::ReconnectAnswer));
        EXPECT_EQ(got[firstRound - 1][15], 1);
        EXPECT_EQ(got[firstRound][kCommandByte], commandByte(Command::Deal));
        EXPECT_EQ(decodeDeal(got[firstRound]).cards, decodeDeal(aliceDeal()).cards);
        // Bob's table did not hear of anybody sitting down again.
        EXPECT_EQ(out.of(kBob, Command::SeatInfo).size(), bobSeatInfos);

        Client fresh(1);
        for (size_t i = firstRound; i < got.size(); ++i)
            fresh.feed(got[i]);
        expectSameTable(fresh, live);
        EXPECT_EQ(hall->table(0).connectionOf(0), kAliceAgain);

        // The round goes on to its end with her at the seat (the server answers her turns when her
        // clock runs out), and she keeps the seat for the next round.
        for (int i = 0; i < 20000 && hall->table(0).roundsPlayed() == 0; ++i)
            advanceTo(now + 100ms);
        ASSERT_EQ(hall->table(0).roundsPlayed(), 1);
        const std::vector<CommandFrame> records = out.of(kAliceAgain, Command::RoundEnd);
        ASSERT_EQ(records.size(), 4u);
        for (const CommandFrame& f : records) {
            const SettlementRecord r = decodeSettlement(f);
            EXPECT_EQ(r.escapedBits, c.leaves ? 1 : 0);
            if (c.leaves && r.seatBit == 1) {
                EXPECT_FALSE(r.finalGain) << "the side that left the round wins it";
            }
        }
        EXPECT_EQ(hall->table(0).connectionOf(0), kAliceAgain);
        EXPECT_EQ(hall->table(0).seatView(0).account, "alice");
        EXPECT_EQ(logText.str().find("alice leaves the table"), std::string::npos);
    }
}

// A seat played over a live connection stays that connection's: another login of the same account
// is refused.
TEST_F(ReconnectFixture, ALoginOfAnAccountPlayingAtItsSeatIsRefused) {
    start(3);
    hall->connected(kAliceAgain, now);
    hall->received(kAliceAgain, buildLoginFrame("bob", "pw").frame.value(), now);
    ASSERT_EQ(out.of(kAliceAgain, Command::Login).size(), 1u);
    EXPECT_EQ(out.of(kAliceAgain, Command::Login)[0][15], static_cast<uint8_t>(LoginResult::StartRefused));
    EXPECT_TRUE(out.closed.count(kAliceAgain));
    EXPECT_EQ(hall->table(0).connectionOf(1), kBob);
}

TEST_F(ReconnectFixture, RefusedWithAWrongTokenOrResumeNumberOrAfterTheWindow) {
    config.table.reconnectWindow = 5s;
    start(3);
    const CommandFrame deal = aliceDeal();
    const uint8_t t0 = deal[kTokenByte], t1 = deal[kTokenByte + 1];
    const uint32_t resume = decodeDeal(deal).resumeNumber;
    struct Attempt {
        const char* what;
        uint8_t t0, t1;
        uint32_t resume;
        Millis after;  // since the drop
    };
    const Attempt refused[] = {{"wrong token", static_cast<uint8_t>(t0 ^ 1), t1, resume, 0ms},
                               {"wrong resume number", t0, t1, resume + 1, 0ms},
                               {"the window has passed", t0, t1, resume, 6s}};
    const TimePoint dropped = now;
    int64_t conn = 10;
    for (const Attempt& a : refused) {
        SCOPED_TRACE(a.what);
        advanceTo(dropped + a.after);
        hall->connected(++conn, now);
        CommandFrame login = buildLoginFrame("alice", "pw").frame.value();
        makeReconnectLogin(login, {a.t0, a.t1}, a.resume);
        hall->received(conn, login, now);
        ASSERT_EQ(out.frames[conn].size(), 1u);
        EXPECT_EQ(out.frames[conn][0][kCommandByte], commandByte(Command::ReconnectAnswer));
        EXPECT_NE(out.frames[conn][0][15], 1);
    }
}

}  // namespace
}  // namespace vexal::server
