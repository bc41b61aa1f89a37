// The session's table handlers: login and seating, departures and coins, leaving and the resets.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "net/command.h"
#include "table/mainform.h"
#include "model/session.h"

namespace vexal {

// What the table handlers need from the main loop: the lobby window, the connection, the
// timers and the waits. The main loop implements it; tests put in one that records.
class TableServices {
public:
    virtual ~TableServices() = default;

    virtual void postToLobby(uint32_t message) = 0;
    virtual bool lobbyExists() const = 0;
    // Restore ends the process when a non-blank lobby title names no window.
    virtual void restoreLobby() = 0;
    virtual void minimiseLobby() = 0;
    virtual void endProcess() = 0;

    virtual int socketState() const = 0;
    // Login, reconnect login and leave go to the socket directly, never through the SendRing.
    virtual void writeDirect(const CommandFrame& frame) = 0;
    virtual void closeSocketAndWait() = 0;
    virtual void sendFrame(CommandFrame& frame) = 0;  // `SendFrame`
    virtual void resetRingPositions() = 0;
    virtual void clearHolds() = 0;

    // Every main-timer task disarmed with counter 0, the last-step times set to now.
    virtual void disarmSessionTasks() = 0;
    virtual void stopMainTimer() = 0;
    virtual void startKeepAlive() = 0;
    virtual void stopKeepAlive() = 0;
    virtual bool keepAliveRunning() const = 0;
    virtual void disarmConnectionWatch() = 0;
    // Arms the ready countdown (counter 0) from `seconds` and shows it in black.
    virtual void startReadyCountdown(int seconds) = 0;
    virtual void disarmReadyCountdown() = 0;
    virtual void hideClock() = 0;
    virtual void setLoginSent(bool sent) = 0;

    // A wait that services window events, and one that does not.
    virtual void waitProcessing(int ms) = 0;
    virtual void pause(int ms) = 0;
    // Hour, minute and second of the local time.
    virtual std::array<int, 3> timeOfDay() const = 0;
};

// What other areas of the table plug in (round, chat, props, video, sound). Unset hooks are
// skipped: the area is not there, as a missing outside component is skipped.
struct TableHooks {
    std::function<void()> resetRound;          // `ResetRound`
    std::function<void()> resetSeatCounters;   // hands, points, settlement values, places
    std::function<void()> closeRoundWindows;   // score sheet, selection dialog, call choices
    std::function<void()> showScoreBoard;      // centred over the table
    std::function<void()> hideScoreSheet;
    std::function<void()> clearScoreSheet;     // names, portraits and lists
    std::function<void()> clearChat;           // chat history, bubbles
    std::function<void(int)> pluginClearUser;  // `ClearUser` with a relative seat
    std::function<bool(int)> pluginSetUserinfo;
    std::function<void()> pluginLoad;
    std::function<void()> pluginExit;          // exit operation with 0
    std::function<bool()> pluginLoaded;
    std::function<void()> stopVideo;           // capture and all tiles
    std::function<void(int)> removeVideoTile;
    std::function<void()> refreshOwnVideo;
    std::function<void()> closeSoundSettings;
    std::function<void()> closeAll;            // every other window, at closing
};

class TableSession : public QObject {
    Q_OBJECT
public:
    TableSession(SessionState& state, MainForm& form, TableServices& services);

    TableHooks hooks;

    // Login and seating (seating.cpp).
    void onLoginAnswer(const CommandFrame& frame);
    void onSeatInfo(const CommandFrame& frame);
    void onTableState(const CommandFrame& frame);

    // Departures and coins (departures.cpp).
    void onPlayerLeft(const CommandFrame& frame);
    void onRemoval(const CommandFrame& frame);
    void onReadyNotice(const CommandFrame& frame);
    void onOwnCoinChange(const CommandFrame& frame);
    void onOtherCoinChange(const CommandFrame& frame);
    void clearSeat(int r);
    void removal();

    // Leaving and resets (exit.cpp).
    void leave();
    void seatCounterReset();
    void tableWindowReset();
    void tableReset();
    void toggleExitConfirmation();
    void exitConfirmed();
    void noticeAccepted();
    void noticeCancelled();
    void startButtonClicked();
    void toggleHero();
    // The table window is closing: tear down and end the process; nothing is sent.
    void closing();

    bool pluginLoaded() const { return hooks.pluginLoaded && hooks.pluginLoaded(); }

private:
    void run(const std::function<void()>& hook) {
        if (hook)
            hook();
    }
    void showNoticeOverTable();
    void getReadyForRound();

    SessionState& m_state;
    MainForm& m_form;
    TableServices& m_services;
};

}  // namespace vexal
