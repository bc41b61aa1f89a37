// Deal pictures: the deck, the own face-down pile and the opponents' back piles by card count.
#include <algorithm>

#include "assets/artgen/draw.h"

namespace vexal::artgen {
namespace {

const QSize kPileBox(207, 200);
const QSize kPileCard(64, 86);

// `cards` backs of relative seat `seat` (0 own, 1 left, 2 opposite, 3 right), centred in the
// 207 × 200 box that the deal places at the seat; side seats lie sideways.
QImage pile(int seat, int cards) {
    QImage image = canvas(kPileBox.width(), kPileBox.height());
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QImage back = cardBackImage(kPileCard);
    const bool sideways = seat == 1 || seat == 3;
    const QSizeF card = sideways ? QSizeF(kPileCard.height(), kPileCard.width()) : QSizeF(kPileCard);
    // Fan the backs as far as the box allows, so the count shows as a row of card edges.
    const double room =
        sideways ? kPileBox.height() - 6 - card.height() : kPileBox.width() - 6 - card.width();
    const double step = cards > 1 ? std::min(6.0, room / (cards - 1)) : 0;
    const double spread = step * (cards - 1);
    const double left = (kPileBox.width() - card.width() - (sideways ? 0 : spread)) / 2;
    const double top = (kPileBox.height() - card.height() - (sideways ? spread : 0)) / 2;
    for (int i = 0; i < cards; ++i) {
        const QPointF at(left + (sideways ? 0 : i * step), top + (sideways ? i * step : 0));
        QPainterPath outline;
        outline.addRoundedRect(QRectF(at, card), 5, 5);
        shadow(p, outline, QPointF(1, 1), 50);
        p.save();
        p.translate(at);
        if (sideways) {
            p.translate(card.width(), 0);
            p.rotate(90);
        }
        p.drawImage(QPointF(0, 0), back);
        p.restore();
    }
    return image;
}

QImage deck() {
    QImage image = canvas(100, 140);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QImage back = cardBackImage(QSize(90, 128));
    // The edge of a thick pile: a few offset outlines under the top card.
    for (int i = 8; i >= 0; --i) {
        QPainterPath outline;
        outline.addRoundedRect(QRectF(2 + i, 2 + i * 0.8, 90, 128), 7, 7);
        p.setPen(QPen(QColor(150, 150, 150), 0.8));
        p.setBrush(i == 8 ? QColor(0, 0, 0, 70) : QColor(246, 244, 238));
        p.drawPath(outline);
    }
    p.drawImage(QPointF(2, 2), back);
    return image;
}

}  // namespace

void addDeal(Catalogue& catalogue) {
    catalogue[516] = [] { return still(deck()); };
    catalogue[517] = [] { return still(pile(0, 14)); };
    // Seven count classes, one picture per opponent seat: base + (seat − 1).
    const int shown[] = {1, 2, 5, 10, 15, 19, 24};
    for (int c = 0; c < 7; ++c) {
        for (int seat = 1; seat <= 3; ++seat) {
            catalogue[521 + 3 * c + seat - 1] = [seat, cards = shown[c]] { return still(pile(seat, cards)); };
        }
    }
}

}  // namespace vexal::artgen
