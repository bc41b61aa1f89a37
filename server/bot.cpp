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

// Whether the bot knows `other` to be on its side from what its seat has seen.
bool knownTeammate(const Round& round, int seat, int other) {
    if (other < 0 || other == seat || round.kind() != CallKind::Ordinary)
        return false;
    if (seat == round.partner())
        return other == round.caller();
    if (seat == round.caller())
        return round.partnerRevealed() && other == round.partner();
    // The other side knows itself once the partner has shown the called card.
    return round.partnerRevealed() && other != round.caller() && other != round.partner();
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
    for (int r = kRankLowest; r <= kRankTwo; ++r)
        if (!byRank[r].empty())
            return byRank[r];
    return {wild.front()};
}

CommandFrame botPlayFrame(const Round& round, int seat) {
    const auto& hand = round.hand(seat);
    const LastPlay& last = round.lastPlay();
    if (round.leading())
        return playFrameFor(seat, botLead(hand), kPlayNone);
    HintResult hint = hintSearch(hand, last);
    if (hint.pass || hint.slots.empty())
        return buildPassFrame(wire::seatBit(seat));
    std::vector<CardCode> selection;
    for (int slot : hint.slots)
        selection.push_back(hand[slot]);
    sortSelection(selection);
    bool costly = ClassifyPlay(last.type, selection) > kPlayTripleRun;
    if (costly && !isBombType(last.type) && !isFiveTenKingType(last.type) &&
        knownTeammate(round, seat, round.lastPlayer()))
        return buildPassFrame(wire::seatBit(seat));
    return playFrameFor(seat, selection, last.type);
}

}  // namespace vexal::server
