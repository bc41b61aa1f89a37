// The demo and test switches: VEXAL_AUTOPLAY=1 takes the player's turns through the same intents a
// person's clicks make, a moment after each turn opens; VEXAL_SCREENSHOT_ROUND=prefix saves
// "<prefix>-play.png" when the own turn opens after a dozen plays and "<prefix>-score.png" with the
// score sheet over the table.
#pragma once

#include <QObject>
#include <QString>

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

    void roundMessageApplied(const RoundMessage& message);
    // One turn as a player would take it: call the card the countdown would call, pass an offered
    // roar, follow with the hint, lead the smallest card.
    void takeTurn();

private:
    void screenshotAfterPlay();
    void screenshotScore();

    MainLoop& m_loop;
    MainForm& m_form;
    RoundView& m_view;
    int m_playsShown = 0;
    bool m_playShot = false;
};

// Reads the switches from the environment and hooks them into the loop; none set, nothing happens.
void installDemo(MainLoop& loop, MainForm& form, RoundView& view);

}  // namespace vexal
