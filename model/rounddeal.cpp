// The deal and the calling turns: the own hand from the deal, the offered choices, the own choice,
// the countdown that answers for the player, and every seat's choice as the server reports it.
#include "model/roundmodel.h"

#include "model/players.h"
#include "rules/sort.h"

namespace vexal {

namespace {
CommandFrame choiceFrame(uint8_t seatBit, uint8_t choice, uint8_t rank = 0, uint8_t suit = 0) {
    return encode(CallChoice{seatBit, choice, rank, suit});
}

std::string text(std::string_view s) { return std::string(s); }
}  // namespace

void RoundModel::onDeal(const Deal& deal, Effects& fx) {
    // Records of a round cut short before its fourth (a drop between them) count for nothing in
    // this one: its sheet waits for its own four.
    m_recordCount = 0;
    m_round.settlementNote = deal.note;
    m_round.noteAlone = deal.noteAlone;
    Hand& own = m_round.hands[0];
    own.seatBit = m_session.own.seatBit;
    own.count = 0;
    for (size_t k = 0; k < deal.cards.size() && k < static_cast<size_t>(kHandSlots); ++k) {
        if (!setImageCard(0, static_cast<int>(k), deal.cards[k], fx))
            return;
        own.codes[static_cast<size_t>(own.count)] = deal.cards[k];
        own.images[k] = static_cast<uint16_t>(k);
        ++own.count;
    }
    m_round.raised = {};
    m_round.raisedCount = 0;
    // A deal that stopped at a broken card keeps the cards before it, unsorted, and lays out nothing
    // more; one that ended on zero padding (a resumed round) is a whole deal of fewer cards.
    if (!deal.stoppedAtBrokenCode) {
        if (!SortbyBig(own, own.count))
            fx.draw(view::StatusLine{0, text(kSortbyBigError)});
        m_round.sortMode = 1;
        for (int r = 1; r < 4; ++r) {
            Hand& h = m_round.hands[static_cast<size_t>(r)];
            h.count = kHandSlots;
            for (int i = 0; i < kHandSlots; ++i)
                h.images[static_cast<size_t>(i)] = static_cast<uint16_t>(i);
        }
        m_round.pilesShown = true;
        m_round.labelsShown = true;
        m_round.tablePoints = 0;
    }
    fx.draw(view::DealLaidOut{deal.cards, deal.stoppedAtBrokenCode});

    m_round.callingTurn = false;
    m_session.roundRunning = true;
    m_round.reviewEnabled = true;
    m_round.roundControls = true;
    fx.draw(view::ControlsChanged{});
    fx.draw(view::LabelsChanged{});
    // What the score sheet starts from: the wealth multiple and the coins as the panels show them now.
    m_round.wealthText =
        m_session.lastWealthMultiple != 0 ? std::to_string(smallestPositiveWealth(m_session.wealthMultiples)) : "1";
    for (size_t r = 0; r < 4; ++r)
        m_round.initialCoins[r] =
            m_session.players[r].nickname.empty() ? std::string() : cashText(m_session.players[r].coins, m_coinUnit);
}

void RoundModel::onCallingTurn(const CallingTurn& turn, Effects& fx) {
    const int s = m_session.relativeOf(turn.seatBit);
    m_round.ownPlayTurn = false;
    if (s == 0) {
        m_round.callOffer = turn.offer;
        m_round.ownPlayTurn = true;
        fx.draw(view::ControlsChanged{});
    }
    if (turn.offer == kOfferCallOrRoar) {
        m_round.callingTurn = true;
        m_round.callOffered = true;
        m_round.handInputEnabled = true;
    } else if (turn.offer == kOfferRoarOrPass) {
        m_round.callingTurn = true;
        m_round.callOffered = false;
        m_round.handInputEnabled = true;
    }
    m_round.callingPhase = true;
    const int seconds = m_session.awayMode ? 1 : 10;
    m_countdown = seconds;
    showClock(s, seconds, fx);
}

void RoundModel::sendCall(CardCode card, Effects& fx) {
    fx.send(choiceFrame(m_session.own.seatBit, kChoiceCall, static_cast<uint8_t>(cardRank(card)),
                        static_cast<uint8_t>(suitBit(card))));
}

// `hiddenCallConfirmed`: the player said yes to the question a card held twice asks.
void RoundModel::pressCall(bool hiddenCallConfirmed, Effects& fx) {
    if (!m_session.loggedIn)
        return;
    const int slot = m_round.callCandidate;
    // Sorting or restoring moves cards under the remembered slot: only a card still raised there
    // is the one the player chose.
    if (slot < 0 || slot >= m_round.hands[0].count || !m_round.raised[static_cast<size_t>(imageOfSlot(slot))]) {
        fx.draw(view::RuleNotice{209});
        return;
    }
    const CardCode card = m_round.hands[0].codes[static_cast<size_t>(slot)];
    if (!isCallableRank(cardRank(card))) {
        fx.draw(view::RuleNotice{209});
        return;
    }
    if (!m_round.callingTurn)
        return;
    // The other copy is in the own hand, so no partner will show: the caller plays one against
    // three at twelve times the stake. That is a choice the player makes knowingly or not at all.
    if (!hiddenCallConfirmed && copiesHeld(m_round.hands[0], card) >= 2) {
        m_round.hiddenCallAsked = true;
        fx.draw(view::HiddenCallConfirmOpened{"您手里有两张" + cardText(card) + "，确定要暗叫吗?\n" +
                                              "（暗叫是一家对三家，输赢×12）"});
        return;
    }
    m_round.callingTurn = false;
    m_round.callOffered = false;
    m_round.callingPhase = false;
    m_round.raised[static_cast<size_t>(imageOfSlot(slot))] = false;
    m_round.raisedCount = 0;
    m_round.callOffer = kNoCallOffer;
    fx.draw(view::HandChanged{});
    fx.draw(view::ControlsChanged{});
    sendCall(card, fx);
}

void RoundModel::answerHiddenCall(bool yes, Effects& fx) {
    const bool asked = m_round.hiddenCallAsked;
    m_round.hiddenCallAsked = false;
    fx.draw(view::HiddenCallConfirmClosed{});
    // The call goes only if the card asked about is still the raised candidate of an open turn.
    if (yes && asked)
        pressCall(true, fx);
}

// The countdown or the server answered the turn: no question of the turn may answer it again.
void RoundModel::closeCallQuestions(Effects& fx) {
    m_round.hiddenCallAsked = false;
    fx.draw(view::RoarConfirmClosed{});
    fx.draw(view::HiddenCallConfirmClosed{});
}

void RoundModel::answerRoar(bool yes, Effects& fx) {
    if (yes && m_round.callingTurn) {
        m_round.callingTurn = false;
        m_round.callOffered = false;
        m_round.callingPhase = false;
        m_round.callOffer = kNoCallOffer;
        fx.draw(view::ControlsChanged{});
        fx.send(choiceFrame(m_session.own.seatBit, kChoiceRoar));
    }
    fx.draw(view::RoarConfirmClosed{});
}

void RoundModel::pressCallPass(Effects& fx) {
    if (!m_session.loggedIn || !m_round.callingTurn)
        return;
    m_round.callingTurn = false;
    m_round.callingPhase = false;
    m_round.callOffer = kNoCallOffer;
    fx.draw(view::ControlsChanged{});
    fx.send(choiceFrame(m_session.own.seatBit, kChoicePass));
}

Effects RoundModel::tickCallCountdown() {
    Effects fx;
    if (!inTouch() || !m_round.callingTurn)
        return fx;
    if (m_countdown > 0) {
        --m_countdown;
        const bool low = m_countdown < 4;
        setClockSeconds(m_countdown, low, fx);
        if (low)
            fx.play(Cue::TurnTick);
        return fx;
    }
    // Time is up: the offered pass, or the call of the card the player would most likely call, one
    // held once where the hand has one.
    const uint8_t offer = m_round.callOffer;
    if (offer != kOfferRoarOrPass && offer != kOfferCallOrRoar)
        return fx;
    m_round.callingTurn = false;
    m_round.callingPhase = false;
    m_round.callOffer = kNoCallOffer;
    closeCallQuestions(fx);
    fx.draw(view::ControlsChanged{});
    if (offer == kOfferRoarOrPass) {
        fx.send(choiceFrame(m_session.own.seatBit, kChoicePass));
    } else {
        m_round.callOffered = false;
        const int slot = automaticCallSlot(m_round.hands[0]);
        // With no callable card at all the first card goes; the server answers such a call.
        const CardCode card = m_round.hands[0].codes[static_cast<size_t>(slot >= 0 ? slot : 0)];
        lowerAll(fx);
        sendCall(card, fx);
    }
    m_clock.shown = false;
    fx.draw(view::ClockChanged{});
    return fx;
}

void RoundModel::onCallResult(const CallChoice& c, Effects& fx) {
    const int s = m_session.relativeOf(c.seatBit);
    // The server answered the own calling turn itself (its clock ran out first): the offer and its
    // countdown go, or the buttons would stay through the others' turns and answer a second time.
    if (s == 0 && m_round.callOffer != kNoCallOffer) {
        m_round.callingTurn = false;
        m_round.callOffered = false;
        m_round.callingPhase = false;
        m_round.callOffer = kNoCallOffer;
        closeCallQuestions(fx);
        fx.draw(view::ControlsChanged{});
    }
    if (c.choice == kChoiceCall) {
        m_round.calledFrameShown = true;
        m_round.calledCardShown = true;
        m_round.calledRank = c.rank;
        m_round.calledSuitBit = c.suitBit;
        fx.draw(view::CalledCardShown{c.rank, c.suitBit});
        m_round.bankerSeat = s;
        fx.draw(view::MarkersChanged{});
    } else if (c.choice == kChoiceRoar) {
        if (!m_session.awayMode) {
            fx.draw(view::RoarAnimation{});
            fx.play(Cue::Roar);
        }
        m_round.bankerSeat = -1;
        m_round.calledCardShown = false;
        m_round.calledFrameShown = false;
        m_round.roarSeat = s;
        m_round.roarMarkerShown = true;
        fx.draw(view::MarkersChanged{});
        if (s >= 1)
            showBubble(s, 223 + s, fx);
    } else if (c.choice == kChoicePass) {
        if (s >= 1)
            showBubble(s, 220 + s, fx);
    }
}

}  // namespace vexal
