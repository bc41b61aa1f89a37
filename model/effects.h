// What a decision of the table model asks of the world: frames to send, sounds, requests to the
// session's timers and the lobby, and the list of view changes the views draw, in order.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "model/settlementlines.h"
#include "net/command.h"
#include "rules/card.h"

namespace vexal {

// The table's sounds. `TurnTick` is the countdown's tick, which sounds whatever the effects switch
// says as long as the device is on; every other cue follows the effects switch.
enum class Cue {
    Deal,
    CardRaised,
    CardLowered,
    PlayShown,
    OwnPlaySent,
    PlayControl,
    RoundEndSheet,
    OneCardLeft,
    Win,
    Lose,
    Roar,
    TurnTick,
};

// View changes. Most say "this part of the model changed, draw it again"; a few carry what only
// the moment knows (an animation, a notice, a pause in the flow).
namespace view {
// The deal's flying cards, then the hand and the back piles; `cards` in the order dealt.
struct DealLaidOut {
    std::vector<CardCode> cards;
    bool unsorted = false;  // the deal stopped at a broken card: its cards stay where they were dealt
};
struct HandChanged {};              // the own hand: every card at its place, raised or resting
struct TableCardsChanged {};        // the plays on the table (or the previous trick under review)
struct BackPilesChanged {};
struct LabelsChanged {};            // multiplier, points on the table, points taken
struct MarkersChanged {};           // banker, partner and roar markers, finishing badges
struct ControlsChanged {};          // play, hint, pass, call, roar and the three hand buttons
struct ClockChanged {};
struct BubbleChanged {};            // the seat bubble (过, 吼, 炸)
struct RoundCleared {};             // a new round: every round widget back to its resting state
struct CalledCardShown { uint8_t rank = 0; uint8_t suitBit = 0; };
struct BombAnimation {};            // one of the three bomb pictures, chosen by the view
struct RoarAnimation {};
struct RoarOutcomeAnimation { bool won = false; };
struct RuleNotice { int picture = 0; };  // 0 hides it
struct SequenceChoiceOpened { std::array<std::string, 2> texts; };
struct SequenceChoiceClosed {};
struct RoarConfirmOpened {};
struct RoarConfirmClosed {};
struct StatusLine { int line = 0; std::string text; };
struct ScoreSheetShown { SettlementSheet sheet; };  // after the panels and the session record
struct Pause { int ms = 0; };       // the flow stops a moment, the window stays live
struct TableHidden {};              // out of sight: minimised, its windows closed
struct Sound { Cue cue; };
}  // namespace view

using ViewChange = std::variant<view::DealLaidOut, view::HandChanged, view::TableCardsChanged, view::BackPilesChanged,
                                view::LabelsChanged, view::MarkersChanged, view::ControlsChanged, view::ClockChanged,
                                view::BubbleChanged, view::RoundCleared, view::CalledCardShown, view::BombAnimation,
                                view::RoarAnimation, view::RoarOutcomeAnimation, view::RuleNotice,
                                view::SequenceChoiceOpened, view::SequenceChoiceClosed, view::RoarConfirmOpened,
                                view::RoarConfirmClosed, view::StatusLine, view::ScoreSheetShown, view::Pause,
                                view::TableHidden, view::Sound>;

// What the session's side does for the round: its timers, the lobby, the departure hold.
struct SessionRequests {
    int readyCountdownSeconds = 0;  // above 0: start the ready countdown from this
    bool restartBubbleCount = false;
    bool minimiseLobby = false;
    bool scoreSheetHandled = false;  // departures held since the round's end may go on
    bool leave = false;              // a card code that is no card: the frame cannot be trusted
};

struct Effects {
    std::vector<CommandFrame> frames;
    std::vector<ViewChange> view;  // sounds among them, in the order they come
    SessionRequests session;

    void send(const CommandFrame& frame) { frames.push_back(frame); }
    void play(Cue cue) { view.emplace_back(view::Sound{cue}); }
    template <typename Change>
    void draw(Change change) { view.emplace_back(std::move(change)); }
    template <typename Change>
    bool draws() const {
        for (const ViewChange& v : view)
            if (std::holds_alternative<Change>(v))
                return true;
        return false;
    }
};

}  // namespace vexal
