// `Dispatch`: the one entry point for every frame received from the game server.
#pragma once

#include <cstdint>

#include "net/command.h"
#include "net/messages/round.h"
#include "net/rings.h"

namespace vexal {

// What the rest of the client plugs into the dispatcher: one handler per command it claims, the
// prop plug-in's inbox, and the session steps of a deal that touch windows or other areas' state.
// Handlers take the received frame and must copy what they keep.
class DispatchHandlers {
public:
    virtual ~DispatchHandlers() = default;

    // Who the client is and whether the prop plug-in runs (its state is above 0).
    virtual uint8_t ownSeatBit() const = 0;
    virtual bool pluginLoaded() const = 0;

    // 1 (after the session steps), 2, 3, 6 and 9 (after the holds are armed), decoded.
    virtual void onRoundMessage(const RoundMessage& message) = 0;
    virtual void onTableState(const CommandFrame& frame) = 0;       // 16
    virtual void onLoginAnswer(const CommandFrame& frame) = 0;      // 18
    virtual void onChat(const CommandFrame& frame) = 0;             // 19 without a plug-in marker
    virtual void onSeatInfo(const CommandFrame& frame) = 0;         // 20
    virtual void onPlayerLeft(const CommandFrame& frame) = 0;       // 21
    virtual void onRemoval(const CommandFrame& frame) = 0;          // 22
    virtual void onReadyNotice(const CommandFrame& frame) = 0;      // 23
    virtual void onReconnectAnswer(const CommandFrame& frame) = 0;  // 29
    virtual void onOwnCoinChange(const CommandFrame& frame) = 0;    // 91
    virtual void onOtherCoinChange(const CommandFrame& frame) = 0;  // 92

    // The plug-in's `Rec_MSG`; only called while the plug-in is loaded.
    virtual void pluginReceive(const CommandFrame& frame) = 0;
    // Command 46: the plug-in's results are ready, set before the frame reaches `Rec_MSG`.
    virtual void setPluginScoreReady() = 0;

    // The session steps of a deal addressed to the own seat, in the order they run.
    virtual void hideRoomRuleLabels() = 0;
    virtual void preparePluginRound() = 0;   // only while the plug-in is loaded
    virtual void notifyLobbyOfDeal() = 0;    // message 1127 to the window titled "Kestrel山庄"
    virtual void resetRound() = 0;           // `ResetRound`
    virtual void startRoundVideo() = 0;      // video login, then the own video display refresh
    // After the held plug-in frames have been sent and the departure hold is off:
    virtual void noteDealStarted() = 0;      // deal-happened flag on, random seat change off
    virtual void keepDealTimeNames() = 0;    // names of relative seats 1..3 for the departures
    virtual void setFirstTableState() = 0;
    virtual void stopKeepAlive() = 0;        // `TimerKeepAlive`
    virtual void clearOwnHand() = 0;         // the 27 slots and their pictures
    virtual void closeExitAndNoticeWindows() = 0;
    virtual void disarmCountdowns() = 0;     // play and ready countdowns, start button, ready marks
};

class Dispatcher {
public:
    Dispatcher(Transport& transport, DispatchHandlers& handlers)
        : m_transport(transport), m_handlers(handlers) {}

    void Dispatch(const CommandFrame& frame);

    // Bytes 268..271 of the last deal addressed to the own seat, big-endian; the reconnect login
    // carries it back. The server keeps it below 2^31.
    uint32_t resumeNumber() const { return m_resumeNumber; }

private:
    void deal(const CommandFrame& frame);
    void toPlugin(const CommandFrame& frame);
    void sendHeld(PluginHold& hold);

    Transport& m_transport;
    DispatchHandlers& m_handlers;
    uint32_t m_resumeNumber = 0;
};

}  // namespace vexal
