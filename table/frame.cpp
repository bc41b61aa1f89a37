// The table window's own frame: border, close and minimise images, drag strip; and the pointer
// movements over the table that restore hover pictures and open the player information.
#include "table/mainform.h"

#include <QMouseEvent>
#include <QToolTip>
#include <QWindow>

namespace vexal {

void MainForm::PaintWindowFrame() {
    // Measures in twips, converted once at the end.
    const int t = kTwipsPerPixel;
    const int innerWidth = width() * t;
    const QSize closeSize = m_frameRoles[0][1].size() * t;
    const QSize minSize = m_frameRoles[1][1].size() * t;
    ImgIcon->setPixmap(windowIcon().pixmap(16, 16));
    ImgIcon->setGeometry(50 / t, 25 / t, 240 / t, 240 / t);
    const int closeLeft = innerWidth - closeSize.width() - 70;
    ImgClose[0]->setGeometry(closeLeft / t, 25 / t, closeSize.width() / t, closeSize.height() / t);
    ImgClose[0]->setPixmap(m_frameRoles[0][1]);
    const int minLeft = closeLeft - minSize.width() - 30;
    ImgMin[0]->setGeometry(minLeft / t, 25 / t, minSize.width() / t, minSize.height() / t);
    ImgMin[0]->setPixmap(m_frameRoles[1][1]);
    LbMove->setGeometry(290 / t, 0, (minLeft - 290) / t, (closeSize.height() + 50) / t);
    ImgClose[0]->raise();
    ImgMin[0]->raise();
    m_frameButtonsNormal = true;
    update();
}

void MainForm::showFrameRole(int which, int role) {
    (which == 0 ? ImgClose[0] : ImgMin[0])->setPixmap(m_frameRoles[static_cast<size_t>(which)][static_cast<size_t>(role)]);
}

void MainForm::frameImageEvent(int which, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseMove:
        if (m_frameButtonsNormal) {
            showFrameRole(which, 2);
            m_frameButtonsNormal = false;
        }
        break;
    case QEvent::MouseButtonPress:
        showFrameRole(which, 3);
        break;
    case QEvent::MouseButtonRelease: {
        showFrameRole(which, 2);
        auto* me = static_cast<QMouseEvent*>(event);
        QLabel* image = which == 0 ? ImgClose[0] : ImgMin[0];
        if (me->button() == Qt::LeftButton && image->rect().contains(me->position().toPoint())) {
            if (which == 0)
                emit closeImageClicked();
            else
                showMinimized();
        }
        break;
    }
    default:
        break;
    }
}

bool MainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ImgClose[0] || watched == ImgMin[0]) {
        frameImageEvent(watched == ImgClose[0] ? 0 : 1, event);
        return false;
    }
    const bool move = event->type() == QEvent::MouseMove;
    if (watched == LbMove || watched == Pic1) {
        if (move && !m_frameButtonsNormal) {
            showFrameRole(0, 1);
            showFrameRole(1, 1);
            m_frameButtonsNormal = true;
            if (watched == LbMove)
                LbMove->setCursor(Qt::ArrowCursor);
        }
        if (watched == Pic1 && move)
            restoreHoveredButtons();
        if (watched == LbMove && event->type() == QEvent::MouseButtonPress &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            emit dragStarted();
            LbMove->setCursor(Qt::SizeAllCursor);
            if (windowHandle())
                windowHandle()->startSystemMove();
        }
        return false;
    }
    if (move && (watched == imgDilan || watched == imgDinglan)) {
        HidePlayerInfo();
        if (watched == imgDilan)
            restoreHoveredButtons();
        return false;
    }
    if (move && (watched == Imgwealth || watched == lbwealth)) {
        if (lbwealth->text().toUInt() != 0) {
            const QString tip = QStringLiteral("财富加倍 ×") + lbwealth->text();
            Imgwealth->setToolTip(tip);
            lbwealth->setToolTip(tip);
        }
        return false;
    }
    if (move) {
        for (int r = 0; r < 4; ++r)
            if (watched == Tou[r] || watched == Nid[r] || watched == Level[r] || watched == Cash[r]) {
                ShowPlayerInfo(r);
                break;
            }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace vexal
