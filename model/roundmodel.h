// `RoundModel`: the round on the own table as plain state and the decisions taken on it. It takes
// the round's decoded messages, the player's intents and the countdown ticks, and answers each with
// `Effects`: the frames to send and what the views are to draw. It touches no widget; the views
// read its state to draw.
#pragma once

#include <array>
#include <cstdint>
#include <variant>

#include "model/effects.h"
#include "model/roundstate.h"
#include "model/session.h"
#include "net/messages/round.h"

namespace vexal {

// The player's intents on the round, as the views turn clicks and keys into them.
namespace intent {
struct ClickCard { int image = -1; };
// The six hand buttons by number: 0 出牌, 1 提示, 2 过, 3 排序, 4 上一轮, 5 恢复.
struct PressControl { int button = 0; };
struct PressCall {};
struct PressRoar {};
struct AnswerRoar { bool yes = false; };
struct AnswerHiddenCall { bool yes = false; };  // the question before calling a card held twice
struct PressCallPass {};
struct RightClickTable {};        // the felt: plays the raised cards in the own turn
struct RightClickLowerPanel {};
struct ChooseSequence { int option = 0; };  // 0 pairs, 1 triples
struct EndReview {};              // the review's time is up
struct HideTable {};              // the hide button
struct GoAway {};                 // F1: out of sight, and the table plays by itself
}  // namespace intent
using RoundIntent = std::variant<intent::ClickCard, intent::PressControl, intent::PressCall, intent::PressRoar,
                                 intent::AnswerRoar, intent::AnswerHiddenCall, intent::PressCallPass,
                                 intent::RightClickTable, intent::RightClickLowerPanel, intent::ChooseSequence,
                                 intent::EndReview, intent::HideTable, intent::GoAway>;

// The countdown clock: the one for the seat whose turn it is, or the ready clock after a round.
enum class ClockColour { Green, Red, Black };
struct ClockFace {
    bool shown = false;
    bool ready = false;  // the ready countdown: placed by the score sheet, drawn larger
    int seat = 0;        // relative seat of the turn
    int seconds = 0;
    ClockColour colour = ClockColour::Green;
};

class RoundModel {
public:
    explicit RoundModel(SessionState& session);

    const RoundState& state() const { return m_round; }
    RoundState& state() { return m_round; }
    const SessionState& session() const { return m_session; }
    const ClockFace& clock() const { return m_clock; }
    bool playCountdownOn() const { return m_playCountdownOn; }
    // The settlement records of the round being settled, by relative seat.
    const std::array<SettlementRecord, 4>& records() const { return m_records; }
    uint8_t coinUnit() const { return m_coinUnit; }

    // The one countdown the calling, play and ready clocks share.
    int countdown() const { return m_countdown; }
    void setCountdown(int seconds) { m_countdown = seconds; }
    // The ready countdown's face, as the session's timer shows it.
    Effects showReadyClock(int seconds, ClockColour colour);
    Effects hideClock();

    Effects receive(const RoundMessage& message);
    Effects act(const RoundIntent& intent);
    Effects tickCallCountdown();
    Effects tickPlayCountdown();

    // `ResetRound`: everything of the last round off the table.
    Effects resetRound();
    // The own hand emptied before a deal.
    Effects clearOwnHand();
    bool bubbleShown() const { return m_round.bubbleSeat >= 0; }
    Effects hideBubble();
    // The session's deal step stops the play countdown with the scheduler's task.
    void stopPlayCountdown() { m_playCountdownOn = false; }

    // In touch with the server: logged in, and not catching up with a round the server resends.
    // Out of touch nothing on the table acts and no countdown runs; the views draw the controls
    // inert.
    bool inTouch() const { return m_session.loggedIn && !m_catchingUp; }
    bool catchingUp() const { return m_catchingUp; }
    // The connection went, lost or closed by the server: the hand, the trick and the clock's face
    // stay in sight as they are, the clock stopped, the round's dialogs closed.
    Effects suspend();
    // The server took the seat back and resends the round: from here the resent frames only bring
    // the state up to date, without their animations, sounds and pauses, and nothing is drawn on
    // the way.
    void catchUp();
    // A receive step is over; `moreWaiting`: whole frames still wait to be taken. The server sends
    // the resent round right behind its reconnect answer, so once none of it waits the table has
    // caught up, and the round is drawn at once as it stands.
    Effects framesTaken(bool moreWaiting);

private:
    void onDeal(const Deal& deal, Effects& fx);
    void onCallingTurn(const CallingTurn& turn, Effects& fx);
    void onCallResult(const CallChoice& choice, Effects& fx);
    void onPlay(const PlayReport& report, Effects& fx);
    void onSettlementRecord(const SettlementRecord& record, Effects& fx);
    void settle(Effects& fx);

    void clickCard(int image, Effects& fx);
    void pressControl(int button, Effects& fx);
    void pressCall(bool hiddenCallConfirmed, Effects& fx);
    void answerHiddenCall(bool yes, Effects& fx);
    void closeCallQuestions(Effects& fx);
    void answerRoar(bool yes, Effects& fx);
    void pressCallPass(Effects& fx);
    void judgePlay(Effects& fx);  // `JudgeChuPai`
    void passTurn(Effects& fx);
    void pressHint(Effects& fx);
    void startReview(Effects& fx);
    void endReview(Effects& fx);
    void hideTable(Effects& fx);
    void takeServerPlayedCards(const std::vector<CardCode>& played, Effects& fx);

    // While catching up, what the table draws once it has caught up is left out.
    Effects quietWhileCatchingUp(Effects fx) const;

    // Small steps the decisions share.
    bool setImageCard(int seat, int image, CardCode code, Effects& fx);  // false: no card, the table leaves
    void showClock(int seat, int seconds, Effects& fx);
    void setClockSeconds(int seconds, bool low, Effects& fx);
    void setPlayControls(bool play, bool hint, bool pass, Effects& fx);
    void lowerAll(Effects& fx);
    void showBubble(int seat, int picture, Effects& fx);
    void clearTrick(Effects& fx);
    void showPassMark(int seat, Effects& fx);
    void hidePassMark(int seat, Effects& fx);
    void awardFinishingBadge(int seat, Effects& fx);
    void sendCall(CardCode card, Effects& fx);
    int imageOfSlot(int slot) const;
    int slotOfImage(int image) const;
    void sortOwnHand(int mode, Effects& fx);

    SessionState& m_session;
    RoundState m_round;
    ClockFace m_clock;
    int m_countdown = 0;
    bool m_playCountdownOn = false;
    bool m_catchingUp = false;
    std::array<SettlementRecord, 4> m_records{};
    int m_recordCount = 0;
    uint8_t m_coinUnit = kCoinUnitCoins;
};

// The coins label of a seat as the panels show it after a settlement in `unit`.
std::string cashText(int64_t coins, uint8_t unit);

}  // namespace vexal
