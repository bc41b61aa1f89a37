// Video chat pictures: command icons of the seat strips and windows, frames and strip backgrounds.
#include <QLinearGradient>

#include "assets/artgen/draw.h"

namespace vexal::artgen {
namespace {

enum class Glyph {
    Hide,
    Enlarge,
    Photo,
    Video,
    Speaker,
    SpeakerOff,
    Reopen,
    Album,
    Close,
    Save,
    Restore,
    MicOn,
    MicOff
};

void glyph(QPainter& p, Glyph g, const QRectF& r) {
    const QPointF c = r.center();
    const double u = r.width() / 16.0;
    p.setPen(QPen(Qt::white, 1.4 * u, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    auto camera = [&](bool filled) {
        p.setBrush(filled ? QBrush(Qt::white) : QBrush(Qt::NoBrush));
        p.drawRoundedRect(QRectF(c.x() - 6 * u, c.y() - 3.5 * u, 12 * u, 8 * u), 1.5 * u, 1.5 * u);
        p.drawRect(QRectF(c.x() - 2 * u, c.y() - 5.5 * u, 4 * u, 2 * u));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(filled ? QColor(40, 60, 90) : Qt::white, 1.2 * u));
        p.drawEllipse(QPointF(c.x(), c.y() + 0.5 * u), 2.4 * u, 2.4 * u);
        p.setPen(QPen(Qt::white, 1.4 * u, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    };
    auto speaker = [&]() {
        QPainterPath cone;
        cone.moveTo(c.x() - 6 * u, c.y() - 2 * u);
        cone.lineTo(c.x() - 3 * u, c.y() - 2 * u);
        cone.lineTo(c.x() + 1 * u, c.y() - 5.5 * u);
        cone.lineTo(c.x() + 1 * u, c.y() + 5.5 * u);
        cone.lineTo(c.x() - 3 * u, c.y() + 2 * u);
        cone.lineTo(c.x() - 6 * u, c.y() + 2 * u);
        cone.closeSubpath();
        p.setBrush(Qt::white);
        p.drawPath(cone);
        p.setBrush(Qt::NoBrush);
    };
    switch (g) {
        case Glyph::Hide:
            p.drawArc(QRectF(c.x() - 6 * u, c.y() - 4 * u, 12 * u, 8 * u), 0, 360 * 16);
            p.drawEllipse(c, 1.8 * u, 1.8 * u);
            p.drawLine(c + QPointF(-6 * u, 5 * u), c + QPointF(6 * u, -5 * u));
            break;
        case Glyph::Enlarge:
            p.drawEllipse(c + QPointF(-1.5 * u, -1.5 * u), 4 * u, 4 * u);
            p.drawLine(c + QPointF(1.5 * u, 1.5 * u), c + QPointF(5.5 * u, 5.5 * u));
            p.drawLine(c + QPointF(-3.5 * u, -1.5 * u), c + QPointF(0.5 * u, -1.5 * u));
            p.drawLine(c + QPointF(-1.5 * u, -3.5 * u), c + QPointF(-1.5 * u, 0.5 * u));
            break;
        case Glyph::Photo:
            camera(false);
            break;
        case Glyph::Video:
            p.setBrush(Qt::white);
            p.drawRoundedRect(QRectF(c.x() - 6.5 * u, c.y() - 3.5 * u, 9 * u, 7 * u), 1.5 * u, 1.5 * u);
            p.drawPolygon(QPolygonF({c + QPointF(3 * u, -1 * u), c + QPointF(6.5 * u, -3.5 * u),
                                     c + QPointF(6.5 * u, 3.5 * u), c + QPointF(3 * u, 1 * u)}));
            break;
        case Glyph::Speaker:
            speaker();
            p.drawArc(QRectF(c.x() - 2 * u, c.y() - 4 * u, 7 * u, 8 * u), -60 * 16, 120 * 16);
            break;
        case Glyph::SpeakerOff:
            speaker();
            p.drawLine(c + QPointF(3 * u, -2.5 * u), c + QPointF(7 * u, 2.5 * u));
            p.drawLine(c + QPointF(7 * u, -2.5 * u), c + QPointF(3 * u, 2.5 * u));
            break;
        case Glyph::Reopen:
            camera(true);
            break;
        case Glyph::Album:
            p.drawRect(QRectF(c.x() - 5.5 * u, c.y() - 4.5 * u, 11 * u, 9 * u));
            p.drawPolyline(QPolygonF({c + QPointF(-5 * u, 3.5 * u), c + QPointF(-1.5 * u, -0.5 * u),
                                      c + QPointF(1 * u, 2 * u), c + QPointF(2.5 * u, 0.5 * u),
                                      c + QPointF(5 * u, 3.5 * u)}));
            p.drawEllipse(c + QPointF(2.5 * u, -2 * u), 1 * u, 1 * u);
            break;
        case Glyph::Close:
            p.drawLine(c + QPointF(-4 * u, -4 * u), c + QPointF(4 * u, 4 * u));
            p.drawLine(c + QPointF(4 * u, -4 * u), c + QPointF(-4 * u, 4 * u));
            break;
        case Glyph::Save:
            p.drawLine(c + QPointF(0, -5 * u), c + QPointF(0, 2 * u));
            p.drawPolyline(
                QPolygonF({c + QPointF(-3 * u, -1 * u), c + QPointF(0, 2 * u), c + QPointF(3 * u, -1 * u)}));
            p.drawPolyline(QPolygonF({c + QPointF(-5.5 * u, 2 * u), c + QPointF(-5.5 * u, 5 * u),
                                      c + QPointF(5.5 * u, 5 * u), c + QPointF(5.5 * u, 2 * u)}));
            break;
        case Glyph::Restore:
            p.drawRect(QRectF(c.x() - 5 * u, c.y() - 2 * u, 7 * u, 7 * u));
            p.drawPolyline(QPolygonF({c + QPointF(-2 * u, -2 * u), c + QPointF(-2 * u, -5 * u),
                                      c + QPointF(5 * u, -5 * u), c + QPointF(5 * u, 2 * u),
                                      c + QPointF(2 * u, 2 * u)}));
            break;
        case Glyph::MicOn:
        case Glyph::MicOff:
            p.setBrush(Qt::white);
            p.drawRoundedRect(QRectF(c.x() - 2 * u, c.y() - 6 * u, 4 * u, 8 * u), 2 * u, 2 * u);
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(c.x() - 4.5 * u, c.y() - 3 * u, 9 * u, 8 * u), 180 * 16, 180 * 16);
            p.drawLine(c + QPointF(0, 5 * u), c + QPointF(0, 6.5 * u));
            if (g == Glyph::MicOff) {
                p.setPen(QPen(QColor(255, 90, 80), 1.6 * u, Qt::SolidLine, Qt::RoundCap));
                p.drawLine(c + QPointF(-6 * u, -6 * u), c + QPointF(6 * u, 6 * u));
            }
            break;
    }
}

QImage icon(Glyph g, bool hover, int side = 20) {
    QImage image = canvas(side, side);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(0, 0, side, side);
    if (hover) {
        panel(p, box, 4, QColor(90, 170, 250), QColor(30, 100, 200), QColor(220, 240, 255), 1.2);
    } else {
        panel(p, box, 4, QColor(70, 80, 96, 230), QColor(30, 36, 46, 230), QColor(16, 20, 26), 1);
    }
    glyph(p, g, box.adjusted(2, 2, -2, -2));
    return image;
}

QImage videoFrame(bool own) {
    QImage image = canvas(88, 88);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath ring;
    ring.addRoundedRect(QRectF(1, 1, 86, 86), 8, 8);
    ring.addRoundedRect(QRectF(5, 5, 78, 78), 4, 4);
    ring.setFillRule(Qt::OddEvenFill);
    QLinearGradient g(0, 0, 0, 88);
    g.setColorAt(0, own ? QColor(250, 210, 100) : QColor(140, 190, 240));
    g.setColorAt(1, own ? QColor(170, 110, 20) : QColor(40, 90, 160));
    p.setPen(QPen(QColor(20, 24, 30), 1));
    p.setBrush(g);
    p.drawPath(ring);
    return image;
}

QImage noVideo() {
    QImage image(80, 80, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 80);
    g.setColorAt(0, QColor(60, 66, 76));
    g.setColorAt(1, QColor(24, 28, 34));
    p.fillRect(image.rect(), g);
    glyph(p, Glyph::Video, QRectF(20, 14, 40, 40));
    p.setPen(QPen(QColor(240, 80, 70), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(24, 50), QPointF(56, 18));
    outlinedText(p, QRectF(0, 56, 80, 20), QStringLiteral("无视频"), font(12, true), QColor(220, 224, 230));
    return image;
}

QImage strip(int width) {
    QImage image = canvas(width, 22);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    panel(p, QRectF(0, 0, width, 22), 5, QColor(40, 46, 56, 220), QColor(16, 20, 26, 220),
          QColor(90, 100, 116), 1);
    return image;
}

}  // namespace

void addVideo(Catalogue& catalogue) {
    // Seat frames: 811 own, 812..814 the other seats; 815 the picture of a seat without video.
    catalogue[811] = [] { return still(videoFrame(true)); };
    for (int n = 812; n <= 814; ++n) catalogue[n] = [] { return still(videoFrame(false)); };
    catalogue[815] = [] { return still(noVideo()); };
    catalogue[817] = [] { return still(icon(Glyph::Reopen, false)); };
    catalogue[818] = [] { return still(icon(Glyph::Reopen, true)); };
    // Enlarged window title controls, normal and hover.
    const Glyph windowGlyphs[] = {Glyph::Close, Glyph::Photo, Glyph::Save, Glyph::Restore};
    for (int i = 0; i < 4; ++i) {
        catalogue[821 + 2 * i] = [g = windowGlyphs[i]] { return still(icon(g, false, 22)); };
        catalogue[822 + 2 * i] = [g = windowGlyphs[i]] { return still(icon(g, true, 22)); };
    }
    const Glyph soundGlyphs[] = {Glyph::MicOn, Glyph::MicOff, Glyph::Speaker, Glyph::SpeakerOff};
    for (int i = 0; i < 4; ++i) {
        catalogue[831 + 2 * i] = [g = soundGlyphs[i]] { return still(icon(g, false)); };
        catalogue[832 + 2 * i] = [g = soundGlyphs[i]] { return still(icon(g, true)); };
    }
    catalogue[840] = [] { return still(strip(88)); };
    catalogue[841] = [] { return still(strip(66)); };

    // Table commands, entries 0..12: hide, enlarge, photo, video switch; their hover pictures;
    // the other seats' fourth image (sound) normal/hover; re-open normal/hover; the strip.
    const Glyph entries[] = {Glyph::Hide, Glyph::Enlarge, Glyph::Photo, Glyph::Video};
    for (int i = 0; i < 4; ++i) {
        catalogue[850 + i] = [g = entries[i]] { return still(icon(g, false)); };
        catalogue[854 + i] = [g = entries[i]] { return still(icon(g, true)); };
    }
    catalogue[858] = [] { return still(icon(Glyph::Speaker, false)); };
    catalogue[859] = [] { return still(icon(Glyph::Speaker, true)); };
    catalogue[860] = [] { return still(icon(Glyph::Reopen, false)); };
    catalogue[861] = [] { return still(icon(Glyph::Reopen, true)); };
    catalogue[862] = [] { return still(strip(88)); };
    catalogue[863] = [] { return still(icon(Glyph::Album, false)); };
    catalogue[864] = [] { return still(icon(Glyph::Album, true)); };

    // Enlarged video window commands 0..7: photo, album, close, restore, each normal/hover.
    const Glyph windowCommands[] = {Glyph::Photo, Glyph::Album, Glyph::Close, Glyph::Restore};
    for (int i = 0; i < 4; ++i) {
        catalogue[870 + 2 * i] = [g = windowCommands[i]] { return still(icon(g, false, 24)); };
        catalogue[871 + 2 * i] = [g = windowCommands[i]] { return still(icon(g, true, 24)); };
    }
}

}  // namespace vexal::artgen
