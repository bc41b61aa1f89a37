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
// The called card, flying from the deck into its frame, or laid straight in it.
struct CalledCardShown { uint8_t rank = 0; uint8_t suitBit = 0; bool flies = true; };
struct BombAnimation {};            // one of the three bomb pictures, chosen by the view
struct AnimationStopped {};         // the bomb or roar picture over the table's centre goes at once
struct RoarAnimation {};
struct RoarOutcomeAnimation { bool won = false; };
struct RuleNotice { int picture = 0; };  // 0 hides it
struct SequenceChoiceOpened { std::array<std::string, 2> texts; };
struct SequenceChoiceClosed {};
struct RoarConfirmOpened {};
struct RoarConfirmClosed {};
struct HiddenCallConfirmOpened { std::string question; };  // calling a card held twice
struct HiddenCallConfirmClosed {};
struct StatusLine { int line = 0; std::string text; };
struct ScoreSheetShown { SettlementSheet sheet; };  // after the panels and the session record
struct Pause { int ms = 0; };       // the flow stops a moment, the window stays live
struct TableHidden {};              // out of sight: minimised, its windows closed
struct Sound { Cue cue; };
}  // namespace view

using ViewChange = std::variant<view::DealLaidOut, view::HandChanged, view::TableCardsChanged, view::BackPilesChanged,
                                view::LabelsChanged, view::MarkersChanged, view::ControlsChanged, view::ClockChanged,
                                view::BubbleChanged, view::RoundCleared, view::CalledCardShown, view::BombAnimation,
                                view::AnimationStopped, view::RoarAnimation, view::RoarOutcomeAnimation, view::RuleNotice,
                                view::SequenceChoiceOpened, view::SequenceChoiceClosed, view::RoarConfirmOpened,
                                view::RoarConfirmClosed, view::HiddenCallConfirmOpened,
                                view::HiddenCallConfirmClosed, view::StatusLine, view::ScoreSheetShown, view::Pause,
                                view::TableHidden, view::Sound>;

// The session's steps, in the order they are taken: what the session asks of the connection, the
// main timer's tasks, the lobby and the process, and what the session's views are to draw.
namespace step {
// The connection and the timers.
struct StartKeepAlive {};
struct StopKeepAlive {};
struct ClearHolds {};
struct LoginSent { bool sent = false; };
struct DisarmSessionTasks {};       // every main-timer task disarmed, counters 0
struct StopMainTimer {};
struct DisarmReadyCountdown {};
struct DisarmConnectionWatch {};
struct StartReadyCountdown { int seconds = 0; };
struct WriteDirect { CommandFrame frame; };  // past the SendRing, only while connected
struct CloseSocket {};              // and wait until it is closed
struct ResetRings {};
struct Wait { int ms = 0; };        // the window stays live
struct Pause { int ms = 0; };       // nothing runs
// The lobby and the process.
struct PostToLobby { uint32_t message = 0; };
struct RestoreLobby {};
struct MinimiseLobby {};
struct EndProcess {};
struct BackToLobby {};              // the table minimised and the lobby restored; without a lobby, the end
struct RemoveRoundFile {};
// The session's views.
struct MessageBox { std::string text; };  // modal, with the title "警告"
struct StatusLine { int line = 0; std::string text; };  // an empty text clears the line
struct SeatPanel { int seat = 0; };       // drawn from the seat's record
struct SeatPanelCleared { int seat = 0; };
struct Coins { int seat = 0; };
struct ReadyMarks {};                      // drawn from the session's ready marks
struct Wealth { bool hidden = false; };   // the smallest multiple of a wealth room, or hidden
struct RoomRules { bool shown = false; };
struct StartPicture { int entry = 0; };
struct PointsTakenCleared {};
struct Advertisement { std::string address; };  // empty: hidden
struct Shuffle { enum Kind { LaidOut, Started, Stopped } kind = Stopped; };
// The notice window with this text (empty: the text it has), centred over the table; topmost if
// asked, and if asked only while the table is in sight.
struct Notice {
    std::string text;
    bool topmost = false;
    bool onlyInSight = false;
};
struct NoticeHidden {};
struct ExitConfirmHidden {};
struct SessionRecordCleared {};            // the record's lines and the window
struct SessionRecordSeatCleared { int seat = 0; };  // the departed player's name and portrait
struct SessionRecordShown {};
struct SessionRecordHidden {};
struct ScoreBoardShown {};
struct ScoreSheetHidden {};
struct ScoreSheetCleared {};
struct RoundWindowsClosed {};
struct SoundSettingsClosed {};
struct ChatLineCleared {};
struct ChatHistoryCleared {};
struct TableMinimised {};
struct TableBroughtUp {};                  // restored if minimised, and activated
// One reconnect attempt: the kept login becomes the reconnect login with the newest token and
// resume number, and the connection is opened again, directly or through the proxy.
struct ReconnectAttempt {};
// The reconnect is over (answered, given up, or the table left): the kept login is the login
// (command 18) again, so the next connection sits down as a newcomer.
struct LoginRestored {};
// The connection opened again over empty rings, to log in with the kept login.
struct ConnectAgain {};
// What leaving costs changed: an open exit confirmation shows this warning (empty: none).
struct ExitWarning { std::string text; };
// The line is cleared if it still reads this text; a later line stays.
struct StatusLineWithdrawn { int line = 0; std::string text; };
}  // namespace step

using SessionStep =
    std::variant<step::StartKeepAlive, step::StopKeepAlive, step::ClearHolds, step::LoginSent, step::DisarmSessionTasks,
                 step::StopMainTimer, step::DisarmReadyCountdown, step::DisarmConnectionWatch,
                 step::StartReadyCountdown, step::WriteDirect, step::CloseSocket, step::ResetRings, step::Wait,
                 step::Pause, step::PostToLobby, step::RestoreLobby, step::MinimiseLobby, step::EndProcess,
                 step::BackToLobby, step::RemoveRoundFile, step::MessageBox, step::StatusLine, step::SeatPanel, step::SeatPanelCleared,
                 step::Coins, step::ReadyMarks, step::Wealth, step::RoomRules, step::StartPicture,
                 step::PointsTakenCleared, step::Advertisement, step::Shuffle, step::Notice, step::NoticeHidden,
                 step::ExitConfirmHidden, step::SessionRecordCleared, step::SessionRecordSeatCleared, step::SessionRecordShown,
                 step::SessionRecordHidden, step::ScoreBoardShown, step::ScoreSheetHidden, step::ScoreSheetCleared,
                 step::RoundWindowsClosed, step::SoundSettingsClosed, step::ChatLineCleared, step::ChatHistoryCleared,
                 step::TableMinimised,
                 step::TableBroughtUp, step::ReconnectAttempt, step::LoginRestored, step::ConnectAgain,
                 step::ExitWarning, step::StatusLineWithdrawn>;

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
    std::vector<SessionStep> steps;  // after the round's view changes, in order

    void send(const CommandFrame& frame) { frames.push_back(frame); }
    void play(Cue cue) { view.emplace_back(view::Sound{cue}); }
    template <typename Change>
    void draw(Change change) { view.emplace_back(std::move(change)); }
    template <typename Step>
    void then(Step s) { steps.emplace_back(std::move(s)); }
    // Another decision's effects, after these.
    void append(Effects other) {
        frames.insert(frames.end(), other.frames.begin(), other.frames.end());
        view.insert(view.end(), other.view.begin(), other.view.end());
        steps.insert(steps.end(), other.steps.begin(), other.steps.end());
        SessionRequests& r = session;
        const SessionRequests& o = other.session;
        r.readyCountdownSeconds = o.readyCountdownSeconds > 0 ? o.readyCountdownSeconds : r.readyCountdownSeconds;
        r.restartBubbleCount = r.restartBubbleCount || o.restartBubbleCount;
        r.minimiseLobby = r.minimiseLobby || o.minimiseLobby;
        r.scoreSheetHandled = r.scoreSheetHandled || o.scoreSheetHandled;
        r.leave = r.leave || o.leave;
    }
    template <typename Change>
    bool draws() const {
        for (const ViewChange& v : view)
            if (std::holds_alternative<Change>(v))
                return true;
        return false;
    }
};

}  // namespace vexal
