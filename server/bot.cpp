#include "server/bot.h"

#include <algorithm>
#include <array>
#include <span>

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

// A bot's selection, held without allocating: a hand holds at most its slots, and a longer one
// (never dealt) is read up to them.
struct Selection {
    std::array<CardCode, kHandSlots> cards{};
    size_t count = 0;
    void add(CardCode c) { cards[count++] = c; }
    std::span<CardCode> span() { return {cards.data(), count}; }
    std::vector<CardCode> vector() const { return {cards.begin(), cards.begin() + static_cast<long>(count)}; }
};

CommandFrame playFrameFor(int seat, std::span<CardCode> selection, PlayType lastType) {
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

namespace {

// Everything a following seat sees but its own hand, which the round holds.
FollowView sightOf(const Round& round, int seat) {
    FollowView v;
    v.seat = seat;
    v.last = round.lastPlay();
    v.lastPlayer = round.lastPlayer();
    v.trickPoints = round.trickPoints();
    for (int s = 0; s < kSeats; ++s) {
        v.cardsLeft[s] = static_cast<int>(round.hand(s).size());
        v.sides[s] = sideAsSeen(round, seat, s);
    }
    return v;
}

// botFollow's choice into `out`, the hand read where it lies.
void followInto(const FollowView& view, std::span<const CardCode> hand, Selection& out) {
    HintResult hint = hintSearch(hand, view.last);
    if (hint.pass || hint.slots.empty())
        return;
    for (int slot : hint.slots)
        out.add(hand[static_cast<size_t>(slot)]);
    sortSelection(out.span());
    const PlayType type = ClassifyPlay(view.last.type, out.span());
    const int kept = static_cast<int>(hand.size() - out.count);
    if (!worthPlaying(view, type, kept))
        out.count = 0;
}

// botLead's choice into `out`.
void leadInto(std::span<const CardCode> hand, Selection& out) {
    for (CardCode c : hand)
        out.add(c);
    sortSelection(out.span());
    if (ClassifyPlay(kPlayNone, out.span()) != kPlayNone)
        return;
    out.count = 0;
    std::array<int, 18> count{};
    for (CardCode c : hand)
        if (!isWild(c))
            ++count[cardRank(c)];
    // The cards of a rank in hand order, as the hand holds them.
    auto take = [&](int rank, size_t most) {
        for (CardCode c : hand)
            if (out.count < most && !isWild(c) && cardRank(c) == rank)
                out.add(c);
    };
    for (int r = kRankLowest; r <= kRankTwo; ++r)
        if (count[r] > 0 && count[r] < 4)
            return take(r, kHandSlots);
    // Opening with a bomb doubles the stake for a trick anybody could have led cheaply.
    for (int r = kRankLowest; r <= kRankTwo; ++r)
        if (count[r] > 0)
            return take(r, 1);
    for (CardCode c : hand)
        if (isWild(c))
            return out.add(c);
}

}  // namespace

FollowView followView(const Round& round, int seat) {
    FollowView v = sightOf(round, seat);
    v.hand = round.hand(seat);
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
    Selection selection;
    followInto(view, std::span(view.hand).first(std::min(view.hand.size(), selection.cards.size())), selection);
    return selection.vector();
}

std::vector<CardCode> botLead(const std::vector<CardCode>& hand) {
    Selection selection;
    leadInto(std::span(hand).first(std::min(hand.size(), selection.cards.size())), selection);
    return selection.vector();
}

CommandFrame botPlayFrame(const Round& round, int seat) {
    const std::vector<CardCode>& hand = round.hand(seat);
    const std::span<const CardCode> held(hand.data(), std::min<size_t>(hand.size(), kHandSlots));
    Selection selection;
    if (round.leading()) {
        leadInto(held, selection);
        return playFrameFor(seat, selection.span(), kPlayNone);
    }
    followInto(sightOf(round, seat), held, selection);
    if (selection.count == 0)
        return buildPassFrame(wire::seatBit(seat));
    return playFrameFor(seat, selection.span(), round.lastPlay().type);
}

}  // namespace vexal::server
