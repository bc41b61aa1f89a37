// Shared drawing helpers of the artwork generator: fonts, suit shapes, panels and outlined text.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <functional>
#include <map>

#include "assets/artgen/gifwriter.h"

namespace vexal::artgen {

// Number → how to draw it. Each group of pictures adds its own numbers.
using Catalogue = std::map<int, std::function<Picture()>>;

void addCards(Catalogue& catalogue);
void addDeal(Catalogue& catalogue);
void addButtons(Catalogue& catalogue);
void addTable(Catalogue& catalogue);
void addAnimations(Catalogue& catalogue);
void addPortraits(Catalogue& catalogue);
void addVideo(Catalogue& catalogue);

inline const QString kFontFamily = QStringLiteral("WenQuanYi Micro Hei");

QImage canvas(int width, int height);
Picture still(const QImage& image);
QFont font(double pixelSize, bool bold = true);

// Suit index 0 diamonds, 1 clubs, 2 hearts, 3 spades, filling `box`.
QPainterPath suitPath(int suit, const QRectF& box);
QColor suitColour(int suit);

// Text centred in `box`, filled with `fill` and outlined with `outline` when width > 0.
void outlinedText(QPainter& p, const QRectF& box, const QString& text, const QFont& f, const QColor& fill,
                  const QColor& outline = Qt::transparent, double outlineWidth = 0);

// A raised, rounded panel with a vertical gradient from `top` to `bottom` and a thin border.
void panel(QPainter& p, const QRectF& box, double radius, const QColor& top, const QColor& bottom,
           const QColor& border, double borderWidth = 1.0);

// Rounded-rect path with a triangular tail whose tip is `tip` (outside the body) and whose base
// sits on the body's nearest edge around `baseCentre`.
QPainterPath bubblePath(const QRectF& body, double radius, QPointF tip, QPointF baseCentre, double baseWidth);

// Drop shadow of a path, drawn before the path itself.
void shadow(QPainter& p, const QPainterPath& path, QPointF offset, int alpha);

// A card face (suit index, rank 3..17) or the card back, drawn at `size`.
QImage cardFaceImage(int suit, int rank, QSize size);
QImage cardBackImage(QSize size);

// Close (true) or minimise picture of the window frame; state 0 normal, 1 hover, 2 pressed.
QImage frameButton(bool close, int state);

QPainterPath starPath(QPointF centre, double outer, double inner, int points, double rotationDegrees = -90);

}  // namespace vexal::artgen
