// The round's buttons (call, roar and pass of a calling turn; play, hint and pass; sort, review and
// restore), the called card, the seat markers and the centred animations.
#include "table/round.h"

#include "media/anigif.h"
#include "media/resources.h"
#include "media/sound.h"
#include "table/mainform.h"
#include "table/widgets.h"

#include <QRandomGenerator>

#include <cmath>

namespace vexal {

void RoundView::drawControls() {
    const RoundState& st = m_model.state();
    // The own turn has no hover lift: a card lifted while waiting goes back when the turn comes.
    if (st.ownPlayTurn && st.handInputEnabled)
        putHoveredBack();
    // Out of touch with the server the controls stay where they are, inert and drawn so.
    const bool live = m_model.inTouch();
    for (PictureButton* b : {img_jiao, img_hou, img_pass})
        b->setEnabled(live);
    // The calling turn's buttons take the places of play and pass, a little wider.
    const uint8_t offer = st.callOffer;
    if (offer == kNoCallOffer) {
        img_jiao->hide();
        img_hou->hide();
        img_pass->hide();
    } else {
        const int left = Operation[2]->x();
        const int w = Operation[0]->width();
        const int top = Operation[2]->y();
        const QSize size(qRound(w * 1.6), qRound(36 * sy()));
        if (offer == kOfferCallOrRoar) {
            img_jiao->setGeometry(QRect(QPoint(qRound(left - 2.5 * w), top), size));
            img_jiao->showPicture(picture(207));
            img_jiao->show();
            img_jiao->raise();
            img_hou->setGeometry(QRect(QPoint(qRound(left - 0.5 * w), top), size));
            img_pass->hide();
        } else if (offer == kOfferRoarOrPass) {
            img_hou->setGeometry(QRect(QPoint(qRound(left - 2.5 * w), top), size));
            img_pass->setGeometry(QRect(QPoint(qRound(left - 0.5 * w), top), size));
            img_pass->showPicture(picture(184));
            img_pass->show();
            img_pass->raise();
            img_jiao->hide();
        }
        img_hou->showPicture(picture(201));
        img_hou->show();
        img_hou->raise();
    }
    for (int i = 0; i < 3; ++i) {
        PictureButton* b = Operation[static_cast<size_t>(i)];
        const bool on = st.playControls[static_cast<size_t>(i)];
        b->setEnabled(on && live);
        b->setVisible(on);
        b->setProperty("hover", false);
        b->showPicture(picture((live ? 178 : 180) + 3 * i));
        if (on)
            b->raise();
    }
    for (int i = 3; i < 6; ++i) {
        PictureButton* b = Operation[static_cast<size_t>(i)];
        if (st.roundControls && !b->isVisible()) {
            b->showPicture(picture(187 + 2 * (i - 3)));
            b->show();
        }
        b->setEnabled(live);
    }
}

void RoundView::showCalledCard(uint8_t rank, uint8_t suit, bool flies) {
    img_lpKuang->show();
    img_syscallcard->setPixmap(picture(calledCardPicture(rank, suit)));
    const QRect deck = m_form.units(462, 280, 60, 84);
    const QPoint rest = img_lpKuang->geometry().topLeft() + QPoint(qRound(12 * sx()), qRound(52 * sy()));
    img_syscallcard->setGeometry(deck);
    img_syscallcard->show();
    img_syscallcard->raise();
    QPoint at = deck.topLeft();
    for (int step = 0; flies && step < 5; ++step) {
        at += (rest - at) / 5;
        img_syscallcard->move(at);
        wait(80);
    }
    img_syscallcard->move(rest);
}

QPoint RoundView::seatMarkerPos(int r) const {
    // Two marker places per seat, this one for the partner and `bankerMarkerPos` for the banker
    // or roar marker: beside each seat's panel, clear of its back pile, clock and the own hand.
    static const QPoint kAt[4] = {{130, 500}, {125, 205}, {260, 24}, {720, 205}};
    return kAt[r];
}

QPoint RoundView::bankerMarkerPos(int r) const {
    // 70 units right of the partner's place; the own seat's would lie on the hand's first cards,
    // so it stands right of the hand, between the own clock and the sort buttons.
    if (r == 0)
        return {880, 470};
    return seatMarkerPos(r) + QPoint(70, 0);
}

void RoundView::drawMarkers() {
    const RoundState& st = m_model.state();
    if (st.bankerSeat >= 0) {
        const QPoint at = bankerMarkerPos(st.bankerSeat);
        img_zhuang->setGeometry(m_form.units(at.x(), at.y(), 68, 68));
        img_zhuang->show();
        img_zhuang->raise();
    } else {
        img_zhuang->hide();
    }
    if (st.partnerSeat >= 0) {
        const QPoint at = seatMarkerPos(st.partnerSeat);
        img_zhuangFriend->setGeometry(m_form.units(at.x(), at.y(), 68, 68));
        img_zhuangFriend->show();
        img_zhuangFriend->raise();
    } else {
        img_zhuangFriend->hide();
    }
    img_lpKuang->setVisible(st.calledFrameShown);
    if (!st.calledCardShown)
        img_syscallcard->hide();
    if (st.roarMarkerShown && st.roarSeat >= 0) {
        if (!UcDiZhu->isVisible()) {
            UcDiZhu->LoadAnimatedGIF_Array(gifResourceBytes(picture::kRoarMarker));
            const QPoint at = bankerMarkerPos(st.roarSeat);
            UcDiZhu->setGeometry(m_form.units(at.x(), at.y(), 68, 68));
            UcDiZhu->raise();
            UcDiZhu->show();
            UcDiZhu->setAction(1);
        }
    } else {
        UcDiZhu->hide();
    }
    // Beside the seat that earned it, clear of its panel's texts, back pile, bubble and clock: right
    // of the own points badge, right of the left pile, right of the top panel, under the right pile.
    static const QPoint kBadgeAt[4] = {{130, 605}, {130, 340}, {660, 30}, {900, 390}};
    for (int r = 0; r < 4; ++r) {
        QLabel* b = finishBadge[static_cast<size_t>(r)];
        const int number = st.finishBadge[static_cast<size_t>(r)];
        if (number == 0) {
            b->hide();
            continue;
        }
        if (b->isVisible() && b->property("picture").toInt() == number)
            continue;
        b->setPixmap(picture(number));
        b->setProperty("picture", number);
        b->setGeometry(m_form.units(kBadgeAt[r].x(), kBadgeAt[r].y(), 96, 48));
        b->show();
        b->raise();
    }
}

// An animation over the table's centre, in its own size, gone after `ms`.
void RoundView::runCentredAnimation(int pictureNumber, int loops, int ms) {
    bombPlayer->LoadAnimatedGIF_Array(gifResourceBytes(pictureNumber));
    bombPlayer->setLoops(loops);
    bombPlayer->resize(bombPlayer->ActualWidth(), bombPlayer->ActualHeight());
    const QRect centre = m_form.units(512, 370, 0, 0);
    bombPlayer->move(centre.left() - bombPlayer->width() / 2, centre.top() - bombPlayer->height() / 2);
    bombPlayer->show();
    bombPlayer->raise();
    bombPlayer->setAction(1);
    for (int i = 0; i < 3; ++i)
        if (Operation[static_cast<size_t>(i)]->isVisible())
            Operation[static_cast<size_t>(i)]->raise();
    m_bombEnd.start(ms);
}

void RoundView::stopCentredAnimation() {
    m_bombEnd.stop();
    bombPlayer->setAction(0);
    bombPlayer->hide();
}

// One of the three bomb pictures at random, with its own sound.
void RoundView::runBombAnimation() {
    const int n = static_cast<int>(std::lround(QRandomGenerator::global()->generateDouble() * 2.0)) % 3;
    runCentredAnimation(picture::kBomb + n, n == 2 ? 1 : 2, 2000);
    if (m_sound && m_sound->effectsOn()) {
        m_sound->StopEffect();
        m_sound->playBombEffect(n);
    }
}

}  // namespace vexal
