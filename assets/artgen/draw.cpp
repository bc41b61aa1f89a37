#include "assets/artgen/draw.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <cmath>
#include <numbers>

namespace vexal::artgen {

QImage canvas(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

Picture still(const QImage& image) {
    Picture picture;
    picture.frames.push_back(Frame{image, 0});
    return picture;
}

QFont font(double pixelSize, bool bold) {
    QFont f(kFontFamily);
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(pixelSize))));
    f.setBold(bold);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QColor suitColour(int suit) {
    return (suit == 0 || suit == 2) ? QColor(200, 16, 46) : QColor(24, 24, 28);
}

QPainterPath suitPath(int suit, const QRectF& box) {
    const double x = box.x(), y = box.y(), w = box.width(), h = box.height();
    auto at = [&](double u, double v) { return QPointF(x + u * w, y + v * h); };
    QPainterPath path;
    switch (suit) {
        case 0:  // diamond, slightly pinched sides like a printed pip
            path.moveTo(at(0.5, 0));
            path.quadTo(at(0.68, 0.28), at(0.92, 0.5));
            path.quadTo(at(0.68, 0.72), at(0.5, 1));
            path.quadTo(at(0.32, 0.72), at(0.08, 0.5));
            path.quadTo(at(0.32, 0.28), at(0.5, 0));
            break;
        case 2:  // heart
            path.moveTo(at(0.5, 0.28));
            path.cubicTo(at(0.5, 0.05), at(0.05, -0.05), at(0.03, 0.32));
            path.cubicTo(at(0.02, 0.58), at(0.35, 0.75), at(0.5, 1));
            path.cubicTo(at(0.65, 0.75), at(0.98, 0.58), at(0.97, 0.32));
            path.cubicTo(at(0.95, -0.05), at(0.5, 0.05), at(0.5, 0.28));
            break;
        case 3: {  // spade: an upside-down heart on a flared stem
            path.moveTo(at(0.5, 0));
            path.cubicTo(at(0.62, 0.2), at(0.98, 0.36), at(0.97, 0.6));
            path.cubicTo(at(0.96, 0.82), at(0.66, 0.86), at(0.53, 0.68));
            path.quadTo(at(0.56, 0.9), at(0.74, 1));
            path.lineTo(at(0.26, 1));
            path.quadTo(at(0.44, 0.9), at(0.47, 0.68));
            path.cubicTo(at(0.34, 0.86), at(0.04, 0.82), at(0.03, 0.6));
            path.cubicTo(at(0.02, 0.36), at(0.38, 0.2), at(0.5, 0));
            break;
        }
        default: {  // club: three leaves and a stem
            const double r = 0.235;
            path.addEllipse(QRectF(at(0.5 - r, 0.02), QSizeF(2 * r * w, 2 * r * h)));
            path.addEllipse(QRectF(at(0.04, 0.36), QSizeF(2 * r * w, 2 * r * h)));
            path.addEllipse(QRectF(at(0.96 - 2 * r, 0.36), QSizeF(2 * r * w, 2 * r * h)));
            QPainterPath stem;
            stem.moveTo(at(0.46, 0.45));
            stem.quadTo(at(0.44, 0.88), at(0.24, 1));
            stem.lineTo(at(0.76, 1));
            stem.quadTo(at(0.56, 0.88), at(0.54, 0.45));
            stem.closeSubpath();
            QPainterPath centre;
            centre.addEllipse(QRectF(at(0.38, 0.38), QSizeF(0.24 * w, 0.24 * h)));
            path = path.united(stem).united(centre);
            break;
        }
    }
    path.setFillRule(Qt::WindingFill);
    return path;
}

void outlinedText(QPainter& p, const QRectF& box, const QString& text, const QFont& f, const QColor& fill,
                  const QColor& outline, double outlineWidth) {
    QPainterPath path;
    const QFontMetricsF metrics(f);
    const QRectF bounds = metrics.tightBoundingRect(text);
    const double tx = box.center().x() - bounds.width() / 2 - bounds.left();
    const double ty = box.center().y() - bounds.height() / 2 - bounds.top();
    path.addText(QPointF(tx, ty), f, text);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    if (outlineWidth > 0 && outline.alpha() > 0) {
        p.setPen(QPen(outline, outlineWidth * 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(path);
    p.restore();
}

void panel(QPainter& p, const QRectF& box, double radius, const QColor& top, const QColor& bottom,
           const QColor& border, double borderWidth) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(box.topLeft(), box.bottomLeft());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    const double inset = borderWidth / 2;
    const QRectF body = box.adjusted(inset, inset, -inset, -inset);
    p.setPen(borderWidth > 0 ? QPen(border, borderWidth) : Qt::NoPen);
    p.setBrush(gradient);
    p.drawRoundedRect(body, radius, radius);
    // A soft highlight across the upper half gives the raised look.
    QLinearGradient gloss(box.topLeft(), QPointF(box.left(), box.center().y()));
    gloss.setColorAt(0, QColor(255, 255, 255, 90));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(gloss);
    const QRectF upper = body.adjusted(borderWidth, borderWidth, -borderWidth, -body.height() / 2);
    p.drawRoundedRect(upper, std::max(0.0, radius - borderWidth), std::max(0.0, radius - borderWidth));
    p.restore();
}

QPainterPath bubblePath(const QRectF& body, double radius, QPointF tip, QPointF baseCentre,
                        double baseWidth) {
    QPainterPath rounded;
    rounded.addRoundedRect(body, radius, radius);
    QPainterPath tail;
    const bool horizontalEdge = baseCentre.y() <= body.top() + 0.5 || baseCentre.y() >= body.bottom() - 0.5;
    // The tail's base reaches a little into the body so the union has no seam.
    const double inward = 6;
    if (horizontalEdge) {
        const double dy = baseCentre.y() <= body.top() + 0.5 ? inward : -inward;
        tail.moveTo(baseCentre.x() - baseWidth / 2, baseCentre.y() + dy);
        tail.lineTo(tip);
        tail.lineTo(baseCentre.x() + baseWidth / 2, baseCentre.y() + dy);
    } else {
        const double dx = baseCentre.x() <= body.left() + 0.5 ? inward : -inward;
        tail.moveTo(baseCentre.x() + dx, baseCentre.y() - baseWidth / 2);
        tail.lineTo(tip);
        tail.lineTo(baseCentre.x() + dx, baseCentre.y() + baseWidth / 2);
    }
    tail.closeSubpath();
    return rounded.united(tail);
}

void shadow(QPainter& p, const QPainterPath& path, QPointF offset, int alpha) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, alpha));
    p.drawPath(path.translated(offset));
    p.restore();
}

QPainterPath starPath(QPointF centre, double outer, double inner, int points, double rotationDegrees) {
    QPainterPath path;
    for (int i = 0; i < points * 2; ++i) {
        const double angle = (rotationDegrees + i * 180.0 / points) * std::numbers::pi / 180.0;
        const double r = (i % 2 == 0) ? outer : inner;
        const QPointF point(centre.x() + r * std::cos(angle), centre.y() + r * std::sin(angle));
        if (i == 0) {
            path.moveTo(point);
        } else {
            path.lineTo(point);
        }
    }
    path.closeSubpath();
    return path;
}

}  // namespace vexal::artgen
