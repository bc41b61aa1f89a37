// `SessionView`: the session's side of the table window: the seat panels and ready marks, the
// wealth display, the status lines, the notice and exit windows, the session record, the
// advertisement and the seat-change animation. It draws the session model's steps and turns the
// start button, the exit and notice windows into intents; it decides nothing.
#pragma once

#include <QObject>

#include <functional>

#include "model/sessionmodel.h"

namespace vexal {

class MainForm;

class SessionView : public QObject {
    Q_OBJECT
public:
    SessionView(const SessionModel& model, MainForm& form);

    std::function<void(const SessionIntent&)> onIntent;
    // The score sheet is the round's; the exit confirmation takes its place.
    std::function<void()> hideScoreSheet;

    // Draws one of the session's view steps; false for a step that is not the session view's.
    bool draw(const SessionStep& step);

    // The exit confirmation (close image, Escape, 退出) and the session record (历史) come and go
    // with their buttons.
    void toggleExitConfirmation();
    void toggleSessionRecord();

private:
    void intend(const SessionIntent& intent);
    void showNotice(const step::Notice& notice);

    const SessionModel& m_model;
    MainForm& m_form;
};

// Every window the table opened goes with the table window, whichever area owns it.
void closeTableWindows(MainForm& form);

}  // namespace vexal
