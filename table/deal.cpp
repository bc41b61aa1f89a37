// The round's resting state, the deal with its flying cards, the back piles and the round's labels.
#include "table/round.h"

#include "media/anigif.h"
#include "media/resources.h"
#include "table/clockview.h"
#include "table/mainform.h"
#include "table/score.h"
#include "table/sequencechoice.h"
#include "table/widgets.h"
#include "table/windows.h"

#include <QFontMetrics>

namespace vexal {

namespace {
constexpr int kMoveStep = 75;
}  // namespace

void RoundView::clearRound() {
    for (auto& seat : cardImage)
        for (QLabel* c : seat)
            putAway(c);
    for (int i = 0; i < kCardImagesPerSeat; ++i)
        cardImage[0][i]->resize(ownCardWidth(), ownCardHeight());
    imgFaPai->setGeometry(m_form.units(462, 280, 100, 140));
    for (QLabel* l : {imgFaPai, imgMyPaiBei, imgCardMove})
        putAway(l);
    for (QWidget* w : std::initializer_list<QWidget*>{img_jiao, img_hou, img_pass, UcDiZhu, img_zhuang,
                                                      img_syscallcard, img_zhuangFriend, lbl_currBeishu,
                                                      lbl_benlunFenshu, img_currBeishu, img_benlunFenshu})
        w->hide();
    for (QLabel* s : shanImage)
        putAway(s);
    for (int r = 0; r < 4; ++r) {
        Speak[static_cast<size_t>(r)]->hide();
        finishBadge[static_cast<size_t>(r)]->hide();
        img_currDefen[static_cast<size_t>(r)]->hide();
        m_form.lbl_currDefen[static_cast<size_t>(r)]->hide();
    }
    // Play, hint and pass in a row over the hand's right half, stopping above the top of a raised
    // card (568 - 120 / 5) so none slides under them; sort, review and restore stacked beside the
    // hand, clear of the countdown clock.
    static const int kOperation[6][2] = {{560, 506}, {630, 506}, {700, 506}, {950, 560}, {950, 600}, {950, 640}};
    for (size_t i = 0; i < Operation.size(); ++i) {
        Operation[i]->setGeometry(m_form.units(kOperation[i][0], kOperation[i][1], 64, 32));
        Operation[i]->hide();
    }
    m_form.showRoomRules(false);
    m_clock.draw(m_model.clock());
    // 叫牌 in the top right corner, ending above the right seat's countdown clock (top 210).
    img_lpKuang->setGeometry(m_form.units(936, 58, 84, 146));
    img_lpKuang->setVisible(m_model.state().calledFrameShown);
    m_hoveredImage = -1;
    m_lastLowered = -1;
    m_reviewTimer.stop();
    hideScoreSheet();
    sequenceChoice->hide();
    roarConfirm->hide();
    hiddenCallConfirm->hide();
    if (m_model.session().roundCounter == 0)
        for (int r = 0; r < 4; ++r)
            m_form.hero->sunScore[static_cast<size_t>(r)]->clear();
    if (m_model.session().lastWealthMultiple == 0) {
        m_form.lbwealth->setText(QStringLiteral("1"));
        m_form.hideWealth();
    }
}

// One leg of the flying card: a tween of 75-unit steps, one per 20 ms frame; the wait processes
// window events so the table stays responsive.
void RoundView::flyLeg(int pictureNumber, int dx, int dy, const std::function<bool(const QRect&)>& arrived) {
    imgCardMove->setPixmap(picture(pictureNumber));
    const QRect deck = imgFaPai->geometry();
    imgCardMove->setGeometry(deck.left() - qRound(50 * sx()), deck.top() - qRound(40 * sy()), qRound(207 * sx()),
                             qRound(200 * sy()));
    imgCardMove->show();
    imgCardMove->raise();
    const int stepX = qRound(dx * kMoveStep * sx());
    const int stepY = qRound(dy * kMoveStep * sy());
    // A leg never needs more than a screen's width of steps; the bound keeps a broken end test
    // from spinning for ever.
    for (int step = 0; step < 40 && !arrived(imgCardMove->geometry()); ++step) {
        wait(20);
        imgCardMove->move(imgCardMove->x() + stepX, imgCardMove->y() + stepY);
        ++m_dealSteps;
    }
}

// The first three cards fly to each seat in turn, each to its place in the dealt order; then the
// hand lies sorted and the piles stand full.
void RoundView::layOutDeal(const view::DealLaidOut& deal) {
    imgFaPai->setPixmap(picture(picture::kDeck));
    imgFaPai->show();
    imgFaPai->raise();
    const int w = ownCardWidth();
    const size_t dealt = std::min(deal.cards.size(), static_cast<size_t>(m_model.state().hands[0].count));
    for (size_t k = 0; k < dealt; ++k) {
        QLabel* c = cardImage[0][k];
        setCardImage(c, deal.cards[k]);
        c->setGeometry(qRound(anchorX(0) - 302.4 * sx() + static_cast<double>(k) * 0.22 * w), restingTop(), w,
                       ownCardHeight());
        c->show();
        c->raise();
        if (k < 3) {
            const int r = static_cast<int>(k);
            playCue(Cue::Deal);
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
            putAway(imgCardMove);
        }
    }
    putAway(imgCardMove);
    putAway(imgFaPai);
    putAway(imgMyPaiBei);
    if (deal.unsorted)
        return;
    drawHand();
    drawBackPiles();
}

void RoundView::drawBackPiles() {
    const RoundState& st = m_model.state();
    for (int r = 1; r < 4; ++r) {
        QLabel* pile = shanImage[static_cast<size_t>(r - 1)];
        const int number = st.pilesShown ? backPilePicture(r, st.hands[static_cast<size_t>(r)].count) : 0;
        if (number == 0) {
            putAway(pile);
            continue;
        }
        pile->setPixmap(picture(number));
        pile->setProperty("picture", number);
        pile->show();
    }
}

// The largest type that fits the badge's well, from the table's own 14-point face down.
void RoundView::showMultiplier() {
    const QString text = QString::fromStdString(multiplierBadgeText(m_model.state().multiplier));
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

void RoundView::drawLabels() {
    const RoundState& st = m_model.state();
    if (!st.labelsShown)
        return;
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
    lbl_benlunFenshu->setText(QString::number(st.tablePoints));
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
        l->setText(QString::number(st.pointsTaken[static_cast<size_t>(r)]));
        l->setGeometry(icon->x() + qRound(75 * sx()), icon->y() + qRound(6 * sy()), qRound(60 * sx()), qRound(20 * sy()));
        icon->show();
        icon->raise();
        l->show();
        l->raise();
    }
}

}  // namespace vexal
