// `ResetRound`, `DealHand` with the flying cards, and the round's labels.
#include "table/round.h"

#include "media/anigif.h"
#include "media/resources.h"
#include "media/sound.h"
#include "net/messages/deal.h"
#include "rules/sort.h"
#include "table/mainform.h"
#include "table/score.h"
#include "table/sequencechoice.h"
#include "model/session.h"

#include <QFontMetrics>
#include "table/widgets.h"
#include "platform/trace.h"

namespace vexal {

namespace {
// The round's three anchors of the opponents and the own seat, in table units.
constexpr int kAnchor[4][2] = {{500, 430}, {250, 310}, {500, 205}, {774, 310}};
constexpr int kMoveStep = 75;
}  // namespace

void RoundTable::ResetRound() {
    m_round.reset();
    m_round.hands[0].seatBit = m_session.own.seatBit;
    for (int r = 0; r < 4; ++r) {
        Hand& h = m_round.hands[static_cast<size_t>(r)];
        h.anchorX = static_cast<int16_t>(qRound(kAnchor[r][0] * sx()));
        h.anchorY = static_cast<int16_t>(qRound(kAnchor[r][1] * sy()));
        h.count = 0;
        for (QLabel* c : cardImage[static_cast<size_t>(r)])
            c->hide();
    }
    for (int i = 0; i < kCardImagesPerSeat; ++i)
        cardImage[0][i]->resize(ownCardWidth(), ownCardHeight());
    imgFaPai->setGeometry(m_form.units(462, 280, 100, 140));
    imgFaPai->hide();
    for (QWidget* w : std::initializer_list<QWidget*>{img_jiao, img_hou, img_pass, imgMyPaiBei, UcDiZhu, img_zhuang,
                                                      img_syscallcard, img_zhuangFriend, lbl_currBeishu,
                                                      lbl_benlunFenshu, img_currBeishu, img_benlunFenshu,
                                                      imgCardMove})
        w->hide();
    for (QLabel* s : shanImage)
        s->hide();
    for (int r = 0; r < 4; ++r) {
        Speak[static_cast<size_t>(r)]->hide();
        finishBadge[static_cast<size_t>(r)]->hide();
        img_currDefen[static_cast<size_t>(r)]->hide();
        m_form.lbl_currDefen[static_cast<size_t>(r)]->hide();
    }
    m_speaking = -1;
    // Play, hint and pass in a row over the hand's right half; sort, review and restore stacked
    // beside the hand, clear of the countdown clock.
    // Play, hint and pass stop above the top of a raised card (568 - 120 / 5), so none slides under them.
    static const int kOperation[6][2] = {{560, 506}, {630, 506}, {700, 506}, {950, 560}, {950, 600}, {950, 640}};
    for (size_t i = 0; i < Operation.size(); ++i) {
        Operation[i]->setGeometry(m_form.units(kOperation[i][0], kOperation[i][1], 64, 32));
        Operation[i]->hide();
    }
    m_form.showRoomRules(false);
    hideCountdown();
    img_lpKuang->setGeometry(m_form.units(936, 88, 84, 146));
    img_lpKuang->show();
    m_moveDx = m_moveDy = 0;
    m_reviewTimer.stop();
    hideScoreSheet();
    sequenceChoice->hide();
    roarConfirm->hide();
    if (m_session.roundCounter == 0)
        for (int r = 0; r < 4; ++r)
            m_form.hero->sunScore[static_cast<size_t>(r)]->clear();
    if (m_session.lastWealthMultiple == 0) {
        m_form.lbwealth->setText(QStringLiteral("1"));
        m_form.hideWealth();
    }
}

void RoundTable::clearOwnHand() {
    m_round.hands[0].count = 0;
    for (int i = 0; i < kCardImagesPerSeat; ++i) {
        cardImage[0][i]->hide();
        cardImage[0][i]->clear();
    }
}

void RoundTable::onDeal(const CommandFrame& frame) {
    DealHand(frame);
    trace("deal", QStringLiteral("%1 cards").arg(m_round.hands[0].count));
    m_round.callingTurn = false;
    m_session.roundRunning = true;
    m_round.reviewEnabled = true;
    for (int i = 3; i < 6; ++i) {
        Operation[static_cast<size_t>(i)]->showPicture(picture(187 + 2 * (i - 3)));
        Operation[static_cast<size_t>(i)]->setEnabled(true);
        Operation[static_cast<size_t>(i)]->show();
    }
    m_round.wealthText = m_session.lastWealthMultiple != 0 ? m_form.lbwealth->text().toStdString() : "1";
    for (size_t r = 0; r < 4; ++r)
        m_round.initialCoins[r] = m_form.Cash[r]->text().toStdString();
}

void RoundTable::moveTick() {
    imgCardMove->move(imgCardMove->x() + m_moveDx, imgCardMove->y() + m_moveDy);
}

// One leg of the flying card: a tween of 75-unit steps, one per 20 ms frame; the wait processes
// window events so the table stays responsive.
void RoundTable::flyLeg(int pictureNumber, int dx, int dy, const std::function<bool(const QRect&)>& arrived) {
    imgCardMove->setPixmap(picture(pictureNumber));
    const QRect deck = imgFaPai->geometry();
    imgCardMove->setGeometry(deck.left() - qRound(50 * sx()), deck.top() - qRound(40 * sy()), qRound(207 * sx()),
                             qRound(200 * sy()));
    imgCardMove->show();
    imgCardMove->raise();
    m_moveDx = qRound(dx * kMoveStep * sx());
    m_moveDy = qRound(dy * kMoveStep * sy());
    // A leg never needs more than a screen's width of steps; the bound keeps a broken end test
    // from spinning for ever.
    for (int step = 0; step < 40 && !arrived(imgCardMove->geometry()); ++step) {
        m_services.wait(20);
        moveTick();
        ++m_dealSteps;
    }
    m_moveDx = m_moveDy = 0;
}

void RoundTable::DealHand(const CommandFrame& frame) {
    const Deal deal = decodeDeal(frame);
    m_round.settlementNote = deal.note;
    m_round.noteAlone = deal.noteAlone;
    imgFaPai->setPixmap(picture(picture::kDeck));
    imgFaPai->show();
    imgFaPai->raise();
    Hand& own = m_round.hands[0];
    const int w = ownCardWidth();
    for (size_t k = 0; k < deal.cards.size() && k < static_cast<size_t>(kHandSlots); ++k) {
        own.codes[static_cast<size_t>(own.count)] = deal.cards[k];
        own.images[k] = static_cast<uint16_t>(k);
        ++own.count;
        QLabel* c = cardImage[0][k];
        if (!setCardImage(c, deal.cards[k]))
            return;
        c->setGeometry(qRound(own.anchorX - 302.4 * sx() + static_cast<double>(k) * 0.22 * w), restingTop(), w,
                       ownCardHeight());
        c->show();
        c->raise();
        if (k < 3) {
            const int r = static_cast<int>(k);
            if (effectsOn())
                m_sound->playTableEffect(SoundEffect::Deal);
            flyLeg(522, 0, 1, [this](const QRect& g) { return g.top() >= qRound(450 * sy()); });
            if (r == 0) {
                imgMyPaiBei->setPixmap(picture(picture::kOwnPile));
                imgMyPaiBei->setGeometry(m_form.units(408, 540, 207, 200));
                imgMyPaiBei->show();
            }
            flyLeg(523, 1, 0, [this](const QRect& g) { return g.left() >= qRound(780 * sx()); });
            shanImage[2]->setPixmap(picture(523 + 3 * r));
            shanImage[2]->setGeometry(m_form.units(830, 240, 207 * 0.6, 200 * 0.6));
            shanImage[2]->show();
            flyLeg(522, 0, -1, [this](const QRect& g) { return g.top() <= qRound(200 * sy()); });
            shanImage[1]->setPixmap(picture(522 + 3 * r));
            shanImage[1]->setGeometry(m_form.units(400, 90, 207 * 0.6, 200 * 0.6));
            shanImage[1]->show();
            flyLeg(521, -1, 0, [this](const QRect& g) { return g.left() <= qRound(160 * sx()); });
            shanImage[0]->setPixmap(picture(521 + 3 * r));
            shanImage[0]->setGeometry(m_form.units(30, 240, 207 * 0.6, 200 * 0.6));
            shanImage[0]->show();
            imgCardMove->hide();
        }
    }
    imgCardMove->hide();
    imgFaPai->hide();
    imgMyPaiBei->hide();
    // A deal that stopped at a broken card keeps the cards before it and skips the rest.
    if (deal.cards.size() < static_cast<size_t>(kHandSlots) && deal.cards.size() != 0 &&
        (frame[kDealCardsByte + 4 * deal.cards.size() + 3] & 0x80) != 0)
        return;
    if (!SortbyBig(own, own.count))
        m_form.setSysmsg(0, QString::fromUtf8(kSortbyBigError.data(), static_cast<qsizetype>(kSortbyBigError.size())));
    m_round.sortMode = 1;
    ShowCard();
    for (int r = 1; r < 4; ++r) {
        Hand& h = m_round.hands[static_cast<size_t>(r)];
        h.count = kHandSlots;
        for (int i = 0; i < kHandSlots; ++i)
            h.images[static_cast<size_t>(i)] = static_cast<uint16_t>(i);
        showBackPile(r, kHandSlots);
    }
    ResetRoundLabels();
}

void RoundTable::showBackPile(int r, int count) {
    QLabel* pile = shanImage[static_cast<size_t>(r - 1)];
    const int number = backPilePicture(r, count);
    if (number == 0) {
        pile->hide();
        return;
    }
    pile->setPixmap(picture(number));
    pile->setProperty("picture", number);
    pile->show();
}

// The largest type that fits the badge's well, from the table's own 14-point face down.
void RoundTable::showMultiplier() {
    const QString text = QString::fromStdString(multiplierBadgeText(m_round.multiplier));
    QFont font(QStringLiteral("华文行楷"));
    font.setBold(true);
    for (double points = 14.25 * sy(); points >= 5; points -= 0.5) {
        font.setPointSizeF(points);
        if (QFontMetrics(font).horizontalAdvance(text) <= lbl_currBeishu->width())
            break;
    }
    lbl_currBeishu->setFont(font);
    lbl_currBeishu->setText(text);
}

void RoundTable::ResetRoundLabels() {
    img_currBeishu->setGeometry(m_form.units(20, 530, 105, 30));
    img_benlunFenshu->setGeometry(m_form.units(20, 560, 105, 30));
    static const int kDefen[4][2] = {{20, 610}, {30, 380}, {336, 115}, {680, 115}};
    for (int r = 0; r < 4; ++r)
        img_currDefen[static_cast<size_t>(r)]->setGeometry(m_form.units(kDefen[r][0], kDefen[r][1], 105, 30));
    // The value sits in the badge's well (x 73..102, y 5..25 of the picture).
    const QRect icon = img_currBeishu->geometry();
    lbl_currBeishu->setGeometry(icon.left() + qRound(73 * sx()), icon.top() + qRound(5 * sy()), qRound(29 * sx()),
                                qRound(20 * sy()));
    lbl_currBeishu->setAlignment(Qt::AlignCenter);
    showMultiplier();
    lbl_benlunFenshu->setText(QStringLiteral("0"));
    const QRect t = img_benlunFenshu->geometry();
    lbl_benlunFenshu->setGeometry(t.left() + qRound(75 * sx()), t.top() + qRound(8 * sy()), qRound(100 * sx()),
                                  qRound(20 * sy()));
    for (QWidget* w : std::initializer_list<QWidget*>{img_currBeishu, img_benlunFenshu, lbl_currBeishu, lbl_benlunFenshu}) {
        w->show();
        w->raise();
    }
    for (int r = 0; r < 4; ++r) {
        QLabel* icon = img_currDefen[static_cast<size_t>(r)];
        QLabel* l = m_form.lbl_currDefen[static_cast<size_t>(r)];
        l->setText(QStringLiteral("0"));
        l->setGeometry(icon->x() + qRound(75 * sx()), icon->y() + qRound(6 * sy()), qRound(60 * sx()), qRound(20 * sy()));
        icon->show();
        icon->raise();
        l->show();
        l->raise();
    }
}

}  // namespace vexal
