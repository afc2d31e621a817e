// Card backs: the red back the game shows (60, a full card) and the nine
// patterned backs written as GIFs (59, 61..68).

#include "CardKinds.h"
#include "Cards.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <QtMath>

namespace cardgen {

namespace {

constexpr int GW = quorvane::pictures::kGifWidth;
constexpr int GH = quorvane::pictures::kGifHeight;
const QRectF kGifCard(0.5, 0.5, GW - 1, GH - 1);
constexpr qreal kGifRadius = 5;

QPen stroke(const QColor &c, qreal w) { return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

// Small deterministic noise so that scattered details never change between builds.
qreal hashUnit(int i, int salt)
{
    quint32 h = quint32(i) * 2654435761u ^ quint32(salt) * 40503u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return (h % 10000) / 10000.0;
}

// ---- 59: woven strands -------------------------------------------------

void paintWoven(QPainter &p)
{
    p.fillRect(QRectF(0, 0, GW, GH), Qt::white);
    const QRectF inner(4.5, 4.5, GW - 9, GH - 9);
    p.save();
    p.setClipPath(roundedRect(inner, 2.5));
    p.fillRect(inner, QColor(18, 40, 150));
    const QColor strands[3] = {QColor(250, 220, 40), QColor(60, 190, 70), QColor(40, 210, 230)};
    const qreal step = 7.0, width = 4.6;
    const int cols = int(GW / step) + 2, rows = int(GH / step) + 2;
    auto vertical = [&](int i, qreal y0, qreal y1) {
        const qreal x = 2 + i * step;
        QLinearGradient g(x - width / 2, 0, x + width / 2, 0);
        const QColor c = strands[i % 3];
        g.setColorAt(0, c.darker(150));
        g.setColorAt(0.45, c.lighter(115));
        g.setColorAt(1, c.darker(150));
        p.fillRect(QRectF(x - width / 2, y0, width, y1 - y0), g);
    };
    auto horizontal = [&](int j, qreal x0, qreal x1) {
        const qreal y = 2 + j * step;
        QLinearGradient g(0, y - width / 2, 0, y + width / 2);
        const QColor c = strands[(j + 1) % 3];
        g.setColorAt(0, c.darker(150));
        g.setColorAt(0.45, c.lighter(115));
        g.setColorAt(1, c.darker(150));
        p.fillRect(QRectF(x0, y - width / 2, x1 - x0, width), g);
    };
    for (int i = 0; i < cols; ++i)
        vertical(i, 0, GH);
    for (int j = 0; j < rows; ++j)
        horizontal(j, 0, GW);
    // Where a vertical strand lies on top, draw its piece over the crossing.
    for (int i = 0; i < cols; ++i)
        for (int j = 0; j < rows; ++j)
            if ((i + j) % 2 == 0)
                vertical(i, 2 + j * step - width / 2 - 0.8, 2 + j * step + width / 2 + 0.8);
    p.restore();
    p.setPen(QPen(QColor(10, 20, 90), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawPath(roundedRect(inner, 2.5));
}

// ---- 61: roses -------------------------------------------------------------

void paintRose(QPainter &p, QPointF c, qreal r, qreal angle)
{
    p.save();
    p.translate(c);
    p.rotate(angle);
    // Leaves first, peeking out under the bloom.
    for (int k = 0; k < 3; ++k) {
        p.save();
        p.rotate(40 + k * 120);
        p.setPen(stroke(QColor(10, 60, 20), 0.4));
        p.setBrush(k == 1 ? QColor(50, 140, 50) : QColor(34, 112, 44));
        p.drawPath(leafPath(QPointF(r * 0.5, 0), QPointF(r * 2.1, 0), r * 0.45));
        p.setPen(stroke(QColor(120, 200, 110, 170), 0.3));
        p.drawLine(QPointF(r * 0.6, 0), QPointF(r * 1.9, 0));
        p.restore();
    }
    QRadialGradient g(QPointF(-r * 0.3, -r * 0.3), r * 1.3);
    g.setColorAt(0, QColor(250, 70, 80));
    g.setColorAt(1, QColor(150, 0, 20));
    p.setPen(stroke(QColor(90, 0, 10), 0.45));
    p.setBrush(g);
    p.drawEllipse(QPointF(0, 0), r, r);
    // Petal spiral.
    p.setBrush(Qt::NoBrush);
    p.setPen(stroke(QColor(110, 0, 18), 0.55));
    QPainterPath spiral;
    for (int i = 0; i <= 60; ++i) {
        const qreal t = i / 60.0;
        const qreal a = t * 4.2 * M_PI;
        const QPointF pt(std::cos(a) * r * 0.85 * t, std::sin(a) * r * 0.85 * t);
        if (i == 0)
            spiral.moveTo(pt);
        else
            spiral.lineTo(pt);
    }
    p.drawPath(spiral);
    p.setPen(stroke(QColor(255, 150, 150, 140), 0.35));
    p.drawArc(QRectF(-r * 0.7, -r * 0.75, r * 1.1, r * 1.1), 60 * 16, 90 * 16);
    p.restore();
}

void paintRoses(QPainter &p)
{
    QRadialGradient g(QPointF(GW / 2.0, GH / 2.0), GH * 0.7);
    g.setColorAt(0, QColor(52, 26, 40));
    g.setColorAt(1, QColor(18, 8, 16));
    p.fillRect(QRectF(0, 0, GW, GH), g);
    int k = 0;
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 3; ++col, ++k) {
            const qreal x = 12 + col * 24 + (row % 2) * 12 + (hashUnit(k, 3) - 0.5) * 3;
            const qreal y = 10 + row * 19 + (hashUnit(k, 4) - 0.5) * 3;
            paintRose(p, QPointF(x, y), 5.2 + hashUnit(k, 5) * 1.2, hashUnit(k, 6) * 360);
        }
    p.setPen(QPen(QColor(200, 160, 60), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawPath(roundedRect(QRectF(3, 3, GW - 6, GH - 6), 3));
}

// ---- 62, 64: clownfish and the sea ---------------------------------------

void paintClownfish(QPainter &p, QPointF c, qreal len, bool facingLeft, qreal tilt = 0)
{
    p.save();
    p.translate(c);
    p.rotate(tilt);
    if (facingLeft)
        p.scale(-1, 1);
    p.scale(len / 20.0, len / 20.0);
    // Drawn facing right, 20 units long, centred.
    const QColor orange(250, 120, 20), edge(30, 16, 10);
    QPainterPath tail;
    tail.moveTo(-8, 0);
    tail.cubicTo(-11, -3, -13, -5, -13, -5);
    tail.cubicTo(-12, -1, -12, 1, -13, 5);
    tail.cubicTo(-11, 4, -10, 2, -8, 0);
    p.setPen(stroke(edge, 0.5));
    p.setBrush(orange);
    p.drawPath(tail);
    QPainterPath fin;
    fin.moveTo(-5, -4);
    fin.cubicTo(-3, -8, 2, -8, 4, -4.5);
    fin.closeSubpath();
    p.drawPath(fin);
    QPainterPath body;
    body.moveTo(9, 0);
    body.cubicTo(9, -4, 4, -5.5, -1, -5.2);
    body.cubicTo(-6, -5, -9, -2.5, -9, 0);
    body.cubicTo(-9, 2.5, -6, 5, -1, 5.2);
    body.cubicTo(4, 5.5, 9, 4, 9, 0);
    p.setBrush(orange);
    p.drawPath(body);
    p.save();
    p.setClipPath(body);
    for (qreal x : {4.0, -2.0, -7.5}) {
        p.setPen(stroke(edge, 0.6));
        p.setBrush(Qt::white);
        QPainterPath band;
        band.moveTo(x - 1.2, -7);
        band.cubicTo(x + 0.8, -2, x + 0.8, 2, x - 1.2, 7);
        band.lineTo(x + 1.4, 7);
        band.cubicTo(x + 3.2, 2, x + 3.2, -2, x + 1.4, -7);
        band.closeSubpath();
        p.drawPath(band);
    }
    p.restore();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(6, -1.2), 1.5, 1.5);
    p.setBrush(edge);
    p.drawEllipse(QPointF(6.3, -1.2), 0.8, 0.8);
    p.setPen(stroke(edge, 0.5));
    p.setBrush(orange);
    p.drawPath(leafPath(QPointF(0, 2), QPointF(-3, 6.5), 1.2));
    p.restore();
}

void paintBubbles(QPainter &p, int salt, int count)
{
    p.setBrush(QColor(255, 255, 255, 60));
    p.setPen(QPen(QColor(255, 255, 255, 200), 0.5));
    for (int i = 0; i < count; ++i) {
        const qreal x = 6 + hashUnit(i, salt) * (GW - 12);
        const qreal y = 6 + hashUnit(i, salt + 1) * (GH - 12);
        p.drawEllipse(QPointF(x, y), 0.8 + hashUnit(i, salt + 2) * 1.4, 0.8 + hashUnit(i, salt + 2) * 1.4);
    }
}

void paintClownfishOnCyan(QPainter &p)
{
    QLinearGradient g(0, 0, 0, GH);
    g.setColorAt(0, QColor(90, 230, 240));
    g.setColorAt(1, QColor(0, 160, 200));
    p.fillRect(QRectF(0, 0, GW, GH), g);
    // Light rays from above.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 40));
    for (int i = 0; i < 4; ++i) {
        QPainterPath ray;
        ray.moveTo(8 + i * 18, 0);
        ray.lineTo(14 + i * 18, 0);
        ray.lineTo(4 + i * 18, GH);
        ray.lineTo(-4 + i * 18, GH);
        p.drawPath(ray);
    }
    paintBubbles(p, 21, 14);
    paintClownfish(p, QPointF(24, 20), 26, false, -8);
    paintClownfish(p, QPointF(46, 48), 30, true, 6);
    paintClownfish(p, QPointF(25, 76), 24, false, 4);
}

void paintSeaweed(QPainter &p, qreal x, qreal height, const QColor &c, int salt)
{
    QPainterPath s;
    s.moveTo(x, GH);
    const int segs = 5;
    for (int i = 1; i <= segs; ++i) {
        const qreal y = GH - height * i / segs;
        const qreal sway = (i % 2 ? 4 : -4) + (hashUnit(i, salt) - 0.5) * 2;
        s.quadTo(x + sway, y + height / segs / 2, x + sway * 0.2, y);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(stroke(c.darker(160), 3.6));
    p.drawPath(s);
    p.setPen(stroke(c, 2.6));
    p.drawPath(s);
    p.setPen(stroke(c.lighter(140), 0.6));
    p.drawPath(s);
}

void paintSeaweedScene(QPainter &p)
{
    QLinearGradient g(0, 0, 0, GH);
    g.setColorAt(0, QColor(40, 110, 220));
    g.setColorAt(1, QColor(8, 30, 110));
    p.fillRect(QRectF(0, 0, GW, GH), g);
    paintBubbles(p, 41, 10);
    // Sand.
    QPainterPath sand;
    sand.moveTo(0, GH - 8);
    sand.cubicTo(20, GH - 12, 45, GH - 5, GW, GH - 10);
    sand.lineTo(GW, GH);
    sand.lineTo(0, GH);
    sand.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 190, 120));
    p.drawPath(sand);
    paintSeaweed(p, 9, 62, QColor(40, 170, 60), 1);
    paintSeaweed(p, 20, 40, QColor(90, 190, 50), 2);
    paintSeaweed(p, 55, 70, QColor(30, 150, 80), 3);
    paintSeaweed(p, 64, 44, QColor(70, 180, 60), 4);
    paintClownfish(p, QPointF(36, 30), 28, true, -6);
    paintClownfish(p, QPointF(38, 62), 22, false, 8);
    // Pebbles and a starfish.
    p.setBrush(QColor(160, 130, 90));
    p.drawEllipse(QPointF(30, GH - 5), 2.4, 1.4);
    p.drawEllipse(QPointF(44, GH - 4), 1.8, 1.1);
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const qreal a = -M_PI / 2 + i * M_PI / 5;
        const qreal r = i % 2 ? 1.4 : 3.4;
        const QPointF pt(38 + r * std::cos(a), GH - 8 + r * std::sin(a));
        if (i == 0)
            star.moveTo(pt);
        else
            star.lineTo(pt);
    }
    star.closeSubpath();
    p.setBrush(QColor(240, 110, 60));
    p.setPen(stroke(QColor(150, 50, 20), 0.4));
    p.drawPath(star);
}

// ---- 63: toy robot ---------------------------------------------------------

void paintRobot(QPainter &p)
{
    QRadialGradient bg(QPointF(GW / 2.0, GH * 0.4), GH * 0.75);
    bg.setColorAt(0, QColor(70, 120, 230));
    bg.setColorAt(1, QColor(14, 34, 120));
    p.fillRect(QRectF(0, 0, GW, GH), bg);
    // Twinkling dots in the background.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 220, 255, 150));
    for (int i = 0; i < 24; ++i)
        p.drawEllipse(QPointF(3 + hashUnit(i, 7) * (GW - 6), 3 + hashUnit(i, 8) * (GH - 6)), 0.5, 0.5);

    const QColor red(220, 30, 30), redDark(130, 10, 10), grey(180, 185, 195), ink(30, 20, 20);
    auto box = [&](const QRectF &r, const QColor &c, qreal radius = 1.5) {
        QLinearGradient g(r.topLeft(), r.topRight());
        g.setColorAt(0, c.lighter(125));
        g.setColorAt(1, c.darker(125));
        p.setPen(stroke(ink, 0.6));
        p.setBrush(g);
        p.drawRoundedRect(r, radius, radius);
    };
    // Antenna.
    p.setPen(stroke(grey.darker(130), 1.0));
    p.drawLine(QPointF(35.5, 14), QPointF(35.5, 8));
    p.setPen(stroke(ink, 0.5));
    p.setBrush(QColor(255, 220, 40));
    p.drawEllipse(QPointF(35.5, 7), 2, 2);
    // Legs and feet.
    box(QRectF(25, 66, 6, 14), grey, 1);
    box(QRectF(40, 66, 6, 14), grey, 1);
    box(QRectF(21, 79, 12, 6), red, 2);
    box(QRectF(38, 79, 12, 6), red, 2);
    // Arms with claws.
    box(QRectF(10, 40, 7, 20), red, 3);
    box(QRectF(54, 40, 7, 20), red, 3);
    p.setPen(stroke(grey.darker(140), 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(9.5, 58, 8, 7), 200 * 16, 140 * 16);
    p.drawArc(QRectF(53.5, 58, 8, 7), 200 * 16, 140 * 16);
    // Body.
    box(QRectF(17, 36, 37, 32), red, 3);
    box(QRectF(23, 42, 25, 15), grey, 1.5);
    const QColor lamps[3] = {QColor(255, 220, 40), QColor(60, 220, 90), QColor(60, 180, 255)};
    for (int i = 0; i < 3; ++i) {
        p.setPen(stroke(ink, 0.4));
        p.setBrush(lamps[i]);
        p.drawEllipse(QPointF(28 + i * 7.5, 47), 2, 2);
    }
    p.setPen(stroke(ink, 0.5));
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(26, 52 + i * 1.4), QPointF(45, 52 + i * 1.4));
    // Neck and head.
    box(QRectF(31, 31, 9, 6), grey, 0.5);
    box(QRectF(21, 13, 29, 19), red, 3);
    box(QRectF(17.5, 19, 4, 8), grey, 1);
    box(QRectF(49.5, 19, 4, 8), grey, 1);
    for (qreal x : {29.0, 42.0}) {
        p.setPen(stroke(ink, 0.6));
        p.setBrush(QColor(255, 240, 120));
        p.drawEllipse(QPointF(x, 21), 4, 4);
        p.setBrush(ink);
        p.drawEllipse(QPointF(x + 0.6, 21), 1.6, 1.6);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(x - 0.6, 19.8), 0.7, 0.7);
    }
    p.setPen(stroke(ink, 0.5));
    p.setBrush(QColor(60, 60, 70));
    p.drawRoundedRect(QRectF(29, 26.5, 13, 3.2), 1, 1);
    p.setPen(stroke(grey, 0.45));
    for (int i = 1; i < 5; ++i)
        p.drawLine(QPointF(29 + i * 2.6, 26.8), QPointF(29 + i * 2.6, 29.4));
    p.setPen(stroke(redDark, 0.4));
    for (QPointF r : {QPointF(23.5, 15.5), QPointF(47.5, 15.5), QPointF(19.5, 38.5), QPointF(51.5, 38.5)}) {
        p.setBrush(grey);
        p.drawEllipse(r, 0.8, 0.8);
    }
}

// ---- 65: hand holding cards ----------------------------------------------

void paintHandOfCards(QPainter &p)
{
    QRadialGradient bg(QPointF(GW / 2.0, GH / 2.0), GH * 0.7);
    bg.setColorAt(0, QColor(255, 240, 110));
    bg.setColorAt(1, QColor(240, 190, 20));
    p.fillRect(QRectF(0, 0, GW, GH), bg);
    // Sun-burst rays.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 50));
    for (int i = 0; i < 12; i += 2) {
        QPainterPath ray;
        const QPointF c(GW / 2.0, GH * 0.45);
        ray.moveTo(c);
        for (int k = 0; k < 2; ++k) {
            const qreal a = (i + k) * M_PI / 6;
            ray.lineTo(c + QPointF(std::cos(a), std::sin(a)) * 90);
        }
        ray.closeSubpath();
        p.drawPath(ray);
    }

    // Fanned cards, held from below.
    const QPointF pivot(36, 66);
    const Suit suits[4] = {Suit::Spades, Suit::Hearts, Suit::Clubs, Suit::Diamonds};
    const char *ranks[4] = {"A", "K", "Q", "J"};
    for (int i = 0; i < 4; ++i) {
        p.save();
        p.translate(pivot);
        p.rotate(-33 + i * 22);
        const QRectF card(-9, -44, 18, 26);
        p.setPen(stroke(QColor(60, 60, 60), 0.5));
        p.setBrush(Qt::white);
        p.drawRoundedRect(card, 1.6, 1.6);
        p.setPen(Qt::NoPen);
        p.setBrush(suitColor(suits[i]));
        p.drawPath(textCentred(QString::fromLatin1(ranks[i]), Face::SansCondensedBold, 4.2, -5.6, -38.5, 4));
        p.drawPath(suitAt(suits[i], QPointF(-5.6, -35), 1.7));
        p.drawPath(suitAt(suits[i], QPointF(1, -30), 4.8));
        p.restore();
    }

    // Striped sleeve coming in from the bottom.
    QPainterPath sleeve;
    sleeve.moveTo(16, GH + 2);
    sleeve.lineTo(28, 70);
    sleeve.lineTo(45, 74);
    sleeve.lineTo(42, GH + 2);
    sleeve.closeSubpath();
    p.save();
    p.setClipPath(sleeve);
    p.fillRect(QRectF(0, 60, GW, 40), QColor(220, 30, 40));
    p.setPen(QPen(Qt::white, 2.4));
    for (int i = -4; i < 8; ++i)
        p.drawLine(QPointF(10 + i * 6, GH + 4), QPointF(30 + i * 6, 60));
    p.restore();
    p.setPen(stroke(QColor(90, 10, 20), 0.7));
    p.setBrush(Qt::NoBrush);
    p.drawPath(sleeve);
    // Cuff.
    QPainterPath cuff;
    cuff.moveTo(27, 71.5);
    cuff.lineTo(46, 75.5);
    cuff.lineTo(47, 71);
    cuff.lineTo(28.5, 66.5);
    cuff.closeSubpath();
    p.setBrush(QColor(40, 60, 170));
    p.drawPath(cuff);

    // Hand: palm and thumb over the cards.
    const QColor skin(245, 196, 150), skinDark(180, 110, 70);
    QPainterPath hand;
    hand.moveTo(29, 67);
    hand.cubicTo(26, 60, 28, 54, 33, 52);
    hand.cubicTo(37, 50, 44, 52, 46, 56);
    hand.cubicTo(48, 61, 47, 67, 46, 71);
    hand.closeSubpath();
    p.setPen(stroke(skinDark, 0.6));
    p.setBrush(skin);
    p.drawPath(hand);
    QPainterPath thumb;
    thumb.moveTo(31, 56);
    thumb.cubicTo(30, 50, 33, 46, 37, 46);
    thumb.cubicTo(39.5, 46, 40, 49, 38, 50.5);
    thumb.cubicTo(36, 52, 35, 55, 35, 58);
    thumb.closeSubpath();
    p.drawPath(thumb);
    p.setPen(stroke(skinDark, 0.5));
    for (int i = 0; i < 3; ++i)
        p.drawArc(QRectF(38 + i * 2.4, 53 + i * 0.6, 4, 4), 0, 180 * 16);
}

// ---- 66: seashell ----------------------------------------------------------

void paintSeashell(QPainter &p)
{
    // Patchwork of bright colours.
    const QColor patch[6] = {QColor(240, 80, 90),  QColor(250, 170, 40), QColor(250, 230, 60),
                             QColor(90, 200, 90),  QColor(60, 170, 240), QColor(170, 90, 220)};
    const qreal s = 12;
    for (int r = 0; r * s < GH; ++r)
        for (int c = 0; c * s < GW; ++c)
            p.fillRect(QRectF(c * s, r * s, s, s), patch[(r * 2 + c * 3 + (r * c) % 2) % 6]);
    // Soft dots over the patches.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 70));
    for (int r = 0; r * s < GH; ++r)
        for (int c = 0; c * s < GW; ++c)
            p.drawEllipse(QPointF(c * s + s / 2, r * s + s / 2), 2, 2);

    // Spiral shell: chambers growing around a centre.
    const QPointF centre(43, 51);
    p.save();
    p.translate(centre);
    const qreal growth = 0.2;
    auto radiusAt = [growth](qreal a) { return 3.4 * std::exp(growth * a); };
    const qreal maxA = 3.1 * M_PI;
    QPainterPath shell;
    shell.moveTo(0, 0);
    for (int i = 0; i <= 120; ++i) {
        const qreal a = maxA * i / 120;
        shell.lineTo(std::cos(a) * radiusAt(a), std::sin(a) * radiusAt(a));
    }
    shell.closeSubpath();
    QRadialGradient g(QPointF(-4, -4), 30);
    g.setColorAt(0, QColor(255, 245, 225));
    g.setColorAt(1, QColor(235, 190, 140));
    p.setPen(stroke(QColor(110, 60, 30), 0.9));
    p.setBrush(g);
    p.drawPath(shell);
    // Chamber walls and the spiral line.
    p.setPen(stroke(QColor(160, 90, 50), 0.7));
    for (int k = 1; k < 14; ++k) {
        const qreal a = maxA * k / 14;
        const qreal ra = radiusAt(a), rb = radiusAt(a - 2 * M_PI);
        const QPointF outer(std::cos(a) * ra, std::sin(a) * ra);
        const QPointF inner = a > 2 * M_PI ? QPointF(std::cos(a) * rb, std::sin(a) * rb) : QPointF(0, 0);
        QPainterPath wall;
        wall.moveTo(inner);
        wall.quadTo((inner + outer) / 2 + QPointF(-std::sin(a), std::cos(a)) * 1.5, outer);
        p.drawPath(wall);
    }
    p.setPen(stroke(QColor(200, 120, 60), 2.2));
    p.setBrush(Qt::NoBrush);
    QPainterPath stripe;
    for (int i = 0; i <= 100; ++i) {
        const qreal a = (maxA - 2 * M_PI) * i / 100 + 2 * M_PI * 0 + 0.8;
        const qreal r = radiusAt(a) * 0.6 + radiusAt(a - 2 * M_PI) * 0.4;
        const QPointF pt(std::cos(a) * r, std::sin(a) * r);
        if (i == 0)
            stripe.moveTo(pt);
        else
            stripe.lineTo(pt);
    }
    p.drawPath(stripe);
    p.restore();
}

// ---- 67: beach ------------------------------------------------------------

void paintBeach(QPainter &p)
{
    QLinearGradient sky(0, 0, 0, 50);
    sky.setColorAt(0, QColor(60, 150, 240));
    sky.setColorAt(1, QColor(180, 225, 255));
    p.fillRect(QRectF(0, 0, GW, 52), sky);
    // Sun with rays.
    const QPointF sun(52, 17);
    p.setPen(stroke(QColor(255, 200, 30), 1.2));
    for (int i = 0; i < 12; ++i) {
        const qreal a = i * M_PI / 6;
        p.drawLine(sun + QPointF(std::cos(a), std::sin(a)) * 10, sun + QPointF(std::cos(a), std::sin(a)) * 14);
    }
    QRadialGradient sg(sun, 9);
    sg.setColorAt(0, QColor(255, 250, 160));
    sg.setColorAt(1, QColor(255, 200, 30));
    p.setPen(Qt::NoPen);
    p.setBrush(sg);
    p.drawEllipse(sun, 8, 8);
    // Clouds.
    p.setBrush(QColor(255, 255, 255, 230));
    for (QPointF c : {QPointF(14, 14), QPointF(30, 30)}) {
        p.drawEllipse(c, 6, 3);
        p.drawEllipse(c + QPointF(4, -2), 4.5, 3);
        p.drawEllipse(c + QPointF(-4, 0.5), 4, 2.5);
    }
    // Sea.
    QLinearGradient sea(0, 50, 0, 70);
    sea.setColorAt(0, QColor(0, 90, 190));
    sea.setColorAt(1, QColor(40, 180, 210));
    p.fillRect(QRectF(0, 50, GW, 22), sea);
    p.setPen(stroke(QColor(255, 255, 255, 170), 0.6));
    for (int i = 0; i < 6; ++i) {
        const qreal y = 54 + i * 3;
        const qreal x = 4 + hashUnit(i, 12) * 50;
        p.drawArc(QRectF(x, y, 6, 2), 0, 180 * 16);
        p.drawArc(QRectF(x + 6, y, 6, 2), 0, 180 * 16);
    }
    // Sand with a wave line.
    QPainterPath sand;
    sand.moveTo(0, 70);
    sand.cubicTo(20, 66, 40, 74, GW, 68);
    sand.lineTo(GW, GH);
    sand.lineTo(0, GH);
    sand.closeSubpath();
    QLinearGradient sg2(0, 68, 0, GH);
    sg2.setColorAt(0, QColor(250, 225, 160));
    sg2.setColorAt(1, QColor(225, 185, 110));
    p.setPen(stroke(Qt::white, 1.2));
    p.setBrush(sg2);
    p.drawPath(sand);

    // Palm tree.
    QPainterPath trunk;
    trunk.moveTo(17, 90);
    trunk.cubicTo(15, 70, 18, 48, 30, 32);
    trunk.lineTo(33, 34);
    trunk.cubicTo(23, 50, 21, 70, 23, 90);
    trunk.closeSubpath();
    QLinearGradient tg(15, 0, 25, 0);
    tg.setColorAt(0, QColor(150, 95, 45));
    tg.setColorAt(1, QColor(100, 60, 25));
    p.setPen(stroke(QColor(70, 40, 15), 0.6));
    p.setBrush(tg);
    p.drawPath(trunk);
    p.setPen(stroke(QColor(80, 45, 15), 0.5));
    for (int i = 1; i < 12; ++i) {
        const QPointF a = trunk.pointAtPercent(i / 26.0);
        p.drawLine(a, a + QPointF(5.5, 0.4));
    }
    const QPointF crown(31.5, 32.5);
    const QPointF tips[6] = {QPointF(6, 36), QPointF(12, 22), QPointF(28, 14),
                             QPointF(48, 20), QPointF(56, 34), QPointF(44, 44)};
    for (int i = 0; i < 6; ++i) {
        QPainterPath frond;
        const QPointF tip = tips[i];
        const QPointF mid = (crown + tip) / 2 + QPointF(0, -5);
        frond.moveTo(crown);
        frond.quadTo(mid + QPointF(0, -3), tip);
        frond.quadTo(mid + QPointF(0, 3), crown);
        p.setPen(stroke(QColor(20, 90, 30), 0.5));
        p.setBrush(i % 2 ? QColor(60, 170, 60) : QColor(40, 140, 50));
        p.drawPath(frond);
        p.setPen(stroke(QColor(20, 90, 30), 0.4));
        QPainterPath rib;
        rib.moveTo(crown);
        rib.quadTo(mid, tip);
        p.drawPath(rib);
    }
    p.setPen(stroke(QColor(60, 30, 10), 0.4));
    p.setBrush(QColor(110, 70, 30));
    p.drawEllipse(crown + QPointF(-1.5, 2.5), 1.9, 1.9);
    p.drawEllipse(crown + QPointF(1.8, 2.8), 1.9, 1.9);
    // Beach ball.
    const QPointF ball(50, 83);
    p.setPen(stroke(QColor(40, 40, 40), 0.4));
    p.setBrush(Qt::white);
    p.drawEllipse(ball, 4, 4);
    p.setBrush(QColor(230, 40, 40));
    p.drawPie(QRectF(ball.x() - 4, ball.y() - 4, 8, 8), 30 * 16, 60 * 16);
    p.setBrush(QColor(40, 90, 230));
    p.drawPie(QRectF(ball.x() - 4, ball.y() - 4, 8, 8), 150 * 16, 60 * 16);
    p.setBrush(QColor(250, 210, 30));
    p.drawPie(QRectF(ball.x() - 4, ball.y() - 4, 8, 8), 270 * 16, 60 * 16);
}

// ---- 68: castle at night --------------------------------------------------

void paintBat(QPainter &p, QPointF c, qreal s)
{
    QPainterPath bat;
    bat.moveTo(0, -0.5);
    bat.cubicTo(-1.5, -2, -4, -2.5, -6, -1.5);
    bat.quadTo(-5, -0.5, -4.8, 0.8);
    bat.quadTo(-4, 0, -3, 0.8);
    bat.quadTo(-2, 0, -1, 1.2);
    bat.lineTo(0, 0.6);
    bat.lineTo(1, 1.2);
    bat.quadTo(2, 0, 3, 0.8);
    bat.quadTo(4, 0, 4.8, 0.8);
    bat.quadTo(5, -0.5, 6, -1.5);
    bat.cubicTo(4, -2.5, 1.5, -2, 0, -0.5);
    bat.closeSubpath();
    QTransform t;
    t.translate(c.x(), c.y());
    t.scale(s, s);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(10, 8, 20));
    p.drawPath(t.map(bat));
    p.drawEllipse(c + QPointF(0, -0.3 * s), 0.8 * s, 0.9 * s);
}

void paintCastle(QPainter &p)
{
    QLinearGradient sky(0, 0, 0, GH);
    sky.setColorAt(0, QColor(8, 10, 50));
    sky.setColorAt(1, QColor(50, 40, 120));
    p.fillRect(QRectF(0, 0, GW, GH), sky);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 30; ++i) {
        p.setBrush(QColor(255, 255, 230, 120 + int(hashUnit(i, 31) * 135)));
        p.drawEllipse(QPointF(3 + hashUnit(i, 32) * (GW - 6), 3 + hashUnit(i, 33) * 55), 0.4 + hashUnit(i, 34) * 0.4,
                      0.4 + hashUnit(i, 34) * 0.4);
    }
    // Moon with a glow.
    const QPointF moon(50, 20);
    QRadialGradient glow(moon, 20);
    glow.setColorAt(0, QColor(255, 250, 200, 120));
    glow.setColorAt(1, QColor(255, 250, 200, 0));
    p.setBrush(glow);
    p.drawEllipse(moon, 20, 20);
    p.setBrush(QColor(255, 248, 200));
    p.drawEllipse(moon, 10, 10);
    p.setBrush(QColor(225, 215, 160));
    p.drawEllipse(moon + QPointF(-3, -2), 2, 2);
    p.drawEllipse(moon + QPointF(3, 3), 2.6, 2.6);
    p.drawEllipse(moon + QPointF(-2, 5), 1.3, 1.3);

    // Hill.
    QPainterPath hill;
    hill.moveTo(0, 78);
    hill.cubicTo(15, 66, 50, 64, GW, 76);
    hill.lineTo(GW, GH);
    hill.lineTo(0, GH);
    hill.closeSubpath();
    p.setBrush(QColor(20, 50, 30));
    p.drawPath(hill);

    // Castle silhouette with battlements.
    const QColor stone(40, 34, 60);
    auto tower = [&](qreal x, qreal top, qreal w, bool roof) {
        p.setBrush(stone);
        p.drawRect(QRectF(x, top, w, 80 - top));
        if (roof) {
            QPainterPath r;
            r.moveTo(x - 1.5, top);
            r.lineTo(x + w / 2, top - w * 1.2);
            r.lineTo(x + w + 1.5, top);
            r.closeSubpath();
            p.setBrush(QColor(90, 30, 60));
            p.drawPath(r);
            p.setPen(stroke(QColor(200, 40, 60), 0.5));
            p.drawLine(QPointF(x + w / 2, top - w * 1.2), QPointF(x + w / 2, top - w * 1.2 - 3.5));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(220, 50, 60));
            QPainterPath flag;
            flag.moveTo(x + w / 2, top - w * 1.2 - 3.5);
            flag.lineTo(x + w / 2 + 3, top - w * 1.2 - 2.7);
            flag.lineTo(x + w / 2, top - w * 1.2 - 1.9);
            p.drawPath(flag);
        } else {
            p.setBrush(stone);
            for (qreal bx = x; bx < x + w - 0.5; bx += 2.4)
                p.drawRect(QRectF(bx, top - 1.8, 1.3, 1.8));
        }
    };
    p.setPen(Qt::NoPen);
    tower(18, 52, 34, false); // main hall
    tower(12, 42, 8, true);
    tower(50, 44, 8, true);
    tower(30, 36, 10, true);
    // Lit windows.
    p.setBrush(QColor(255, 210, 80));
    for (QRectF w : {QRectF(14.5, 50, 2, 3), QRectF(52.5, 52, 2, 3), QRectF(34, 45, 2, 3), QRectF(23, 58, 2, 3),
                     QRectF(45, 58, 2, 3), QRectF(34, 56, 2, 3)})
        p.drawRoundedRect(w, 0.9, 0.9);
    // Gate.
    p.setBrush(QColor(20, 14, 30));
    QPainterPath gate;
    gate.moveTo(32, 80);
    gate.lineTo(32, 70);
    gate.quadTo(35, 66, 38, 70);
    gate.lineTo(38, 80);
    gate.closeSubpath();
    p.drawPath(gate);
    // Path up the hill.
    p.setBrush(QColor(110, 90, 70));
    QPainterPath road;
    road.moveTo(32, 80);
    road.lineTo(38, 80);
    road.cubicTo(44, 86, 30, 90, 42, GH);
    road.lineTo(30, GH);
    road.cubicTo(22, 90, 36, 86, 32, 80);
    p.drawPath(road);

    // Bats, one of them crossing the moon.
    paintBat(p, QPointF(48, 21), 1.2);
    paintBat(p, QPointF(20, 24), 1.0);
    paintBat(p, QPointF(32, 14), 0.8);
    paintBat(p, QPointF(60, 36), 0.7);
}

} // namespace

QImage drawPatternedBack(int n)
{
    QImage img = renderSupersampled(GW, GH, [n](QPainter &p) {
        const QPainterPath shape = roundedRect(kGifCard, kGifRadius);
        p.save();
        p.setClipPath(shape);
        switch (n) {
        case 59: paintWoven(p); break;
        case 61: paintRoses(p); break;
        case 62: paintClownfishOnCyan(p); break;
        case 63: paintRobot(p); break;
        case 64: paintSeaweedScene(p); break;
        case 65: paintHandOfCards(p); break;
        case 66: paintSeashell(p); break;
        case 67: paintBeach(p); break;
        case 68: paintCastle(p); break;
        default: break;
        }
        p.restore();
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(20, 20, 20), 1.0));
        p.drawPath(shape);
    });
    return img;
}

// ---- 60: the back the game shows -------------------------------------------

QImage drawGameBack()
{
    constexpr qreal W = quorvane::pictures::kFullWidth;
    constexpr qreal H = quorvane::pictures::kFullHeight;
    return renderSupersampled(int(W), int(H), [](QPainter &p) {
        p.fillRect(QRectF(0, 0, W, H), boardGreen());
        const QPainterPath card = roundedRect(QRectF(0, 0, W, H), 3.6);
        p.save();
        p.setClipPath(card);
        const QColor red(178, 18, 32), light(236, 120, 120), pale(255, 226, 214);
        p.fillRect(QRectF(0, 0, W, H), red);

        // Diagonal lattice with little quatrefoils in each cell.
        const qreal step = 7.0;
        p.setPen(QPen(light, 0.55));
        for (qreal d = -H; d < W + H; d += step) {
            p.drawLine(QPointF(d, 0), QPointF(d + H, H));
            p.drawLine(QPointF(d, 0), QPointF(d - H, H));
        }
        p.setPen(Qt::NoPen);
        for (int i = -14; i < 30; ++i)
            for (int j = -14; j < 30; ++j) {
                // Cell centres lie half a step between lattice crossings.
                const QPointF c(i * step / 2 + (j % 2 ? 0 : 0), j * step / 2);
                if ((i + j) % 2 != 0)
                    continue;
                const QPointF m = c + QPointF(step / 2, 0);
                if (m.x() < -4 || m.x() > W + 4 || m.y() < -4 || m.y() > H + 4)
                    continue;
                p.setBrush(pale);
                for (int k = 0; k < 4; ++k) {
                    const qreal a = k * M_PI / 2;
                    p.drawEllipse(m + QPointF(std::cos(a), std::sin(a)) * 0.9, 0.75, 0.75);
                }
                p.setBrush(red);
                p.drawEllipse(m, 0.45, 0.45);
            }
        // Crossing points.
        p.setBrush(QColor(255, 200, 120));
        for (int i = -14; i < 30; ++i)
            for (int j = -14; j < 30; ++j)
                if ((i + j) % 2 != 0) {
                    const QPointF m(i * step / 2 + step / 2, j * step / 2);
                    p.drawEllipse(m, 0.5, 0.5);
                }

        // Inner border band.
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(pale, 0.9));
        p.drawRoundedRect(QRectF(3, 3, W - 6, H - 6), 2, 2);
        p.setPen(QPen(QColor(120, 0, 16), 0.6));
        p.drawRoundedRect(QRectF(4.3, 4.3, W - 8.6, H - 8.6), 1.6, 1.6);

        // The oval emblem.
        const QPointF c(W / 2, H / 2);
        const qreal rx = 16, ry = 23;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(120, 0, 16));
        p.drawEllipse(c, rx + 2.2, ry + 2.2);
        p.setBrush(pale);
        p.drawEllipse(c, rx + 1.2, ry + 1.2);
        QRadialGradient g(c, ry);
        g.setColorAt(0, QColor(220, 40, 50));
        g.setColorAt(1, QColor(150, 10, 25));
        p.setBrush(g);
        p.drawEllipse(c, rx, ry);
        // Beaded ring inside the oval.
        p.setBrush(pale);
        for (int i = 0; i < 36; ++i) {
            const qreal a = i * 2 * M_PI / 36;
            p.drawEllipse(c + QPointF(std::cos(a) * (rx - 2.2), std::sin(a) * (ry - 2.2)), 0.55, 0.55);
        }
        // Rosette of petals with the four suits around it.
        p.setBrush(QColor(255, 214, 120));
        p.setPen(QPen(QColor(120, 40, 10), 0.4));
        for (int k = 0; k < 8; ++k) {
            const qreal a = k * M_PI / 4;
            const QPointF tip = c + QPointF(std::cos(a), std::sin(a)) * 7.5;
            p.drawPath(leafPath(c, tip, 1.8));
        }
        p.setBrush(pale);
        p.drawEllipse(c, 2.4, 2.4);
        p.setBrush(QColor(178, 18, 32));
        p.setPen(Qt::NoPen);
        p.drawEllipse(c, 1.2, 1.2);
        const Suit suits[4] = {Suit::Spades, Suit::Hearts, Suit::Clubs, Suit::Diamonds};
        const QPointF at[4] = {QPointF(0, -14), QPointF(10, 0), QPointF(0, 14), QPointF(-10, 0)};
        for (int i = 0; i < 4; ++i) {
            p.setBrush(pale);
            p.drawPath(suitAt(suits[i], c + at[i], 3.2));
        }
        p.restore();
    });
}

} // namespace cardgen
