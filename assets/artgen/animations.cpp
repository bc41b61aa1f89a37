// Animated pictures: the countdown clock, the roar and banker marker, the roar, bombs, win and lose.
#include <QLinearGradient>
#include <QRadialGradient>
#include <cmath>
#include <numbers>
#include <random>

#include "assets/artgen/draw.h"

namespace vexal::artgen {
namespace {

constexpr double kPi = std::numbers::pi;

Picture animation(int frames, int delayCs, QSize size, const std::function<void(QPainter&, int)>& paint) {
    Picture picture;
    for (int f = 0; f < frames; ++f) {
        QImage image = canvas(size.width(), size.height());
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        paint(p, f);
        p.end();
        picture.frames.push_back(Frame{image, delayCs});
    }
    return picture;
}

// Alarm clock whose face leaves room in the middle for the countdown number drawn over it
// (26, 26 from the top-left corner); the hand sweeps and the bells shake.
Picture clock() {
    return animation(8, 12, QSize(64, 64), [](QPainter& p, int f) {
        const QPointF c(36, 38);
        const double wobble = (f % 2 ? 1 : -1) * 9;
        for (int side = -1; side <= 1; side += 2) {
            p.save();
            p.translate(c.x() + side * 15, c.y() - 19);
            p.rotate(side * 30 + wobble);
            p.setPen(QPen(QColor(120, 20, 10), 1.2));
            QRadialGradient bell(QPointF(-2, -4), 10);
            bell.setColorAt(0, QColor(255, 230, 120));
            bell.setColorAt(1, QColor(220, 150, 20));
            p.setBrush(bell);
            p.drawChord(QRectF(-9, -9, 18, 16), 0, 180 * 16);
            p.restore();
        }
        p.setPen(QPen(QColor(60, 20, 10), 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c + QPointF(-13, 19), c + QPointF(-18, 25));
        p.drawLine(c + QPointF(13, 19), c + QPointF(18, 25));
        QRadialGradient body(c - QPointF(6, 6), 30);
        body.setColorAt(0, QColor(250, 90, 70));
        body.setColorAt(1, QColor(170, 20, 16));
        p.setPen(QPen(QColor(100, 10, 6), 1.2));
        p.setBrush(body);
        p.drawEllipse(c, 24, 24);
        p.setBrush(QColor(255, 252, 240));
        p.setPen(QPen(QColor(120, 30, 20), 1));
        p.drawEllipse(c, 19, 19);
        p.setPen(QPen(QColor(60, 60, 60), 1.2));
        for (int i = 0; i < 12; ++i) {
            const double a = i * kPi / 6;
            const double inner = i % 3 == 0 ? 14 : 16;
            p.drawLine(c + QPointF(inner * std::cos(a), inner * std::sin(a)),
                       c + QPointF(18 * std::cos(a), 18 * std::sin(a)));
        }
        const double a = -kPi / 2 + f * kPi / 4;
        p.setPen(QPen(QColor(200, 30, 30), 1.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c + QPointF(10 * std::cos(a), 10 * std::sin(a)),
                   c + QPointF(17 * std::cos(a), 17 * std::sin(a)));
    });
}

// The roar seat marker: 吼 on a red disc with a pulsing golden ring.
Picture roarMarker() {
    return animation(8, 10, QSize(68, 68), [](QPainter& p, int f) {
        const QPointF c(34, 34);
        const double pulse = 0.5 + 0.5 * std::sin(f * kPi / 4);
        QRadialGradient glow(c, 34);
        glow.setColorAt(0.6, QColor(255, 210, 60, static_cast<int>(120 + 120 * pulse)));
        glow.setColorAt(1, QColor(255, 210, 60, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(c, 33, 33);
        QRadialGradient disc(c - QPointF(6, 8), 30);
        disc.setColorAt(0, QColor(250, 90, 60));
        disc.setColorAt(1, QColor(160, 10, 10));
        p.setPen(QPen(QColor(255, 220, 90), 3));
        p.setBrush(disc);
        p.drawEllipse(c, 24, 24);
        outlinedText(p, QRectF(10, 10, 48, 48), QStringLiteral("吼"), font(30 + 2 * pulse, true),
                     QColor(255, 240, 180), QColor(110, 0, 0), 1.5);
        p.setBrush(QColor(255, 250, 200));
        for (int i = 0; i < 3; ++i) {
            const double a = f * kPi / 4 + i * 2 * kPi / 3;
            p.setPen(Qt::NoPen);
            p.drawPath(starPath(c + QPointF(28 * std::cos(a), 28 * std::sin(a)), 4.5, 1.6, 4, 0));
        }
    });
}

// The roar: 吼 slams in with shock rings.
Picture roar() {
    return animation(12, 8, QSize(300, 200), [](QPainter& p, int f) {
        const QPointF c(150, 100);
        for (int ring = 0; ring < 3; ++ring) {
            const double r = 20 + (f - ring * 3) * 14;
            if (f < ring * 3 || r > 140)
                continue;
            const int alpha = std::max(0, 230 - static_cast<int>(r * 1.5));
            p.setPen(QPen(QColor(255, 200, 60, alpha), 6 - ring));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(c, r, r * 0.66);
        }
        const double scales[] = {0.3, 0.6, 1.0, 1.35, 1.2, 1.05, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
        const double s = scales[f];
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 230, 120));
        p.drawPath(starPath(c, 90 * s, 52 * s, 14, f * 6));
        p.setBrush(QColor(230, 40, 30));
        p.drawPath(starPath(c, 74 * s, 48 * s, 14, f * 6 + 12));
        outlinedText(p, QRectF(c.x() - 80, c.y() - 80, 160, 160), QStringLiteral("吼"), font(96 * s, true),
                     QColor(255, 246, 200), QColor(90, 0, 0), 3);
    });
}

void burst(QPainter& p, QPointF c, double r, int f, int seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0, 1);
    QRadialGradient fire(c, r);
    fire.setColorAt(0, QColor(255, 255, 220));
    fire.setColorAt(0.3, QColor(255, 230, 90));
    fire.setColorAt(0.7, QColor(250, 120, 20));
    fire.setColorAt(1, QColor(200, 40, 10, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(fire);
    p.drawPath(starPath(c, r, r * 0.62, 11, f * 9));
    p.setBrush(QColor(120, 60, 30));
    for (int i = 0; i < 14; ++i) {
        const double a = unit(random) * 2 * kPi;
        const double d = r * (0.8 + 0.6 * unit(random)) + f * 4;
        p.drawEllipse(c + QPointF(d * std::cos(a), d * std::sin(a)), 2.5, 2.5);
    }
}

// Bomb animation N: a lit bomb, the flash, the fireball and smoke. Bigger bombs, bigger show.
Picture bomb(int n) {
    const QSize size(260, 220);
    return animation(14, 7, size, [n, size](QPainter& p, int f) {
        const QPointF c(130, 116);
        if (f < 4) {
            const double shake = (f % 2 ? 2 : -2);
            QRadialGradient shell(c + QPointF(-12 + shake, -12), 44);
            shell.setColorAt(0, QColor(120, 120, 130));
            shell.setColorAt(1, QColor(20, 20, 26));
            p.setPen(QPen(Qt::black, 1.5));
            p.setBrush(shell);
            p.drawEllipse(c + QPointF(shake, 0), 36, 36);
            p.setBrush(QColor(60, 60, 66));
            p.drawRect(QRectF(c.x() - 9 + shake, c.y() - 44, 18, 10));
            p.setPen(QPen(QColor(150, 110, 60), 3, Qt::SolidLine, Qt::RoundCap));
            p.setBrush(Qt::NoBrush);
            QPainterPath fuse;
            fuse.moveTo(c + QPointF(shake, -44));
            fuse.quadTo(c + QPointF(14, -70), c + QPointF(36 - f * 4, -66 + f * 3));
            p.drawPath(fuse);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(255, 220, 60));
            p.drawPath(starPath(c + QPointF(36 - f * 4, -66 + f * 3), 10 + (f % 2) * 4, 4, 8, f * 20));
            return;
        }
        const int t = f - 4;
        const double grow = n == 2 ? 1.25 : (n == 1 ? 1.1 : 1.0);
        const double r = std::min(100.0, (26 + t * 16) * grow);
        // Smoke rises behind the fireball.
        if (t >= 4) {
            const int alpha = std::max(0, 220 - (t - 4) * 40);
            p.setPen(Qt::NoPen);
            for (int i = 0; i < 5; ++i) {
                p.setBrush(QColor(110, 106, 100, alpha));
                p.drawEllipse(c + QPointF(-50 + i * 25, -30 - (t - 4) * 8 + (i % 2) * 12), 26 + t * 2,
                              22 + t * 2);
            }
        }
        if (t < 7)
            burst(p, c, r, t, 7 + n);
        if (n == 2 && t >= 2 && t < 8)
            burst(p, c + QPointF(-50, 30), r * 0.5, t, 11);
        if (n > 0 && t >= 2) {
            const QString word = n == 2 ? QStringLiteral("轰炸") : QStringLiteral("炸");
            outlinedText(p, QRectF(0, 60, size.width(), 110), word, font(n == 2 ? 62 : 72, true),
                         QColor(255, 240, 100), QColor(160, 10, 0), 3);
        }
    });
}

// Win and lose, shown when a roarer's round is settled.
Picture result(bool win) {
    return animation(12, 10, QSize(300, 180), [win](QPainter& p, int f) {
        const QPointF c(150, 92);
        if (win) {
            p.setPen(Qt::NoPen);
            QRadialGradient rays(c, 130);
            rays.setColorAt(0, QColor(255, 236, 130, 230));
            rays.setColorAt(1, QColor(255, 200, 60, 0));
            p.setBrush(rays);
            for (int i = 0; i < 12; ++i) {
                const double a = (i * 30 + f * 5) * kPi / 180;
                QPainterPath ray;
                ray.moveTo(c);
                ray.lineTo(c + QPointF(150 * std::cos(a - 0.12), 150 * std::sin(a - 0.12)));
                ray.lineTo(c + QPointF(150 * std::cos(a + 0.12), 150 * std::sin(a + 0.12)));
                ray.closeSubpath();
                p.drawPath(ray);
            }
            std::mt19937 random(3);
            std::uniform_real_distribution<double> unit(0, 1);
            const QColor confetti[] = {QColor(230, 50, 50), QColor(60, 140, 230), QColor(250, 210, 40),
                                       QColor(60, 190, 90)};
            for (int i = 0; i < 26; ++i) {
                const double x = unit(random) * 300;
                const double y = std::fmod(unit(random) * 180 + f * 15, 180);
                p.setBrush(confetti[i % 4]);
                p.save();
                p.translate(x, y);
                p.rotate(f * 30 + i * 17);
                p.drawRect(QRectF(-3, -1.5, 6, 3));
                p.restore();
            }
            const double s = 1 + 0.06 * std::sin(f * kPi / 3);
            outlinedText(p, QRectF(0, 20, 300, 140), QStringLiteral("胜利"), font(74 * s, true),
                         QColor(255, 214, 40), QColor(150, 30, 0), 4);
        } else {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(90, 96, 110, 230));
            for (int i = 0; i < 4; ++i) p.drawEllipse(QPointF(90 + i * 40, 30 + (i % 2) * 6), 34, 22);
            p.setPen(QPen(QColor(120, 170, 230), 2.5, Qt::SolidLine, Qt::RoundCap));
            for (int i = 0; i < 14; ++i) {
                const double x = 60 + i * 13;
                const double y = 50 + std::fmod(i * 37 + f * 14, 120);
                p.drawLine(QPointF(x, y), QPointF(x - 3, y + 9));
            }
            const double drop = 4 * std::sin(f * kPi / 6);
            outlinedText(p, QRectF(0, 34 + drop, 300, 140), QStringLiteral("失败"), font(72, true),
                         QColor(170, 186, 210), QColor(30, 36, 60), 4);
        }
    });
}

}  // namespace

void addAnimations(Catalogue& catalogue) {
    catalogue[193] = [] { return clock(); };
    catalogue[194] = [] { return result(true); };
    catalogue[195] = [] { return result(false); };
    catalogue[196] = [] { return roarMarker(); };
    catalogue[200] = [] { return roar(); };
    for (int n = 0; n < 3; ++n) catalogue[218 + n] = [n] { return bomb(n); };
}

}  // namespace vexal::artgen
