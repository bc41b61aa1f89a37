// Every modal message box of the client goes through here. With VEXAL_AUTO_ANSWER=1 a box prints
// "messagebox: <caption>: <text>" on stderr and answers itself, so headless runs never block.
#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace vexal {

bool autoAnswerEnabled();

// Shows the box modally and returns the button pressed; auto-answer returns the default button
// (the first of `buttons` when none is given).
QMessageBox::StandardButton messageBox(QWidget* parent, const QString& text, const QString& caption,
                                       QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                       QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

}  // namespace vexal
