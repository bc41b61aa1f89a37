// `ClockView`: the countdown clock, `Time_Img` with its `Number`. The only code that moves, shows or
// hides them: the calling, play and ready countdowns all reach it through the model's clock face.
#pragma once

#include "model/roundmodel.h"

class QWidget;

namespace vexal {

class MainForm;

class ClockView {
public:
    explicit ClockView(MainForm& form) : m_form(form) {}

    // The score sheet, a window of its own: the ready clock goes where the sheet leaves the felt free.
    void setSheet(QWidget* sheet) { m_sheet = sheet; }
    void draw(const ClockFace& face);

private:
    void place(int seat);
    void placeBySheet();

    MainForm& m_form;
    QWidget* m_sheet = nullptr;
};

}  // namespace vexal
