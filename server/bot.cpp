#include "server/bot.h"

#include <algorithm>
#include <array>

#include "net/messages/calling.h"
#include "net/messages/wire.h"
#include "rules/hint.h"

namespace vexal::server {

namespace {

struct HandShape {
    int wild = 0;
    int bombs = 0;   // ranks held four or more times
    int twos = 0;
};

HandShape shapeOf(const std::vector<CardCode>& hand) {
    HandShape shape;
    std::array<int, 18> count{};
    for (CardCode c : hand) {
        if (isWild(c))
            ++shape.wild;
        else
            ++count[cardRank(c)];
    }
    for (int r = kRankLowest; r <= kRankTwo; ++r)
        if (count[r] >= 4)
            ++shape.bombs;
    shape.twos = count[kRankTwo];
    return shape;
}

// A strong hand: most of the wild cards, or wild cards with several bombs.
bool strongHand(const std::vector<CardCode>& hand) {
    HandShape s = shapeOf(hand);
    return s.wild >= 3 || (s.wild >= 2 && s.bombs >= 3) || s.bombs >= 5;
}

bool doublesStake(PlayType type) {
    return type > kPlayFiveTenKingMixed;
}

CommandFrame playFrameFor(int seat, std::vector<CardCode> selection, PlayType lastType) {
    sortSelection(selection);
    PlayType type = ClassifyPlay(lastType, selection);
    if (type == kPlayUndecided)
        type = kPlayPairRun;
    if (type <= kPlayNone)
        return buildPassFrame(wire::seatBit(seat));
    std::optional<CommandFrame> f = buildPlayFrame(wire::seatBit(seat), type, arrangePlay(type, selection));
    return f ? *f : buildPassFrame(wire::seatBit(seat));
}

}  // namespace

CommandFrame botCallFrame(const Round& round, int seat, Rng& rng) {
    const auto& hand = round.hand(seat);
    CallChoice choice{wire::seatBit(seat), kChoicePass, 0, 0};
    const uint8_t offer = round.offer();
    const bool strong = strongHand(hand);
    if (offer == kOfferCallOrRoar) {
        if (strong && drawBelow(rng, 3) == 0) {
            choice.choice = kChoiceRoar;
        } else {
            // Call the highest callable card held once, so that a partner holds the other copy;
            // a card held twice makes a hidden call, fine for a strong hand.
            CardCode pick = 0;
            for (CardCode c : hand) {
                int rank = cardRank(c);
                if (!isCallableRank(rank))
                    continue;
                auto copies = std::count_if(hand.begin(), hand.end(), [&](CardCode o) {
                    return cardRank(o) == rank && suitBit(o) == suitBit(c);
                });
                if (copies == 2 && !strong)
                    continue;
                if (pick == 0 || rank > cardRank(pick))
                    pick = c;
            }
            if (pick == 0)
                pick = automaticCallCard(hand);
            choice.choice = kChoiceCall;
            choice.rank = static_cast<uint8_t>(cardRank(pick));
            choice.suitBit = static_cast<uint8_t>(suitBit(pick));
        }
    } else if (offer == kOfferRoarOnly || (strong && shapeOf(hand).wild == 4 && drawBelow(rng, 2) == 0)) {
        choice.choice = kChoiceRoar;
    }
    return encode(choice);
}

Side sideAsSeen(const Round& round, int seat, int other) {
    if (other == seat)
        return Side::Own;
    switch (round.kind()) {
    case CallKind::Roar:
        return (seat == round.lone()) == (other == round.lone()) ? Side::Own : Side::Other;
    case CallKind::Hidden:
        // Only the caller knows he holds both copies; to the others the partner just has not
        // shown yet.
        if (seat == round.caller() || other == round.caller())
            return Side::Other;
        return Side::Unknown;
    case CallKind::Ordinary:
        if (seat == round.partner() || round.partnerRevealed())
            return round.sameSide(seat, other) ? Side::Own : Side::Other;
        if (seat != round.caller() && other == round.caller())
            return Side::Other;
        return Side::Unknown;
    case CallKind::None:
        break;
    }
    return Side::Unknown;
}

FollowView followView(const Round& round, int seat) {
    FollowView v;
    v.seat = seat;
    v.hand = round.hand(seat);
    v.last = round.lastPlay();
    v.lastPlayer = round.lastPlayer();
    v.trickPoints = round.trickPoints();
    for (int s = 0; s < kSeats; ++s) {
        v.cardsLeft[s] = static_cast<int>(round.hand(s).size());
        v.sides[s] = sideAsSeen(round, seat, s);
    }
    return v;
}

bool worthPlaying(const FollowView& view, PlayType type, int cardsKept) {
    if (type <= kPlayTripleRun)
        return true;
    // A teammate's play wins the trick for the side already.
    if (view.lastPlayer >= 0 && view.sides[view.lastPlayer] == Side::Own)
        return false;
    if (type == kPlayFiveTenKingMixed)
        return true;  // it multiplies nothing
    for (int s = 0; s < kSeats; ++s)
        if (view.sides[s] != Side::Own && view.cardsLeft[s] > 0 && view.cardsLeft[s] <= kNearOutCards)
            return true;
    if (cardsKept <= kNearlyDoneCards)
        return true;
    // Points alone are worth one doubling, not a bomb war over the same trick.
    return view.trickPoints >= kRichTrickPoints && !doublesStake(view.last.type);
}

std::vector<CardCode> botFollow(const FollowView& view) {
    HintResult hint = hintSearch(view.hand, view.last);
    if (hint.pass || hint.slots.empty())
        return {};
    std::vector<CardCode> selection;
    for (int slot : hint.slots)
        selection.push_back(view.hand[static_cast<size_t>(slot)]);
    sortSelection(selection);
    const PlayType type = ClassifyPlay(view.last.type, selection);
    const int kept = static_cast<int>(view.hand.size() - selection.size());
    if (!worthPlaying(view, type, kept))
        return {};
    return selection;
}

std::vector<CardCode> botLead(const std::vector<CardCode>& hand) {
    std::vector<CardCode> all = hand;
    sortSelection(all);
    if (ClassifyPlay(kPlayNone, all) != kPlayNone)
        return all;
    std::array<std::vector<CardCode>, 18> byRank;
    std::vector<CardCode> wild;
    for (CardCode c : hand)
        (isWild(c) ? wild : byRank[cardRank(c)]).push_back(c);
    for (int r = kRankLowest; r <= kRankTwo; ++r)
        if (!byRank[r].empty() && byRank[r].size() < 4)
            return byRank[r];
    // Opening with a bomb doubles the stake for a trick anybody could have led cheaply.
    for (int r = kRankLowest; r <= kRankTwo; ++r)
        if (!byRank[r].empty())
            return {byRank[r].front()};
    return {wild.front()};
}

CommandFrame botPlayFrame(const Round& round, int seat) {
    if (round.leading())
        return playFrameFor(seat, botLead(round.hand(seat)), kPlayNone);
    std::vector<CardCode> selection = botFollow(followView(round, seat));
    if (selection.empty())
        return buildPassFrame(wire::seatBit(seat));
    return playFrameFor(seat, selection, round.lastPlay().type);
}

}  // namespace vexal::server
