// The four seat panels, the wealth display, the player information window and the table
// buttons' pictures.
#include "table/mainform.h"

#include <algorithm>

#include "platform/trace.h"
#include "table/pictures.h"

#include <QPainter>

namespace vexal {

namespace {

// Without artwork a portrait is a coloured disc with the seat's index, so seats stay apart.
QPixmap fallbackPortrait(int index) {
    QPixmap pm(64, 64);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor::fromHsv((index * 37) % 360, 120, 220));
    p.setPen(QPen(QColor(60, 40, 10), 2));
    p.drawEllipse(2, 2, 60, 60);
    p.setPen(Qt::black);
    p.drawText(pm.rect(), Qt::AlignCenter, index >= 10 ? QStringLiteral("女") : QStringLiteral("男"));
    return pm;
}

QString q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

void MainForm::drawSeatPanel(int r) {
    const PlayerRecord& p = m_state.players[static_cast<size_t>(r)];
    QPixmap face = tablePicture(kPortraitPicture + p.portraitIndex);
    if (face.isNull())
        face = fallbackPortrait(p.portraitIndex);
    Tou[r]->setPixmap(face);
    hero->Tou[r]->setPixmap(face);
    hero->ID[r]->setText(q(p.nickname));
    Nid[r]->setText(q(nicknameLabelText(p.title, p.nickname)));
    showCoins(r);
    Level[r]->setText(q(p.level));
    trace("seat", QStringLiteral("%1 %2 %3").arg(r).arg(Nid[r]->text(), Cash[r]->text()));
    if (!loadPicture(OK[r], kReadyMarkPicture + coinLevel(p.coins))) {
        OK[r]->setText(QStringLiteral("OK"));
        OK[r]->setAlignment(Qt::AlignCenter);
        OK[r]->setStyleSheet(QStringLiteral("background:#2a8a2a;color:white;font-weight:bold;border-radius:6px;"));
    }
    if (p.ready)
        showReadyMark(r, true);
}

void MainForm::clearSeatPanel(int r) {
    showReadyMark(r, false);
    Tou[r]->clear();
    Nid[r]->clear();
    Cash[r]->clear();
    Level[r]->clear();
}

void MainForm::showCoins(int r) {
    Cash[r]->setText(q(coinLabelText(m_state.players[static_cast<size_t>(r)].coins)));
}

void MainForm::showReadyMark(int r, bool shown) {
    OK[r]->setVisible(shown);
    if (shown)
        OK[r]->raise();
}

bool MainForm::readyMarkShown(int r) const { return !OK[r]->isHidden(); }

void MainForm::showWealth(uint32_t multiple) {
    lbwealth->setText(QString::number(multiple));
    lbwealth->show();
    Imgwealth->show();
    if (Imgwealth->pixmap().isNull()) {
        QPixmap coin(24, 24);
        coin.fill(Qt::transparent);
        QPainter p(&coin);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(QColor(240, 200, 40));
        p.setPen(QColor(150, 100, 0));
        p.drawEllipse(2, 2, 20, 20);
        p.drawText(coin.rect(), Qt::AlignCenter, QStringLiteral("财"));
        p.end();
        Imgwealth->setPixmap(coin);
    }
}

void MainForm::hideWealth() {
    lbwealth->hide();
    Imgwealth->hide();
}

void MainForm::showRoomRules(bool shown) {
    for (QLabel* l : lblRule)
        l->setVisible(shown);
    if (!shown)
        return;
    // Only the first two rules belong to a wealth room.
    lblRule[2]->hide();
}

void MainForm::setLocationText(const QString& text, bool smallerFont) {
    QFont f = lblLocation->font();
    if (!largeTable())
        f.setPointSize(10);
    if (smallerFont)
        f.setPointSize(f.pointSize() - 2);
    lblLocation->setFont(f);
    lblLocation->setText(text);
}

QPoint playerInfoCorner(int r, const QRect& face, const QSize& window, const QRect& table) {
    // Beside the panel, towards the middle of the table: above the own seat, right of the left
    // seat, below the top seat, left of the right seat.
    QPoint at;
    switch (r) {
    case 0: at = QPoint(face.left(), face.top() - window.height() - 4); break;
    case 1: at = QPoint(face.right() + 4, face.top()); break;
    case 2: at = QPoint(face.left(), face.bottom() + 4); break;
    default: at = QPoint(face.left() - window.width() - 4, face.top()); break;
    }
    // Whatever the window's size, it stays on the table.
    at.setX(std::clamp(at.x(), table.left(), std::max(table.left(), table.right() + 1 - window.width())));
    at.setY(std::clamp(at.y(), table.top(), std::max(table.top(), table.bottom() + 1 - window.height())));
    return at;
}

void MainForm::ShowPlayerInfo(int r) {
    const PlayerRecord& p = m_state.players[static_cast<size_t>(r)];
    if (information->isVisible() || m_state.shownNames[static_cast<size_t>(r)].empty())
        return;
    const QString values[9] = {q(p.nickname),
                               p.sex != 0 ? QStringLiteral("男") : QStringLiteral("女"),
                               q(p.location),
                               QString::number(p.score),
                               QString::number(p.credit),
                               QString::number(p.loginCount),
                               QString::number(p.disconnectCount),
                               QString::number(p.wins),
                               QString::number(p.losses)};
    for (int i = 0; i < 9; ++i)
        information->value[i]->setText(values[i]);
    information->adjustSize();
    information->move(Pic1->mapToGlobal(playerInfoCorner(r, Tou[r]->geometry(), information->size(), Pic1->rect())));
    information->show();
}

void MainForm::HidePlayerInfo() { information->hide(); }

void MainForm::showButtonPicture(int i, bool hover) {
    int entry;
    if (i <= 1) {
        entry = 2 * i;
    } else if (i == kStart) {
        const bool begin = m_state.firstStart && m_state.roundCounter == 0;
        entry = begin ? 4 : 6;
        AnNiu[i]->setCaption(begin ? QStringLiteral("开始") : QStringLiteral("继续"));
    } else {
        entry = 2 * i + 2;
    }
    if (hover)
        entry += 1;
    AnNiu[i]->showPicture(tablePicture(tableButtonPicture(entry, largeTable())));
    if (AnNiu[i]->pixmap().isNull()) {
        // The fallback shows hovering by a lighter face.
        AnNiu[i]->setStyleSheet(hover ? QStringLiteral("QLabel{background:#f0d27a;color:#3a2200;border:1px solid "
                                                       "#6b4a10;border-radius:4px;font-weight:bold;}")
                                      : AnNiu[i]->styleSheet());
    }
}

void MainForm::showStartPicture(int entry) {
    AnNiu[kStart]->setCaption(entry >= 6 ? QStringLiteral("继续") : QStringLiteral("开始"));
    AnNiu[kStart]->showPicture(tablePicture(tableButtonPicture(entry, largeTable())));
}

void MainForm::AnNiuEnter(int i) {
    if (m_hover[static_cast<size_t>(i)])
        return;
    restoreHoveredButtons();
    m_hover[static_cast<size_t>(i)] = true;
    showButtonPicture(i, true);
}

void MainForm::restoreHoveredButtons() {
    for (int i = 0; i < 9; ++i) {
        if (!m_hover[static_cast<size_t>(i)])
            continue;
        m_hover[static_cast<size_t>(i)] = false;
        showButtonPicture(i, false);
    }
}

}  // namespace vexal
