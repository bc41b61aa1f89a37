// The bots' play: when a bomb or suited 5-10-K is worth spending, what a seat knows of the sides,
// and what a bot leads with.
#include <gtest/gtest.h>

#include "fixtures.h"
#include "net/messages/wire.h"
#include "server/bot.h"
#include "tests/rules/cards.h"

namespace vexal::server {
namespace {

using vexal::testing::cards;
using vexal::testing::describe;
using vexal::testing::lastPlay;
using vexal::testing::sortedText;

// Seat 0 follows early in a round: 25 cards whose only play over a single ace is the bomb of
// sevens; seat 1, an opponent, made the play; nobody is near the end; the trick holds no points.
FollowView earlyFollow(std::string_view hand = "7 7 7 7 3 3 3 4 4 4 6 6 6 8 8 8 9 9 9 J J J Q Q Q") {
    FollowView v;
    v.seat = 0;
    v.hand = cards(hand);
    v.last = lastPlay(kPlaySingle, "As");
    v.lastPlayer = 1;
    v.trickPoints = 0;
    v.cardsLeft = {static_cast<int>(v.hand.size()), 20, 22, 21};
    v.sides = {Side::Own, Side::Other, Side::Unknown, Side::Unknown};
    return v;
}

TEST(BotFollow, SpendsABombOnlyWhereAPersonWould) {
    struct Case {
        const char* name;
        FollowView view;
        const char* expected;  // sorted card text; "" for a pass
    };
    std::vector<Case> cases;
    cases.push_back({"early, a cheap trick: keep the bomb", earlyFollow(), ""});
    {
        FollowView v = earlyFollow();
        v.cardsLeft[1] = 2;
        cases.push_back({"the opponent who made the play has 2 cards left", v, "7s 7h 7c 7d"});
    }
    {
        FollowView v = earlyFollow();
        v.cardsLeft[3] = 3;
        cases.push_back({"a seat of unknown side is close to going out", v, "7s 7h 7c 7d"});
    }
    {
        FollowView v = earlyFollow();
        v.cardsLeft[3] = 4;
        cases.push_back({"4 cards left is not close yet", v, ""});
    }
    {
        FollowView v = earlyFollow();
        v.sides[1] = Side::Own;
        v.cardsLeft[1] = 2;
        cases.push_back({"the known partner's play wins already", v, ""});
    }
    {
        FollowView v = earlyFollow();
        v.trickPoints = 30;
        cases.push_back({"a trick worth 30 points", v, "7s 7h 7c 7d"});
    }
    {
        FollowView v = earlyFollow();
        v.trickPoints = 25;
        cases.push_back({"a trick worth 25 points", v, ""});
    }
    {
        FollowView v = earlyFollow();
        v.trickPoints = 30;
        v.sides[1] = Side::Own;
        cases.push_back({"a rich trick the partner is winning", v, ""});
    }
    {
        FollowView v = earlyFollow();
        v.last = lastPlay(bombType(4), "5 5 5 5");
        v.trickPoints = 40;
        cases.push_back({"no bomb over a bomb for points alone", v, ""});
        v.cardsLeft[1] = 2;
        cases.push_back({"over a bomb to stop an opponent going out", v, "7s 7h 7c 7d"});
    }
    cases.push_back({"the bot keeps 3 cards after the bomb", earlyFollow("7 7 7 7 3 4 6"), "7s 7h 7c 7d"});
    cases.push_back({"the bot would keep 4 cards", earlyFollow("7 7 7 7 3 4 6 8"), ""});
    {
        FollowView v = earlyFollow("7 7 7 7 3 3 4 4 Js Q Q 8 8");
        v.last = lastPlay(kPlaySingle, "9s");
        cases.push_back({"an ordinary play is made as before", v, "Js"});
    }
    {
        FollowView v = earlyFollow("5h 10h Kh 3 3 4 4 6 6 8 8 9 9 J J Q Q");
        cases.push_back({"a suited 5-10-K doubles like a bomb", v, ""});
        v.trickPoints = 35;
        cases.push_back({"a suited 5-10-K on a rich trick", v, "Kh 10h 5h"});
    }
    {
        FollowView v = earlyFollow("5h 10s Kd 3 3 4 4 6 6 8 8 9 9 J J Q Q");
        cases.push_back({"a mixed 5-10-K multiplies nothing", v, "Kd 10s 5h"});
        v.sides[1] = Side::Own;
        cases.push_back({"... but is not spent on the partner", v, ""});
    }
    for (const Case& c : cases) {
        const std::vector<CardCode> played = botFollow(c.view);
        EXPECT_EQ(sortedText(played), c.expected) << c.name << ": " << describe(played);
    }
}

PlayFrame playOf(int seat, PlayType type, std::vector<CardCode> selection) {
    sortSelection(selection);
    return *decodePlayFrame(*buildPlayFrame(wire::seatBit(seat), type, arrangePlay(type, selection)));
}

TEST(BotSides, EachSeatKnowsOnlyWhatItHasSeen) {
    using testing::card;
    using testing::deckWith;
    const CardCode a0 = card(14, kSuitSpades, 0), a1 = card(14, kSuitSpades, 1), three = card(3, kSuitDiamonds);
    auto passAllBut = [](Round& r, int roarer) {
        for (int seat = 1; seat < kSeats && r.phase() == Phase::Calling; ++seat)
            ASSERT_EQ(r.call(seat, seat == roarer ? kChoiceRoar : kChoicePass, 0, 0), "");
    };
    struct Expect {
        int seat, other;
        Side side;
    };
    auto check = [](const Round& r, const char* name, std::initializer_list<Expect> expected) {
        for (const Expect& e : expected)
            EXPECT_EQ(sideAsSeen(r, e.seat, e.other), e.side) << name << ": " << e.seat << " sees " << e.other;
    };

    // Seat 0 calls the ace of spades, seat 1 holds the other one.
    Round ordinary(deckWith({{{a0, three}, {a1}, {}, {}}}), 0);
    ASSERT_EQ(ordinary.call(0, kChoiceCall, 14, kSuitSpades), "");
    passAllBut(ordinary, -1);
    check(ordinary, "before the ace shows",
          {{0, 1, Side::Unknown}, {0, 2, Side::Unknown}, {1, 0, Side::Own}, {1, 2, Side::Other},
           {2, 0, Side::Other}, {2, 3, Side::Unknown}, {2, 2, Side::Own}});
    ASSERT_EQ(ordinary.play(0, playOf(0, kPlaySingle, {three})).refusal, "");
    ASSERT_EQ(ordinary.play(1, playOf(1, kPlaySingle, {a1})).refusal, "");
    ASSERT_TRUE(ordinary.partnerRevealed());
    check(ordinary, "after the ace showed",
          {{0, 1, Side::Own}, {0, 2, Side::Other}, {2, 3, Side::Own}, {2, 1, Side::Other}, {3, 0, Side::Other}});

    Round hidden(deckWith({{{a0, a1}, {}, {}, {}}}), 0);
    ASSERT_EQ(hidden.call(0, kChoiceCall, 14, kSuitSpades), "");
    passAllBut(hidden, -1);
    ASSERT_EQ(hidden.kind(), CallKind::Hidden);
    check(hidden, "hidden call",
          {{0, 1, Side::Other}, {0, 3, Side::Other}, {1, 0, Side::Other}, {1, 2, Side::Unknown}});

    Round roar(deckWith({{{a0}, {a1}, {}, {}}}), 0);
    ASSERT_EQ(roar.call(0, kChoiceCall, 14, kSuitSpades), "");
    passAllBut(roar, 2);
    ASSERT_EQ(roar.kind(), CallKind::Roar);
    check(roar, "seat 2 roars",
          {{2, 0, Side::Other}, {0, 2, Side::Other}, {0, 1, Side::Own}, {3, 1, Side::Own}});
}

TEST(BotLead, OpensWithTheLowestGroupAndNeverWithABombWhileOtherPlaysRemain) {
    struct Case {
        const char* hand;
        const char* expected;
    };
    const Case cases[] = {
        {"3 3 9 9 9 9 Q", "3c 3d"},
        {"4 4 4 4 9 9 9 9 SJ", "4d"},       // bombs and a wild card only: a single breaks the lowest bomb
        {"9 9 9 9 SJ", "SJ 9s 9h 9c 9d"},  // the whole hand is one play: go out with it
        {"6 6 6 7 7 7", "7h 7c 7d 6h 6c 6d"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sortedText(botLead(cards(c.hand))), c.expected) << c.hand;
}

}  // namespace
}  // namespace vexal::server
