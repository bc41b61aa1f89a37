// Wiring the table's areas into the main loop: the round, the chat, the rules and the sound side.
#pragma once

#include <string>

#include "platform/browser.h"
#include "table/rulesview.h"

namespace vexal {

class ChatView;
class MainForm;
class MainLoop;
class RoundView;
class Sound;
class TableSound;
struct SessionState;

// Builds the round's view over the main loop's round model: its intents go to the loop, the table
// buttons it owns (score sheet, hide) to it. VEXAL_AWAY=1 starts the table in away mode.
RoundView* installRound(MainLoop& loop, MainForm& form, SessionState& session, Sound* sound);

// Builds the chat's windows over the main loop's chat model and reads the quick phrases from
// "chat.ini" in `programDir`. `sound` may be null (no voices).
ChatView* installChat(MainLoop& loop, MainForm& form, Sound* sound, const std::string& programDir);

// Builds the rules window's view and gives it the 规则 button: the information page goes to
// `openInBrowser`, and the table's own rules window shows when that finds no browser.
RulesView* installRules(MainLoop& loop, MainForm& form, SessionState& session,
                        RulesView::Opener openInBrowser = &vexal::openInBrowser);

// Builds the table's sound side and connects it to the table button and the exit paths.
TableSound* installTableSound(MainLoop& loop, MainForm& form, SessionState& session, Sound& sound);

}  // namespace vexal
