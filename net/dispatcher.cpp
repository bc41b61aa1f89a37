#include "net/dispatcher.h"

#include "net/frame.h"

namespace vexal {

void Dispatcher::Dispatch(const CommandFrame& frame) {
    m_transport.token.takeFrom(frame);
    switch (static_cast<Command>(frame[kCommandByte])) {
    case Command::Deal: deal(frame); return;
    case Command::CallingTurn: m_handlers.onRoundMessage(decodeCallingTurn(frame)); return;
    case Command::CallResult: m_handlers.onRoundMessage(decodeCallChoice(frame)); return;
    case Command::Play: m_handlers.onRoundMessage(decodePlayReport(frame)); return;
    case Command::RoundEnd:
        // Only the first of the round's settlement frames arms the holds; the score sheet ends them.
        if (!m_transport.departureHold) m_transport.armRoundEndHolds();
        m_handlers.onRoundMessage(decodeSettlement(frame));
        return;
    case Command::TableState: m_handlers.onSessionMessage(decodeTableState(frame)); return;
    case Command::Login: m_handlers.onSessionMessage(decodeLoginAnswer(frame)); return;
    case Command::Chat:
        if (isPluginMessage(frame))
            toPlugin(frame);
        else
            m_handlers.onChat(frame);
        return;
    case Command::SeatInfo: m_handlers.onSessionMessage(decodeSeatInfo(frame)); return;
    case Command::PlayerLeft: m_handlers.onSessionMessage(decodePlayerLeft(frame)); return;
    case Command::Removal: m_handlers.onSessionMessage(decodeRemoval(frame)); return;
    case Command::ReadyNotice: m_handlers.onSessionMessage(decodeReadyNotice(frame)); return;
    case Command::ReconnectAnswer: m_handlers.onReconnectAnswer(frame); return;
    case Command::PluginScoreReady:
        if (m_handlers.pluginLoaded()) {
            m_handlers.setPluginScoreReady();
            m_handlers.pluginReceive(frame);
        }
        return;
    case Command::OwnCoinChange: m_handlers.onSessionMessage(OwnCoinChange{decodeCoinChange(frame)}); return;
    case Command::OtherCoinChange: m_handlers.onSessionMessage(OtherCoinChange{decodeCoinChange(frame)}); return;
    default:
        // 44, 45 and every command the client does not handle belong to the plug-in.
        toPlugin(frame);
        return;
    }
}

void Dispatcher::toPlugin(const CommandFrame& frame) {
    if (m_handlers.pluginLoaded()) m_handlers.pluginReceive(frame);
}

void Dispatcher::sendHeld(PluginHold& hold) {
    if (hold.armed || hold.frame[kCommandByte] == 0) return;
    SendFrame(m_transport, hold.frame);
    hold.frame[kCommandByte] = 0;
}

void Dispatcher::deal(const CommandFrame& frame) {
    if (frameSeatBits(frame) != m_handlers.ownSeatBit()) return;
    Deal deal = decodeDeal(frame);
    m_handlers.ownDealArriving();
    sendHeld(m_transport.holdA);
    sendHeld(m_transport.holdB);
    m_transport.departureHold = false;
    m_transport.holdA.armed = false;
    m_transport.holdB.armed = false;
    m_resumeNumber = deal.resumeNumber;
    m_handlers.onRoundMessage(std::move(deal));
}

}  // namespace vexal
