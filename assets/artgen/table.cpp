// Still pictures of the table: backgrounds, window frame, markers, notices, bubbles and badges.
#include <QLinearGradient>
#include <QRadialGradient>
#include <cmath>
#include <numbers>

#include "assets/artgen/draw.h"

namespace vexal::artgen {
namespace {

QImage felt(QColor centre, QColor edge, QColor line, QColor rim) {
    const int w = 1024, h = 768;
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient light(QPointF(w / 2.0, h * 0.46), w * 0.62);
    light.setColorAt(0, centre);
    light.setColorAt(1, edge);
    p.fillRect(image.rect(), light);
    // A fine woven texture; regular so that it stays small once compressed.
    p.setPen(QPen(QColor(0, 0, 0, 18), 1));
    for (int x = -h; x < w; x += 4) p.drawLine(x, 0, x + h, h);
    p.setPen(QPen(QColor(255, 255, 255, 10), 1));
    for (int x = 0; x < w + h; x += 4) p.drawLine(x, 0, x - h, h);
    // The playing area, framed by a thin rim like a printed table cloth.
    const QRectF area(120, 70, w - 240, 520);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(rim, 2.5));
    p.drawRoundedRect(area, 200, 200);
    p.setPen(QPen(line, 1));
    p.drawRoundedRect(area.adjusted(8, 8, -8, -8), 192, 192);
    // Faint game name in the middle of the cloth.
    QColor mark = rim;
    mark.setAlpha(40);
    outlinedText(p, QRectF(0, 250, w, 120), QStringLiteral("五十K"), font(96, true), mark);
    // The lower panel where the own hand's buttons and the chat box sit.
    QLinearGradient wood(0, 690, 0, h);
    wood.setColorAt(0, QColor(120, 70, 30));
    wood.setColorAt(0.08, QColor(92, 52, 22));
    wood.setColorAt(1, QColor(58, 32, 14));
    p.setPen(Qt::NoPen);
    p.setBrush(wood);
    p.drawRect(QRectF(0, 692, w, h - 692));
    p.setPen(QPen(QColor(214, 170, 90), 2));
    p.drawLine(QPointF(0, 692), QPointF(w, 692));
    return image;
}

QImage skin() {
    // 690 × 3300 twips: corners 120 wide, a 300-high top band with the caption strip.
    const int w = 46, h = 220;
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    QLinearGradient band(0, 0, 0, 20);
    band.setColorAt(0, QColor(110, 66, 28));
    band.setColorAt(1, QColor(70, 40, 16));
    p.fillRect(image.rect(), QColor(70, 40, 16));
    p.fillRect(QRect(0, 0, w, 20), band);
    p.setPen(QColor(214, 170, 90));
    p.drawLine(0, 19, w, 19);
    p.drawRect(QRect(0, 0, w - 1, h - 1));
    p.setPen(QColor(40, 22, 8));
    p.drawLine(7, 19, 7, h - 8);
    p.drawLine(w - 8, 19, w - 8, h - 8);
    p.drawLine(7, h - 8, w - 8, h - 8);
    return image;
}

QImage windowIcon() {
    QImage image = canvas(32, 32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath disc;
    disc.addEllipse(QRectF(1, 1, 30, 30));
    p.setPen(QPen(QColor(120, 80, 10), 1.2));
    p.setBrush(QColor(28, 110, 64));
    p.drawPath(disc);
    p.save();
    p.translate(16, 17);
    p.rotate(-12);
    p.setPen(QPen(QColor(90, 90, 90), 0.8));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(-8, -11, 16, 22), 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(suitColour(2));
    p.drawPath(suitPath(2, QRectF(-5, -5, 10, 10)));
    p.restore();
    outlinedText(p, QRectF(16, 18, 16, 14), QStringLiteral("K"), font(12, true), QColor(255, 214, 60),
                 QColor(60, 30, 0), 1);
    return image;
}

QImage labelIcon(const QString& text, QColor accent) {
    QImage image = canvas(105, 30);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    panel(p, QRectF(0, 2, 105, 26), 13, QColor(30, 40, 36, 230), QColor(12, 20, 16, 230), accent, 1.4);
    p.setPen(Qt::NoPen);
    p.setBrush(accent);
    p.drawEllipse(QPointF(15, 15), 8, 8);
    p.setBrush(QColor(20, 30, 26));
    p.drawPath(starPath(QPointF(15, 15), 5.5, 2.4, 5));
    // The table lays the value over x 75..105: the caption stays left of it, over a darker well.
    outlinedText(p, QRectF(24, 2, 48, 26), text, font(text.size() > 2 ? 13 : 14, true), QColor(255, 240, 200));
    panel(p, QRectF(73, 5, 29, 20), 9, QColor(8, 14, 11, 235), QColor(20, 30, 26, 235), accent.darker(160), 1.0);
    return image;
}

QImage wealthIcon() {
    QImage image = canvas(30, 30);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 2; i >= 0; --i) {
        p.setPen(QPen(QColor(130, 80, 0), 1));
        p.setBrush(QColor(255, 210, 60));
        p.drawEllipse(QRectF(3, 15 - i * 5, 24, 11));
    }
    outlinedText(p, QRectF(3, 5, 24, 11), QStringLiteral("财"), font(9, true), QColor(170, 40, 20));
    return image;
}

QImage seatMarker(const QString& text, QColor ring, QColor fill) {
    QImage image = canvas(68, 68);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath disc;
    disc.addEllipse(QRectF(6, 6, 56, 56));
    shadow(p, disc, QPointF(1.5, 2), 80);
    QRadialGradient g(QPointF(28, 26), 34);
    g.setColorAt(0, fill.lighter(135));
    g.setColorAt(1, fill);
    p.setPen(QPen(ring, 4));
    p.setBrush(g);
    p.drawPath(disc);
    p.setPen(QPen(QColor(255, 255, 255, 150), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(11, 11, 46, 46));
    outlinedText(p, QRectF(6, 5, 56, 56), text, font(30, true), Qt::white, fill.darker(170), 1.5);
    return image;
}

QImage calledCardFrame() {
    QImage image = canvas(84, 146);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    panel(p, QRectF(0, 0, 84, 146), 8, QColor(36, 60, 46, 220), QColor(16, 34, 24, 220), QColor(214, 170, 90),
          1.6);
    outlinedText(p, QRectF(0, 3, 84, 24), QStringLiteral("叫牌"), font(15, true), QColor(255, 226, 140));
    p.setPen(QPen(QColor(214, 170, 90, 160), 1, Qt::DashLine));
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawRoundedRect(QRectF(6.5, 38.5, 71, 95), 6, 6);
    return image;
}

QImage seatChange() {
    QImage image = canvas(240, 160);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    panel(p, QRectF(0, 0, 240, 160), 14, QColor(30, 58, 44, 235), QColor(14, 30, 22, 235),
          QColor(214, 170, 90), 2);
    // Four seats around a small table with arrows going round.
    const QPointF c(120, 78);
    p.setPen(QPen(QColor(120, 70, 30), 2));
    p.setBrush(QColor(40, 120, 70));
    p.drawEllipse(c, 34, 24);
    const QPointF seats[] = {{120, 128}, {52, 78}, {120, 28}, {188, 78}};
    const QColor colours[] = {QColor(230, 80, 70), QColor(80, 150, 230), QColor(240, 200, 60),
                              QColor(120, 200, 110)};
    for (int i = 0; i < 4; ++i) {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(colours[i]);
        p.drawRoundedRect(QRectF(seats[i].x() - 13, seats[i].y() - 11, 26, 22), 6, 6);
    }
    p.setPen(QPen(QColor(255, 236, 170), 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 4; ++i) {
        const double start = 20 + i * 90;
        p.drawArc(QRectF(c.x() - 62, c.y() - 50, 124, 100), static_cast<int>(start * 16), 50 * 16);
        const double a = (start + 50) * std::numbers::pi / 180;
        const QPointF tip(c.x() + 62 * std::cos(a), c.y() - 50 * std::sin(a));
        const QPointF dir(-std::sin(a), -std::cos(a) * 50 / 62);
        const QPointF side(dir.y(), -dir.x());
        QPainterPath head;
        head.moveTo(tip + dir * 7);
        head.lineTo(tip + side * 5);
        head.lineTo(tip - side * 5);
        head.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 236, 170));
        p.drawPath(head);
        p.setPen(QPen(QColor(255, 236, 170), 3, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
    }
    return image;
}

QImage frameStrip(bool top) {
    QImage image(1024, 20, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    QLinearGradient g(0, 0, 0, 20);
    g.setColorAt(0, top ? QColor(120, 72, 30) : QColor(70, 40, 16));
    g.setColorAt(1, top ? QColor(70, 40, 16) : QColor(40, 22, 8));
    p.fillRect(image.rect(), g);
    p.setPen(QColor(214, 170, 90));
    p.drawLine(0, top ? 19 : 0, 1024, top ? 19 : 0);
    return image;
}

// Framed dialog panel with an optional question; buttons are separate pictures.
QImage dialog(QSize size, const QString& title, const QString& question) {
    QImage image = canvas(size.width(), size.height());
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(0, 0, size.width(), size.height());
    panel(p, box, 10, QColor(250, 244, 226), QColor(228, 214, 180), QColor(120, 74, 24), 2);
    QPainterPath bar;
    bar.addRoundedRect(QRectF(2, 2, size.width() - 4, 26), 8, 8);
    p.setPen(Qt::NoPen);
    QLinearGradient g(0, 2, 0, 28);
    g.setColorAt(0, QColor(170, 100, 36));
    g.setColorAt(1, QColor(120, 66, 20));
    p.setBrush(g);
    p.drawPath(bar);
    outlinedText(p, QRectF(0, 2, size.width(), 26), title, font(14, true), Qt::white, QColor(70, 36, 8), 1);
    if (!question.isEmpty())
        outlinedText(p, QRectF(10, 34, size.width() - 20, 50), question, font(17, true), QColor(120, 24, 16));
    return image;
}

QImage notice(const QString& text) {
    QImage image = canvas(300, 64);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath body;
    body.addRoundedRect(QRectF(2, 2, 296, 58), 12, 12);
    shadow(p, body, QPointF(1.5, 2), 90);
    panel(p, QRectF(1, 1, 297, 60), 12, QColor(255, 246, 214), QColor(246, 214, 140), QColor(170, 60, 20), 2);
    // Warning sign.
    QPainterPath sign;
    sign.moveTo(32, 12);
    sign.lineTo(52, 48);
    sign.lineTo(12, 48);
    sign.closeSubpath();
    p.setPen(QPen(QColor(120, 20, 10), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(236, 60, 40));
    p.drawPath(sign);
    outlinedText(p, QRectF(12, 18, 40, 30), QStringLiteral("!"), font(22, true), Qt::white);
    outlinedText(p, QRectF(58, 2, 236, 58), text, font(22, true), QColor(170, 24, 16), QColor(255, 255, 255),
                 1.5);
    return image;
}

// Speech bubble of a relative seat; the tail points at the seat, the text offset of each seat
// keeps the text clear of the tail.
QImage speechBubble(int seat) {
    const QSize size(200, 84);
    QImage image = canvas(size.width(), size.height());
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRectF body;
    QPointF tip, base;
    switch (seat) {
        case 0:
            body = QRectF(2, 2, 196, 62), tip = QPointF(30, 82), base = QPointF(46, 64);
            break;  // tail down
        case 1:
            body = QRectF(22, 10, 176, 66), tip = QPointF(2, 58), base = QPointF(22, 46);
            break;  // tail left
        case 2:
            body = QRectF(2, 22, 196, 60), tip = QPointF(40, 2), base = QPointF(56, 22);
            break;  // tail up
        default:
            body = QRectF(2, 10, 176, 66), tip = QPointF(198, 58), base = QPointF(178, 46);
            break;  // tail right
    }
    const QPainterPath path = bubblePath(body, 16, tip, base, 18);
    p.setPen(QPen(QColor(90, 110, 140), 2));
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, QColor(255, 255, 255));
    g.setColorAt(1, QColor(226, 238, 252));
    p.setBrush(g);
    p.drawPath(path);
    return image;
}

// Small word bubble shown at a seat (过, 吼, 炸, 轰炸); relative seat 1 sits left, 2 on top,
// 3 right, so the tail points that way.
QImage seatBubble(int seat, const QString& text, QColor fill, QColor ink) {
    const QSize size(84, 56);
    QImage image = canvas(size.width(), size.height());
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRectF body;
    QPointF tip, base;
    switch (seat) {
        case 1:
            body = QRectF(14, 3, 67, 46), tip = QPointF(1, 40), base = QPointF(14, 32);
            break;
        case 2:
            body = QRectF(3, 14, 78, 39), tip = QPointF(24, 1), base = QPointF(34, 14);
            break;
        default:
            body = QRectF(3, 3, 67, 46), tip = QPointF(83, 40), base = QPointF(70, 32);
            break;
    }
    const QPainterPath path = bubblePath(body, 14, tip, base, 14);
    shadow(p, path, QPointF(1.5, 2), 70);
    QLinearGradient g(body.topLeft(), body.bottomLeft());
    g.setColorAt(0, fill.lighter(130));
    g.setColorAt(1, fill);
    p.setPen(QPen(ink, 2));
    p.setBrush(g);
    p.drawPath(path);
    outlinedText(p, body, text, font(text.size() > 1 ? 22 : 28, true), ink, Qt::white, 1.5);
    return image;
}

QImage readyMark() {
    QImage image = canvas(48, 48);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath disc;
    disc.addEllipse(QRectF(3, 3, 42, 42));
    shadow(p, disc, QPointF(1, 1.5), 80);
    QRadialGradient g(QPointF(20, 18), 26);
    g.setColorAt(0, QColor(120, 220, 100));
    g.setColorAt(1, QColor(24, 130, 40));
    p.setPen(QPen(Qt::white, 2.5));
    p.setBrush(g);
    p.drawPath(disc);
    QPainterPath tick;
    tick.moveTo(13, 24);
    tick.lineTo(21, 32);
    tick.lineTo(35, 15);
    p.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
    return image;
}

// Finishing place badge: a medal on two ribbon tails with the place written across a banner.
QImage badge(int place) {
    const QSize size(110, 54);
    QImage image = canvas(size.width(), size.height());
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor metal[] = {QColor(250, 200, 40), QColor(200, 206, 214), QColor(214, 136, 70)};
    const QColor deep[] = {QColor(170, 110, 0), QColor(110, 116, 126), QColor(130, 70, 24)};
    const QString texts[] = {QStringLiteral("第一名"), QStringLiteral("第二名"), QStringLiteral("第三名")};
    // Banner.
    QPainterPath banner;
    banner.moveTo(30, 16);
    banner.lineTo(106, 16);
    banner.lineTo(98, 28);
    banner.lineTo(106, 40);
    banner.lineTo(30, 40);
    banner.closeSubpath();
    shadow(p, banner, QPointF(1, 1.5), 80);
    QLinearGradient red(0, 16, 0, 40);
    red.setColorAt(0, QColor(226, 50, 44));
    red.setColorAt(1, QColor(150, 14, 18));
    p.setPen(QPen(QColor(100, 10, 10), 1));
    p.setBrush(red);
    p.drawPath(banner);
    outlinedText(p, QRectF(44, 16, 56, 24), texts[place], font(16, true), QColor(255, 236, 150),
                 QColor(110, 10, 10), 1);
    // Medal.
    QPainterPath medal;
    medal.addEllipse(QRectF(3, 5, 44, 44));
    shadow(p, medal, QPointF(1, 1.5), 90);
    QRadialGradient g(QPointF(18, 18), 30);
    g.setColorAt(0, metal[place].lighter(140));
    g.setColorAt(1, metal[place]);
    p.setPen(QPen(deep[place], 2));
    p.setBrush(g);
    p.drawPath(medal);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 90));
    p.drawPath(starPath(QPointF(25, 27), 17, 12, 12));
    outlinedText(p, QRectF(3, 5, 44, 44), QString::number(place + 1), font(26, true), Qt::white, deep[place],
                 1.6);
    return image;
}

QImage statusTag(const QString& text, QColor colour) {
    QImage image = canvas(76, 28);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    panel(p, QRectF(0, 0, 76, 28), 14, colour.lighter(130), colour, colour.darker(160), 1.5);
    outlinedText(p, QRectF(0, 0, 76, 28), text, font(15, true), Qt::white, colour.darker(180), 1.2);
    return image;
}

QImage chest(bool open) {
    QImage image = canvas(72, 64);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor wood(150, 86, 34), band(236, 190, 60);
    if (open) {
        QRadialGradient glow(QPointF(36, 30), 30);
        glow.setColorAt(0, QColor(255, 240, 150, 230));
        glow.setColorAt(1, QColor(255, 240, 150, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(QPointF(36, 30), 32, 26);
        p.setPen(QPen(QColor(90, 46, 10), 1.5));
        p.setBrush(wood.darker(120));
        p.drawRect(QRectF(8, 4, 56, 16));
        p.setBrush(QColor(255, 214, 60));
        for (int i = 0; i < 5; ++i) p.drawEllipse(QRectF(12 + i * 9, 22 - (i % 2) * 3, 12, 8));
    } else {
        p.setPen(QPen(QColor(90, 46, 10), 1.5));
        p.setBrush(wood.lighter(110));
        p.drawRoundedRect(QRectF(6, 8, 60, 24), 10, 10);
    }
    p.setPen(QPen(QColor(90, 46, 10), 1.5));
    p.setBrush(wood);
    p.drawRect(QRectF(6, 28, 60, 32));
    p.setBrush(band);
    p.drawRect(QRectF(6, 28, 60, 5));
    p.drawRect(QRectF(18, open ? 28 : 8, 6, open ? 32 : 52));
    p.drawRect(QRectF(48, open ? 28 : 8, 6, open ? 32 : 52));
    p.drawRoundedRect(QRectF(30, 32, 12, 12), 2, 2);
    return image;
}

}  // namespace

void addTable(Catalogue& catalogue) {
    catalogue[130] = [] {
        return still(
            felt(QColor(46, 138, 84), QColor(16, 66, 38), QColor(150, 200, 150, 90), QColor(214, 180, 100)));
    };
    catalogue[131] = [] {
        return still(
            felt(QColor(40, 96, 150), QColor(14, 36, 72), QColor(150, 180, 220, 90), QColor(210, 190, 130)));
    };
    catalogue[132] = [] { return still(skin()); };
    catalogue[133] = [] { return still(frameButton(true, 0)); };
    catalogue[134] = [] { return still(frameButton(true, 1)); };
    catalogue[135] = [] { return still(frameButton(true, 2)); };
    catalogue[136] = [] { return still(frameButton(false, 0)); };
    catalogue[137] = [] { return still(frameButton(false, 1)); };
    catalogue[138] = [] { return still(frameButton(false, 2)); };
    catalogue[139] = [] { return still(windowIcon()); };
    catalogue[140] = [] { return still(labelIcon(QStringLiteral("倍数"), QColor(240, 190, 60))); };
    catalogue[141] = [] { return still(labelIcon(QStringLiteral("本轮分"), QColor(110, 200, 240))); };
    catalogue[142] = [] { return still(labelIcon(QStringLiteral("得分"), QColor(130, 220, 110))); };
    catalogue[143] = [] { return still(wealthIcon()); };
    catalogue[144] = [] {
        return still(seatMarker(QStringLiteral("庄"), QColor(255, 214, 80), QColor(200, 30, 30)));
    };
    catalogue[145] = [] {
        return still(seatMarker(QStringLiteral("友"), QColor(255, 214, 80), QColor(30, 110, 190)));
    };
    catalogue[146] = [] { return still(calledCardFrame()); };
    catalogue[147] = [] { return still(seatChange()); };
    catalogue[148] = [] { return still(frameStrip(true)); };
    catalogue[149] = [] { return still(frameStrip(false)); };

    catalogue[198] = [] {
        return still(dialog(QSize(280, 130), QStringLiteral("提示"), QStringLiteral("您确定要“吼”吗?")));
    };
    catalogue[199] = [] { return still(dialog(QSize(320, 180), QStringLiteral("提示"), QString())); };
    catalogue[209] = [] { return still(notice(QStringLiteral("叫牌不符合规则"))); };
    catalogue[210] = [] { return still(notice(QStringLiteral("出牌不符合规则"))); };
    for (int seat = 0; seat < 4; ++seat) catalogue[212 + seat] = [seat] { return still(speechBubble(seat)); };
    catalogue[216] = [] { return still(statusTag(QStringLiteral("托管中"), QColor(60, 120, 190))); };
    catalogue[217] = [] { return still(statusTag(QStringLiteral("已离开"), QColor(130, 130, 136))); };

    for (int seat = 1; seat <= 3; ++seat) {
        catalogue[220 + seat] = [seat] {
            return still(seatBubble(seat, QStringLiteral("过"), QColor(230, 236, 244), QColor(50, 70, 110)));
        };
        catalogue[223 + seat] = [seat] {
            return still(seatBubble(seat, QStringLiteral("吼"), QColor(250, 120, 90), QColor(140, 10, 10)));
        };
        catalogue[226 + seat] = [seat] {
            return still(seatBubble(seat, QStringLiteral("炸"), QColor(255, 200, 70), QColor(170, 40, 0)));
        };
        catalogue[229 + seat] = [seat] {
            return still(seatBubble(seat, QStringLiteral("轰炸"), QColor(255, 150, 50), QColor(150, 10, 0)));
        };
    }

    // The three ready marks are the same picture (one per coin level, as the panels expect).
    for (int n = 280; n <= 282; ++n) catalogue[n] = [] { return still(readyMark()); };
    for (int place = 0; place < 3; ++place) catalogue[360 + place] = [place] { return still(badge(place)); };
    catalogue[518] = [] { return still(chest(false)); };
    catalogue[519] = [] { return still(chest(true)); };
}

}  // namespace vexal::artgen
