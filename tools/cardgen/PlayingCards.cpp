// Playing cards 1..52, the two jokers and the plain green card.

#include "CardKinds.h"
#include "Cards.h"

#include <QtMath>

namespace cardgen {

namespace {

constexpr qreal W = quorvane::pictures::kFullWidth;
constexpr qreal H = quorvane::pictures::kFullHeight;
const QPointF kCentre(W / 2, H / 2);

Suit suitOf(int n) { return Suit((n - 1) / 13); }
int rankOf(int n) { return (n - 1) % 13 + 1; }

QString rankText(int rank)
{
    switch (rank) {
    case 1: return QStringLiteral("A");
    case 11: return QStringLiteral("J");
    case 12: return QStringLiteral("Q");
    case 13: return QStringLiteral("K");
    default: return QString::number(rank);
    }
}

// Pip centres of the number cards as (column, row): column -1, 0, 1 and
// row 0 (top) to 1 (bottom). Pips below the middle are drawn upside down.
struct Pip {
    qreal col, row;
};

QVector<Pip> pipLayout(int rank)
{
    const qreal t = 1.0 / 3, s = 1.0 / 6;
    switch (rank) {
    case 2: return {{0, 0}, {0, 1}};
    case 3: return {{0, 0}, {0, 0.5}, {0, 1}};
    case 4: return {{-1, 0}, {1, 0}, {-1, 1}, {1, 1}};
    case 5: return {{-1, 0}, {1, 0}, {0, 0.5}, {-1, 1}, {1, 1}};
    case 6: return {{-1, 0}, {1, 0}, {-1, 0.5}, {1, 0.5}, {-1, 1}, {1, 1}};
    case 7: return {{-1, 0}, {1, 0}, {0, 0.25}, {-1, 0.5}, {1, 0.5}, {-1, 1}, {1, 1}};
    case 8:
        return {{-1, 0}, {1, 0}, {0, 0.25}, {-1, 0.5}, {1, 0.5}, {0, 0.75}, {-1, 1}, {1, 1}};
    case 9:
        return {{-1, 0}, {1, 0}, {-1, t}, {1, t}, {0, 0.5}, {-1, 2 * t}, {1, 2 * t}, {-1, 1}, {1, 1}};
    case 10:
        return {{-1, 0}, {1, 0}, {0, s},     {-1, t},     {1, t},
                {-1, 2 * t}, {1, 2 * t}, {0, 5 * s}, {-1, 1}, {1, 1}};
    default: return {};
    }
}

void paintPips(QPainter &p, Suit suit, int rank)
{
    const qreal colX[3] = {19.5, 30.5, 41.5};
    const qreal top = 14.5, bottom = 74.5;
    const qreal hw = suit == Suit::Diamonds ? 6.4 : 5.9;
    p.setPen(Qt::NoPen);
    p.setBrush(suitColor(suit));
    for (const Pip &pip : pipLayout(rank)) {
        const QPointF c(colX[int(pip.col) + 1], top + (bottom - top) * pip.row);
        p.drawPath(suitAt(suit, c, hw, pip.row > 0.5));
    }
}

// The ace of spades carries the maker's emblem over a big spade.
void paintAceOfSpades(QPainter &p)
{
    const QColor ink(16, 16, 16);
    // Laurel sprigs framing the spade.
    for (int side : {-1, 1}) {
        QPainterPath stem;
        stem.moveTo(30.5 + side * 4, 72);
        stem.cubicTo(30.5 + side * 20, 70, 30.5 + side * 25, 52, 30.5 + side * 19, 30);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(ink, 0.8, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(stem);
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 7; ++i) {
            const qreal t = 0.14 + i * 0.13;
            const QPointF at = stem.pointAtPercent(std::min(t, 1.0));
            const QPointF ahead = stem.pointAtPercent(std::min(t + 0.02, 1.0)) - at;
            const qreal len = std::hypot(ahead.x(), ahead.y());
            const QPointF dir = len > 0 ? ahead / len : QPointF(0, -1);
            const QPointF normal(-dir.y(), dir.x());
            p.setBrush(ink);
            for (int k : {-1, 1})
                p.drawPath(leafPath(at, at + dir * 3.4 + normal * k * 2.6, 1.5));
        }
        const QPointF tip = stem.pointAtPercent(1.0);
        p.drawPath(leafPath(tip - QPointF(0, 0.5), tip + QPointF(side * 0.8, -4), 1.1));
        p.setBrush(QColor(200, 20, 30));
        p.drawEllipse(stem.pointAtPercent(0.33) + QPointF(side * 1.6, 0.6), 0.9, 0.9);
        p.drawEllipse(stem.pointAtPercent(0.66) + QPointF(side * 1.9, 0.2), 0.9, 0.9);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPath(suitAt(Suit::Spades, QPointF(30.5, 45), 19));

    // Rosette emblem on the spade's body.
    const QPointF e(30.5, 43);
    p.setBrush(Qt::white);
    for (int i = 0; i < 16; ++i) {
        const qreal a = i * M_PI / 8;
        p.drawEllipse(e + QPointF(std::cos(a), std::sin(a)) * 8.2, 2.2, 2.2);
    }
    p.drawEllipse(e, 8.6, 8.6);
    p.setBrush(QColor(200, 20, 30));
    p.drawEllipse(e, 7.0, 7.0);
    p.setBrush(Qt::white);
    p.drawEllipse(e, 5.9, 5.9);
    p.setBrush(ink);
    p.drawPath(textCentred(QStringLiteral("Q"), Face::SerifBold, 7.2, e.x(), e.y() + 3.6));
    // Small stars at the four points of the ring.
    p.setBrush(QColor(200, 20, 30));
    for (int i = 0; i < 4; ++i) {
        const qreal a = i * M_PI / 2 + M_PI / 4;
        p.drawEllipse(e + QPointF(std::cos(a), std::sin(a)) * 8.2, 0.9, 0.9);
    }
}

} // namespace

void paintCardBlank(QPainter &p, const QColor &fill, const QColor &outline)
{
    p.fillRect(QRectF(0, 0, W, H), boardGreen());
    p.setPen(QPen(outline, 1.0));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(0.5, 0.5, W - 1, H - 1), 3.6, 3.6);
}

void paintIndex(QPainter &p, const QString &rank, Suit suit)
{
    for (int corner = 0; corner < 2; ++corner) {
        p.save();
        if (corner == 1) {
            p.translate(kCentre);
            p.rotate(180);
            p.translate(-kCentre);
        }
        p.setPen(Qt::NoPen);
        p.setBrush(suitColor(suit));
        p.drawPath(textCentred(rank, Face::SansCondensedBold, 8.6, 6.6, 11.2, 9.4));
        p.drawPath(suitAt(suit, QPointF(6.6, 17.4), suit == Suit::Diamonds ? 3.9 : 3.6));
        p.restore();
    }
}

QImage drawPlayingCard(int n)
{
    const Suit suit = suitOf(n);
    const int rank = rankOf(n);
    return renderSupersampled(int(W), int(H), [&](QPainter &p) {
        paintCardBlank(p, Qt::white, QColor(72, 72, 72));
        if (rank >= 11)
            paintCourt(p, suit, rank);
        paintIndex(p, rankText(rank), suit);
        if (rank == 1 && suit == Suit::Spades) {
            paintAceOfSpades(p);
        } else if (rank == 1) {
            p.setPen(Qt::NoPen);
            p.setBrush(suitColor(suit));
            p.drawPath(suitAt(suit, kCentre, suit == Suit::Diamonds ? 12.5 : 11));
        } else if (rank <= 10) {
            paintPips(p, suit, rank);
        }
    });
}

QImage drawPlainGreenCard()
{
    return renderSupersampled(int(W), int(H), [](QPainter &p) {
        paintCardBlank(p, QColor(24, 150, 48), QColor(0, 72, 0));
        // A faint inner line so the card reads as a card on the green board.
        p.setPen(QPen(QColor(120, 200, 120, 110), 0.8));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(3.5, 3.5, W - 7, H - 7), 2.5, 2.5);
    });
}

} // namespace cardgen
