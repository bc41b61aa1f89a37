// The own hand: drawing it, raising and lowering cards, the hover lift, the right-click play, the
// six play-control buttons and the table's keys.
#include "table/round.h"

#include "media/sound.h"
#include "rules/sort.h"
#include "table/mainform.h"
#include "table/score.h"
#include "table/sequencechoice.h"
#include "model/session.h"
#include "table/widgets.h"
#include "table/windows.h"

#include <QDesktopServices>
#include <QUrl>

namespace vexal {

void RoundTable::ShowCard() {
    const Hand& h = m_round.hands[0];
    const int w = ownCardWidth();
    for (int slot = 0; slot < h.count; ++slot) {
        QLabel* c = cardImage[0][static_cast<size_t>(h.images[static_cast<size_t>(slot)])];
        if (!setCardImage(c, h.codes[static_cast<size_t>(slot)]))
            return;
        c->setGeometry(qRound(handFanLeft(h.anchorX, h.count, slot, sx(), w)), restingTop(), w, ownCardHeight());
        c->show();
        c->raise();
    }
    m_round.raisedCount = 0;
    m_hoveredImage = -1;
}

// A card lifted by the pointer's hover (5 px) is not chosen; a click raises it a fifth of its height.
bool RoundTable::isRaised(int image) const { return cardImage[0][static_cast<size_t>(image)]->y() < restingTop() - 5; }

void RoundTable::raiseImage(int image) {
    QLabel* c = cardImage[0][static_cast<size_t>(image)];
    c->move(c->x(), restingTop() - ownCardHeight() / 5);
}

void RoundTable::lowerAll() {
    const Hand& h = m_round.hands[0];
    for (int slot = 0; slot < h.count; ++slot) {
        QLabel* c = cardImage[0][static_cast<size_t>(h.images[static_cast<size_t>(slot)])];
        c->move(c->x(), restingTop());
    }
    m_round.raisedCount = 0;
    m_hoveredImage = -1;
}

void RoundTable::cardLeftClick(int image) {
    const int slot = slotOfImage(image);
    if (slot < 0 || m_round.cardClicksBlocked)
        return;
    QLabel* c = cardImage[0][static_cast<size_t>(image)];
    if (c->y() >= restingTop() - 5) {
        if (m_round.callOffered && m_round.callingPhase) {
            const int previous = m_round.callCandidate;
            if (previous >= 0 && previous != slot && previous < m_round.hands[0].count) {
                QLabel* p = cardImage[0][static_cast<size_t>(imageOfSlot(previous))];
                p->move(p->x(), restingTop());
            }
            raiseImage(image);
            m_round.callCandidate = slot;
            m_round.raisedCallCard = slot;
            m_round.raisedCount = 1;
        } else {
            raiseImage(image);
            ++m_round.raisedCount;
        }
        if (m_hoveredImage == image)
            m_hoveredImage = -1;
        playEffect(SoundEffect::CardRaised);
    } else {
        c->move(c->x(), restingTop());
        m_lastLowered = image;
        --m_round.raisedCount;
        if (m_round.callCandidate == slot)
            m_round.callCandidate = -1;
        playEffect(SoundEffect::CardLowered);
    }
}

void RoundTable::rightClickPlay() {
    if (m_round.callOffered || m_round.callingPhase)
        return;
    if (!m_round.ownPlayTurn || !m_round.handInputEnabled || !m_session.loggedIn)
        return;
    m_session.timeoutCount = 0;
    JudgeChuPai();
}

void RoundTable::lowerPanelRightClick() {
    if (m_round.ownPlayTurn && m_round.handInputEnabled)
        JudgeChuPai();
}

void RoundTable::cardHover(int image) {
    if (slotOfImage(image) < 0)
        return;
    const bool ownTurn = m_round.ownPlayTurn && m_round.handInputEnabled;
    auto putBack = [this] {
        if (m_hoveredImage >= 0) {
            QLabel* h = cardImage[0][static_cast<size_t>(m_hoveredImage)];
            if (h->y() == restingTop() - 5)
                h->move(h->x(), restingTop());
        }
        m_hoveredImage = -1;
    };
    if (ownTurn || m_round.raisedCount > 0 || image == m_lastLowered) {
        if (ownTurn)
            putBack();
        return;
    }
    if (image == m_hoveredImage)
        return;
    putBack();
    QLabel* c = cardImage[0][static_cast<size_t>(image)];
    if (c->y() != restingTop())
        return;
    c->setCursor(Qt::PointingHandCursor);
    c->move(c->x(), restingTop() - 5);
    m_hoveredImage = image;
}

void RoundTable::backgroundMove() {
    if (m_hoveredImage >= 0) {
        QLabel* h = cardImage[0][static_cast<size_t>(m_hoveredImage)];
        if (h->y() == restingTop() - 5)
            h->move(h->x(), restingTop());
        m_hoveredImage = -1;
    }
    m_lastLowered = -1;
    for (int i = 0; i < 6; ++i)
        OperationLeave(i);
    if (img_jiao->isVisible())
        img_jiao->showPicture(picture(207));
    if (img_hou->isVisible())
        img_hou->showPicture(picture(201));
    if (img_pass->isVisible())
        img_pass->showPicture(picture(184));
    m_form.restoreHoveredButtons();
}

void RoundTable::OperationEnter(int i) {
    PictureButton* b = Operation[static_cast<size_t>(i)];
    if (b->property("hover").toBool() || !b->isEnabled())
        return;
    b->setProperty("hover", true);
    b->showPicture(picture(i < 3 ? 179 + 3 * i : 188 + 2 * (i - 3)));
}

// The normal picture again once the pointer has left the button, whatever it moved onto.
void RoundTable::OperationLeave(int i) {
    PictureButton* b = Operation[static_cast<size_t>(i)];
    if (!b->property("hover").toBool())
        return;
    b->setProperty("hover", false);
    b->showPicture(picture(i < 3 ? 178 + 3 * i : 187 + 2 * (i - 3)));
}

void RoundTable::OperationClick(int i) {
    if (!m_session.loggedIn)
        return;
    RuleNotice->hide();
    if (i <= 2 && !m_round.handInputEnabled)
        return;
    if (i <= 2 && !Operation[static_cast<size_t>(i)]->isEnabled())
        return;
    switch (i) {
    case 0:
        m_session.timeoutCount = 0;
        JudgeChuPai();
        break;
    case 1:
        hintPressed();
        break;
    case 2:
        PassTurn();
        break;
    case 3:
        if (!m_session.roundRunning)
            break;
        if (m_round.sortMode == 1) {
            m_round.sortMode = 2;
            if (!SortbyNum(m_round.hands[0], m_round.hands[0].count))
                m_form.setSysmsg(0, QString::fromUtf8(kSortbyNumError.data(), static_cast<qsizetype>(kSortbyNumError.size())));
        } else {
            m_round.sortMode = 1;
            if (!SortbyBig(m_round.hands[0], m_round.hands[0].count))
                m_form.setSysmsg(0, QString::fromUtf8(kSortbyBigError.data(), static_cast<qsizetype>(kSortbyBigError.size())));
        }
        ShowCard();
        break;
    case 4:
        if (m_session.roundRunning && m_round.reviewEnabled)
            startReview();
        break;
    case 5:
        lowerAll();
        break;
    default:
        break;
    }
}

void RoundTable::hideScoreSheet() { score->hide(); }

void RoundTable::clearScoreSheet() {
    score->hide();
    score->clearLists();
    for (size_t r = 0; r < 4; ++r) {
        score->ID[r]->clear();
        score->Tou[r]->clear();
    }
}

void RoundTable::closeRoundWindows() {
    score->hide();
    sequenceChoice->hide();
    roarConfirm->hide();
    RuleNotice->hide();
}

// F1: everything out of sight at once, and the table plays by itself from now on.
void RoundTable::F1Pressed() {
    m_session.awayMode = true;
    hideTable();
}

void RoundTable::hideTable() {
    // Out of sight, the turn's countdown is over; the automatic answer takes the turn at once.
    m_services.setCountdown(0);
    m_form.information->hide();
    m_form.exitConfirm->hide();
    m_form.hero->hide();
    closeRoundWindows();
    m_session.goneAway = true;
    m_form.showMinimized();
    m_services.minimiseLobby();
}

void RoundTable::openRulesPage() {
    // The operator's web host is not part of the table; the page is opened on the game server's host.
    const QString host = QString::fromStdString(m_session.launch.serverHost);
    QDesktopServices::openUrl(QUrl(QStringLiteral("http://%1/gameinfo/vxwsk/index.php").arg(host)));
}

}  // namespace vexal
