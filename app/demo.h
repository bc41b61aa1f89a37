// The demo and test switches: VEXAL_AUTOPLAY=1 takes the player's turns through the same intents a
// person's clicks make, a moment after each turn opens; VEXAL_SCREENSHOT_ROUND=prefix saves
// "<prefix>-play.png" when the own turn opens after a dozen plays and "<prefix>-score.png" with the
// score sheet over the table. VEXAL_CHAT_SCRIPT plays a chat script through the chat box's real
// key and mouse events once all four seats are taken (see ChatScript). VEXAL_EXIT_AFTER_PLAYS=N
// leaves the round as a player does, 退出 and its 确定, once N plays have been shown.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include "net/messages/round.h"

namespace vexal {

class MainForm;
class MainLoop;
class RoundView;

class Demo : public QObject {
    Q_OBJECT
public:
    Demo(MainLoop& loop, MainForm& form, RoundView& view);

    bool autoplay = false;
    int autoplayDelayMs = 150;
    QString screenshotPrefix;
    int exitAfterPlays = 0;  // 0: never

    void roundMessageApplied(const RoundMessage& message);
    // One turn as a player would take it: call the card the countdown would call, pass an offered
    // roar, follow with the hint, lead the smallest card.
    void takeTurn();

private:
    void screenshotAfterPlay();
    void leaveTheRound();
    void screenshotScore();

    MainLoop& m_loop;
    MainForm& m_form;
    RoundView& m_view;
    int m_playsShown = 0;
    bool m_playShot = false;
};

// A chat script: steps separated by "|", each run after the one before:
//   wait:MS   type:TEXT   enter   backspace   send   portrait:R   phrase:LIST:NUMBER
// "type" sends one key event per character to the chat box, "enter" and "backspace" the keys,
// "send" clicks table button 0, "portrait" clicks relative seat R's portrait, "phrase" opens the
// list with its table button and double-clicks phrase NUMBER (from 1).
class ChatScript : public QObject {
    Q_OBJECT
public:
    ChatScript(MainLoop& loop, MainForm& form, const QString& script);

private:
    void waitForSeats();
    void next();
    void runStep(const QString& step);

    MainLoop& m_loop;
    MainForm& m_form;
    QStringList m_steps;
};

// Reads the switches from the environment and hooks them into the loop; none set, nothing happens.
void installDemo(MainLoop& loop, MainForm& form, RoundView& view);

}  // namespace vexal
