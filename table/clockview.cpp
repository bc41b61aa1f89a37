#include "table/clockview.h"

#include "media/anigif.h"
#include "table/mainform.h"

#include <QLabel>

#include <algorithm>

namespace vexal {

void ClockView::draw(const ClockFace& face) {
    if (!face.shown) {
        m_form.Time_Img->hide();
        m_form.Number->hide();
        return;
    }
    // A ready countdown without the sheet stays where the table put its clock.
    if (!face.ready) {
        place(face.seat);
    } else if (m_sheet && m_sheet->isVisible()) {
        place(0);
        placeBySheet();
    }
    const char* colour = face.colour == ClockColour::Red     ? "color: rgb(255, 0, 0);"
                         : face.colour == ClockColour::Black ? "color: rgb(0, 0, 0);"
                         : face.ready                        ? "color: rgb(0, 200, 0);"
                                                             : "color: rgb(0, 255, 0);";
    // The ready countdown's number is drawn larger, alone on the felt after the round.
    m_form.Number->setStyleSheet(QString::fromLatin1(colour) +
                                 (face.ready ? QStringLiteral(" font-size: 24px; font-weight: bold;")
                                             : QStringLiteral(" font-weight: bold;")));
    m_form.Number->setText(QString::number(face.seconds));
    // The ready countdown's larger type would be cut by the number's place beside the clock: the
    // label grows about its centre to hold the whole number.
    m_form.Number->ensurePolished();
    const QSize need = m_form.Number->fontMetrics().size(Qt::TextSingleLine, m_form.Number->text());
    if (need.width() > m_form.Number->width() || need.height() > m_form.Number->height()) {
        QRect r = m_form.Number->geometry();
        const QPoint centre = r.center();
        r.setSize(r.size().expandedTo(need));
        r.moveCenter(centre);
        m_form.Number->setGeometry(r);
    }
    // The number in front of its clock, never under it.
    m_form.Time_Img->show();
    m_form.Time_Img->raise();
    m_form.Number->show();
    m_form.Number->raise();
}

void ClockView::place(int r) {
    const double w = 64;
    static const double kTop[4] = {550, 210, 100, 210};
    const double left[4] = {800, 0.2 * w, 600, 1024 - 1.2 * w};
    m_form.Time_Img->setGeometry(m_form.units(left[r], kTop[r], w, w));
    const double sx = m_form.scaleX();
    const double sy = m_form.scaleY();
    const bool small = sx < 1;
    const QRect clock = m_form.Time_Img->geometry();
    m_form.Number->setGeometry(clock.left() + qRound((small ? 33 : 26) * sx), clock.top() + qRound((small ? 31 : 26) * sy),
                               qRound(30 * sx), qRound(20 * sy));
}

// Under the sheet's right end, or over it when there is no room below.
void ClockView::placeBySheet() {
    QWidget* table = m_form.Pic1;
    const QRect sheet(table->mapFromGlobal(m_sheet->frameGeometry().topLeft()), m_sheet->frameGeometry().size());
    QRect clock = m_form.Time_Img->geometry();
    const int floor = m_form.imgDilan->geometry().top();
    int top = sheet.bottom() + 6;
    if (top + clock.height() > floor)
        top = sheet.top() - clock.height() - 6;
    clock.moveTo(std::clamp(sheet.right() - clock.width(), 0, table->width() - clock.width()), std::max(0, top));
    const QPoint shift = clock.topLeft() - m_form.Time_Img->geometry().topLeft();
    m_form.Time_Img->move(clock.topLeft());
    m_form.Number->move(m_form.Number->pos() + shift);
}

}  // namespace vexal
