#include "table/widgets.h"

#include <QMouseEvent>

namespace vexal {

PictureButton::PictureButton(const QString& caption, QWidget* parent) : QLabel(parent), m_caption(caption) {
    setAlignment(Qt::AlignCenter);
    setMouseTracking(true);
    setScaledContents(true);
    showPicture(QPixmap());
}

void PictureButton::showPicture(const QPixmap& picture) {
    if (picture.isNull()) {
        setPixmap(QPixmap());
        setText(m_caption);
        setStyleSheet(QStringLiteral("QLabel{background:#d8b25a;color:#3a2200;border:1px solid #6b4a10;"
                                     "border-radius:4px;font-weight:bold;}"));
    } else {
        setStyleSheet(QString());
        setText(QString());
        setPixmap(picture);
    }
}

void PictureButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit pressed();
}

void PictureButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    emit released();
    if (rect().contains(event->position().toPoint()))
        emit clicked();
}

void PictureButton::mouseMoveEvent(QMouseEvent*) { emit moved(); }

void PictureButton::enterEvent(QEnterEvent*) { emit entered(); }

void PictureButton::leaveEvent(QEvent*) { emit left(); }

}  // namespace vexal
