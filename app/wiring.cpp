#include "app/wiring.h"

#include "app/mainloop.h"
#include "media/sound.h"
#include "platform/eventwait.h"
#include "table/mainform.h"
#include "table/round.h"
#include "table/score.h"
#include "model/session.h"
#include "table/tablesound.h"
#include "table/windows.h"

#include <QRandomGenerator>

namespace vexal {

RoundTable* installRound(MainLoop& loop, MainForm& form, SessionState& session, Sound* sound) {
    RoundServices s;
    s.send = [&loop](CommandFrame& f) { loop.sendFrame(f); };
    s.countdown = [&loop] { return loop.countdown(); };
    s.setCountdown = [&loop](int v) { loop.setCountdown(v); };
    s.armPlayCountdown = [&loop](bool on) {
        if (on)
            loop.scheduler().arm(Task::PlayCountdown, 0);
        else
            loop.scheduler().disarm(Task::PlayCountdown);
    };
    s.playCountdownArmed = [&loop] { return loop.scheduler().armed(Task::PlayCountdown); };
    s.startReadyCountdown = [&loop](int seconds) { loop.startReadyCountdown(seconds); };
    s.restartSeatBubbleCount = [&loop] { loop.scheduler().restartSeatBubbleCount(); };
    s.minimiseLobby = [&loop] { loop.minimiseLobby(); };
    s.scoreSheetHandled = [&loop] { loop.transport().departureHold = false; };
    s.leaveOnCorruptCard = [&loop] { loop.table().exitConfirmed(); };  // the exit path, as if confirmed
    s.wait = [](int ms) { waitProcessingEvents(ms); };
    s.random01 = [] { return QRandomGenerator::global()->generateDouble(); };
    auto* round = new RoundTable(session, form, std::move(s), sound);
    round->setParent(&loop);

    RoundHooks& h = loop.roundHooks;
    h.onDeal = [round](const CommandFrame& f) { round->onDeal(f); };
    h.onCallingTurn = [round](const CommandFrame& f) { round->OnCallingTurn(f); };
    h.onCallResult = [round](const CommandFrame& f) { round->OnCallResult(f); };
    h.onPlay = [round](const CommandFrame& f) { round->OnPlay(f); };
    h.onRoundEnd = [round](const CommandFrame& f) { round->OnRoundEnd(f); };
    h.clearOwnHand = [round] { round->clearOwnHand(); };
    h.callingTurn = [round] { return round->state().callingTurn; };
    h.seatBubbleShown = [round] { return round->seatBubbleShown(); };
    h.hideSeatBubble = [round] { round->hideSeatBubble(); };
    h.callCountdownTick = [round] { round->CallCountdownTick(); };
    h.playCountdownTick = [round] { round->PlayCountdownTick(); };
    if (sound)
        h.alarmSound = [sound] { sound->playTurnTick(); };

    TableHooks& t = loop.table().hooks;
    t.resetRound = [round] { round->ResetRound(); };
    t.closeRoundWindows = [round] { round->closeRoundWindows(); };
    t.hideScoreSheet = [round] { round->hideScoreSheet(); };
    t.clearScoreSheet = [round] { round->clearScoreSheet(); };
    t.showScoreBoard = [round, &form] {
        centreOver(round->score, &form);
        round->score->show();
        round->score->raise();
    };
    QObject::connect(&form, &MainForm::buttonClicked, round, [round](int i) {
        if (i == kScoreSheet)
            round->toggleScoreSheet();
        else if (i == kHide)
            round->hideTable();
        else if (i == kRules)
            round->openRulesPage();
    });
    round->autoplay = qEnvironmentVariableIntValue("VEXAL_AUTOPLAY") == 1;
    round->screenshotPrefix = qEnvironmentVariable("VEXAL_SCREENSHOT_ROUND");
    if (!round->screenshotPrefix.isEmpty())
        round->autoplayDelayMs = 1500;  // the turn stays open long enough to be pictured
    if (qEnvironmentVariableIntValue("VEXAL_AWAY") == 1) {
        session.awayMode = true;
        session.goneAway = true;
    }
    return round;
}

TableSound* installTableSound(MainLoop& loop, MainForm& form, SessionState& session, Sound& sound) {
    auto* tableSound = new TableSound(form, sound, [&session] { return session.videoEnabled; });
    QObject::connect(&form, &MainForm::buttonClicked, tableSound, [tableSound](int i) {
        if (i == kSettings)
            tableSound->toggleSettings();
    });
    loop.table().hooks.closeSoundSettings = [tableSound] { tableSound->closeSettings(); };
    return tableSound;
}

}  // namespace vexal
