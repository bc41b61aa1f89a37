// The deck, calling and tricks of one round, on decks with chosen hands.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "fixtures.h"
#include "net/messages/wire.h"
#include "server/round.h"

namespace vexal::server {
namespace {

using testing::card;
using testing::deckWith;
using testing::joker;

PlayFrame playOf(int seat, PlayType type, std::vector<CardCode> cards) {
    sortSelection(cards);
    std::optional<CommandFrame> f = buildPlayFrame(wire::seatBit(seat), type, arrangePlay(type, cards));
    EXPECT_TRUE(f.has_value());
    return *decodePlayFrame(*f);
}

PlayFrame passOf(int seat) { return *decodePlayFrame(buildPassFrame(wire::seatBit(seat))); }

TEST(Deck, DoubleDeckWithTwoHundredPointsAndASeededShuffle) {
    Deck deck = doubleDeck();
    std::set<int> ids;
    std::map<std::pair<int, int>, int> copies;
    for (CardCode c : deck) {
        ids.insert(cardId(c));
        ++copies[{cardRank(c), suitBit(c)}];
    }
    EXPECT_EQ(ids.size(), 108u);
    EXPECT_EQ(*ids.rbegin(), 107);
    EXPECT_EQ(copies.size(), 54u);
    for (auto [key, n] : copies)
        EXPECT_EQ(n, 2) << key.first << "/" << key.second;
    EXPECT_EQ(pointsOf(deck), kTotalPoints);

    Rng a(5), b(5), c(6);
    Deck da = shuffledDeck(a), db = shuffledDeck(b), dc = shuffledDeck(c);
    EXPECT_EQ(da, db);
    EXPECT_NE(da, dc);
    std::sort(da.begin(), da.end());
    std::sort(deck.begin(), deck.end());
    EXPECT_EQ(da, deck);
}

TEST(RoundCalling, RefusesWhatTheTurnDoesNotAllow) {
    const CardCode aceSpades = card(14, kSuitSpades);
    Round round(deckWith({{{aceSpades, card(5, kSuitHearts)}, {}, {}, {}}}), 0);
    struct Case {
        int seat;
        uint8_t choice;
        int rank, suit;
        const char* refusal;  // empty: accepted
    };
    const Case cases[] = {
        {1, kChoiceCall, 14, kSuitSpades, "not this seat's calling turn"},
        {0, kChoicePass, 0, 0, "the starter may not pass"},
        {0, kChoiceCall, 5, kSuitHearts, "the card may not be called"},
        {0, kChoiceCall, 14, 3, "the card may not be called"},
        {0, 9, 0, 0, "unknown calling choice"},
        {0, kChoiceCall, 14, kSuitSpades, ""},
        {0, kChoicePass, 0, 0, "not this seat's calling turn"},
        {1, kChoiceCall, 14, kSuitSpades, "a call is not offered"},
        {1, kChoicePass, 0, 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(round.call(c.seat, c.choice, c.rank, c.suit), c.refusal) << c.seat << " " << int(c.choice);
    EXPECT_EQ(round.callingSeat(), 2);
    EXPECT_EQ(round.offer(), kOfferRoarOrPass);

    // A card the caller does not hold cannot be called: its partner would be ambiguous.
    Round other(deckWith({{{}, {card(14, kSuitSpades), card(14, kSuitSpades, 1)}, {}, {}}}), 0);
    EXPECT_EQ(other.call(0, kChoiceCall, 14, kSuitSpades), "the caller does not hold the called card");
}

TEST(RoundCalling, PartnerHiddenCallAndRoar) {
    const CardCode a0 = card(14, kSuitSpades, 0), a1 = card(14, kSuitSpades, 1);
    struct Case {
        const char* name;
        std::array<std::vector<CardCode>, kSeats> hands;
        std::vector<std::pair<int, uint8_t>> choices;  // after seat 0 calls A of spades
        CallKind kind;
        int partner, lone, leader;
    };
    const Case cases[] = {
        {"ordinary", {{{a0}, {}, {a1}, {}}}, {{1, 0}, {2, 0}, {3, 0}}, CallKind::Ordinary, 2, -1, 0},
        {"hidden", {{{a0, a1}, {}, {}, {}}}, {{1, 0}, {2, 0}, {3, 0}}, CallKind::Hidden, 0, 0, 0},
        {"roar voids the call", {{{a0}, {}, {a1}, {}}}, {{1, 0}, {2, 2}}, CallKind::Roar, -1, 2, 2},
    };
    for (const Case& c : cases) {
        Round round(deckWith(c.hands), 0);
        ASSERT_EQ(round.call(0, kChoiceCall, 14, kSuitSpades), "") << c.name;
        for (auto [seat, choice] : c.choices)
            ASSERT_EQ(round.call(seat, choice, 0, 0), "") << c.name;
        EXPECT_EQ(round.phase(), Phase::Playing) << c.name;
        EXPECT_EQ(round.kind(), c.kind) << c.name;
        EXPECT_EQ(round.partner(), c.partner) << c.name;
        EXPECT_EQ(round.lone(), c.lone) << c.name;
        EXPECT_EQ(round.turn(), c.leader) << c.name;
        EXPECT_EQ(round.opening().next, c.leader) << c.name;
    }
    // The starter's roar ends the calling at once.
    Round roar(deckWith({{{a0}, {}, {}, {}}}), 0);
    ASSERT_EQ(roar.call(0, kChoiceRoar, 0, 0), "");
    EXPECT_EQ(roar.phase(), Phase::Playing);
    EXPECT_EQ(roar.callHistory().size(), 1u);
    EXPECT_EQ(roar.lone(), 0);
}

// Seat 0 holds 3 to 10 three times (a 24-card run of triples) and three jacks; seat 2 holds the
// other copy of the called 3 of diamonds.
struct RunHandRound : ::testing::Test {
    std::vector<CardCode> run, jacks;
    CardCode partnerCard = card(3, kSuitDiamonds, 1);
    std::unique_ptr<Round> round;

    void SetUp() override {
        for (int rank = 3; rank <= 10; ++rank)
            for (int suit : {kSuitDiamonds, kSuitClubs, kSuitHearts})
                run.push_back(card(rank, suit));
        jacks = {card(11, kSuitDiamonds), card(11, kSuitClubs), card(11, kSuitHearts)};
        std::vector<CardCode> hand0 = run;
        hand0.insert(hand0.end(), jacks.begin(), jacks.end());
        round = std::make_unique<Round>(deckWith({{hand0, {card(4, kSuitSpades)}, {partnerCard}, {}}}), 0);
        ASSERT_EQ(round->call(0, kChoiceCall, 3, kSuitDiamonds), "");
        for (int seat = 1; seat < 4; ++seat)
            ASSERT_EQ(round->call(seat, kChoicePass, 0, 0), "");
    }
};

TEST_F(RunHandRound, RefusesOutOfTurnUnheldAndIllegalPlays) {
    struct Case {
        int seat;
        PlayFrame frame;
        const char* refusal;
    };
    PlayFrame notHeld = playOf(0, kPlaySingle, {card(4, kSuitSpades)});
    PlayFrame wrongType = playOf(0, kPlaySingle, {run[0]});
    wrongType.type = kPlayPair;
    const Case cases[] = {
        {1, playOf(1, kPlaySingle, {card(4, kSuitSpades)}), "not this seat's turn"},
        {0, passOf(0), "pass while leading"},
        {0, notHeld, "card not held"},
        {0, wrongType, "type mismatch"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(round->play(c.seat, c.frame).refusal, c.refusal);
    EXPECT_EQ(round->hand(0).size(), 27u);
    EXPECT_EQ(round->turn(), 0);
}

TEST_F(RunHandRound, TrickGoesToTheLastPlayerAndAFinishedTakerHandsTheLeadToThePartner) {
    Round::Outcome lead = round->play(0, playOf(0, kPlayTripleRun, run));
    ASSERT_EQ(lead.refusal, "");
    EXPECT_EQ(lead.event.tablePoints, 45);  // three 5s and three 10s
    EXPECT_EQ(lead.event.next, 1);
    EXPECT_EQ(lead.event.trickFlag, kTrickGoesOn);
    // A smaller play does not beat the run; passes close the trick on the third.
    EXPECT_EQ(round->play(1, playOf(1, kPlaySingle, {card(4, kSuitSpades)})).refusal, "does not beat the last play");
    EXPECT_EQ(round->play(1, passOf(1)).event.trickFlag, kTrickGoesOn);
    EXPECT_EQ(round->play(2, passOf(2)).event.trickFlag, kTrickGoesOn);
    Round::Outcome closed = round->play(3, passOf(3));
    EXPECT_EQ(closed.event.trickFlag, kTrickToNextSeat);
    EXPECT_EQ(closed.event.taker, 0);
    EXPECT_EQ(closed.event.next, 0);
    EXPECT_EQ(closed.event.tablePoints, 45);
    EXPECT_EQ(round->taken()[0], 45);
    EXPECT_TRUE(round->leading());

    Round::Outcome last = round->play(0, playOf(0, kPlayTriple, jacks));
    ASSERT_EQ(last.refusal, "");
    EXPECT_TRUE(last.event.finished);
    EXPECT_FALSE(last.event.roundOver);  // the partner still holds cards
    round->play(1, passOf(1));
    round->play(2, passOf(2));
    Round::Outcome handOver = round->play(3, passOf(3));
    EXPECT_EQ(handOver.event.trickFlag, kTrickToByte16);
    EXPECT_EQ(handOver.event.taker, 0);
    EXPECT_EQ(handOver.event.next, 2);

    // The partner shows the called card: revealed once, and only by the partner.
    Round::Outcome reveal = round->play(2, playOf(2, kPlaySingle, {partnerCard}));
    ASSERT_EQ(reveal.refusal, "");
    EXPECT_TRUE(reveal.event.partnerRevealed);
    EXPECT_TRUE(round->partnerRevealed());
}

// A starter whose calling time runs out calls what the client's countdown would: the callable
// card held once in the highest slot of the hand sorted by size, whatever order the cards were
// dealt in; a card held twice only when no callable card is held once.
TEST(RoundCalling, TheAutomaticCallIsTheClientsCardOfTheHandSortedBySize) {
    struct Case {
        std::vector<CardCode> dealt;
        int rank, suit;  // 0, 0: nothing callable
        const char* why;
    };
    const Case cases[] = {
        {{card(3, kSuitDiamonds), card(9, kSuitClubs), card(5, kSuitDiamonds), card(10, kSuitClubs),
          card(13, kSuitHearts), card(15, kSuitSpades), joker(kRankBigJoker)},
         3, kSuitDiamonds, "the lowest callable rank, not the last callable card dealt"},
        {{card(14, kSuitHearts), card(3, kSuitSpades), card(3, kSuitDiamonds), card(3, kSuitHearts)},
         3, kSuitDiamonds, "equal ranks: the lowest suit bit"},
        {{card(12, kSuitSpades), card(15, kSuitHearts), card(15, kSuitClubs), joker(kRankSmallJoker),
          card(13, kSuitDiamonds)},
         12, kSuitSpades, "2s, jokers and Ks sort below nothing callable"},
        {{card(4, kSuitHearts), card(5, kSuitSpades), card(10, kSuitHearts), card(4, kSuitClubs)},
         4, kSuitClubs, "5s and 10s sort above every ordinary rank"},
        {{card(11, kSuitDiamonds), card(14, kSuitSpades), card(11, kSuitDiamonds, 1)},
         14, kSuitSpades, "both copies of the J held: the A held once, never a hidden call"},
        {{card(11, kSuitDiamonds), card(14, kSuitSpades), card(11, kSuitDiamonds, 1), card(14, kSuitSpades, 1),
          card(5, kSuitHearts)},
         11, kSuitDiamonds, "only pairs callable: the lowest of them"},
        {{card(5, kSuitDiamonds), card(10, kSuitClubs), card(13, kSuitHearts), card(15, kSuitSpades),
          joker(kRankBigJoker)},
         0, 0, "nothing callable"},
    };
    for (const Case& c : cases) {
        const CardCode got = automaticCallCard(c.dealt);
        EXPECT_EQ(got == 0 ? 0 : cardRank(got), c.rank) << c.why;
        EXPECT_EQ(got == 0 ? 0 : suitBit(got), c.suit) << c.why;
    }

    // Whole dealt hands: the server answers with the lowest callable rank and suit held once (the
    // lowest held twice when there is none), and the round takes that answer.
    Rng rng(31);
    for (int deal = 0; deal < 100; ++deal) {
        Round round(shuffledDeck(rng), 0);
        const std::vector<CardCode>& hand = round.hand(0);
        std::pair<int, int> lowest{99, 99}, lowestTwice{99, 99};
        for (CardCode c : hand) {
            if (!isCallableRank(cardRank(c)))
                continue;
            const auto copies = std::count_if(hand.begin(), hand.end(), [c](CardCode o) {
                return cardRank(o) == cardRank(c) && suitBit(o) == suitBit(c);
            });
            std::pair<int, int>& lowestOfKind = copies == 1 ? lowest : lowestTwice;
            lowestOfKind = std::min(lowestOfKind, std::pair<int, int>{cardRank(c), suitBit(c)});
        }
        if (lowest.first == 99)
            lowest = lowestTwice;
        if (lowest.first == 99)
            continue;
        CallChoice answer = automaticCallChoice(1, round.offer(), hand);
        ASSERT_EQ(answer.choice, kChoiceCall);
        EXPECT_EQ(answer.rank, lowest.first) << "deal " << deal;
        EXPECT_EQ(answer.suitBit, lowest.second) << "deal " << deal;
        EXPECT_EQ(round.call(0, answer.choice, answer.rank, answer.suitBit), "");
    }
}

TEST(RoundCalling, StarterWithoutCallableCardMayOnlyRoar) {
    std::vector<CardCode> hand;
    for (int copy = 0; copy < 2; ++copy) {
        for (int suit : {kSuitDiamonds, kSuitClubs, kSuitHearts, kSuitSpades})
            for (int rank : {5, 10, 13})
                hand.push_back(card(rank, suit, copy));
    }
    hand.push_back(joker(kRankSmallJoker));
    hand.push_back(joker(kRankBigJoker));
    hand.push_back(card(15, kSuitSpades));  // 27 cards, none callable
    Round round(deckWith({{hand, {}, {}, {}}}), 0);
    EXPECT_EQ(round.offer(), kOfferRoarOnly);
    EXPECT_EQ(automaticCallCard(round.hand(0)), 0);
    EXPECT_EQ(round.call(0, kChoiceCall, 15, kSuitSpades), "a call is not offered");
    EXPECT_EQ(round.call(0, kChoiceRoar, 0, 0), "");
}

}  // namespace
}  // namespace vexal::server
