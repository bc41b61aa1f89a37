#include "platform/messagebox.h"

#include <QByteArray>
#include <cstdio>

namespace vexal {

bool autoAnswerEnabled() { return qEnvironmentVariable("VEXAL_AUTO_ANSWER") == QLatin1String("1"); }

QMessageBox::StandardButton messageBox(QWidget* parent, const QString& text, const QString& caption,
                                       QMessageBox::StandardButtons buttons,
                                       QMessageBox::StandardButton defaultButton) {
    if (autoAnswerEnabled()) {
        const QByteArray line = "messagebox: " + caption.toUtf8() + ": " + text.toUtf8() + "\n";
        std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
        std::fflush(stderr);
        if (defaultButton != QMessageBox::NoButton)
            return defaultButton;
        for (int b = QMessageBox::FirstButton; b <= QMessageBox::LastButton; b <<= 1)
            if (buttons.testFlag(static_cast<QMessageBox::StandardButton>(b)))
                return static_cast<QMessageBox::StandardButton>(b);
        return QMessageBox::NoButton;
    }
    QMessageBox box(QMessageBox::NoIcon, caption, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace vexal
