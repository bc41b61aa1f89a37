// The calling turns: the offered buttons, the own choice, the countdown that answers for the
// player, and every seat's choice as the server reports it.
#include "table/round.h"

#include "media/anigif.h"
#include "media/resources.h"
#include "media/sound.h"
#include "net/messages/calling.h"
#include "table/mainform.h"
#include "model/session.h"
#include "table/widgets.h"
#include "table/windows.h"
#include "platform/trace.h"

namespace vexal {

namespace {
CommandFrame choiceFrame(uint8_t seatBit, uint8_t choice, uint8_t rank = 0, uint8_t suit = 0) {
    return encode(CallChoice{seatBit, choice, rank, suit});
}
}  // namespace

void RoundTable::OnCallingTurn(const CommandFrame& frame) {
    const CallingTurn turn = decodeCallingTurn(frame);
    const int s = m_session.relativeOf(turn.seatBit);
    trace("calling-turn", QStringLiteral("seat %1 offer %2").arg(s).arg(turn.offer));
    m_round.ownPlayTurn = false;
    if (s == 0) {
        const int left = Operation[2]->x();
        const int w = Operation[0]->width();
        const int top = Operation[2]->y();
        const QSize size(qRound(w * 1.6), qRound(36 * sy()));
        if (turn.offer == kOfferCallOrRoar) {
            img_jiao->setGeometry(QRect(QPoint(qRound(left - 2.5 * w), top), size));
            img_jiao->showPicture(picture(207));
            img_jiao->show();
            img_jiao->raise();
            img_hou->setGeometry(QRect(QPoint(qRound(left - 0.5 * w), top), size));
            img_pass->hide();
        } else if (turn.offer == kOfferRoarOrPass) {
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
        m_round.ownPlayTurn = true;
    }
    placeCountdown(s);
    if (turn.offer == kOfferCallOrRoar) {
        m_round.callingTurn = true;
        m_round.callOffered = true;
        m_round.handInputEnabled = true;
    } else if (turn.offer == kOfferRoarOrPass) {
        m_round.callingTurn = true;
        m_round.callOffered = false;
        m_round.handInputEnabled = true;
    }
    m_round.callingPhase = true;
    const int seconds = m_session.awayMode ? 1 : 10;
    m_services.setCountdown(seconds);
    showCountdownNumber(seconds, false);
    if (s == 0 && autoplay)
        QTimer::singleShot(autoplayDelayMs, this, &RoundTable::autoplayTurn);
}

void RoundTable::OnCallClick() {
    if (!m_session.loggedIn)
        return;
    const int slot = m_round.callCandidate;
    // Sorting or restoring moves cards under the remembered slot: only a card still raised there
    // is the one the player chose.
    if (slot < 0 || slot >= m_round.hands[0].count || !isRaised(imageOfSlot(slot))) {
        RuleNotice->showNotice(209);
        return;
    }
    const CardCode card = m_round.hands[0].codes[static_cast<size_t>(slot)];
    if (!isCallableRank(cardRank(card))) {
        RuleNotice->showNotice(209);
        return;
    }
    if (!m_round.callingTurn)
        return;
    m_round.callingTurn = false;
    m_round.callOffered = false;
    m_round.callingPhase = false;
    QLabel* image = cardImage[0][static_cast<size_t>(imageOfSlot(slot))];
    image->move(image->x(), restingTop());
    m_round.raisedCount = 0;
    img_hou->hide();
    img_jiao->hide();
    send(choiceFrame(m_session.own.seatBit, kChoiceCall, static_cast<uint8_t>(cardRank(card)),
                     static_cast<uint8_t>(suitBit(card))));
}

void RoundTable::OnRoarClick() {
    if (!m_session.loggedIn || m_session.awayMode)
        return;
    roarConfirm->adjustSize();
    centreOver(roarConfirm, &m_form);
    roarConfirm->show();
    roarConfirm->raise();
}

void RoundTable::OnRoarConfirm(bool yes) {
    if (yes && m_round.callingTurn) {
        m_round.callingTurn = false;
        m_round.callOffered = false;
        m_round.callingPhase = false;
        img_hou->hide();
        img_pass->hide();
        img_jiao->hide();
        send(choiceFrame(m_session.own.seatBit, kChoiceRoar));
    }
    roarConfirm->hide();
}

void RoundTable::OnPassClick() {
    if (!m_session.loggedIn || !m_round.callingTurn)
        return;
    m_round.callingTurn = false;
    m_round.callingPhase = false;
    img_hou->hide();
    img_pass->hide();
    send(choiceFrame(m_session.own.seatBit, kChoicePass));
}

void RoundTable::CallCountdownTick() {
    if (!m_session.loggedIn || !m_round.callingTurn)
        return;
    int countdown = m_services.countdown();
    if (countdown > 0) {
        --countdown;
        m_services.setCountdown(countdown);
        const bool low = countdown < 4;
        showCountdownNumber(countdown, low);
        if (low && deviceOn())
            m_sound->playTurnTick();
        return;
    }
    if (img_pass->isVisible()) {
        send(choiceFrame(m_session.own.seatBit, kChoicePass));
        m_round.callingTurn = false;
        m_round.callingPhase = false;
        roarConfirm->hide();
        m_form.activateWindow();
        img_hou->hide();
        img_pass->hide();
        hideCountdown();
    } else if (img_jiao->isVisible()) {
        const int slot = automaticCallSlot(m_round.hands[0]);
        // With no callable card at all the first card goes; the server answers such a call.
        const CardCode card = m_round.hands[0].codes[static_cast<size_t>(slot >= 0 ? slot : 0)];
        m_round.callingTurn = false;
        m_round.callOffered = false;
        m_round.callingPhase = false;
        roarConfirm->hide();
        m_form.activateWindow();
        img_hou->hide();
        img_jiao->hide();
        lowerAll();
        send(choiceFrame(m_session.own.seatBit, kChoiceCall, static_cast<uint8_t>(cardRank(card)),
                         static_cast<uint8_t>(suitBit(card))));
        hideCountdown();
    }
}

void RoundTable::showCalledCard(uint8_t rank, uint8_t suit) {
    img_lpKuang->show();
    img_syscallcard->setPixmap(picture(calledCardPicture(rank, suit)));
    const QRect deck = m_form.units(462, 280, 60, 84);
    const QPoint rest = img_lpKuang->geometry().topLeft() + QPoint(qRound(12 * sx()), qRound(52 * sy()));
    img_syscallcard->setGeometry(deck);
    img_syscallcard->show();
    img_syscallcard->raise();
    QPoint at = deck.topLeft();
    for (int step = 0; step < 5; ++step) {
        at += (rest - at) / 5;
        img_syscallcard->move(at);
        m_services.wait(80);
    }
    img_syscallcard->move(rest);
}

void RoundTable::OnCallResult(const CommandFrame& frame) {
    const CallChoice c = decodeCallChoice(frame);
    const int s = m_session.relativeOf(c.seatBit);
    trace("call-result", QStringLiteral("seat %1 choice %2 rank %3 suit %4").arg(s).arg(c.choice).arg(c.rank).arg(c.suitBit));
    if (c.choice == kChoiceCall) {
        showCalledCard(c.rank, c.suitBit);
        const QPoint at = seatMarkerPos(s);
        img_zhuang->setGeometry(m_form.units(at.x() + 70, at.y(), 68, 68));
        img_zhuang->show();
        img_zhuang->raise();
    } else if (c.choice == kChoiceRoar) {
        if (!m_session.awayMode) {
            bombPlayer->LoadAnimatedGIF_Array(gifResourceBytes(picture::kRoar));
            bombPlayer->setLoops(1);
            bombPlayer->adjustSize();
            const QRect centre = m_form.units(512, 370, 0, 0);
            bombPlayer->move(centre.left() - bombPlayer->width() / 2, centre.top() - bombPlayer->height() / 2);
            bombPlayer->show();
            bombPlayer->raise();
            bombPlayer->setAction(1);
            m_bombEnd.start(3000);
            if (effectsOn())
                m_sound->playTableEffect(SoundEffect::Roar);
        }
        img_zhuang->hide();
        img_syscallcard->hide();
        img_lpKuang->hide();
        UcDiZhu->LoadAnimatedGIF_Array(gifResourceBytes(picture::kRoarMarker));
        const QPoint at = seatMarkerPos(s);
        UcDiZhu->setGeometry(m_form.units(at.x() + 70, at.y(), 68, 68));
        UcDiZhu->raise();
        UcDiZhu->show();
        UcDiZhu->setAction(1);
        m_round.roarSeat = s;
        if (s >= 1)
            showSeatBubble(s, 223 + s);
    } else if (c.choice == kChoicePass) {
        if (s >= 1)
            showSeatBubble(s, 220 + s);
    }
}

}  // namespace vexal
