// The round's decisions without a window: decoded messages, intents and countdown ticks into the
// model; the frames it sends, its state and the view changes it asks for read back.
#include "model/roundmodel.h"

#include "../rules/cards.h"
#include "net/messages/calling.h"
#include "net/messages/deal.h"
#include "net/messages/play.h"
#include "net/messages/settlement.h"
#include "rules/arrange.h"
#include "rules/sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

namespace vexal {
namespace {

using testing::cards;

const char* const kFullDeal = "3d 4d 5d 6d 7d 8d 9d 10d Jd Qd Kd Ad 2d 3c 4c 5c 6c 7c 8c 9c 10c Jc Qc Kc Ac SJ BJ";

SessionState ownSeatOne() {
    SessionState s;
    s.own.seatBit = 1;
    s.loggedIn = true;
    s.turnTimeLimit = 15;
    return s;
}

// The round of own seat bit 1 (server seat 0): bits 2, 4 and 8 are relative seats 1, 2 and 3.
// Every frame sent and every session request is kept; each call returns its own effects.
struct Table {
    SessionState session = ownSeatOne();
    RoundModel model{session};
    std::vector<CommandFrame> sent;
    SessionRequests requests;

    Effects apply(Effects fx) {
        sent.insert(sent.end(), fx.frames.begin(), fx.frames.end());
        const SessionRequests& r = fx.session;
        if (r.readyCountdownSeconds > 0)
            requests.readyCountdownSeconds = r.readyCountdownSeconds;
        requests.restartBubbleCount |= r.restartBubbleCount;
        requests.minimiseLobby |= r.minimiseLobby;
        requests.scoreSheetHandled |= r.scoreSheetHandled;
        requests.leave |= r.leave;
        return fx;
    }
    Effects receive(const RoundMessage& m) { return apply(model.receive(m)); }
    Effects act(const RoundIntent& i) { return apply(model.act(i)); }
    Effects press(int control) { return act(intent::PressControl{control}); }
    Effects callTick() { return apply(model.tickCallCountdown()); }
    Effects playTick() { return apply(model.tickPlayCountdown()); }
    RoundState& st() { return model.state(); }

    // The own hand without a deal (slot i shown by image i); the opponents hold full hands.
    void holds(std::string_view text) {
        st().hands[0] = testing::hand(text);
        for (int r = 1; r < 4; ++r)
            st().hands[static_cast<size_t>(r)].count = 27;
    }
    Effects deal(std::string_view text = kFullDeal) { return receive(Deal{1, cards(text), false, "", 0}); }

    // The server names the own seat next: leading (the trick went to it) or following `last`.
    Effects ownLeads() { return receive(PlayReport{8, 1, kTrickToNextSeat, 0, 0, {}, 0, false, 3}); }
    Effects ownFollows(PlayType type, std::string_view last) {
        return receive(PlayReport{8, 1, kTrickGoesOn, 0, type, cards(last, 60), 0, false, 3});
    }

    int imageOf(int slot) { return st().hands[0].images[static_cast<size_t>(slot)]; }
    void click(std::initializer_list<int> slots) {
        // Images first: a click may move nothing, but the slots are named as the hand stood.
        std::vector<int> images;
        for (int slot : slots)
            images.push_back(imageOf(slot));
        for (int image : images)
            act(intent::ClickCard{image});
    }
    int slotOf(std::string_view card) {
        const CardCode c = cards(card)[0];
        for (int s = 0; s < st().hands[0].count; ++s) {
            const CardCode h = st().hands[0].codes[static_cast<size_t>(s)];
            if (cardRank(h) == cardRank(c) && suitBit(h) == suitBit(c))
                return s;
        }
        return -1;
    }
    std::vector<int> raisedRanks() {
        std::vector<int> out;
        for (int s = 0; s < st().hands[0].count; ++s)
            if (st().raised[static_cast<size_t>(imageOf(s))])
                out.push_back(cardRank(st().hands[0].codes[static_cast<size_t>(s)]));
        return out;
    }

    // The frames sent, decoded; a frame of another command fails the test.
    std::vector<CallChoice> calls() const {
        std::vector<CallChoice> out;
        for (const CommandFrame& f : sent) {
            EXPECT_EQ(f[kCommandByte], commandByte(Command::CallResult));
            out.push_back(decodeCallChoice(f));
        }
        return out;
    }
    std::vector<PlayFrame> plays() const {
        std::vector<PlayFrame> out;
        for (const CommandFrame& f : sent) {
            const std::optional<PlayFrame> p = decodePlayFrame(f);
            EXPECT_TRUE(p.has_value()) << "command " << int(f[kCommandByte]);
            if (p)
                out.push_back(*p);
        }
        return out;
    }
    // Types of the plays sent, 0 for a pass.
    std::vector<int> playTypes() const {
        std::vector<int> out;
        for (const PlayFrame& p : plays())
            out.push_back(p.pass ? 0 : p.type);
        return out;
    }
};

// The last notice an effect shows (0 hides it), -1 when it touches none.
int lastNotice(const Effects& fx) {
    int picture = -1;
    for (const ViewChange& v : fx.view)
        if (const auto* n = std::get_if<view::RuleNotice>(&v))
            picture = n->picture;
    return picture;
}

template <typename Change>
const Change* find(const Effects& fx) {
    for (const ViewChange& v : fx.view)
        if (const auto* c = std::get_if<Change>(&v))
            return c;
    return nullptr;
}

int cues(const Effects& fx, Cue cue) {
    return static_cast<int>(std::count_if(fx.view.begin(), fx.view.end(), [cue](const ViewChange& v) {
        const auto* s = std::get_if<view::Sound>(&v);
        return s && s->cue == cue;
    }));
}

std::vector<std::string> shownCards(const RoundState& st, int seat) {
    std::vector<std::string> out;
    const ShownPlay& p = st.shown[static_cast<size_t>(seat)];
    for (int k = 0; k < p.count; ++k) {
        const CardCode c = st.imageCard[static_cast<size_t>(seat)][static_cast<size_t>(p.images[static_cast<size_t>(k)])];
        out.push_back(isWild(c) ? "W" : testing::describe(c));
    }
    return out;
}

TEST(RoundModelDeal, DealSortsTheHandFillsThePilesAndStartsTheRound) {
    Table t;
    t.session.players[0].nickname = "me";
    t.session.players[0].coins = 1000;
    const Deal d{1, cards(kFullDeal), true, "本局", 0};
    const Effects fx = t.receive(d);

    const Hand& h = t.st().hands[0];
    ASSERT_EQ(h.count, 27);
    Hand sorted = h;
    ASSERT_TRUE(SortbyBig(sorted, 27));
    EXPECT_EQ(h.codes, sorted.codes);
    for (int r = 1; r < 4; ++r)
        EXPECT_EQ(t.st().hands[static_cast<size_t>(r)].count, 27) << r;
    const auto* laid = find<view::DealLaidOut>(fx);
    ASSERT_NE(laid, nullptr);
    EXPECT_EQ(laid->cards, d.cards);  // flown in the order dealt
    EXPECT_FALSE(laid->unsorted);
    EXPECT_TRUE(t.st().pilesShown);
    EXPECT_TRUE(t.st().labelsShown);
    EXPECT_EQ(t.st().multiplier, 1.0);
    EXPECT_TRUE(t.session.roundRunning);
    EXPECT_EQ(t.st().settlementNote, "本局");
    EXPECT_TRUE(t.st().noteAlone);
    // Sort, review and restore come up; play, hint and pass wait for the own turn.
    EXPECT_TRUE(t.st().roundControls);
    EXPECT_TRUE(t.st().reviewEnabled);
    EXPECT_EQ(t.st().playControls, (std::array<bool, 3>{false, false, false}));
    // The sheet starts from the coins the panels show now; a seat without a player shows none.
    EXPECT_EQ(t.st().initialCoins[0], "1000金币");
    EXPECT_EQ(t.st().initialCoins[1], "");
    EXPECT_TRUE(t.sent.empty());
    EXPECT_FALSE(t.requests.leave);
}

// A short list padded with zero bytes deals only its real cards; a code that is no card is never
// given to an image and takes the table out.
TEST(RoundModelDeal, ZeroPaddingDealsTheRealCardsAndACorruptCodeLeaves) {
    {
        Table t;
        CommandFrame f = encode(Deal{1, cards("3d 4c 5h"), false, "", 0});
        for (size_t at = kDealCardsByte + 12; at < kDealCardsByte + 4 * 27; ++at)
            f[at] = 0;
        const Effects fx = t.receive(decodeDeal(f));
        ASSERT_EQ(t.st().hands[0].count, 3);
        for (int s = 0; s < 3; ++s)
            EXPECT_GE(cardRank(t.st().hands[0].codes[static_cast<size_t>(s)]), 3);
        EXPECT_TRUE(fx.draws<view::DealLaidOut>());
        EXPECT_FALSE(t.requests.leave);
    }
    const struct {
        const char* name;
        CardCode code;
    } corrupt[] = {
        {"rank 2", static_cast<CardCode>((2 << 8) | 1)},
        {"rank 1 of spades", static_cast<CardCode>((1 << 8) | 8)},
        {"rank 18", static_cast<CardCode>((18 << 8) | 4)},
    };
    for (const auto& c : corrupt) {
        Table t;
        std::vector<CardCode> dealt = cards("3d 4c");
        dealt.push_back(c.code);
        const Effects fx = t.receive(decodeDeal(encode(Deal{1, dealt, false, "", 0})));
        EXPECT_TRUE(t.requests.leave) << c.name;
        EXPECT_EQ(t.st().imageCard[0][2], CardCode{0}) << c.name;
        EXPECT_FALSE(fx.draws<view::DealLaidOut>()) << c.name;
        EXPECT_FALSE(t.session.roundRunning) << c.name;
    }
}

TEST(RoundModelDeal, ADealMidRoundStartsFromNothing) {
    Table t;
    t.holds("3d");
    t.st().labelsShown = true;
    // An eight-card bomb that ends a trick taken by seat 1 with 30 points.
    t.receive(PlayReport{2, 4, kTrickToByte16, 2, 15, cards("9d 9d 9c 9c 9h 9h 9s 9s"), 30, false, 3});
    ASSERT_EQ(t.st().multiplier, 6.0);
    ASSERT_EQ(t.st().pointsTaken[1], 30);
    ASSERT_EQ(t.st().shown[1].count, 8);
    const Effects reset = t.model.resetRound();
    EXPECT_TRUE(reset.draws<view::RoundCleared>());
    t.deal();
    EXPECT_EQ(t.st().multiplier, 1.0);
    EXPECT_EQ(multiplierBadgeText(t.st().multiplier), "1");
    EXPECT_EQ(t.st().pointsTaken, (std::array<int32_t, 4>{}));
    EXPECT_EQ(t.st().tablePoints, 0);
    EXPECT_TRUE(t.st().bombs[1].empty());
    EXPECT_EQ(t.st().shown[1].count, 0);
    EXPECT_EQ(t.st().lastTrick[1].count, 0);
    EXPECT_EQ(t.st().nextFreeImage[1], 0);
    for (int r = 1; r < 4; ++r)
        EXPECT_EQ(backPilePicture(r, t.st().hands[static_cast<size_t>(r)].count), 538 + r) << r;
}

TEST(RoundModelCalling, WhileACallIsOfferedRightClicksDoNotPlayAndOneCardIsTheCandidate) {
    Table t;
    t.holds("9d 8c 7s 6h 5d");
    t.receive(CallingTurn{1, kOfferCallOrRoar});
    EXPECT_EQ(t.st().callOffer, kOfferCallOrRoar);  // call and roar show, pass does not
    EXPECT_TRUE(t.st().callingTurn);
    EXPECT_EQ(t.model.clock().seat, 0);
    EXPECT_EQ(t.model.clock().seconds, 10);
    t.click({0});
    t.act(intent::RightClickTable{});
    t.act(intent::RightClickLowerPanel{});
    EXPECT_TRUE(t.sent.empty());
    EXPECT_TRUE(t.st().raised[0]);
    // Only one card is raised as the call candidate.
    t.click({1});
    EXPECT_EQ(t.st().callCandidate, 1);
    EXPECT_FALSE(t.st().raised[0]);
    EXPECT_TRUE(t.st().raised[1]);
    EXPECT_EQ(t.st().raisedCount, 1);
}

TEST(RoundModelCalling, CallButtonChecksTheCandidate) {
    struct Case {
        const char* hand;
        int slot;  // -1 none raised
        bool sends;
    };
    // K and 2 may not be called; A and 9 may.
    const Case cases[] = {{"Kd 9c", -1, false}, {"Kd 9c", 0, false}, {"Kd 9c", 1, true}, {"2d Ac", 1, true}, {"2d Ac", 0, false}};
    for (const Case& c : cases) {
        Table t;
        t.holds(c.hand);
        t.receive(CallingTurn{1, kOfferCallOrRoar});
        if (c.slot >= 0)
            t.click({c.slot});
        const Effects fx = t.act(intent::PressCall{});
        const std::vector<CallChoice> calls = t.calls();
        ASSERT_EQ(calls.size(), c.sends ? 1u : 0u) << c.hand << " " << c.slot;
        if (c.sends) {
            const CardCode card = t.st().hands[0].codes[static_cast<size_t>(c.slot)];
            EXPECT_EQ(calls[0].seatBit, 1);
            EXPECT_EQ(calls[0].choice, kChoiceCall);
            EXPECT_EQ(calls[0].rank, cardRank(card));
            EXPECT_EQ(calls[0].suitBit, suitBit(card));
            EXPECT_EQ(t.st().callOffer, kNoCallOffer);  // the calling buttons go
            EXPECT_FALSE(t.st().callingTurn);
            EXPECT_FALSE(t.st().raised[static_cast<size_t>(t.imageOf(c.slot))]);
        } else {
            EXPECT_EQ(lastNotice(fx), 209) << c.hand << " " << c.slot;
            EXPECT_TRUE(t.st().callingTurn);
            EXPECT_EQ(t.st().callOffer, kOfferCallOrRoar);
        }
    }
}

// Sorting and restoring move or lower the cards: the call button calls only the card that is
// still raised, never whatever now lies in the remembered slot.
TEST(RoundModelCalling, CallAfterSortOrRestoreNeedsARaisedCard) {
    struct Case {
        const char* name;
        int button;       // pressed after raising
        bool raiseAgain;  // raise the 9 again before calling
    };
    const Case cases[] = {{"sort", 3, false}, {"restore", 5, false}, {"sort then raise", 3, true}};
    for (const Case& c : cases) {
        Table t;
        t.session.roundRunning = true;
        t.holds("3d 3c 9s 4h");
        t.receive(CallingTurn{1, kOfferCallOrRoar});
        t.click({t.slotOf("9s")});
        t.press(c.button);
        if (c.raiseAgain)
            t.click({t.slotOf("9s")});
        const Effects fx = t.act(intent::PressCall{});
        if (!c.raiseAgain) {
            EXPECT_TRUE(t.sent.empty()) << c.name;
            EXPECT_EQ(lastNotice(fx), 209) << c.name;
            EXPECT_TRUE(t.st().callingTurn) << c.name;
            continue;
        }
        const std::vector<CallChoice> calls = t.calls();
        ASSERT_EQ(calls.size(), 1u) << c.name;
        EXPECT_EQ(calls[0].rank, 9) << c.name;
        EXPECT_EQ(calls[0].suitBit, kSuitSpades) << c.name;
    }
}

TEST(RoundModelCalling, CountdownAnswersForThePlayer) {
    struct Case {
        uint8_t offer;
        bool away;
        int ticksBeforeAnswer;
        int answer;  // -1 none
    };
    const Case cases[] = {{kOfferCallOrRoar, false, 10, kChoiceCall},
                          {kOfferRoarOrPass, false, 10, kChoicePass},
                          {kOfferCallOrRoar, true, 1, kChoiceCall},
                          {kOfferRoarOnly, false, 10, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "offer " << int(c.offer) << (c.away ? " away" : ""));
        Table t;
        t.session.awayMode = c.away;
        t.holds("Ad 5c 10s Jh 2d");
        t.receive(CallingTurn{1, c.offer});
        ASSERT_TRUE(t.model.clock().shown);
        EXPECT_EQ(t.model.clock().seconds, c.away ? 1 : 10);
        int ticks = 0;
        for (int i = 0; i < c.ticksBeforeAnswer; ++i)
            ticks += cues(t.callTick(), Cue::TurnTick);
        // A roar-only turn runs no countdown at all.
        EXPECT_EQ(t.model.countdown(), c.answer < 0 ? 10 : 0);
        if (c.answer >= 0) {
            // The last seconds tick and turn the number red.
            EXPECT_EQ(ticks, c.away ? 1 : 4);
            EXPECT_EQ(t.model.clock().colour, ClockColour::Red);
        }
        EXPECT_TRUE(t.sent.empty());
        t.callTick();
        if (c.answer < 0) {
            EXPECT_TRUE(t.sent.empty());
            continue;
        }
        const std::vector<CallChoice> calls = t.calls();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].choice, c.answer);
        if (c.answer == kChoiceCall) {
            EXPECT_EQ(calls[0].rank, 11);  // the highest slot that may be called: J
            EXPECT_EQ(calls[0].suitBit, kSuitHearts);
        }
        EXPECT_FALSE(t.st().callingTurn);
        EXPECT_EQ(t.st().callOffer, kNoCallOffer);
        EXPECT_FALSE(t.model.clock().shown);
        // Answered once: later ticks send nothing more.
        t.callTick();
        EXPECT_EQ(t.sent.size(), 1u);
    }
}

// The roar goes only when confirmed in the own calling turn; the pass goes when offered.
TEST(RoundModelCalling, RoarAndPassAnswers) {
    struct Case {
        const char* name;
        uint8_t offer;
        std::vector<RoundIntent> intents;
        int choice;  // -1 nothing sent
    };
    const Case cases[] = {
        {"roar confirmed", kOfferCallOrRoar, {intent::PressRoar{}, intent::AnswerRoar{true}}, kChoiceRoar},
        {"roar cancelled", kOfferCallOrRoar, {intent::PressRoar{}, intent::AnswerRoar{false}}, -1},
        {"pass", kOfferRoarOrPass, {intent::PressCallPass{}}, kChoicePass},
    };
    for (const Case& c : cases) {
        Table t;
        t.holds("9d 8c");
        t.receive(CallingTurn{1, c.offer});
        bool confirmAsked = false;
        for (const RoundIntent& i : c.intents)
            confirmAsked |= t.act(i).draws<view::RoarConfirmOpened>();
        EXPECT_EQ(confirmAsked, std::holds_alternative<intent::PressRoar>(c.intents[0])) << c.name;
        const std::vector<CallChoice> calls = t.calls();
        ASSERT_EQ(calls.size(), c.choice < 0 ? 0u : 1u) << c.name;
        if (c.choice < 0)
            continue;
        EXPECT_EQ(calls[0].seatBit, 1) << c.name;
        EXPECT_EQ(calls[0].choice, c.choice) << c.name;
        EXPECT_EQ(t.st().callOffer, kNoCallOffer) << c.name;
        // Answered: pressing again sends nothing more.
        for (const RoundIntent& i : c.intents)
            t.act(i);
        EXPECT_EQ(t.sent.size(), 1u) << c.name;
    }
}

// A call by hand of a card held twice is a hidden call, one against three: it goes only after the
// player said yes to the question, and the question never answers for the player.
TEST(RoundModelCalling, ACardHeldTwiceAsksBeforeTheHiddenCall) {
    struct Case {
        const char* name;
        const char* card;                  // raised and called by hand
        std::vector<RoundIntent> answers;  // after the call button
        bool asks;
        int rank;  // the call sent; 0 none
    };
    const Case cases[] = {
        {"held once: no question", "4h", {}, false, 4},
        {"held twice, confirmed", "3d", {intent::AnswerHiddenCall{true}}, true, 3},
        {"held twice, cancelled", "3d", {intent::AnswerHiddenCall{false}}, true, 0},
        {"held twice, cancelled, then yes again", "3d",
         {intent::AnswerHiddenCall{false}, intent::AnswerHiddenCall{true}}, true, 0},
        {"held twice, asked again and confirmed", "3d",
         {intent::AnswerHiddenCall{false}, intent::PressCall{}, intent::AnswerHiddenCall{true}}, true, 3},
        {"unanswered", "3d", {}, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Table t;
        t.holds("9c 4h 3d 3d");
        t.receive(CallingTurn{1, kOfferCallOrRoar});
        t.click({t.slotOf(c.card)});
        const Effects fx = t.act(intent::PressCall{});
        const auto* asked = find<view::HiddenCallConfirmOpened>(fx);
        ASSERT_EQ(asked != nullptr, c.asks);
        if (asked) {
            EXPECT_EQ(asked->question, "您手里有两张♦3，确定要暗叫吗?\n（暗叫是一家对三家，输赢×12）");
            EXPECT_TRUE(t.sent.empty());
            // The turn stays open while the question is asked.
            EXPECT_TRUE(t.st().callingTurn);
            EXPECT_EQ(t.st().callOffer, kOfferCallOrRoar);
        }
        for (const RoundIntent& i : c.answers) {
            const Effects answer = t.act(i);
            if (std::holds_alternative<intent::AnswerHiddenCall>(i)) {
                EXPECT_TRUE(answer.draws<view::HiddenCallConfirmClosed>());
            }
        }
        const std::vector<CallChoice> calls = t.calls();
        ASSERT_EQ(calls.size(), c.rank ? 1u : 0u);
        if (c.rank) {
            EXPECT_EQ(calls[0].choice, kChoiceCall);
            EXPECT_EQ(calls[0].rank, c.rank);
            EXPECT_FALSE(t.st().callingTurn);
            EXPECT_EQ(t.st().callOffer, kNoCallOffer);
        } else {
            EXPECT_TRUE(t.st().callingTurn);
        }
    }
}

// The countdown never makes a hidden call for a player who holds a card once; a question left open
// closes when the countdown or the server answers the turn, and a late yes sends nothing more.
TEST(RoundModelCalling, TheCountdownCallsACardHeldOnceAndClosesTheQuestion) {
    struct Case {
        const char* hand;
        bool away;
        bool askFirst;  // the player raised the 3d, pressed 叫 and left the question open
        int rank, suit;
    };
    const Case cases[] = {
        {"9c 4h 3d 3d", false, false, 4, kSuitHearts},
        {"9c 4h 3d 3d", true, false, 4, kSuitHearts},
        {"9c 4h 3d 3d", false, true, 4, kSuitHearts},
        {"9c 9c 3d 3d", false, false, 3, kSuitDiamonds},  // only pairs: the scan's first
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.hand << (c.away ? " away" : "") << (c.askFirst ? " asked" : ""));
        Table t;
        t.session.awayMode = c.away;
        t.holds(c.hand);
        t.receive(CallingTurn{1, kOfferCallOrRoar});
        if (c.askFirst) {
            t.click({t.slotOf("3d")});
            ASSERT_TRUE(t.act(intent::PressCall{}).draws<view::HiddenCallConfirmOpened>());
        }
        bool closed = false;
        for (int i = 0; i <= (c.away ? 1 : 10); ++i)
            closed |= t.callTick().draws<view::HiddenCallConfirmClosed>();
        EXPECT_TRUE(closed);
        const std::vector<CallChoice> calls = t.calls();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].choice, kChoiceCall);
        EXPECT_EQ(calls[0].rank, c.rank);
        EXPECT_EQ(calls[0].suitBit, c.suit);
        t.act(intent::AnswerHiddenCall{true});
        EXPECT_EQ(t.sent.size(), 1u);
    }

    // The server answered the turn first: the question goes with the offer.
    Table t;
    t.holds("9c 4h 3d 3d");
    t.receive(CallingTurn{1, kOfferCallOrRoar});
    t.click({t.slotOf("3d")});
    t.act(intent::PressCall{});
    EXPECT_TRUE(t.receive(CallChoice{1, kChoiceCall, 4, kSuitHearts}).draws<view::HiddenCallConfirmClosed>());
    t.act(intent::AnswerHiddenCall{true});
    EXPECT_TRUE(t.sent.empty());
}

// The server may answer the own calling turn itself when its clock runs out first: the offer goes,
// and neither the buttons nor the countdown answer a second time.
TEST(RoundModelCalling, AnOwnCallTheServerMadeClosesTheOffer) {
    for (const uint8_t offer : {kOfferCallOrRoar, kOfferRoarOrPass}) {
        Table t;
        t.holds("9d 8c");
        t.receive(CallingTurn{1, offer});
        ASSERT_EQ(t.st().callOffer, offer);
        t.receive(CallChoice{1, kChoicePass, 0, 0});
        EXPECT_EQ(t.st().callOffer, kNoCallOffer) << int(offer);
        EXPECT_FALSE(t.st().callingTurn) << int(offer);
        t.act(intent::PressCallPass{});
        t.act(intent::PressRoar{});
        t.act(intent::AnswerRoar{true});
        for (int i = 0; i < 12; ++i)
            t.callTick();
        EXPECT_TRUE(t.sent.empty()) << int(offer);
    }
}

TEST(RoundModelCalling, RoarReplacesTheCall) {
    Table t;
    const Effects call = t.receive(CallChoice{2, kChoiceCall, 14, kSuitClubs});
    EXPECT_EQ(t.st().bankerSeat, 1);
    EXPECT_TRUE(t.st().calledCardShown);
    const auto* called = find<view::CalledCardShown>(call);
    ASSERT_NE(called, nullptr);
    EXPECT_EQ(called->rank, 14);
    EXPECT_EQ(called->suitBit, kSuitClubs);

    const Effects roar = t.receive(CallChoice{4, kChoiceRoar, 0, 0});
    EXPECT_EQ(t.st().bankerSeat, -1);
    EXPECT_FALSE(t.st().calledCardShown);
    EXPECT_FALSE(t.st().calledFrameShown);
    EXPECT_EQ(t.st().roarSeat, 2);
    EXPECT_TRUE(t.st().roarMarkerShown);
    EXPECT_EQ(t.st().bubbleSeat, 2);
    EXPECT_EQ(t.st().bubblePicture, 225);
    EXPECT_TRUE(t.requests.restartBubbleCount);
    EXPECT_TRUE(roar.draws<view::RoarAnimation>());
    EXPECT_EQ(cues(roar, Cue::Roar), 1);
}

TEST(RoundModelPlay, IllegalSelectionShowsTheNoticeAndSendsNothing) {
    Table t;
    t.holds("Kd Qc 9s 9h 4d");
    t.ownFollows(kPlayPair, "10d 10c");
    EXPECT_EQ(t.st().playControls, (std::array<bool, 3>{true, true, true}));
    t.click({t.slotOf("Kd"), t.slotOf("Qc")});  // not a pair
    EXPECT_EQ(lastNotice(t.press(0)), 210);
    EXPECT_TRUE(t.sent.empty());
    EXPECT_EQ(t.st().hands[0].count, 5);
    // A pair that does not beat 10 10 is refused the same way.
    t.press(5);
    t.click({t.slotOf("9s"), t.slotOf("9h")});
    EXPECT_EQ(lastNotice(t.press(0)), 210);
    EXPECT_TRUE(t.sent.empty());
    EXPECT_TRUE(t.st().ownPlayTurn);

    // One that beats it is played: the frame names the two kings, the hand keeps the rest.
    Table u;
    u.holds("Kd Kc 9s");
    u.ownFollows(kPlayPair, "10d 10c");
    u.click({0, 1});
    const Effects fx = u.press(0);
    ASSERT_EQ(u.playTypes(), std::vector<int>{kPlayPair});
    const PlayFrame sent = u.plays()[0];
    EXPECT_EQ(sent.seatBit, 1);
    EXPECT_EQ(sent.cardIds, (std::vector<uint8_t>{0, 1}));
    EXPECT_EQ(lastNotice(fx), 0);
    EXPECT_EQ(u.st().hands[0].count, 1);
    EXPECT_EQ(cardRank(u.st().hands[0].codes[0]), 9);
    EXPECT_EQ(u.st().lastPlay.type, kPlayPair);
    EXPECT_EQ(shownCards(u.st(), 0), (std::vector<std::string>{"Kd", "Kc"}));
    EXPECT_FALSE(u.st().ownPlayTurn);
    EXPECT_EQ(u.st().playControls, (std::array<bool, 3>{false, false, false}));
    EXPECT_FALSE(u.model.clock().shown);
    // Sent once: pressing again sends nothing.
    u.press(0);
    EXPECT_EQ(u.sent.size(), 1u);
}

TEST(RoundModelPlay, AmbiguousRunWhileLeadingAsksAndSendsTheChoice) {
    for (int option = 0; option < 2; ++option) {
        Table t;
        t.holds("SJ BJ 6d 6c 5d 5c 3h");
        t.ownLeads();
        EXPECT_EQ(t.st().playControls, (std::array<bool, 3>{true, true, false}));  // a leader cannot pass
        t.click({0, 1, 2, 3, 4, 5});
        const Effects asked = t.press(0);
        const auto* opened = find<view::SequenceChoiceOpened>(asked);
        ASSERT_NE(opened, nullptr);
        EXPECT_EQ(opened->texts, (std::array<std::string, 2>{"556677", "555666"}));
        EXPECT_TRUE(t.sent.empty());
        t.act(intent::ChooseSequence{option});
        ASSERT_EQ(t.playTypes(), std::vector<int>{option == 0 ? kPlayPairRun : kPlayTripleRun}) << option;
        EXPECT_EQ(t.plays()[0].wildCount, 2);
        EXPECT_EQ(t.st().hands[0].count, 1);
        EXPECT_EQ(t.st().lastPlay.type, option == 0 ? kPlayPairRun : kPlayTripleRun);
    }
}

TEST(RoundModelPlay, OpponentWildCardsAreLaidWhereTheirRanksBelong) {
    auto wild = [](int rank, int joker, int id) { return makeCard(joker, rank << 4, id); };
    struct Case {
        std::vector<CardCode> received;
        std::vector<std::string> shown;  // "W" for a wild card
    };
    std::vector<CardCode> a = cards("8d 7d 7c 6d 6c");
    a.push_back(wild(8, 16, 104));
    std::vector<CardCode> b = cards("10d 10c 8d 8c");
    b.push_back(wild(9, 16, 104));
    b.push_back(wild(9, 17, 106));
    const Case cases[] = {{a, {"8d", "W", "7d", "7c", "6d", "6c"}}, {b, {"10d", "10c", "W", "W", "8d", "8c"}}};
    for (const Case& c : cases) {
        Table t;
        t.holds("3d");
        t.receive(PlayReport{4, 8, kTrickGoesOn, 0, kPlayPairRun, c.received, 0, false, 3});
        EXPECT_EQ(shownCards(t.st(), 2), c.shown);
        const int n = static_cast<int>(c.received.size());
        for (int k = 0; k < n; ++k)
            EXPECT_EQ(t.st().shown[2].images[static_cast<size_t>(k)], k);  // the seat's first free images
        EXPECT_EQ(t.st().nextFreeImage[2], n);
        EXPECT_EQ(t.st().hands[2].count, 27 - n);
        EXPECT_EQ(t.st().lastPlay.count, n);
        EXPECT_EQ(t.st().lastPlay.type, kPlayPairRun);
    }
}

TEST(RoundModelPlay, TwoEightCardBombsMakeTheMultiplierThirtySix) {
    Table t;
    t.holds("3d");
    const Effects first = t.receive(PlayReport{2, 4, kTrickGoesOn, 0, 15, cards("9d 9d 9c 9c 9h 9h 9s 9s"), 0, false, 3});
    EXPECT_TRUE(first.draws<view::BombAnimation>());
    t.receive(PlayReport{2, 4, kTrickGoesOn, 0, 15, cards("Jd Jd Jc Jc Jh Jh Js Js", 20), 0, false, 3});
    EXPECT_EQ(t.st().multiplier, 36.0);
    EXPECT_EQ(multiplierBadgeText(t.st().multiplier), "36");
    EXPECT_EQ(t.st().bombs[1], (std::vector<PlayType>{15, 15}));
    EXPECT_EQ(t.st().bubbleSeat, 1);
    EXPECT_EQ(t.st().bubblePicture, 230);  // 轰炸
    EXPECT_EQ(t.st().hands[1].count, 11);

    for (int bomb = 0; bomb < 8; ++bomb)
        t.receive(PlayReport{2, 4, kTrickGoesOn, 0, kPlayBombOf12, cards("Qd Qd Qc Qc Qh Qh Qs Qs Ad Ad Ac Ac", 30), 0,
                             false, 3});
    EXPECT_EQ(multiplierBadgeText(t.st().multiplier), "531亿");  // 36 x 14^8
    EXPECT_EQ(t.st().bombs[1].size(), 10u);
}

// A finishing seat earns the next badge; the trick's points go to its taker, and the next leader
// may not pass.
TEST(RoundModelPlay, TrickTakenAndFinishing) {
    Table t;
    t.holds("4d 4c");
    t.st().hands[3].count = 2;
    t.receive(PlayReport{8, 1, kTrickGoesOn, 0, kPlayPair, cards("Kd Kc"), 20, false, 3});
    EXPECT_EQ(t.st().finishBadge[3], 360);
    EXPECT_EQ(t.st().hands[3].count, 0);
    EXPECT_EQ(t.st().tablePoints, 20);
    EXPECT_TRUE(t.st().ownPlayTurn);
    EXPECT_EQ(t.st().playControls, (std::array<bool, 3>{true, true, true}));  // following: pass offered

    // Seat 2 takes the trick (flag 9, byte 16 = bit 4); the own seat leads.
    const Effects taken = t.receive(PlayReport{2, 1, kTrickToByte16, 4, 0, {}, 25, false, 3});
    EXPECT_EQ(t.st().pointsTaken, (std::array<int32_t, 4>{0, 0, 25, 0}));
    EXPECT_EQ(t.st().tablePoints, 0);
    EXPECT_EQ(t.st().shown[3].count, 0);
    EXPECT_EQ(t.st().lastTrick[3].count, 2);
    EXPECT_EQ(t.st().playControls, (std::array<bool, 3>{true, true, false}));
    EXPECT_EQ(t.st().lastPlay.type, kPlayNone);
    EXPECT_TRUE(taken.draws<view::LabelsChanged>());

    // The own seat plays its last cards: the second badge.
    t.click({0, 1});
    t.press(0);
    ASSERT_EQ(t.playTypes(), std::vector<int>{kPlayPair});
    EXPECT_EQ(t.st().finishBadge[0], 361);
    EXPECT_EQ(t.st().finishingPlace, 2);
}

TEST(RoundModelPlay, HintRaisesTheProposalOrPasses) {
    Table t;
    t.holds("Jd Jc 10d 10c 9s");
    t.ownFollows(kPlaySingle, "9d");
    t.click({0});
    const Effects hint = t.press(1);
    EXPECT_EQ(t.raisedRanks(), std::vector<int>{10});  // the earlier raise gives way
    EXPECT_EQ(t.st().raisedCount, 1);
    EXPECT_EQ(cues(hint, Cue::PlayControl), 1);
    EXPECT_TRUE(t.sent.empty());
    EXPECT_TRUE(t.st().ownPlayTurn);

    Table u;
    u.holds("3d 4c");
    u.ownFollows(kPlaySingle, "2d");
    u.press(1);
    EXPECT_EQ(u.playTypes(), std::vector<int>{0});  // nothing beats a 2: a pass
    EXPECT_FALSE(u.st().ownPlayTurn);
    EXPECT_EQ(u.st().hands[0].count, 2);
}

TEST(RoundModelPlay, TwoTimeoutsSwitchAwayModeOn) {
    Table t;
    t.session.timeoutLimit = 2;
    t.holds("3d 4c 5h 6s Kd");
    for (int turn = 0; turn < 2; ++turn) {
        EXPECT_FALSE(t.session.awayMode);
        t.ownLeads();
        ASSERT_TRUE(t.model.playCountdownOn());
        EXPECT_EQ(t.model.countdown(), 3);
        Effects last;
        for (int i = 0; i < 4; ++i)  // 3 seconds down to 0, then the answer
            last = t.playTick();
        EXPECT_FALSE(t.model.playCountdownOn());
        EXPECT_FALSE(t.model.clock().shown);
        EXPECT_EQ(last.draws<view::TableHidden>(), turn == 1) << turn;
    }
    EXPECT_TRUE(t.session.awayMode);
    EXPECT_TRUE(t.session.goneAway);
    EXPECT_TRUE(t.requests.minimiseLobby);
    EXPECT_EQ(t.session.timeoutCount, 2);
    // Each time-out led the last card of the hand.
    EXPECT_EQ(t.playTypes(), (std::vector<int>{kPlaySingle, kPlaySingle}));
    EXPECT_EQ(t.st().hands[0].count, 3);
    // Gone away, the next turn lasts one second.
    t.ownLeads();
    EXPECT_EQ(t.model.countdown(), 1);
}

TEST(RoundModelPlay, PlayButtonsDoNothingOutOfTurnAndF1GoesAway) {
    Table t;
    t.holds("3d 4c");
    t.click({0});
    for (const RoundIntent& i : std::vector<RoundIntent>{intent::PressControl{0}, intent::PressControl{2},
                                                         intent::RightClickTable{}, intent::RightClickLowerPanel{}})
        t.act(i);
    EXPECT_TRUE(t.sent.empty());
    EXPECT_EQ(t.st().hands[0].count, 2);
    const Effects away = t.act(intent::GoAway{});
    EXPECT_TRUE(t.session.awayMode);
    EXPECT_TRUE(t.session.goneAway);
    EXPECT_TRUE(away.draws<view::TableHidden>());
    EXPECT_TRUE(t.requests.minimiseLobby);
}

TEST(RoundModelPlay, AnOwnPlayTheServerMadeLeavesTheHand) {
    Table t;
    t.holds("3d 4c 5h");
    const CardCode four = t.st().hands[0].codes[static_cast<size_t>(t.slotOf("4c"))];
    t.receive(PlayReport{1, 2, kTrickGoesOn, 0, kPlaySingle, {four}, 0, false, 3});
    EXPECT_EQ(t.st().hands[0].count, 2);
    EXPECT_EQ(t.slotOf("4c"), -1);
    EXPECT_EQ(shownCards(t.st(), 0), std::vector<std::string>{"4c"});
    EXPECT_FALSE(t.st().handInputEnabled);
    // The echo of a play the client sent itself finds nothing left to take.
    t.ownLeads();
    t.click({t.slotOf("5h")});
    t.press(0);
    ASSERT_EQ(t.st().hands[0].count, 1);
    ASSERT_EQ(t.st().shown[0].count, 1);
    const CardCode five = t.st().imageCard[0][static_cast<size_t>(t.st().shown[0].images[0])];
    EXPECT_EQ(testing::describe(five), "5h");
    t.receive(PlayReport{1, 2, kTrickGoesOn, 0, kPlaySingle, {five}, 0, false, 3});
    EXPECT_EQ(t.st().hands[0].count, 1);
    EXPECT_EQ(t.slotOf("3d"), 0);
}

// 上一轮 shows exactly the previous trick and its end brings back exactly the current one; a
// finished trick leaves nothing on the table, and each pass stays beside its seat until the seat
// plays again or the trick is over.
TEST(RoundModelPlay, ReviewShowsThePreviousTrickAndPassesLastTheirTime) {
    {
        // The card-less report that opens play is no pass.
        Table t;
        t.receive(PlayReport{8, 1, kTrickGoesOn, 0, 0, {}, 0, false, 3});
        EXPECT_FALSE(t.st().passed[3]);
        t.receive(PlayReport{8, 1, kTrickGoesOn, 0, 0, {}, 0, false, 3});
        EXPECT_TRUE(t.st().passed[3]);
    }
    Table t;
    t.holds("3d 4c 9s");
    t.session.roundRunning = true;
    t.st().reviewEnabled = true;
    t.st().firstPlayPending = false;
    auto play = [&](uint8_t seat, uint8_t next, std::string_view shown, uint8_t flag = kTrickGoesOn, uint16_t points = 0) {
        const std::vector<CardCode> c = shown.empty() ? std::vector<CardCode>{} : cards(shown, 40);
        return t.receive(PlayReport{seat, next, flag, 0, shown.empty() ? 0 : kPlaySingle, c, points, false, 3});
    };
    using Passed = std::array<bool, 4>;

    // Trick A: 4 by seat 1, 6 by seat 2, then three passes; seat 2 takes it.
    play(2, 4, "4d");
    play(4, 8, "6d");
    play(8, 1, "");
    play(1, 2, "");
    EXPECT_EQ(t.st().passed, (Passed{true, false, false, true}));  // still there while the trick goes on
    play(2, 4, "", kTrickToNextSeat, 10);
    EXPECT_EQ(t.st().passed, Passed{});
    EXPECT_EQ(t.st().shown[1].count, 0);
    EXPECT_EQ(t.st().shown[2].count, 0);
    EXPECT_EQ(t.st().tablePoints, 0);
    EXPECT_EQ(t.st().pointsTaken[2], 10);

    // Trick B: 9 by seat 2, seat 3 passes.
    play(4, 8, "9c");
    play(8, 1, "");
    ASSERT_EQ(shownCards(t.st(), 2), std::vector<std::string>{"9c"});
    ASSERT_TRUE(t.st().passed[3]);

    const Effects review = t.press(4);
    EXPECT_TRUE(t.st().reviewShowing);
    EXPECT_FALSE(t.st().reviewEnabled);
    EXPECT_TRUE(review.draws<view::TableCardsChanged>());
    EXPECT_TRUE(review.draws<view::BubbleChanged>());
    EXPECT_EQ(t.st().lastTrick[1].count, 1);  // trick A's 4
    EXPECT_EQ(t.st().lastTrick[2].count, 1);  // trick A's 6
    EXPECT_EQ(t.st().imageCard[2][static_cast<size_t>(t.st().lastTrick[2].images[0])], cards("6d", 40)[0]);
    t.press(4);  // once at a time
    EXPECT_TRUE(t.st().reviewShowing);

    // The next play ends the review: trick B is as it was.
    play(1, 2, "");
    EXPECT_FALSE(t.st().reviewShowing);
    EXPECT_TRUE(t.st().reviewEnabled);
    EXPECT_EQ(shownCards(t.st(), 2), std::vector<std::string>{"9c"});
    EXPECT_EQ(t.st().passed, (Passed{true, false, false, true}));

    // So does the review's time running out.
    t.press(4);
    ASSERT_TRUE(t.st().reviewShowing);
    t.act(intent::EndReview{});
    EXPECT_FALSE(t.st().reviewShowing);
    EXPECT_TRUE(t.st().reviewEnabled);

    // A seat that plays again loses its pass mark; the others keep theirs.
    play(2, 4, "Jc");
    play(4, 8, "");
    play(8, 1, "Qc");
    EXPECT_EQ(t.st().passed, (Passed{true, false, true, false}));
    EXPECT_EQ(t.st().shown[2].count, 0);  // seat 2's pass took its 9 off the table
}

// 上一轮 shows the previous trick alone: the bomb bubble and the bomb picture of the trick lying on
// the table go with its cards, and the bubble does not come back when the review ends.
TEST(RoundModelPlay, ReviewShowsNoBombOfTheCurrentTrick) {
    Table t;
    t.holds("3d 4c 9s");
    t.session.roundRunning = true;
    t.st().reviewEnabled = true;
    t.st().firstPlayPending = false;
    t.receive(PlayReport{2, 4, kTrickGoesOn, 0, kPlaySingle, cards("4d", 40), 0, false, 3});
    t.receive(PlayReport{4, 2, kTrickToNextSeat, 0, 0, {}, 0, false, 3});
    const Effects bomb = t.receive(PlayReport{2, 4, kTrickGoesOn, 0, kPlayBombOf4, cards("7d 7c 7h 7s", 44), 0, false, 3});
    ASSERT_TRUE(bomb.draws<view::BombAnimation>());
    ASSERT_EQ(t.st().bubbleSeat, 1);

    const Effects review = t.press(4);
    ASSERT_TRUE(t.st().reviewShowing);
    EXPECT_EQ(t.st().bubbleSeat, -1);
    EXPECT_TRUE(review.draws<view::AnimationStopped>());
    EXPECT_TRUE(review.draws<view::BubbleChanged>());
    t.act(intent::EndReview{});
    EXPECT_EQ(t.st().bubbleSeat, -1);
    EXPECT_EQ(t.st().shown[1].count, 4);  // the bomb's cards are back on the table
}

TEST(RoundModelHand, ClicksSortTwiceAndRestore) {
    Table t;
    t.holds("3d 3c 9s Kd Kc Kh 5d");
    t.session.roundRunning = true;
    // A click raises, a second click lowers; each with its sound.
    EXPECT_EQ(cues(t.act(intent::ClickCard{0}), Cue::CardRaised), 1);
    EXPECT_EQ(cues(t.act(intent::ClickCard{0}), Cue::CardLowered), 1);
    EXPECT_EQ(t.st().raisedCount, 0);
    t.click({0});
    t.press(3);
    EXPECT_EQ(t.st().sortMode, 2);
    EXPECT_EQ(cardRank(t.st().hands[0].codes[0]), 13);  // three kings first by count
    EXPECT_EQ(t.st().raisedCount, 0);                   // a sorted hand lies flat
    t.press(3);
    EXPECT_EQ(t.st().sortMode, 1);
    Hand expected = testing::hand("3d 3c 9s Kd Kc Kh 5d");
    ASSERT_TRUE(SortbyBig(expected, expected.count));
    EXPECT_EQ(t.st().hands[0].codes, expected.codes);
    t.click({0, 2});
    EXPECT_EQ(t.st().raisedCount, 2);
    t.press(5);
    EXPECT_EQ(t.st().raisedCount, 0);
    EXPECT_EQ(t.st().raised, (std::array<bool, kCardImagesPerSeat>{}));
}

TEST(RoundModelHand, ClicksOnAPlayedImageDoNothing) {
    Table t;
    t.holds("3d 4c 5h");
    t.ownLeads();
    t.click({0});
    t.press(0);
    ASSERT_EQ(t.st().shown[0].count, 1);
    const int played = t.st().shown[0].images[0];
    const Effects fx = t.act(intent::ClickCard{played});
    EXPECT_TRUE(fx.view.empty());
    EXPECT_EQ(t.st().raisedCount, 0);
    EXPECT_FALSE(t.st().raised[static_cast<size_t>(played)]);
}

// Four seats' records for own seat bit 1: seats 0 and 2 called together and won 40 each, seat 1
// still holds two cards; the coin unit 0 reads as gold bars.
std::vector<SettlementRecord> fourRecords() {
    std::vector<SettlementRecord> out;
    for (int seat = 0; seat < 4; ++seat) {
        SettlementRecord r;
        r.seatBit = static_cast<uint8_t>(1 << seat);
        r.stake = 10;
        const uint8_t places[4] = {1, 3, 2, 4};
        r.place = places[seat];
        r.subtotalGain = r.finalGain = seat == 0 || seat == 2;
        r.subtotal = r.finalAmount = 40;
        r.callerBit = 1;
        r.partnerBit = 4;
        r.level = static_cast<uint8_t>(seat + 1);
        r.coinUnit = 0;
        r.finalPoints = seat == 0 ? 200 : 0;
        if (seat == 1)
            r.heldCards = cards("Ad 3c", 90);
        out.push_back(r);
    }
    return out;
}

TEST(RoundModelSettlement, FourRecordsSettleCoinsSheetAndReadyCountdown) {
    Table t;
    t.session.players[0].nickname = "me";
    t.session.players[0].coins = 1000;
    t.session.players[1].nickname = "you";
    t.session.players[1].coins = 50;
    t.deal();
    const std::vector<SettlementRecord> records = fourRecords();
    Effects fx;
    for (int seat = 0; seat < 4; ++seat) {
        fx = t.receive(records[static_cast<size_t>(seat)]);
        EXPECT_EQ(fx.draws<view::ScoreSheetShown>(), seat == 3) << seat;
        EXPECT_EQ(t.requests.scoreSheetHandled, seat == 3) << seat;
    }
    EXPECT_EQ(t.session.roundCounter, 1);
    EXPECT_EQ(t.session.players[0].coins, 1040);
    EXPECT_EQ(t.session.players[1].coins, 10);
    EXPECT_EQ(t.session.players[0].wins, 1u);
    EXPECT_EQ(t.session.players[1].losses, 1u);
    EXPECT_EQ(cashText(t.session.players[0].coins, t.model.coinUnit()), "1040金条");
    EXPECT_FALSE(t.session.roundRunning);
    EXPECT_FALSE(t.session.startDisarmed);
    EXPECT_EQ(t.model.records()[2].level, 3);

    // The ready countdown: asked of the session and shown on the clock.
    EXPECT_EQ(t.requests.readyCountdownSeconds, 15);
    EXPECT_EQ(t.model.countdown(), 15);
    EXPECT_TRUE(t.model.clock().shown);
    EXPECT_TRUE(t.model.clock().ready);
    EXPECT_EQ(cues(fx, Cue::RoundEndSheet), 1);

    const auto* shown = find<view::ScoreSheetShown>(fx);
    ASSERT_NE(shown, nullptr);
    const std::vector<std::string>& own = shown->sheet.lists[0];
    EXPECT_EQ(own.front(), "初始：1000金币");
    EXPECT_NE(std::find(own.begin(), own.end(), "朋友"), own.end());
    EXPECT_NE(std::find(own.begin(), own.end(), "枯踹       :×4"), own.end());
    EXPECT_EQ(shown->sheet.lists[1].front(), "初始：50金币");
    EXPECT_EQ(shown->sheet.lists[4], (std::vector<std::string>{"", "最终分: 40金币"}));

    // The opponents' remaining cards are revealed, the piles and badges go.
    EXPECT_TRUE(t.st().handsRevealed);
    EXPECT_FALSE(t.st().pilesShown);
    ASSERT_EQ(t.st().hands[1].count, 2);
    EXPECT_EQ(testing::describe(t.st().hands[1].cards()), "Ad 3c");
    EXPECT_EQ(t.st().imageCard[1][0], cards("Ad 3c", 90)[0]);
}

// The connection dropped after two of a round's four records; the next deal (the round resent on
// the way back, or the next round) starts the count afresh, so the sheet waits for all four of its
// own records and is built from them alone.
TEST(RoundModelSettlement, ADealForgetsTheRecordsOfARoundCutShort) {
    Table t;
    t.deal();
    const std::vector<SettlementRecord> records = fourRecords();
    for (size_t seat : {0u, 1u})
        EXPECT_FALSE(t.receive(records[seat]).draws<view::ScoreSheetShown>()) << seat;
    t.deal();
    std::vector<SettlementRecord> next = fourRecords();
    for (SettlementRecord& r : next)
        r.stake = 20;
    for (size_t seat : {3u, 2u, 1u})
        EXPECT_FALSE(t.receive(next[seat]).draws<view::ScoreSheetShown>()) << seat;
    const Effects last = t.receive(next[0]);
    const auto* shown = find<view::ScoreSheetShown>(last);
    ASSERT_NE(shown, nullptr);
    for (size_t r = 0; r < 4; ++r)
        EXPECT_EQ(t.model.records()[r].stake, 20u) << r;
    EXPECT_EQ(t.session.roundCounter, 1);
}

TEST(RoundModelSettlement, TheReadyCountdownFollowsAwayAndSpectator) {
    struct Case {
        const char* name;
        bool away;
        bool spectator;
        int seconds;  // 0: none
    };
    const Case cases[] = {{"seated", false, false, 15}, {"away", true, false, 2}, {"spectator", false, true, 0}};
    for (const Case& c : cases) {
        Table t;
        t.session.awayMode = c.away;
        t.session.launch.spectator = c.spectator;
        t.deal();
        for (const SettlementRecord& r : fourRecords())
            t.receive(r);
        EXPECT_EQ(t.requests.readyCountdownSeconds, c.seconds) << c.name;
        EXPECT_EQ(t.model.clock().shown, c.seconds > 0) << c.name;
        EXPECT_TRUE(t.requests.scoreSheetHandled) << c.name;
    }
}

}  // namespace
}  // namespace vexal
