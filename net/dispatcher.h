// `Dispatch`: the one entry point for every frame received from the game server.
#pragma once

#include <cstdint>

#include "net/command.h"
#include "net/messages/round.h"
#include "net/messages/session.h"
#include "net/rings.h"

namespace vexal {

// What the rest of the client plugs into the dispatcher: the round's and the session's messages,
// decoded once; the frames of the areas that decode their own (chat, reconnect, the prop plug-in);
// and the step before an own deal's held plug-in frames go. Handlers must copy what they keep.
class DispatchHandlers {
public:
    virtual ~DispatchHandlers() = default;

    // Who the client is and whether the prop plug-in runs (its state is above 0).
    virtual uint8_t ownSeatBit() const = 0;
    virtual bool pluginLoaded() const = 0;

    // 1 (after the session steps), 2, 3, 6 and 9 (after the holds are armed), decoded.
    virtual void onRoundMessage(const RoundMessage& message) = 0;
    // 16, 18, 20, 21, 22, 23, 91 and 92, decoded.
    virtual void onSessionMessage(const SessionMessage& message) = 0;
    virtual void onChat(const CommandFrame& frame) = 0;             // 19 without a plug-in marker
    virtual void onReconnectAnswer(const CommandFrame& frame) = 0;  // 29

    // The plug-in's `Rec_MSG`; only called while the plug-in is loaded.
    virtual void pluginReceive(const CommandFrame& frame) = 0;
    // Command 46: the plug-in's results are ready, set before the frame reaches `Rec_MSG`.
    virtual void setPluginScoreReady() = 0;

    // A deal addressed to the own seat arrived: what goes before its held plug-in frames are sent
    // (room rules hidden, the plug-in's round, the lobby told, the round reset, the round's video).
    // The rest of the deal's steps are the round message's.
    virtual void ownDealArriving() = 0;
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
