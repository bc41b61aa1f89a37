#include "net/dispatcher.h"

#include "net/frame.h"

namespace vexal {

void Dispatcher::Dispatch(const CommandFrame& frame) {
    m_transport.token.takeFrom(frame);
    switch (static_cast<Command>(frame[kCommandByte])) {
    case Command::Deal: deal(frame); return;
    case Command::CallingTurn: m_handlers.onCallingTurn(frame); return;
    case Command::CallResult: m_handlers.onCallResult(frame); return;
    case Command::Play: m_handlers.onPlay(frame); return;
    case Command::RoundEnd:
        // Only the first of the round's settlement frames arms the holds; the score sheet ends them.
        if (!m_transport.departureHold) m_transport.armRoundEndHolds();
        m_handlers.onRoundEnd(frame);
        return;
    case Command::TableState: m_handlers.onTableState(frame); return;
    case Command::Login: m_handlers.onLoginAnswer(frame); return;
    case Command::Chat:
        if (isPluginMessage(frame))
            toPlugin(frame);
        else
            m_handlers.onChat(frame);
        return;
    case Command::SeatInfo: m_handlers.onSeatInfo(frame); return;
    case Command::PlayerLeft: m_handlers.onPlayerLeft(frame); return;
    case Command::Removal: m_handlers.onRemoval(frame); return;
    case Command::ReadyNotice: m_handlers.onReadyNotice(frame); return;
    case Command::ReconnectAnswer: m_handlers.onReconnectAnswer(frame); return;
    case Command::PluginScoreReady:
        if (m_handlers.pluginLoaded()) {
            m_handlers.setPluginScoreReady();
            m_handlers.pluginReceive(frame);
        }
        return;
    case Command::OwnCoinChange: m_handlers.onOwnCoinChange(frame); return;
    case Command::OtherCoinChange: m_handlers.onOtherCoinChange(frame); return;
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
    m_handlers.hideRoomRuleLabels();
    if (m_handlers.pluginLoaded()) m_handlers.preparePluginRound();
    m_handlers.notifyLobbyOfDeal();
    m_handlers.resetRound();
    m_handlers.startRoundVideo();
    sendHeld(m_transport.holdA);
    sendHeld(m_transport.holdB);
    m_transport.departureHold = false;
    m_handlers.noteDealStarted();
    m_transport.holdA.armed = false;
    m_transport.holdB.armed = false;
    m_handlers.keepDealTimeNames();
    m_handlers.setFirstTableState();
    m_resumeNumber = readBe32(frame, kResumeNumberByte);
    m_handlers.stopKeepAlive();
    m_handlers.clearOwnHand();
    m_handlers.closeExitAndNoticeWindows();
    m_handlers.disarmCountdowns();
    m_handlers.onDeal(frame);
}

}  // namespace vexal
