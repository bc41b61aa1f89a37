// Card faces in the two sizes and the card back.
#include <QLinearGradient>
#include <QRadialGradient>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

#include "assets/artgen/draw.h"

namespace vexal::artgen {
namespace {

// Cards are designed on a 90 × 120 grid and scaled to the size asked for.
constexpr double kW = 90, kH = 120;
const QSize kLargeCard(90, 120);
const QSize kSmallCard(70, 94);

QString rankText(int rank) {
    switch (rank) {
        case 11:
            return QStringLiteral("J");
        case 12:
            return QStringLiteral("Q");
        case 13:
            return QStringLiteral("K");
        case 14:
            return QStringLiteral("A");
        case 15:
            return QStringLiteral("2");
        default:
            return QString::number(rank);
    }
}

void cardBody(QPainter& p, const QColor& top = QColor(255, 255, 255),
              const QColor& bottom = QColor(243, 240, 232)) {
    QPainterPath outline;
    outline.addRoundedRect(QRectF(0.5, 0.5, kW - 1, kH - 1), 7, 7);
    QLinearGradient paper(0, 0, 0, kH);
    paper.setColorAt(0, top);
    paper.setColorAt(1, bottom);
    p.setPen(QPen(QColor(110, 110, 118), 1.2));
    p.setBrush(paper);
    p.drawPath(outline);
}

void pip(QPainter& p, int suit, QPointF centre, double size, bool upsideDown) {
    p.save();
    p.translate(centre);
    if (upsideDown)
        p.rotate(180);
    p.setPen(Qt::NoPen);
    p.setBrush(suitColour(suit));
    p.drawPath(suitPath(suit, QRectF(-size / 2, -size / 2, size, size)));
    p.restore();
}

// Rank and small suit in the top-left corner, and the same turned round in the bottom-right.
void corners(QPainter& p, int suit, int rank) {
    const QString text = rankText(rank);
    QFont f = font(rank == 10 ? 18 : 20, true);
    f.setFamily(QStringLiteral("DejaVu Sans"));
    if (rank == 10)
        f.setLetterSpacing(QFont::AbsoluteSpacing, -2.5);
    for (int turn = 0; turn < 2; ++turn) {
        p.save();
        if (turn) {
            p.translate(kW, kH);
            p.rotate(180);
        }
        outlinedText(p, QRectF(1, 3, 20, 20), text, f, suitColour(suit));
        pip(p, suit, QPointF(11, 31), 12, false);
        p.restore();
    }
}

using Spot = std::pair<double, double>;  // column 0..1, row 0..1 within the pip field

std::vector<Spot> layout(int rank) {
    const double t = 1.0 / 3, s = 1.0 / 6;
    switch (rank) {
        case 15:
            return {{0.5, 0}, {0.5, 1}};
        case 3:
            return {{0.5, 0}, {0.5, 0.5}, {0.5, 1}};
        case 4:
            return {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
        case 5:
            return {{0, 0}, {1, 0}, {0.5, 0.5}, {0, 1}, {1, 1}};
        case 6:
            return {{0, 0}, {1, 0}, {0, 0.5}, {1, 0.5}, {0, 1}, {1, 1}};
        case 7:
            return {{0, 0}, {1, 0}, {0.5, 0.25}, {0, 0.5}, {1, 0.5}, {0, 1}, {1, 1}};
        case 8:
            return {{0, 0}, {1, 0}, {0.5, 0.25}, {0, 0.5}, {1, 0.5}, {0.5, 0.75}, {0, 1}, {1, 1}};
        case 9:
            return {{0, 0}, {1, 0}, {0, t}, {1, t}, {0.5, 0.5}, {0, 2 * t}, {1, 2 * t}, {0, 1}, {1, 1}};
        case 10:
            return {{0, 0},     {1, 0},     {0.5, s},     {0, t}, {1, t},
                    {0, 2 * t}, {1, 2 * t}, {0.5, 1 - s}, {0, 1}, {1, 1}};
        default:
            return {};
    }
}

void pips(QPainter& p, int suit, int rank) {
    const QRectF field(31, 17, 28, 86);
    const double size = rank == 15 || rank == 3 ? 20 : 17;
    for (const auto& [u, v] : layout(rank)) {
        pip(p, suit, QPointF(field.left() + u * field.width(), field.top() + v * field.height()), size,
            v > 0.55);
    }
}

void ace(QPainter& p, int suit) {
    // The ace of spades traditionally carries the big ornate pip.
    const double size = suit == 3 ? 46 : 36;
    if (suit == 3) {
        p.save();
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(150, 120, 40), 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(kW / 2, kH / 2), 30, 30);
        p.restore();
    }
    pip(p, suit, QPointF(kW / 2, kH / 2), size, false);
}

// Robe colours of the court cards: each suit wears its own pair.
std::pair<QColor, QColor> robe(int suit) {
    switch (suit) {
        case 0:
            return {QColor(214, 48, 49), QColor(230, 180, 40)};
        case 1:
            return {QColor(40, 80, 170), QColor(214, 48, 49)};
        case 2:
            return {QColor(230, 180, 40), QColor(40, 80, 170)};
        default:
            return {QColor(30, 110, 80), QColor(214, 48, 49)};
    }
}

// The upper half of a double-headed court figure inside `frame`; the lower half is the same
// turned round, as on printed cards.
void courtHalf(QPainter& p, int suit, int rank, const QRectF& frame) {
    const auto [main, trim] = robe(suit);
    const double cx = frame.center().x() + 3;
    const double top = frame.top();
    const double mid = frame.center().y();
    const QPen ink(QColor(30, 30, 30), 0.8);
    p.setRenderHint(QPainter::Antialiasing);

    // Held item behind the shoulder: the king's sword, the queen's flower, the jack's halberd.
    p.setPen(QPen(QColor(30, 30, 30), 1.6, Qt::SolidLine, Qt::RoundCap));
    if (rank == 13) {
        p.drawLine(QPointF(cx + 15, top + 4), QPointF(cx + 15, mid - 4));
        p.drawLine(QPointF(cx + 11, top + 26), QPointF(cx + 19, top + 26));
    } else if (rank == 11) {
        p.drawLine(QPointF(cx - 16, top + 2), QPointF(cx - 16, mid - 2));
        p.setPen(ink);
        p.setBrush(QColor(200, 200, 210));
        p.drawPolygon(
            QPolygonF({QPointF(cx - 16, top + 1), QPointF(cx - 21, top + 8), QPointF(cx - 16, top + 11)}));
    }

    // Robe: sloping shoulders down to the centre line, a middle band in the trim colour and a
    // white V collar.
    QPainterPath body;
    body.moveTo(cx - 6, top + 21);
    body.cubicTo(cx - 14, top + 22, cx - 21, top + 26, cx - 22, top + 33);
    body.lineTo(cx - 22, mid);
    body.lineTo(cx + 19, mid);
    body.lineTo(cx + 19, top + 33);
    body.cubicTo(cx + 18, top + 26, cx + 12, top + 22, cx + 6, top + 21);
    body.closeSubpath();
    p.setPen(ink);
    p.setBrush(main);
    p.drawPath(body);
    p.setBrush(trim);
    p.drawRect(QRectF(cx - 4.5, top + 25, 9, mid - top - 25));
    p.setBrush(QColor(250, 246, 235));
    for (int i = 0; i < 3; ++i) p.drawEllipse(QPointF(cx, top + 29 + i * 5.5), 1.6, 1.6);
    QPainterPath collar;
    collar.moveTo(cx - 8, top + 21.5);
    collar.lineTo(cx, top + 28);
    collar.lineTo(cx + 8, top + 21.5);
    collar.closeSubpath();
    p.drawPath(collar);
    // Shoulder trim.
    p.setPen(QPen(trim.darker(110), 2));
    p.drawLine(QPointF(cx - 19, top + 28), QPointF(cx - 9, top + 24));
    p.drawLine(QPointF(cx + 9, top + 24), QPointF(cx + 17, top + 28));

    if (rank == 12) {  // queen: flower held at the chest
        p.setPen(QPen(QColor(40, 110, 40), 1.2));
        p.drawLine(QPointF(cx + 11, top + 40), QPointF(cx + 12, top + 30));
        p.setPen(ink);
        p.setBrush(QColor(230, 60, 90));
        for (int k = 0; k < 5; ++k)
            p.drawEllipse(
                QPointF(cx + 12 + 2.4 * std::cos(k * 1.2566), top + 29 + 2.4 * std::sin(k * 1.2566)), 1.8,
                1.8);
        p.setBrush(QColor(250, 220, 80));
        p.drawEllipse(QPointF(cx + 12, top + 29), 1.3, 1.3);
    }

    // Head.
    p.setPen(ink);
    p.setBrush(QColor(250, 222, 190));
    p.drawEllipse(QRectF(cx - 6.5, top + 7, 13, 15));
    p.setPen(QPen(QColor(40, 30, 30), 1.1));
    p.drawPoint(QPointF(cx - 2.5, top + 13.5));
    p.drawPoint(QPointF(cx + 2.5, top + 13.5));
    p.setPen(QPen(QColor(190, 50, 50), 0.9));
    p.drawLine(QPointF(cx - 1.5, top + 18), QPointF(cx + 1.5, top + 18));

    p.setPen(ink);
    if (rank == 13) {  // king: crown and beard
        QPainterPath crown;
        crown.moveTo(cx - 6.5, top + 9);
        crown.lineTo(cx - 7.5, top + 1.5);
        crown.lineTo(cx - 3.5, top + 5);
        crown.lineTo(cx, top + 0.5);
        crown.lineTo(cx + 3.5, top + 5);
        crown.lineTo(cx + 7.5, top + 1.5);
        crown.lineTo(cx + 6.5, top + 9);
        crown.closeSubpath();
        p.setBrush(QColor(240, 196, 50));
        p.drawPath(crown);
        p.setBrush(QColor(130, 86, 50));
        QPainterPath beard;
        beard.moveTo(cx - 6, top + 15);
        beard.quadTo(cx, top + 27, cx + 6, top + 15);
        beard.quadTo(cx, top + 20, cx - 6, top + 15);
        p.drawPath(beard);
    } else if (rank == 12) {  // queen: hair to the shoulders and a small tiara
        p.setBrush(QColor(140, 70, 40));
        QPainterPath hair;
        hair.moveTo(cx - 7, top + 10);
        hair.quadTo(cx - 11, top + 20, cx - 8, top + 24);
        hair.lineTo(cx - 5, top + 14);
        hair.quadTo(cx, top + 8, cx + 5, top + 14);
        hair.lineTo(cx + 8, top + 24);
        hair.quadTo(cx + 11, top + 20, cx + 7, top + 10);
        hair.quadTo(cx, top + 3, cx - 7, top + 10);
        p.drawPath(hair);
        p.setBrush(QColor(240, 196, 50));
        p.drawRect(QRectF(cx - 5, top + 4, 10, 2.5));
        p.setBrush(QColor(200, 30, 60));
        p.drawEllipse(QPointF(cx, top + 3.5), 1.7, 1.7);
    } else {  // jack: flat cap with a feather
        p.setBrush(trim);
        p.drawRoundedRect(QRectF(cx - 8.5, top + 4, 17, 5), 2, 2);
        p.setBrush(QColor(250, 246, 235));
        QPainterPath feather;
        feather.moveTo(cx + 5, top + 5);
        feather.quadTo(cx + 14, top - 2, cx + 12, top + 7);
        feather.closeSubpath();
        p.drawPath(feather);
    }
    pip(p, suit, QPointF(frame.left() + 7, frame.top() + 7), 9, false);
}

void court(QPainter& p, int suit, int rank) {
    const QRectF frame(21, 14, 48, 92);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(252, 244, 214));
    p.drawRect(frame);
    p.setClipRect(frame);
    courtHalf(p, suit, rank, frame);
    p.translate(frame.center());
    p.rotate(180);
    p.translate(-frame.center());
    courtHalf(p, suit, rank, frame);
    p.restore();
    p.save();
    p.setPen(QPen(suitColour(suit), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(frame);
    p.setPen(QPen(suitColour(suit), 0.6));
    p.drawLine(QPointF(frame.left(), frame.center().y()), QPointF(frame.right(), frame.center().y()));
    p.restore();
}

// Jokers: the big one in colour, the small one in black, as players expect.
void joker(QPainter& p, bool big) {
    const QColor ink = big ? QColor(200, 16, 46) : QColor(24, 24, 28);
    QFont letters = font(10.5, true);
    letters.setFamily(QStringLiteral("DejaVu Sans"));
    const QString word = QStringLiteral("JOKER");
    for (int turn = 0; turn < 2; ++turn) {
        p.save();
        if (turn) {
            p.translate(kW, kH);
            p.rotate(180);
        }
        for (int i = 0; i < word.size(); ++i)
            outlinedText(p, QRectF(3, 4 + i * 11.5, 12, 11), word.mid(i, 1), letters, ink);
        p.restore();
    }
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(kW / 2 + 2, 56);
    const std::array<QColor, 3> caps =
        big ? std::array<QColor, 3>{QColor(214, 40, 50), QColor(240, 190, 40), QColor(40, 90, 190)}
            : std::array<QColor, 3>{QColor(40, 40, 44), QColor(150, 150, 156), QColor(80, 80, 86)};
    // Three-pointed jester's cap with bells.
    const std::array<QPointF, 3> tips{QPointF(c.x() - 24, c.y() - 26), QPointF(c.x(), c.y() - 36),
                                      QPointF(c.x() + 24, c.y() - 26)};
    p.setPen(QPen(QColor(30, 30, 30), 0.9));
    for (int i = 0; i < 3; ++i) {
        QPainterPath cap;
        cap.moveTo(c.x() - 14 + i * 9, c.y() - 6);
        cap.quadTo((c.x() - 10 + i * 9 + tips[i].x()) / 2, tips[i].y() + 8, tips[i].x(), tips[i].y());
        cap.quadTo((c.x() - 6 + i * 9 + tips[i].x()) / 2, tips[i].y() + 14, c.x() - 4 + i * 9, c.y() - 6);
        cap.closeSubpath();
        p.setBrush(caps[i]);
        p.drawPath(cap);
        p.setBrush(big ? QColor(250, 215, 60) : QColor(220, 220, 224));
        p.drawEllipse(tips[i], 3.2, 3.2);
    }
    // Face and ruff.
    p.setBrush(big ? QColor(250, 222, 190) : QColor(236, 236, 236));
    p.drawEllipse(QRectF(c.x() - 11, c.y() - 9, 22, 24));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(30, 30, 30), 1.2));
    p.drawArc(QRectF(c.x() - 7, c.y() - 2, 14, 12), 200 * 16, 140 * 16);
    p.drawPoint(QPointF(c.x() - 4, c.y() - 1));
    p.drawPoint(QPointF(c.x() + 4, c.y() - 1));
    if (big) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(230, 80, 90, 160));
        p.drawEllipse(QPointF(c.x() - 6.5, c.y() + 4), 2.4, 2);
        p.drawEllipse(QPointF(c.x() + 6.5, c.y() + 4), 2.4, 2);
    }
    p.setPen(QPen(QColor(30, 30, 30), 0.9));
    for (int i = 0; i < 5; ++i) {
        p.setBrush(i % 2 ? caps[1] : caps[0]);
        p.drawEllipse(QRectF(c.x() - 18 + i * 7, c.y() + 13, 9, 8));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPath(starPath(QPointF(c.x() - 24, c.y() + 28), 6, 2.6, 5));
    p.drawPath(starPath(QPointF(c.x() + 24, c.y() + 28), 6, 2.6, 5));
    outlinedText(p, QRectF(20, 90, 50, 20), big ? QStringLiteral("大王") : QStringLiteral("小王"),
                 font(15, true), ink);
    p.restore();
}

QImage face(int suit, int rank, QSize size) {
    QImage image = canvas(size.width(), size.height());
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size.width() / kW, size.height() / kH);
    cardBody(p);
    if (rank >= 16) {
        joker(p, rank == 17);
        return image;
    }
    corners(p, suit, rank);
    if (rank == 14) {
        ace(p, suit);
    } else if (rank >= 11 && rank <= 13) {
        court(p, suit, rank);
    } else {
        pips(p, suit, rank);
    }
    return image;
}

QImage back(QSize size) {
    QImage image = canvas(size.width(), size.height());
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size.width() / kW, size.height() / kH);
    cardBody(p, QColor(255, 255, 255), QColor(246, 246, 246));
    const QRectF inner(6, 6, kW - 12, kH - 12);
    QLinearGradient field(inner.topLeft(), inner.bottomRight());
    field.setColorAt(0, QColor(30, 70, 150));
    field.setColorAt(1, QColor(18, 44, 110));
    p.setPen(Qt::NoPen);
    p.setBrush(field);
    p.drawRoundedRect(inner, 4, 4);
    p.save();
    p.setClipRect(inner.adjusted(2, 2, -2, -2));
    p.setPen(QPen(QColor(120, 160, 230, 150), 1));
    for (double d = -kH; d < kW + kH; d += 7) {
        p.drawLine(QPointF(d, 0), QPointF(d + kH, kH));
        p.drawLine(QPointF(d, kH), QPointF(d + kH, 0));
    }
    p.restore();
    p.setPen(QPen(QColor(236, 206, 110), 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(inner.adjusted(3, 3, -3, -3), 3, 3);
    // Centre rosette of the four suits.
    const QPointF c(kW / 2, kH / 2);
    p.setPen(QPen(QColor(236, 206, 110), 1.5));
    p.setBrush(QColor(22, 52, 124));
    p.drawEllipse(c, 21, 21);
    p.setBrush(QColor(236, 206, 110));
    p.setPen(Qt::NoPen);
    p.drawPath(starPath(c, 19, 8, 8, -90));
    p.setBrush(QColor(22, 52, 124));
    p.drawEllipse(c, 8, 8);
    p.setBrush(QColor(236, 206, 110));
    p.drawPath(suitPath(3, QRectF(c.x() - 5, c.y() - 5, 10, 10)));
    return image;
}

}  // namespace

QImage cardFaceImage(int suit, int rank, QSize size) {
    return face(suit, rank, size);
}
QImage cardBackImage(QSize size) {
    return back(size);
}

void addCards(Catalogue& catalogue) {
    for (int suit = 0; suit < 4; ++suit) {
        for (int rank = 3; rank <= 15; ++rank) {
            // Large set: the picture index itself. Small set: A, 2, 3 … K per suit from 301.
            catalogue[suit * 16 + rank] = [=] { return still(face(suit, rank, kLargeCard)); };
            const int smallRank = rank >= 14 ? rank - 13 : rank;
            catalogue[300 + 13 * suit + smallRank] = [=] { return still(face(suit, rank, kSmallCard)); };
        }
    }
    catalogue[16] = [] { return still(face(0, 16, kLargeCard)); };
    catalogue[17] = [] { return still(face(0, 17, kLargeCard)); };
    catalogue[353] = [] { return still(face(0, 16, kSmallCard)); };
    catalogue[354] = [] { return still(face(0, 17, kSmallCard)); };
    catalogue[18] = [] { return still(back(kLargeCard)); };
}

}  // namespace vexal::artgen
