// The round model's entry points and the small steps its decisions share.
#include "model/roundmodel.h"
#include "core/overloaded.h"

#include "model/players.h"

namespace vexal {

RoundModel::RoundModel(SessionState& session) : m_session(session) { m_round.hands[0].seatBit = session.own.seatBit; }

Effects RoundModel::receive(const RoundMessage& message) {
    Effects fx;
    std::visit(Overloaded{[&](const Deal& m) { onDeal(m, fx); },
                          [&](const CallingTurn& m) { onCallingTurn(m, fx); },
                          [&](const CallChoice& m) { onCallResult(m, fx); },
                          [&](const PlayReport& m) { onPlay(m, fx); },
                          [&](const SettlementRecord& m) { onSettlementRecord(m, fx); }},
               message);
    return quietWhileCatchingUp(std::move(fx));
}

Effects RoundModel::act(const RoundIntent& intent) {
    Effects fx;
    // Out of touch with the server nothing on the table acts: a play, a call or a raised card would
    // be lost with the connection, or made on a table the resent round is about to replace. The
    // review's end and hiding the table are the window's own.
    const bool windowOnly = std::holds_alternative<intent::EndReview>(intent) ||
                            std::holds_alternative<intent::HideTable>(intent) ||
                            std::holds_alternative<intent::GoAway>(intent);
    if (!inTouch() && !windowOnly)
        return fx;
    std::visit(Overloaded{[&](const intent::ClickCard& i) { clickCard(i.image, fx); },
                          [&](const intent::PressControl& i) { pressControl(i.button, fx); },
                          [&](const intent::PressCall&) { pressCall(false, fx); },
                          [&](const intent::PressRoar&) {
                              if (m_session.loggedIn && !m_session.awayMode)
                                  fx.draw(view::RoarConfirmOpened{});
                          },
                          [&](const intent::AnswerRoar& i) { answerRoar(i.yes, fx); },
                          [&](const intent::AnswerHiddenCall& i) { answerHiddenCall(i.yes, fx); },
                          [&](const intent::PressCallPass&) { pressCallPass(fx); },
                          [&](const intent::RightClickTable&) {
                              if (m_round.callOffered || m_round.callingPhase)
                                  return;
                              if (!m_round.ownPlayTurn || !m_round.handInputEnabled || !m_session.loggedIn)
                                  return;
                              m_session.timeoutCount = 0;
                              judgePlay(fx);
                          },
                          [&](const intent::RightClickLowerPanel&) {
                              // While a call is open the hand is choosing a card to call, not a play.
                              if (m_round.callOffered || m_round.callingPhase)
                                  return;
                              if (m_round.ownPlayTurn && m_round.handInputEnabled)
                                  judgePlay(fx);
                          },
                          [&](const intent::ChooseSequence& i) {
                              m_round.choiceMode = i.option == 0 ? 1 : 2;
                              judgePlay(fx);
                          },
                          [&](const intent::EndReview&) { endReview(fx); },
                          [&](const intent::HideTable&) { hideTable(fx); },
                          [&](const intent::GoAway&) {
                              m_session.awayMode = true;
                              hideTable(fx);
                          }},
               intent);
    return quietWhileCatchingUp(std::move(fx));
}

Effects RoundModel::resetRound() {
    Effects fx;
    m_round.reset();
    m_round.hands[0].seatBit = m_session.own.seatBit;
    m_round.calledFrameShown = true;
    m_clock.shown = false;
    fx.draw(view::RoundCleared{});
    return quietWhileCatchingUp(std::move(fx));
}

Effects RoundModel::clearOwnHand() {
    Effects fx;
    m_round.hands[0].count = 0;
    m_round.raised = {};
    fx.draw(view::HandChanged{});
    return quietWhileCatchingUp(std::move(fx));
}

Effects RoundModel::hideBubble() {
    Effects fx;
    m_round.bubbleSeat = -1;
    fx.draw(view::BubbleChanged{});
    return quietWhileCatchingUp(std::move(fx));
}

Effects RoundModel::showReadyClock(int seconds, ClockColour colour) {
    Effects fx;
    m_clock = ClockFace{true, true, 0, seconds, colour};
    fx.draw(view::ClockChanged{});
    return quietWhileCatchingUp(std::move(fx));
}

Effects RoundModel::hideClock() {
    Effects fx;
    m_clock.shown = false;
    fx.draw(view::ClockChanged{});
    return quietWhileCatchingUp(std::move(fx));
}

Effects RoundModel::suspend() {
    Effects fx;
    m_catchingUp = false;
    m_playCountdownOn = false;
    fx.draw(view::SequenceChoiceClosed{});
    fx.draw(view::RoarConfirmClosed{});
    fx.draw(view::ControlsChanged{});
    return fx;
}

void RoundModel::catchUp() { m_catchingUp = true; }

Effects RoundModel::framesTaken(bool moreWaiting) {
    Effects fx;
    if (!m_catchingUp || moreWaiting)
        return fx;
    m_catchingUp = false;
    fx.draw(view::HandChanged{});
    fx.draw(view::TableCardsChanged{});
    fx.draw(view::BackPilesChanged{});
    fx.draw(view::LabelsChanged{});
    fx.draw(view::MarkersChanged{});
    if (m_round.calledCardShown)
        fx.draw(view::CalledCardShown{m_round.calledRank, m_round.calledSuitBit, false});
    fx.draw(view::ControlsChanged{});
    fx.draw(view::ClockChanged{});
    fx.draw(view::BubbleChanged{});
    return fx;
}

// A resent round is the past: its plays' animations, sounds and pauses would replay tricks long
// taken, and each redraw on the way would flash them by. What only the moment says (a status line,
// the score sheet of a round settled meanwhile, a dialog closing) still goes through.
Effects RoundModel::quietWhileCatchingUp(Effects fx) const {
    if (!m_catchingUp)
        return fx;
    std::erase_if(fx.view, [](const ViewChange& v) {
        return !(std::holds_alternative<view::StatusLine>(v) || std::holds_alternative<view::ScoreSheetShown>(v) ||
                 std::holds_alternative<view::RuleNotice>(v) || std::holds_alternative<view::SequenceChoiceClosed>(v) ||
                 std::holds_alternative<view::RoarConfirmClosed>(v) || std::holds_alternative<view::TableHidden>(v));
    });
    return fx;
}

// `SetCardPicture`'s check: a code that is no card is never drawn; the frame that carried it
// cannot be trusted, so the table leaves.
bool RoundModel::setImageCard(int seat, int image, CardCode code, Effects& fx) {
    const int index = isWild(code) ? cardRank(code) : pictureIndex(code);
    if (!isValidPictureIndex(index)) {
        fx.session.leave = true;
        return false;
    }
    m_round.imageCard[static_cast<size_t>(seat)][static_cast<size_t>(image)] = code;
    return true;
}

void RoundModel::showClock(int seat, int seconds, Effects& fx) {
    m_clock = ClockFace{true, false, seat, seconds, ClockColour::Green};
    fx.draw(view::ClockChanged{});
}

void RoundModel::setClockSeconds(int seconds, bool low, Effects& fx) {
    m_clock.seconds = seconds;
    m_clock.colour = low ? ClockColour::Red : ClockColour::Green;
    fx.draw(view::ClockChanged{});
}

void RoundModel::setPlayControls(bool play, bool hint, bool pass, Effects& fx) {
    m_round.playControls = {play, hint, pass};
    fx.draw(view::ControlsChanged{});
}

void RoundModel::lowerAll(Effects& fx) {
    m_round.raised = {};
    m_round.raisedCount = 0;
    fx.draw(view::HandChanged{});
}

void RoundModel::showBubble(int seat, int picture, Effects& fx) {
    m_round.bubbleSeat = seat;
    m_round.bubblePicture = picture;
    fx.session.restartBubbleCount = true;
    fx.draw(view::BubbleChanged{});
}

int RoundModel::imageOfSlot(int slot) const { return m_round.hands[0].images[static_cast<size_t>(slot)]; }

int RoundModel::slotOfImage(int image) const {
    const Hand& h = m_round.hands[0];
    for (int s = 0; s < h.count; ++s)
        if (h.images[static_cast<size_t>(s)] == image)
            return s;
    return -1;
}

std::string cashText(int64_t coins, uint8_t unit) {
    return std::to_string(coins) + (unit == kCoinUnitCoins ? "金币" : "金条");
}

}  // namespace vexal
