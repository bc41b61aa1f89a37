// The own hand as the model holds it, the pointer's hover lift, the hand buttons' hover pictures,
// and the table going out of sight.
#include "table/round.h"

#include "rules/sort.h"
#include "table/mainform.h"
#include "table/score.h"
#include "table/sequencechoice.h"
#include "table/widgets.h"
#include "table/windows.h"


namespace vexal {

void RoundView::drawHand() {
    const RoundState& st = m_model.state();
    const Hand& h = st.hands[0];
    const int w = ownCardWidth();
    const int lift = ownCardHeight() / 5;
    std::array<bool, kCardImagesPerSeat> inHand{};
    for (int slot = 0; slot < h.count; ++slot) {
        const int image = h.images[static_cast<size_t>(slot)];
        inHand[static_cast<size_t>(image)] = true;
        QLabel* c = cardImage[0][static_cast<size_t>(image)];
        // Sorting moves codes between slots, never images: an image shows whatever card its slot holds.
        setCardImage(c, h.codes[static_cast<size_t>(slot)]);
        const int top = st.raised[static_cast<size_t>(image)] ? restingTop() - lift : restingTop();
        c->setGeometry(qRound(handFanLeft(anchorX(0), h.count, slot, sx(), w)), top, w, ownCardHeight());
        c->show();
        c->raise();
    }
    // An own image neither in the hand nor on the table shows nothing.
    for (int i = 0; i < kCardImagesPerSeat; ++i) {
        if (inHand[static_cast<size_t>(i)])
            continue;
        bool onTable = false;
        for (const ShownPlay* p : {&st.shown[0], &st.lastTrick[0]})
            for (int k = 0; k < p->count; ++k)
                onTable = onTable || p->images[static_cast<size_t>(k)] == i;
        if (!onTable)
            putAway(cardImage[0][static_cast<size_t>(i)]);
    }
    m_hoveredImage = -1;
}

// A card lifted by the pointer's hover (5 px) is not chosen; a click raises it a fifth of its height.
bool RoundView::isRaised(int image) const { return cardImage[0][static_cast<size_t>(image)]->y() < restingTop() - 5; }

void RoundView::putHoveredBack() {
    if (m_hoveredImage >= 0) {
        QLabel* h = cardImage[0][static_cast<size_t>(m_hoveredImage)];
        if (h->y() == restingTop() - 5)
            h->move(h->x(), restingTop());
    }
    m_hoveredImage = -1;
}

void RoundView::cardHover(int image) {
    const RoundState& st = m_model.state();
    bool inHand = false;
    for (int s = 0; s < st.hands[0].count; ++s)
        inHand = inHand || st.hands[0].images[static_cast<size_t>(s)] == image;
    if (!inHand)
        return;
    if (image != m_lastLowered)
        m_lastLowered = -1;
    // No lift in the own turn, while cards are raised, or over the card just lowered.
    const bool ownTurn = st.ownPlayTurn && st.handInputEnabled;
    if (ownTurn || st.raisedCount > 0 || image == m_lastLowered) {
        if (ownTurn)
            putHoveredBack();
        return;
    }
    if (image == m_hoveredImage)
        return;
    putHoveredBack();
    QLabel* c = cardImage[0][static_cast<size_t>(image)];
    if (c->y() != restingTop())
        return;
    c->setCursor(Qt::PointingHandCursor);
    c->move(c->x(), restingTop() - 5);
    m_hoveredImage = image;
}

void RoundView::backgroundMove() {
    putHoveredBack();
    m_lastLowered = -1;
    dropButtonHover();
}

// The pointer is on the table or a card, so no control keeps its hover picture.
void RoundView::dropButtonHover() {
    for (int i = 0; i < 6; ++i)
        operationLeave(i);
    if (img_jiao->isVisible())
        img_jiao->showPicture(picture(207));
    if (img_hou->isVisible())
        img_hou->showPicture(picture(201));
    if (img_pass->isVisible())
        img_pass->showPicture(picture(184));
    m_form.restoreHoveredButtons();
}

void RoundView::operationEnter(int i) {
    PictureButton* b = Operation[static_cast<size_t>(i)];
    if (b->property("hover").toBool() || !b->isEnabled())
        return;
    b->setProperty("hover", true);
    b->showPicture(picture(i < 3 ? 179 + 3 * i : 188 + 2 * (i - 3)));
}

// The normal picture again once the pointer has left the button, whatever it moved onto.
void RoundView::operationLeave(int i) {
    PictureButton* b = Operation[static_cast<size_t>(i)];
    if (!b->property("hover").toBool())
        return;
    b->setProperty("hover", false);
    b->showPicture(picture(i < 3 ? 178 + 3 * i : 187 + 2 * (i - 3)));
}

void RoundView::hideScoreSheet() { score->hide(); }

void RoundView::clearScoreSheet() {
    score->hide();
    score->clearLists();
    for (size_t r = 0; r < 4; ++r) {
        score->ID[r]->clear();
        score->Tou[r]->clear();
    }
}

void RoundView::closeRoundWindows() {
    score->hide();
    sequenceChoice->hide();
    roarConfirm->hide();
    hiddenCallConfirm->hide();
    RuleNotice->hide();
}

void RoundView::hideTable() {
    m_form.information->hide();
    m_form.exitConfirm->hide();
    m_form.hero->hide();
    closeRoundWindows();
    m_form.showMinimized();
}

}  // namespace vexal
