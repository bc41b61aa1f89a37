#include "server/round.h"

#include <algorithm>

#include "net/messages/wire.h"
#include "rules/sort.h"
#include "model/roundstate.h"

namespace vexal::server {

namespace {

bool isSingleSuitBit(int bit) { return bit == 1 || bit == 2 || bit == 4 || bit == 8; }

int copiesHeld(const std::vector<CardCode>& hand, int rank, int suit) {
    return static_cast<int>(std::count_if(hand.begin(), hand.end(), [&](CardCode c) {
        return cardRank(c) == rank && suitBit(c) == suit;
    }));
}

}  // namespace

CardCode automaticCallCard(const std::vector<CardCode>& hand) {
    // The client holds its hand sorted by size from the deal on and calls from its slots; the
    // server answers for it with the very same card, so both use the client's own rule.
    Hand sorted;
    sorted.count = static_cast<int16_t>(std::min<size_t>(hand.size(), kHandSlots));
    std::copy_n(hand.begin(), sorted.count, sorted.codes.begin());
    if (!SortbyBig(sorted, sorted.count))
        return 0;
    const int slot = automaticCallSlot(sorted);
    return slot < 0 ? 0 : sorted.codes[static_cast<size_t>(slot)];
}

CallChoice automaticCallChoice(uint8_t seatBit, uint8_t offer, const std::vector<CardCode>& hand) {
    CallChoice c{seatBit, kChoicePass, 0, 0};
    if (offer == kOfferRoarOnly)
        c.choice = kChoiceRoar;
    if (offer == kOfferCallOrRoar) {
        const CardCode card = automaticCallCard(hand);
        c = CallChoice{seatBit, kChoiceCall, static_cast<uint8_t>(cardRank(card)), static_cast<uint8_t>(suitBit(card))};
    }
    return c;
}

CommandFrame automaticPlayFrame(uint8_t seatBit, bool leading, const std::vector<CardCode>& hand) {
    if (!leading || hand.empty())
        return buildPassFrame(seatBit);
    std::vector<CardCode> lowest = hand;
    sortSelection(lowest);
    return *buildPlayFrame(seatBit, kPlaySingle, arrangePlay(kPlaySingle, std::span(&lowest.back(), 1)));
}

Round::Round(const Deck& deck, int starter) : m_starter(starter & 3) {
    for (int seat = 0; seat < kSeats; ++seat)
        m_hands[seat].assign(deck.begin() + seat * kHandSlots, deck.begin() + (seat + 1) * kHandSlots);
}

int Round::callingSeat() const {
    return m_phase == Phase::Calling ? (m_starter + m_callIndex) & 3 : -1;
}

uint8_t Round::offer() const {
    if (m_callIndex > 0)
        return kOfferRoarOrPass;
    // A starter without a callable card (only 5s, 10s, Ks, 2s and jokers) can only roar.
    return automaticCallCard(m_hands[m_starter]) != 0 ? kOfferCallOrRoar : kOfferRoarOnly;
}

std::string Round::call(int seat, uint8_t choice, int rank, int suitBit) {
    if (m_phase != Phase::Calling)
        return "not in the calling phase";
    if (seat != callingSeat())
        return "not this seat's calling turn";
    const uint8_t offered = offer();
    switch (choice) {
    case kChoicePass:
        if (offered != kOfferRoarOrPass)
            return "the starter may not pass";
        break;
    case kChoiceCall:
        if (offered != kOfferCallOrRoar)
            return "a call is not offered";
        if (!isCallableRank(rank) || !isSingleSuitBit(suitBit))
            return "the card may not be called";
        if (copiesHeld(m_hands[seat], rank, suitBit) == 0)
            return "the caller does not hold the called card";
        m_caller = seat;
        m_calledRank = rank;
        m_calledSuit = suitBit;
        break;
    case kChoiceRoar:
        m_lone = seat;
        m_kind = CallKind::Roar;
        break;
    default:
        return "unknown calling choice";
    }
    CallChoice made{wire::seatBit(seat), choice, 0, 0};
    if (choice == kChoiceCall) {
        made.rank = static_cast<uint8_t>(rank);
        made.suitBit = static_cast<uint8_t>(suitBit);
    }
    m_callHistory.push_back(made);
    ++m_callIndex;
    if (choice == kChoiceRoar || m_callIndex == kSeats)
        endCalling();
    return {};
}

void Round::endCalling() {
    if (m_kind == CallKind::Roar) {
        // A roar voids an earlier call.
        m_caller = -1;
        m_partner = -1;
        m_leader = m_lone;
    } else {
        m_leader = m_caller;
        if (copiesHeld(m_hands[m_caller], m_calledRank, m_calledSuit) == 2) {
            m_kind = CallKind::Hidden;
            m_lone = m_caller;
            m_partner = m_caller;
        } else {
            m_kind = CallKind::Ordinary;
            for (int s = 0; s < kSeats; ++s)
                if (s != m_caller && copiesHeld(m_hands[s], m_calledRank, m_calledSuit) > 0)
                    m_partner = s;
        }
    }
    for (int s = 0; s < kSeats; ++s) {
        bool calling = m_kind == CallKind::Ordinary ? (s == m_caller || s == m_partner) : s == m_lone;
        m_team[s] = calling ? 0 : 1;
    }
    m_phase = Phase::Playing;
    m_turn = m_leader;
}

PlayEvent Round::opening() const {
    PlayEvent e;
    e.seat = m_leader;
    e.trickFlag = 1;
    e.taker = m_leader;
    e.next = m_leader;
    return e;
}

int Round::nextHolding(int seat) const {
    for (int i = 1; i <= kSeats; ++i) {
        int s = (seat + i) & 3;
        if (!m_hands[s].empty())
            return s;
    }
    return -1;
}

bool Round::roundIsOver() const {
    if (m_kind == CallKind::Ordinary) {
        for (int team = 0; team < 2; ++team) {
            bool allOut = true;
            for (int s = 0; s < kSeats; ++s)
                if (m_team[s] == team && !m_hands[s].empty())
                    allOut = false;
            if (allOut)
                return true;
        }
        return false;
    }
    if (m_hands[m_lone].empty())
        return true;
    for (int s = 0; s < kSeats; ++s)
        if (s != m_lone && !m_hands[s].empty())
            return false;
    return true;
}

Round::Outcome Round::play(int seat, const PlayFrame& frame) {
    Outcome out;
    if (m_phase != Phase::Playing) {
        out.refusal = "not in the play phase";
        return out;
    }
    if (seat != m_turn) {
        out.refusal = "not this seat's turn";
        return out;
    }
    PlayCheck check = checkReceivedPlay(frame, m_hands[seat], m_last);
    if (check.verdict != PlayVerdict::Accepted) {
        static const char* const kWhy[] = {"accepted", "pass while leading", "card not held",
                                           "wild card count mismatch", "not a play", "type mismatch",
                                           "wild ranks mismatch", "does not beat the last play"};
        out.refusal = kWhy[static_cast<int>(check.verdict)];
        return out;
    }
    PlayEvent& e = out.event;
    e.seat = seat;
    if (frame.pass) {
        ++m_passes;
        int others = 0;
        for (int s = 0; s < kSeats; ++s)
            if (s != m_lastPlayer && !m_hands[s].empty())
                ++others;
        e.tablePoints = m_trickPoints;
        if (m_passes >= others) {
            const int taker = m_lastPlayer;
            m_taken[taker] += m_trickPoints;
            int leader = taker;
            if (m_hands[taker].empty()) {
                leader = -1;
                if (m_kind == CallKind::Ordinary) {
                    for (int s = 0; s < kSeats; ++s)
                        if (s != taker && m_team[s] == m_team[taker] && !m_hands[s].empty())
                            leader = s;
                }
                if (leader < 0)
                    leader = nextHolding(taker);
            }
            e.trickFlag = leader == taker ? kTrickToNextSeat : kTrickToByte16;
            e.taker = taker;
            e.next = leader;
            m_trickPoints = 0;
            m_passes = 0;
            m_last = LastPlay{};
            m_lastPlayer = -1;
            m_turn = leader;
        } else {
            e.next = nextHolding(seat);
            m_turn = e.next;
        }
        return out;
    }

    auto& hand = m_hands[seat];
    for (const ArrangedCard& a : check.arranged)
        hand.erase(std::find(hand.begin(), hand.end(), a.code));
    e.type = check.type;
    e.arranged = std::move(check.arranged);
    for (const ArrangedCard& a : e.arranged) {
        m_trickPoints += cardPoints(a.code);
        if (!m_revealed && m_kind == CallKind::Ordinary && seat == m_partner && !isWild(a.code) &&
            cardRank(a.code) == m_calledRank && suitBit(a.code) == m_calledSuit) {
            m_revealed = true;
            e.partnerRevealed = true;
        }
    }
    if (check.type > kPlayFiveTenKingMixed)
        m_bombs[seat].push_back(check.type);
    m_last = check.next;
    m_lastPlayer = seat;
    m_passes = 0;
    if (hand.empty()) {
        m_places[seat] = m_nextPlace++;
        e.finished = true;
    }
    if (e.finished && roundIsOver()) {
        e.trickFlag = kTrickToPlayer;
        e.taker = seat;
        e.tablePoints = m_trickPoints;
        e.roundOver = true;
        m_taken[seat] += m_trickPoints;
        m_trickPoints = 0;
        finishRound();
    } else {
        e.tablePoints = m_trickPoints;
        e.next = nextHolding(seat);
        m_turn = e.next;
    }
    return out;
}

void Round::finishRound() {
    m_phase = Phase::Over;
    m_turn = -1;
    // Unfinished seats take the remaining places, fewer cards first; equal counts go in turn
    // order from the seat that made the last play.
    std::vector<int> rest;
    for (int i = 1; i <= kSeats; ++i) {
        int s = (m_lastPlayer + i) & 3;
        if (m_places[s] == 0)
            rest.push_back(s);
    }
    std::stable_sort(rest.begin(), rest.end(),
                     [&](int a, int b) { return m_hands[a].size() < m_hands[b].size(); });
    for (int s : rest)
        m_places[s] = m_nextPlace++;
}

RoundFacts Round::facts() const {
    RoundFacts f;
    f.kind = m_kind;
    f.caller = m_caller;
    f.partner = m_partner;
    f.lone = m_lone;
    f.team = m_team;
    f.places = m_places;
    f.cardPoints = m_taken;
    for (int s = 0; s < kSeats; ++s) {
        f.handPoints[s] = pointsOf(m_hands[s]);
        f.bombs[s] = m_bombs[s];
    }
    return f;
}

}  // namespace vexal::server
