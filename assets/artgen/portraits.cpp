// The twenty portraits: m1..m10 (240..249) and w1..w10 (250..259), each a distinct face.
#include <QLinearGradient>
#include <QRadialGradient>

#include "assets/artgen/draw.h"

namespace vexal::artgen {
namespace {

struct Look {
    QColor background, skin, hair, shirt;
    int hairStyle;  // men: 0 short, 1 spiky, 2 side part, 3 bald with sides, 4 cap; women: 0 long, 1 bob, 2
                    // bun, 3 ponytail, 4 curls
    bool glasses, beard, smile;
};

const QColor kSkins[] = {QColor(252, 224, 196), QColor(240, 200, 160), QColor(222, 176, 130),
                         QColor(246, 214, 184), QColor(198, 146, 104)};
const QColor kHairs[] = {QColor(30, 26, 24), QColor(80, 50, 30),   QColor(120, 76, 40),
                         QColor(50, 40, 36), QColor(150, 110, 60), QColor(90, 90, 96)};
const QColor kBacks[] = {QColor(120, 180, 230), QColor(240, 200, 120), QColor(170, 220, 160),
                         QColor(230, 160, 170), QColor(190, 170, 230), QColor(150, 210, 210),
                         QColor(240, 180, 130), QColor(200, 200, 210), QColor(250, 220, 160),
                         QColor(160, 190, 240)};
const QColor kShirts[] = {QColor(40, 90, 170),   QColor(200, 50, 50),  QColor(40, 130, 80),
                          QColor(220, 150, 30),  QColor(110, 60, 150), QColor(30, 30, 40),
                          QColor(230, 110, 140), QColor(60, 160, 170), QColor(150, 80, 40),
                          QColor(90, 90, 110)};

Look look(int index) {
    const bool woman = index >= 10;
    const int i = index % 10;
    Look l;
    l.background = kBacks[(i * 3 + (woman ? 5 : 0)) % 10];
    l.skin = kSkins[(i + (woman ? 2 : 0)) % 5];
    l.hair = kHairs[(i * 2 + (woman ? 1 : 0)) % 6];
    l.shirt = kShirts[(i * 7 + (woman ? 3 : 0)) % 10];
    l.hairStyle = i % 5;
    l.glasses = i == 2 || i == 7;
    l.beard = !woman && (i == 3 || i == 8);
    l.smile = i % 3 != 1;
    return l;
}

QImage portrait(int index) {
    const bool woman = index >= 10;
    const Look l = look(index);
    QImage image(80, 80, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient back(QPointF(40, 30), 60);
    back.setColorAt(0, l.background.lighter(125));
    back.setColorAt(1, l.background.darker(110));
    p.fillRect(image.rect(), back);

    const QPen line(QColor(60, 40, 30), 1.2);
    // Long hair falls behind the shoulders.
    if (woman && (l.hairStyle == 0 || l.hairStyle == 3 || l.hairStyle == 4)) {
        p.setPen(line);
        p.setBrush(l.hair);
        if (l.hairStyle == 4) {
            for (int k = 0; k < 7; ++k) p.drawEllipse(QPointF(20 + k * 6.5, 52 + (k % 2) * 4), 8, 10);
        } else if (l.hairStyle == 0) {
            p.drawRoundedRect(QRectF(17, 18, 46, 48), 16, 16);
        }
    }
    // Shoulders and collar.
    QPainterPath body;
    body.moveTo(8, 80);
    body.quadTo(12, 60, 40, 58);
    body.quadTo(68, 60, 72, 80);
    body.closeSubpath();
    p.setPen(line);
    p.setBrush(l.shirt);
    p.drawPath(body);
    p.setBrush(l.skin);
    p.drawRect(QRectF(34, 50, 12, 10));
    QPainterPath collar;
    collar.moveTo(32, 60);
    collar.lineTo(40, 68);
    collar.lineTo(48, 60);
    p.setBrush(woman ? l.shirt.lighter(150) : QColor(250, 250, 250));
    p.drawPath(collar);

    // Face.
    p.setBrush(l.skin);
    p.drawEllipse(QRectF(23, 17, 34, 40));
    p.drawEllipse(QRectF(19, 33, 7, 10));
    p.drawEllipse(QRectF(54, 33, 7, 10));

    // Hair on top.
    p.setBrush(l.hair);
    QPainterPath hair;
    if (!woman) {
        switch (l.hairStyle) {
            case 0:
                hair.moveTo(22, 34);
                hair.quadTo(20, 12, 40, 12);
                hair.quadTo(60, 12, 58, 34);
                hair.quadTo(52, 22, 40, 22);
                hair.quadTo(28, 22, 22, 34);
                break;
            case 1:
                hair.moveTo(22, 32);
                for (int k = 0; k <= 6; ++k) hair.lineTo(22 + k * 6, k % 2 ? 8 : 16);
                hair.lineTo(58, 32);
                hair.quadTo(50, 22, 40, 23);
                hair.quadTo(30, 22, 22, 32);
                break;
            case 2:
                hair.moveTo(22, 36);
                hair.quadTo(18, 12, 42, 12);
                hair.quadTo(62, 14, 58, 36);
                hair.quadTo(56, 24, 34, 24);
                hair.quadTo(28, 28, 22, 36);
                break;
            case 3:
                hair.addEllipse(QRectF(21, 28, 6, 12));
                hair.addEllipse(QRectF(53, 28, 6, 12));
                break;
            default:
                hair.moveTo(20, 30);
                hair.quadTo(22, 10, 40, 10);
                hair.quadTo(58, 10, 60, 30);
                hair.lineTo(68, 32);
                hair.lineTo(20, 30);
                break;
        }
        p.drawPath(hair);
        if (l.hairStyle == 4) {  // cap in the shirt colour
            p.setBrush(l.shirt.lighter(120));
            p.drawPath(hair);
        }
    } else {
        switch (l.hairStyle) {
            case 2:
                p.drawEllipse(QPointF(40, 12), 9, 8);
                [[fallthrough]];
            case 1:
            case 3:
                hair.moveTo(22, 40);
                hair.quadTo(16, 12, 40, 13);
                hair.quadTo(64, 12, 58, 40);
                hair.quadTo(56, 24, 44, 22);
                hair.quadTo(34, 28, 22, 40);
                if (l.hairStyle == 1) {
                    hair.addRoundedRect(QRectF(18, 28, 8, 24), 4, 4);
                    hair.addRoundedRect(QRectF(54, 28, 8, 24), 4, 4);
                }
                break;
            default:
                hair.moveTo(21, 42);
                hair.quadTo(16, 12, 40, 13);
                hair.quadTo(64, 12, 59, 42);
                hair.quadTo(56, 24, 40, 24);
                hair.quadTo(26, 24, 21, 42);
                break;
        }
        p.drawPath(hair);
        if (l.hairStyle == 3) {
            p.drawEllipse(QRectF(56, 18, 12, 24));
            p.setBrush(QColor(230, 60, 90));
            p.drawEllipse(QPointF(57, 20), 3, 3);
        }
    }

    // Eyes, brows, nose, mouth.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 30, 30));
    p.drawEllipse(QPointF(33, 37), 2.2, woman ? 2.8 : 2.4);
    p.drawEllipse(QPointF(47, 37), 2.2, woman ? 2.8 : 2.4);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(33.7, 36.2), 0.8, 0.8);
    p.drawEllipse(QPointF(47.7, 36.2), 0.8, 0.8);
    p.setPen(QPen(l.hair.darker(120), woman ? 1.1 : 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(29, 31), QPointF(36, 30.5));
    p.drawLine(QPointF(44, 30.5), QPointF(51, 31));
    if (woman) {
        p.setPen(QPen(QColor(40, 30, 30), 1));
        p.drawLine(QPointF(30, 35), QPointF(29, 34));
        p.drawLine(QPointF(50, 35), QPointF(51, 34));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(240, 120, 130, 120));
        p.drawEllipse(QPointF(30, 44), 3.5, 2.2);
        p.drawEllipse(QPointF(50, 44), 3.5, 2.2);
    }
    p.setPen(QPen(l.skin.darker(135), 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(40, 39), QPointF(39, 44));
    p.setPen(QPen(woman ? QColor(200, 60, 70) : QColor(130, 60, 50), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    if (l.smile) {
        p.drawArc(QRectF(34, 43, 12, 7), 200 * 16, 140 * 16);
    } else {
        p.drawLine(QPointF(36, 49), QPointF(44, 49));
    }
    if (l.beard) {
        p.setPen(Qt::NoPen);
        p.setBrush(l.hair);
        QPainterPath beard;
        beard.moveTo(25, 42);
        beard.quadTo(28, 60, 40, 59);
        beard.quadTo(52, 60, 55, 42);
        beard.quadTo(50, 54, 40, 54);
        beard.quadTo(30, 54, 25, 42);
        p.drawPath(beard);
    }
    if (l.glasses) {
        p.setPen(QPen(QColor(30, 30, 40), 1.4));
        p.setBrush(QColor(255, 255, 255, 40));
        p.drawRoundedRect(QRectF(27, 32, 12, 10), 3, 3);
        p.drawRoundedRect(QRectF(41, 32, 12, 10), 3, 3);
        p.drawLine(QPointF(39, 36), QPointF(41, 36));
    }
    p.setPen(QPen(QColor(0, 0, 0, 80), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, 79, 79));
    return image;
}

}  // namespace

void addPortraits(Catalogue& catalogue) {
    for (int index = 0; index < 20; ++index)
        catalogue[240 + index] = [index] { return still(portrait(index)); };
}

}  // namespace vexal::artgen
