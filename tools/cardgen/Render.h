// Drawing helpers shared by all pictures: supersampled rendering, suit
// shapes, text as outlines and the rounded card shape.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <QString>

#include <functional>

namespace cardgen {

// Every picture is drawn this many times larger, then averaged down.
constexpr int kSuper = 4;

using DrawFn = std::function<void(QPainter &)>;

// Calls draw with a painter whose coordinates are the target's pixels
// (0..w, 0..h), antialiased, on a kSuper-times larger canvas, then scales the
// result down to w x h. The result is ARGB32 (not premultiplied).
QImage renderSupersampled(int w, int h, const DrawFn &draw);

// Window green of the game board.
inline QColor boardGreen() { return QColor(0, 128, 0); }

enum class Suit { Spades, Diamonds, Clubs, Hearts };
bool isRed(Suit s);
QColor suitColor(Suit s);

// Suit sign in a box from -1 to 1 on both axes, point or stem downwards.
QPainterPath suitPath(Suit s);
// The same sign scaled to half-width hw and centred on c.
QPainterPath suitAt(Suit s, QPointF c, qreal hw, bool upsideDown = false);

enum class Face { Sans, SansBold, SansCondensedBold, SerifBold, Comic, ComicBold };
QFont fontFor(Face face, qreal pointSize = 48);

// Text as an outline whose capital height is capHeight, its left edge at
// x = 0 and its baseline at y = 0. maxWidth > 0 squeezes it horizontally.
QPainterPath textOutline(const QString &text, Face face, qreal capHeight, qreal maxWidth = 0);
// Text centred horizontally on cx with its baseline at y.
QPainterPath textCentred(const QString &text, Face face, qreal capHeight, qreal cx, qreal baseline,
                         qreal maxWidth = 0);

QPainterPath roundedRect(const QRectF &r, qreal radius);

// A leaf shape from base to tip, width w.
QPainterPath leafPath(QPointF base, QPointF tip, qreal w);

// Mixes two colours, t = 0 gives a.
QColor mix(const QColor &a, const QColor &b, qreal t);

} // namespace cardgen
