#include "app/wiring.h"

#include "app/mainloop.h"
#include "core/inifile.h"
#include "media/sound.h"
#include "platform/browser.h"
#include "platform/eventwait.h"
#include "table/chatview.h"
#include "table/mainform.h"
#include "table/round.h"
#include "table/rulesview.h"
#include "table/sessionview.h"
#include "table/score.h"
#include "model/session.h"
#include "table/tablesound.h"
#include "table/windows.h"

#include <QRandomGenerator>

namespace vexal {

RoundView* installRound(MainLoop& loop, MainForm& form, SessionState& session, Sound* sound) {
    auto* round = new RoundView(loop.round(), form, loop.clock(), sound);
    round->setParent(&loop);
    round->onIntent = [&loop](const RoundIntent& intent) { loop.act(intent); };
    loop.setRoundView(round);

    loop.sessionView().hideScoreSheet = [round] { round->hideScoreSheet(); };
    QObject::connect(&form, &MainForm::buttonClicked, round, [round, &loop](int i) {
        if (i == kScoreSheet)
            round->toggleScoreSheet();
        else if (i == kHide)
            loop.act(intent::HideTable{});
    });
    if (qEnvironmentVariableIntValue("VEXAL_AWAY") == 1) {
        session.awayMode = true;
        session.goneAway = true;
    }
    return round;
}

ChatView* installChat(MainLoop& loop, MainForm& form, Sound* sound, const std::string& programDir) {
    auto* chat = new ChatView(form, loop.chat(), sound);
    chat->setParent(&loop);
    chat->onIntent = [&loop](const ChatIntent& intent) { loop.act(intent); };
    loop.setChatView(chat);
    loop.setQuickPhrases(loadQuickPhrases(classIniFile(programDir + "/chat.ini")));
    chat->setPhrases(loop.quickPhrases());
    return chat;
}

RulesView* installRules(MainLoop& loop, MainForm& form, SessionState& session,
                        RulesView::Opener openInBrowser) {
    auto* rules = new RulesView(form, std::move(openInBrowser));
    rules->setParent(&loop);
    QObject::connect(&form, &MainForm::buttonClicked, rules, [rules, &session](int i) {
        if (i == kRules)
            rules->rulesPressed(rulesPageAddress(session.launch.serverHost));
    });
    return rules;
}

TableSound* installTableSound(MainLoop& loop, MainForm& form, SessionState& session, Sound& sound) {
    auto* tableSound = new TableSound(form, sound, [&session] { return session.videoEnabled; });
    QObject::connect(&form, &MainForm::buttonClicked, tableSound, [tableSound](int i) {
        if (i == kSettings)
            tableSound->toggleSettings();
    });
    loop.closeSoundSettings = [tableSound] { tableSound->closeSettings(); };
    return tableSound;
}

}  // namespace vexal
