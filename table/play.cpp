// The plays on the table: each seat's latest play in the trick (or the previous trick under
// review), the opponents' cards revealed at the round's end, and the seat bubbles and pass marks.
#include "table/round.h"

#include "rules/sort.h"
#include "table/mainform.h"

namespace vexal {

void RoundView::drawTableCards() {
    const RoundState& st = m_model.state();
    const int w = otherCardWidth();
    const int h = otherCardHeight();
    for (int r = 0; r < 4; ++r) {
        const size_t rs = static_cast<size_t>(r);
        std::array<bool, kCardImagesPerSeat> drawn{};
        const ShownPlay& p = st.reviewShowing ? st.lastTrick[rs] : st.shown[rs];
        const bool playShown = r == 0 || !st.handsRevealed;
        if (playShown) {
            const double step = 0.22 * w;
            const double rowWidth = p.count > 0 ? (p.count - 1) * step + w : 0;
            // Rows grow towards the table's centre: the left seat's to the right, the right seat's
            // to the left, the top seat's both ways; the own play fans out over the hand.
            double left = anchorX(r);
            if (r == 2)
                left = anchorX(r) - rowWidth / 2;
            else if (r == 3)
                left = anchorX(r) - rowWidth + w;
            for (int k = 0; k < p.count; ++k) {
                const int image = p.images[static_cast<size_t>(k)];
                QLabel* c = cardImage[rs][static_cast<size_t>(image)];
                setCardImage(c, st.imageCard[rs][static_cast<size_t>(image)]);
                if (r == 0)
                    c->setGeometry(qRound(handFanLeft(anchorX(0), p.count, k, sx(), w) + 24 * sx()),
                                   anchorY(0) + qRound(24 * sy()), w, h);
                else
                    c->setGeometry(qRound(left + k * step), anchorY(r), w, h);
                c->show();
                c->raise();
                drawn[static_cast<size_t>(image)] = true;
            }
        }
        if (r > 0 && st.handsRevealed) {
            const Hand& held = st.hands[rs];
            for (int i = 0; i < held.count; ++i) {
                const int image = std::min(st.nextFreeImage[rs] + i, kCardImagesPerSeat - 1);
                QLabel* c = cardImage[rs][static_cast<size_t>(image)];
                setCardImage(c, st.imageCard[rs][static_cast<size_t>(image)]);
                c->setGeometry(qRound(handFanLeft(anchorX(r), held.count, i, sx(), w)), anchorY(r), w, h);
                c->show();
                c->raise();
                drawn[static_cast<size_t>(image)] = true;
            }
        }
        // Everything else of the seat is off the table; the own hand's cards are the hand's.
        for (int i = 0; i < kCardImagesPerSeat; ++i) {
            if (drawn[static_cast<size_t>(i)])
                continue;
            bool inHand = false;
            if (r == 0)
                for (int s = 0; s < st.hands[0].count; ++s)
                    inHand = inHand || st.hands[0].images[static_cast<size_t>(s)] == i;
            if (!inHand)
                putAway(cardImage[rs][static_cast<size_t>(i)]);
        }
    }
    // The buttons of the own turn stay over the cards.
    if (Operation[0]->isVisible())
        for (int i = 0; i < 3; ++i)
            Operation[static_cast<size_t>(i)]->raise();
}

// One label per seat shows its bubble (过, 吼, 炸) or, failing that, its pass mark; the pass marks
// make way for the previous trick under review. The own seat's mark sits right of its panel, its
// tail pointing at it like the left seat's.
void RoundView::drawBubbles() {
    const RoundState& st = m_model.state();
    for (int r = 0; r < 4; ++r) {
        QLabel* b = Speak[static_cast<size_t>(r)];
        int number = 0;
        if (st.bubbleSeat == r)
            number = st.bubblePicture;
        else if (st.passed[static_cast<size_t>(r)] && !st.reviewShowing)
            number = r == 0 ? 221 : 220 + r;
        if (number == 0) {
            b->hide();
            continue;
        }
        if (!b->isVisible() || b->property("picture").toInt() != number) {
            b->setPixmap(picture(number));
            b->setProperty("picture", number);
            b->setGeometry(m_form.units(kBubbleAt[r].x(), kBubbleAt[r].y(), 100, 42));
            b->show();
            b->raise();
        }
    }
}

}  // namespace vexal
