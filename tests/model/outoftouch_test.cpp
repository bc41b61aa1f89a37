// The table out of touch with the server: a lost connection that reconnects, the round the server
// resends once it takes the seat back, and a server that announces it is closing. The session and
// the round models together, as the main loop drives them.
#include "model/sessionmodel.h"

#include "../rules/cards.h"
#include "net/frame.h"
#include "net/messages/calling.h"
#include "net/messages/deal.h"
#include "net/messages/play.h"
#include "net/messages/seating.h"
#include "net/messages/settlement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace vexal {
namespace {

using testing::cards;

const char* const kOwnDeal = "3d 4d 5d 6d 7d 8d 9d 10d Jd Qd Kd Ad 2d 3c 4c 5c 6c 7c 8c 9c 10c Jc Qc Kc Ac SJ BJ";

SeatInfo seat(const std::string& account, int seatNumber) {
    SeatInfo s;
    s.addresseeBit = 1;
    s.nickname = "昵称" + account;
    s.account = account;
    s.seatBit = seatBit(seatNumber);
    s.coins = 100000;
    return s;
}

template <typename Step>
std::vector<Step> stepsOf(const Effects& fx) {
    std::vector<Step> out;
    for (const SessionStep& s : fx.steps)
        if (const auto* x = std::get_if<Step>(&s))
            out.push_back(*x);
    return out;
}

template <typename Change>
int count(const Effects& fx) {
    return static_cast<int>(std::count_if(fx.view.begin(), fx.view.end(),
                                          [](const ViewChange& v) { return std::holds_alternative<Change>(v); }));
}

// What replays a trick: its animations, sounds and pauses, and any redraw of the table on the way.
int replayed(const Effects& fx) {
    return count<view::Sound>(fx) + count<view::BombAnimation>(fx) + count<view::RoarAnimation>(fx) +
           count<view::Pause>(fx) + count<view::DealLaidOut>(fx) + count<view::CalledCardShown>(fx) +
           count<view::RoundCleared>(fx) + count<view::HandChanged>(fx) + count<view::TableCardsChanged>(fx) +
           count<view::BubbleChanged>(fx) + count<view::ClockChanged>(fx);
}

// Own seat bit 1 (server seat 0) at a full table; bits 2, 4 and 8 are relative seats 1, 2 and 3.
struct Table {
    SessionState state;
    RoundModel round{state};
    SessionModel session{state, round, [] { return std::array<int, 3>{21, 5, 9}; }};
    std::vector<CommandFrame> sent;

    Table() {
        state.launch.propSwitch = 1;
        for (int s = 0; s < 4; ++s)
            session.receive(seat(s == 0 ? "me" : "p" + std::to_string(s), s));
        state.loggedIn = true;
    }
    Effects keep(Effects fx) {
        sent.insert(sent.end(), fx.frames.begin(), fx.frames.end());
        return fx;
    }
    // A round message as the dispatcher and the loop hand it on: an own deal resets the round and
    // starts the session's part of it first.
    Effects receive(const RoundMessage& m) {
        Effects fx;
        if (std::holds_alternative<Deal>(m)) {
            fx.append(round.resetRound());
            fx.append(session.ownDealStarted());
        }
        fx.append(round.receive(m));
        return keep(fx);
    }
    Effects act(const RoundIntent& i) { return keep(round.act(i)); }
    Effects play(uint8_t seatBit, uint8_t next, std::string_view shown, PlayType type = kPlaySingle,
                 uint8_t flag = kTrickGoesOn, uint16_t points = 0) {
        const std::vector<CardCode> c = shown.empty() ? std::vector<CardCode>{} : cards(shown, 60);
        return receive(PlayReport{seatBit, next, flag, 0, shown.empty() ? kPlayNone : type, c, points, false, 15});
    }
    // The round up to the own turn: seat 2 calls ♠A and banks, the opening names seat 1, who bombs
    // with four 5s; the others pass and seat 1 takes the trick (10 points); seat 1 leads 3♣, seat 2
    // plays 9♣, seat 3 plays J♣ and the own seat is to follow.
    void playToTheOwnTurn() {
        receive(Deal{1, cards(kOwnDeal), false, "", 77});
        receive(CallChoice{4, kChoiceCall, 14, 8});
        play(8, 2, "", kPlayNone, kTrickToNextSeat);
        play(2, 4, "5c 5h 5s 5s", kPlayBombOf4);
        play(4, 8, "");
        play(8, 1, "");
        play(1, 2, "", kPlayNone, kTrickToNextSeat, 10);
        play(2, 4, "3c");
        play(4, 8, "9c");
        play(8, 1, "Jc");
    }
    int shownCount(int r) const { return round.state().shown[static_cast<size_t>(r)].count; }
};

// Everything a player can press or click on the hand, with the own turn on.
std::vector<RoundIntent> everyControl(int image) {
    return {intent::ClickCard{image},   intent::PressControl{0}, intent::PressControl{1}, intent::PressControl{2},
            intent::PressControl{3},    intent::PressControl{4}, intent::PressControl{5}, intent::RightClickTable{},
            intent::RightClickLowerPanel{}, intent::ChooseSequence{0}, intent::PressCall{}, intent::PressRoar{},
            intent::AnswerRoar{true},   intent::PressCallPass{}};
}

// The connection goes in the own turn: the hand, the trick and the clock's face stay as they were,
// nothing on the table acts (a raised card would go out with a right click on the lower panel, the
// sequence choice would play), and the countdown stands still instead of playing for the player.
TEST(TableOutOfTouch, WhileReconnectingTheRoundStaysInSightInertWithItsClockStopped) {
    Table t;
    t.playToTheOwnTurn();
    ASSERT_TRUE(t.round.state().ownPlayTurn);
    t.act(intent::ClickCard{t.round.state().hands[0].images[0]});  // the highest card raised, ready to go
    t.keep(t.round.tickPlayCountdown());
    const int seconds = t.round.clock().seconds;
    t.sent.clear();

    const Effects lost = t.session.connectionLost(100.0f);
    EXPECT_EQ(count<view::RoundCleared>(lost), 0);
    EXPECT_EQ(count<view::ControlsChanged>(lost), 1);  // drawn inert
    EXPECT_EQ(count<view::RoarConfirmClosed>(lost), 1);
    EXPECT_EQ(count<view::SequenceChoiceClosed>(lost), 1);
    EXPECT_FALSE(t.round.inTouch());
    EXPECT_FALSE(t.round.playCountdownOn());
    EXPECT_TRUE(t.round.clock().shown);
    EXPECT_EQ(t.round.clock().seconds, seconds);
    // One status line says so at once.
    const auto lines = stepsOf<step::StatusLine>(lost);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].line, 1);
    EXPECT_EQ(lines[0].text, "");
    EXPECT_EQ(lines[1].line, 0);
    EXPECT_EQ(lines[1].text, "正在重新连接服务器...");

    const RoundState before = t.round.state();
    for (const RoundIntent& i : everyControl(before.hands[0].images[1])) {
        SCOPED_TRACE("intent " + std::to_string(i.index()));
        const Effects fx = t.act(i);
        EXPECT_TRUE(fx.view.empty());
    }
    for (int s = 0; s < 30; ++s) {
        const Effects fx = t.keep(t.round.tickPlayCountdown());
        EXPECT_TRUE(fx.view.empty());
        t.keep(t.round.tickCallCountdown());
    }
    EXPECT_TRUE(t.sent.empty());
    const RoundState& now = t.round.state();
    EXPECT_EQ(now.hands[0].count, 27);
    EXPECT_EQ(now.raised, before.raised);
    EXPECT_EQ(now.playControls, before.playControls);
    EXPECT_EQ(t.shownCount(3), 1);  // the J♣ still lies there
    EXPECT_EQ(t.round.clock().seconds, seconds);
}

// The same with the own calling turn open: the roar confirmation closes, and neither its answer
// nor the calling countdown calls for the player.
TEST(TableOutOfTouch, WhileReconnectingACallingTurnCallsNothing) {
    Table t;
    t.receive(Deal{1, cards(kOwnDeal), false, "", 77});
    t.receive(CallingTurn{1, kOfferCallOrRoar});
    t.act(intent::PressRoar{});
    t.session.connectionLost(100.0f);
    for (const RoundIntent& i : {RoundIntent{intent::AnswerRoar{true}}, RoundIntent{intent::PressCallPass{}},
                                 RoundIntent{intent::PressCall{}}})
        t.act(i);
    for (int s = 0; s < 15; ++s)
        t.keep(t.round.tickCallCountdown());
    EXPECT_TRUE(t.sent.empty());
    EXPECT_EQ(t.round.state().callOffer, kOfferCallOrRoar);
}

// Accepted back, the server resends the round from its deal. None of it plays again: no deal
// flying in, no bomb picture or sound of the trick long taken, no pause, and nothing drawn on the
// way; once none of it waits, the table is drawn once as it stands, and only then do its controls
// work again.
TEST(TableOutOfTouch, TheResentRoundIsDrawnOnceAsItStands) {
    Table t;
    t.playToTheOwnTurn();
    t.session.connectionLost(100.0f);
    t.session.reconnectAnswered(true);
    EXPECT_TRUE(t.round.catchingUp());

    Effects resend;
    resend.append(t.receive(Deal{1, cards(kOwnDeal), false, "", 77}));
    resend.append(t.receive(CallChoice{4, kChoiceCall, 14, 8}));
    resend.append(t.play(8, 2, "", kPlayNone, kTrickToNextSeat));
    resend.append(t.play(2, 4, "5c 5h 5s 5s", kPlayBombOf4));
    resend.append(t.play(4, 8, ""));
    resend.append(t.play(8, 1, ""));
    resend.append(t.play(1, 2, "", kPlayNone, kTrickToNextSeat, 10));
    resend.append(t.play(2, 4, "3c"));
    resend.append(t.play(4, 8, "9c"));
    resend.append(t.play(8, 1, "Jc", kPlaySingle, kTrickGoesOn, 10));
    EXPECT_EQ(replayed(resend), 0);
    // The round itself is brought up to date meanwhile.
    EXPECT_EQ(t.round.state().multiplier, 2.0);
    EXPECT_EQ(t.round.state().pointsTaken[1], 10);

    // Frames still waiting: not there yet, and the table's controls wait too.
    EXPECT_TRUE(t.round.framesTaken(true).view.empty());
    EXPECT_TRUE(t.act(intent::PressControl{2}).view.empty());
    EXPECT_TRUE(t.sent.empty());

    const Effects caughtUp = t.round.framesTaken(false);
    EXPECT_FALSE(t.round.catchingUp());
    EXPECT_EQ(count<view::Sound>(caughtUp) + count<view::BombAnimation>(caughtUp) + count<view::Pause>(caughtUp), 0);
    for (int drawn : {count<view::HandChanged>(caughtUp), count<view::TableCardsChanged>(caughtUp),
                      count<view::BackPilesChanged>(caughtUp), count<view::LabelsChanged>(caughtUp),
                      count<view::MarkersChanged>(caughtUp), count<view::ControlsChanged>(caughtUp),
                      count<view::ClockChanged>(caughtUp), count<view::BubbleChanged>(caughtUp)})
        EXPECT_EQ(drawn, 1);
    const auto* called = [&]() -> const view::CalledCardShown* {
        for (const ViewChange& v : caughtUp.view)
            if (const auto* c = std::get_if<view::CalledCardShown>(&v))
                return c;
        return nullptr;
    }();
    ASSERT_NE(called, nullptr);
    EXPECT_FALSE(called->flies);  // laid in its frame, not dealt out again
    EXPECT_EQ(called->rank, 14);

    const RoundState& st = t.round.state();
    EXPECT_EQ(st.hands[0].count, 27);
    EXPECT_EQ(t.shownCount(1), 1);         // 3♣
    EXPECT_EQ(t.shownCount(3), 1);         // J♣
    EXPECT_EQ(st.lastTrick[1].count, 4);   // the bomb, for the review
    EXPECT_EQ(st.tablePoints, 10);
    EXPECT_EQ(st.playControls, (std::array<bool, 3>{true, true, true}));
    EXPECT_TRUE(t.round.playCountdownOn());
    EXPECT_EQ(t.round.clock().seat, 0);
    // A second empty ring draws nothing more.
    EXPECT_TRUE(t.round.framesTaken(false).view.empty());

    // In touch again: the pass goes.
    t.act(intent::PressControl{2});
    ASSERT_EQ(t.sent.size(), 1u);
    EXPECT_TRUE(decodePlayFrame(t.sent[0])->pass);
}

// A round settled while the player was away comes back with its settlement: the score sheet and
// the lines of the ready step still show, the sheet's sound and the outcome's pause do not.
TEST(TableOutOfTouch, ARoundSettledMeanwhileStillShowsItsScoreSheet) {
    Table t;
    t.playToTheOwnTurn();
    t.session.connectionLost(100.0f);
    t.session.reconnectAnswered(true);
    t.receive(Deal{1, cards(kOwnDeal), false, "", 77});
    Effects settled;
    for (int s = 0; s < 4; ++s) {
        SettlementRecord r;
        r.seatBit = static_cast<uint8_t>(1 << s);
        settled.append(t.receive(r));
    }
    EXPECT_EQ(count<view::ScoreSheetShown>(settled), 1);
    EXPECT_EQ(count<view::StatusLine>(settled), 2);
    EXPECT_EQ(count<view::Sound>(settled), 0);
    EXPECT_GT(settled.session.readyCountdownSeconds, 0);
}

// The server announces that it is closing and closes the connection: the round stays in sight,
// inert, its clock stopped, and the one status line gives the server's reason, whichever of the
// notice and the closed connection the table notices first. No reconnect goes on beside it.
TEST(TableOutOfTouch, TheServerClosingLeavesTheRoundInSightAndSaysSoOnce) {
    const std::string reason = "游戏服务器正在关闭，请稍后重新进入。";
    for (const bool watchFirst : {false, true}) {
        SCOPED_TRACE(watchFirst ? "the closed connection noticed first" : "the notice first");
        Table t;
        t.state.roundRunning = true;
        t.playToTheOwnTurn();
        if (watchFirst)
            t.session.connectionLost(100.0f);
        const Effects closing = t.session.receive(Removal{0, reason});

        EXPECT_EQ(count<view::RoundCleared>(closing), 0);
        EXPECT_EQ(t.round.state().hands[0].count, 27);
        EXPECT_EQ(t.shownCount(3), 1);
        EXPECT_TRUE(t.round.clock().shown);
        EXPECT_FALSE(t.round.playCountdownOn());
        EXPECT_FALSE(t.round.inTouch());
        const auto lines = stepsOf<step::StatusLine>(closing);
        ASSERT_FALSE(lines.empty());
        std::string first;
        for (const step::StatusLine& l : lines)
            if (l.line == 0)
                first = l.text;
        EXPECT_EQ(first, reason);
        const auto notices = stepsOf<step::Notice>(closing);
        ASSERT_FALSE(notices.empty());
        EXPECT_EQ(notices[0].text, reason);

        EXPECT_FALSE(t.state.reconnecting);
        for (float at = 103.0f; at < 180.0f; at += 3.0f) {
            const Effects later = t.session.reconnectStep(at, false);
            EXPECT_TRUE(stepsOf<step::ReconnectAttempt>(later).empty());
            EXPECT_TRUE(stepsOf<step::StatusLine>(later).empty());
            EXPECT_TRUE(stepsOf<step::Notice>(later).empty());
        }
        for (const RoundIntent& i : everyControl(t.round.state().hands[0].images[0]))
            t.act(i);
        for (int s = 0; s < 30; ++s)
            t.keep(t.round.tickPlayCountdown());
        EXPECT_TRUE(t.sent.empty());
        EXPECT_EQ(t.round.state().hands[0].count, 27);
    }
}

}  // namespace
}  // namespace vexal
