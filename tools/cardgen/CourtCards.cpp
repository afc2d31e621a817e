// Court cards in the jungle theme and the jester of the jokers.

#include "CardKinds.h"
#include "Cards.h"

#include <QLinearGradient>
#include <QtMath>

namespace cardgen {

namespace {

constexpr qreal W = quorvane::pictures::kFullWidth;
constexpr qreal H = quorvane::pictures::kFullHeight;
const QRectF kFrame(12.5, 7.5, 36, 74);

const QColor kSkin(238, 190, 142);
const QColor kSkinShade(206, 150, 104);
const QColor kInk(30, 24, 20);

struct SuitTheme {
    QColor accent;    // clothing
    QColor accentDark;
    QColor skyTop;    // frame background
    QColor skyBottom;
    QColor fur;       // the ape
    QColor hair;
};

SuitTheme themeFor(Suit s)
{
    switch (s) {
    case Suit::Spades:
        return {QColor(40, 86, 190), QColor(20, 44, 110), QColor(190, 226, 240), QColor(232, 246, 236),
                QColor(92, 64, 44), QColor(40, 30, 24)};
    case Suit::Diamonds:
        return {QColor(236, 128, 24), QColor(160, 70, 10), QColor(255, 236, 170), QColor(255, 250, 226),
                QColor(150, 92, 48), QColor(200, 120, 40)};
    case Suit::Clubs:
        return {QColor(128, 58, 170), QColor(70, 28, 100), QColor(204, 236, 190), QColor(240, 250, 232),
                QColor(70, 60, 56), QColor(30, 24, 20)};
    case Suit::Hearts:
        return {QColor(210, 34, 58), QColor(120, 14, 30), QColor(255, 214, 214), QColor(255, 244, 240),
                QColor(120, 72, 40), QColor(120, 50, 20)};
    }
    return {};
}

QPen stroke(const QColor &c, qreal w) { return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

void limb(QPainter &p, const QColor &c, qreal w, QPointF a, QPointF knee, QPointF b)
{
    QPainterPath path;
    path.moveTo(a);
    path.quadTo(knee, b);
    p.setBrush(Qt::NoBrush);
    p.setPen(stroke(kInk, w + 0.7));
    p.drawPath(path);
    p.setPen(stroke(c, w));
    p.drawPath(path);
}

void blob(QPainter &p, const QPainterPath &path, const QColor &fill, qreal line = 0.5)
{
    p.setPen(stroke(kInk, line));
    p.setBrush(fill);
    p.drawPath(path);
}

void ellipse(QPainter &p, QPointF c, qreal rx, qreal ry, const QColor &fill, qreal line = 0.5)
{
    QPainterPath e;
    e.addEllipse(c, rx, ry);
    blob(p, e, fill, line);
}

void paintVine(QPainter &p, QPointF from, QPointF ctrl, QPointF to)
{
    QPainterPath v;
    v.moveTo(from);
    v.quadTo(ctrl, to);
    p.setBrush(Qt::NoBrush);
    p.setPen(stroke(QColor(60, 90, 30), 1.9));
    p.drawPath(v);
    p.setPen(stroke(QColor(110, 150, 50), 0.9));
    p.drawPath(v);
    // Small leaves along the vine.
    p.setPen(Qt::NoPen);
    for (int i = 1; i <= 3; ++i) {
        const qreal t = i * 0.22;
        const QPointF pt = v.pointAtPercent(t);
        const qreal side = (i % 2) ? 1 : -1;
        p.setBrush(QColor(58, 140, 50));
        p.drawPath(leafPath(pt, pt + QPointF(side * 3.2, 1.6), 1.1));
    }
}

void paintCornerLeaves(QPainter &p, QPointF root, qreal dir)
{
    // A spray of three leaves growing from a corner of the card.
    const QColor greens[3] = {QColor(30, 110, 40), QColor(60, 160, 60), QColor(100, 190, 70)};
    const QPointF tips[3] = {QPointF(-13, 3), QPointF(-10, 10), QPointF(-3, 13)};
    for (int i = 0; i < 3; ++i) {
        const QPointF t = root + QPointF(tips[i].x() * dir, tips[i].y() * dir);
        QPainterPath leaf = leafPath(root, t, 2.6);
        p.setPen(stroke(QColor(20, 70, 25), 0.45));
        p.setBrush(greens[i]);
        p.drawPath(leaf);
        p.setPen(stroke(QColor(20, 80, 25, 160), 0.35));
        p.drawLine(root, root + (t - root) * 0.85);
    }
}

void paintFrame(QPainter &p, Suit suit, const SuitTheme &th)
{
    QLinearGradient g(kFrame.topLeft(), kFrame.bottomLeft());
    g.setColorAt(0, th.skyTop);
    g.setColorAt(1, th.skyBottom);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRect(kFrame);

    // Jungle undergrowth along the bottom of the frame.
    p.save();
    p.setClipRect(kFrame);
    const QColor greens[3] = {QColor(34, 110, 44), QColor(70, 160, 60), QColor(46, 132, 52)};
    for (int i = 0; i < 9; ++i) {
        const qreal x = kFrame.left() + 2 + i * 4.2;
        const QPointF base(x, kFrame.bottom() + 1);
        p.setPen(stroke(QColor(20, 70, 25), 0.35));
        p.setBrush(greens[i % 3]);
        p.drawPath(leafPath(base, base + QPointF((i % 2 ? 3 : -3), -10 - (i % 3) * 2.5), 2.2));
    }
    // Flowers in the suit's colour.
    for (QPointF f : {QPointF(17, 76), QPointF(44, 74.5)}) {
        p.setPen(Qt::NoPen);
        p.setBrush(th.accent);
        for (int k = 0; k < 5; ++k) {
            const qreal a = k * 2 * M_PI / 5;
            p.drawEllipse(f + QPointF(std::cos(a), std::sin(a)) * 1.3, 1.1, 1.1);
        }
        p.setBrush(QColor(255, 220, 60));
        p.drawEllipse(f, 0.8, 0.8);
    }
    p.restore();

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(suitColor(suit), 0.8));
    p.drawRect(kFrame);
}

void paintApe(QPainter &p, const SuitTheme &th)
{
    const QColor fur = th.fur, light = mix(th.fur, QColor(250, 220, 180), 0.6);
    paintVine(p, QPointF(30, kFrame.top()), QPointF(25, 14), QPointF(26.5, 22));
    // Back arm up to the vine, front arm waving.
    limb(p, fur, 3.4, QPointF(29, 34), QPointF(25, 28), QPointF(26.5, 22.5));
    ellipse(p, QPointF(26.5, 22.2), 1.8, 1.6, light);
    // Legs, tucked as if swinging.
    limb(p, fur, 3.3, QPointF(29.5, 52), QPointF(22, 56), QPointF(25, 63));
    limb(p, fur, 3.3, QPointF(36.5, 52), QPointF(43, 55), QPointF(39.5, 63));
    ellipse(p, QPointF(24.5, 63.5), 2.2, 1.3, light);
    ellipse(p, QPointF(40, 63.5), 2.2, 1.3, light);
    ellipse(p, QPointF(33, 45), 7.6, 10, fur);
    ellipse(p, QPointF(33, 47.5), 4.6, 6.6, light, 0.3);
    limb(p, fur, 3.2, QPointF(38, 36), QPointF(44, 38), QPointF(44.5, 30));
    ellipse(p, QPointF(44.6, 29.6), 1.7, 1.7, light);
    // Neckerchief in the suit's colour.
    QPainterPath scarf;
    scarf.moveTo(27, 35);
    scarf.lineTo(39, 35);
    scarf.lineTo(33, 40.5);
    scarf.closeSubpath();
    blob(p, scarf, th.accent);
    // Head.
    ellipse(p, QPointF(26.4, 28.6), 2, 2, light);
    ellipse(p, QPointF(39.6, 28.6), 2, 2, light);
    ellipse(p, QPointF(33, 28), 6.3, 6, fur);
    QPainterPath face;
    face.addEllipse(QPointF(31.6, 27.6), 2.5, 2.6);
    face.addEllipse(QPointF(34.4, 27.6), 2.5, 2.6);
    face.addEllipse(QPointF(33, 31.2), 4.2, 2.8);
    p.setPen(Qt::NoPen);
    p.setBrush(light);
    p.drawPath(face.simplified());
    p.setBrush(kInk);
    p.drawEllipse(QPointF(31.7, 27.4), 0.75, 0.9);
    p.drawEllipse(QPointF(34.3, 27.4), 0.75, 0.9);
    p.drawEllipse(QPointF(32.4, 30.2), 0.35, 0.3);
    p.drawEllipse(QPointF(33.6, 30.2), 0.35, 0.3);
    p.setBrush(Qt::NoBrush);
    p.setPen(stroke(kInk, 0.5));
    p.drawArc(QRectF(30.6, 30.2, 4.8, 2.8), 200 * 16, 140 * 16);
    p.setPen(stroke(mix(fur, kInk, 0.5), 0.5));
    p.drawArc(QRectF(30.2, 24.6, 5.6, 2.4), 20 * 16, 140 * 16);
}

// A person hanging from the vine by both hands; drawn with the hands at the
// origin, then tilted by the caller to show the swing.
void paintSwinger(QPainter &p, const SuitTheme &th, bool woman)
{
    const QColor dress = th.accent, spots = th.accentDark;
    const qreal sh = woman ? 3.6 : 4.6; // half shoulder width
    // Arms up to the vine.
    limb(p, kSkin, woman ? 2.1 : 2.8, QPointF(-sh, 12), QPointF(-2.6, 6), QPointF(-0.9, 0.6));
    limb(p, kSkin, woman ? 2.1 : 2.8, QPointF(sh, 12), QPointF(2.6, 6), QPointF(0.9, 0.6));
    ellipse(p, QPointF(0, 0.4), 1.9, 1.4, kSkin, 0.4);

    // Long hair behind the head, blown back by the swing.
    QPainterPath hair;
    if (woman) {
        hair.moveTo(-4.2, 6);
        hair.cubicTo(-6, 12, -5, 17, -9, 22);
        hair.cubicTo(-4, 21, -1, 17, 0, 13);
        hair.cubicTo(2, 16, 4, 18, 6, 18);
        hair.cubicTo(4.5, 14, 5, 9, 4.2, 6);
        hair.cubicTo(3.5, 2.5, -3.5, 2.5, -4.2, 6);
    } else {
        hair.moveTo(-4, 6);
        hair.cubicTo(-5.5, 10, -6, 14, -8, 16.5);
        hair.cubicTo(-3, 16, -1, 14, 0, 12);
        hair.cubicTo(1, 14, 3, 15, 5.5, 15);
        hair.cubicTo(4.5, 12, 4.8, 9, 4, 6);
        hair.cubicTo(3.5, 2.5, -3.5, 2.5, -4, 6);
    }
    blob(p, hair, th.hair);

    // Legs.
    if (woman) {
        limb(p, kSkin, 2.4, QPointF(-1.8, 28), QPointF(-3.5, 35), QPointF(-2, 42));
        limb(p, kSkin, 2.4, QPointF(1.8, 28), QPointF(4.5, 34), QPointF(6.5, 40));
        ellipse(p, QPointF(-1.4, 42.6), 1.8, 1, kSkin, 0.4);
        ellipse(p, QPointF(7.2, 40.6), 1.8, 1, kSkin, 0.4);
    } else {
        limb(p, kSkin, 3.2, QPointF(-2.4, 28), QPointF(-4.5, 36), QPointF(-3, 44));
        limb(p, kSkin, 3.2, QPointF(2.4, 28), QPointF(6, 35), QPointF(7, 43));
        ellipse(p, QPointF(-2.4, 44.6), 2.2, 1.1, kSkin, 0.4);
        ellipse(p, QPointF(7.8, 43.6), 2.2, 1.1, kSkin, 0.4);
    }

    // Body.
    QPainterPath torso;
    if (woman) {
        torso.moveTo(-sh, 12);
        torso.cubicTo(-2.6, 15, -3.2, 18, -2.6, 21);
        torso.lineTo(-4.2, 29);
        torso.lineTo(4.2, 29);
        torso.lineTo(2.6, 21);
        torso.cubicTo(3.2, 18, 2.6, 15, sh, 12);
        torso.closeSubpath();
        blob(p, torso, kSkin);
        // Leopard-print dress, one shoulder strap.
        QPainterPath d;
        d.moveTo(-3.1, 16);
        d.lineTo(2.8, 14.6);
        d.lineTo(3.4, 12.4);
        d.lineTo(4.0, 13);
        d.lineTo(3.1, 17);
        d.lineTo(2.7, 21);
        d.lineTo(5.2, 30);
        for (int i = 0; i < 5; ++i) {
            d.lineTo(4.1 - i * 2.1, 28.6);
            d.lineTo(3.0 - i * 2.1, 30.3);
        }
        d.lineTo(-2.7, 21);
        d.closeSubpath();
        blob(p, d, dress);
        p.save();
        p.setClipPath(d);
        p.setPen(Qt::NoPen);
        p.setBrush(spots);
        for (int i = 0; i < 14; ++i)
            p.drawEllipse(QPointF(-4 + (i * 37 % 9), 15 + (i * 5 % 15)), 0.6, 0.45);
        p.restore();
    } else {
        torso.moveTo(-sh, 12);
        torso.cubicTo(-5, 17, -3.2, 21, -3.2, 26);
        torso.lineTo(3.2, 26);
        torso.cubicTo(3.2, 21, 5, 17, sh, 12);
        torso.closeSubpath();
        blob(p, torso, kSkin);
        p.setPen(stroke(kSkinShade, 0.45));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(-3.4, 13.5, 3.4, 3.0), 180 * 16, 180 * 16);
        p.drawArc(QRectF(0, 13.5, 3.4, 3.0), 180 * 16, 180 * 16);
        p.drawLine(QPointF(0, 17.5), QPointF(0, 23));
        // Loincloth.
        QPainterPath cloth;
        cloth.moveTo(-3.6, 25);
        cloth.lineTo(3.6, 25);
        cloth.lineTo(4.2, 30);
        cloth.lineTo(1.8, 29);
        cloth.lineTo(0.2, 32);
        cloth.lineTo(-1.5, 29);
        cloth.lineTo(-4.2, 30.5);
        cloth.closeSubpath();
        blob(p, cloth, dress);
        p.save();
        p.setClipPath(cloth);
        p.setPen(Qt::NoPen);
        p.setBrush(spots);
        for (int i = 0; i < 8; ++i)
            p.drawEllipse(QPointF(-3.5 + (i * 29 % 8), 25.8 + (i * 3 % 5)), 0.55, 0.45);
        p.restore();
    }

    // Head.
    ellipse(p, QPointF(0, 8), 3.6, 4.0, kSkin);
    QPainterPath fringe;
    fringe.moveTo(-3.7, 7.6);
    fringe.cubicTo(-3.7, 3.0, 3.7, 3.0, 3.7, 7.6);
    fringe.cubicTo(2, 5.6, -1, 6.6, -3.7, 7.6);
    blob(p, fringe, th.hair, 0.4);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(-1.3, 8.3), 0.45, 0.55);
    p.drawEllipse(QPointF(1.3, 8.3), 0.45, 0.55);
    p.setBrush(Qt::NoBrush);
    p.setPen(stroke(QColor(170, 40, 40), 0.45));
    p.drawArc(QRectF(-1.3, 9.3, 2.6, 1.5), 200 * 16, 140 * 16);
    if (woman) {
        // Flower in her hair.
        p.setPen(Qt::NoPen);
        p.setBrush(th.accent.lighter(130));
        for (int k = 0; k < 5; ++k) {
            const qreal a = k * 2 * M_PI / 5;
            p.drawEllipse(QPointF(-3.6, 5.6) + QPointF(std::cos(a), std::sin(a)) * 1.0, 0.9, 0.9);
        }
        p.setBrush(QColor(255, 220, 60));
        p.drawEllipse(QPointF(-3.6, 5.6), 0.6, 0.6);
    } else {
        // A crown of leaves marks the king.
        const QColor leaf[3] = {QColor(40, 130, 50), QColor(80, 170, 60), QColor(40, 130, 50)};
        for (int k = 0; k < 3; ++k) {
            const QPointF base(-2.2 + k * 2.2, 4.6);
            p.setPen(stroke(QColor(20, 70, 25), 0.35));
            p.setBrush(leaf[k]);
            p.drawPath(leafPath(base, base + QPointF((k - 1) * 1.6, -3.6), 0.9));
        }
        p.setPen(stroke(kInk, 0.3));
        p.setBrush(QColor(250, 210, 50));
        p.drawRect(QRectF(-3.2, 4.2, 6.4, 1.0));
        p.setBrush(th.accent);
        p.drawEllipse(QPointF(0, 4.7), 0.7, 0.7);
        // Beard.
        QPainterPath beard;
        beard.moveTo(-2.8, 9.5);
        beard.cubicTo(-2.5, 13.5, 2.5, 13.5, 2.8, 9.5);
        beard.cubicTo(1.5, 11.2, -1.5, 11.2, -2.8, 9.5);
        blob(p, beard, th.hair, 0.35);
    }
}

} // namespace

void paintCourt(QPainter &p, Suit suit, int rank)
{
    const SuitTheme th = themeFor(suit);
    paintFrame(p, suit, th);
    p.save();
    p.setClipRect(kFrame.adjusted(0.4, 0.4, -0.4, -0.4));
    if (rank == 11) {
        paintApe(p, th);
    } else if (rank == 12) {
        const QPointF hands(34, 20);
        paintVine(p, QPointF(17, kFrame.top()), QPointF(24, 16), hands);
        p.translate(hands);
        p.rotate(16);
        p.scale(1.17, 1.17);
        paintSwinger(p, th, true);
    } else {
        const QPointF hands(27, 20);
        paintVine(p, QPointF(45, kFrame.top()), QPointF(37, 16), hands);
        p.translate(hands);
        p.rotate(-14);
        p.scale(1.15, 1.15);
        paintSwinger(p, th, false);
    }
    p.restore();
    paintCornerLeaves(p, QPointF(W - 1.5, 1.5), 1);
    paintCornerLeaves(p, QPointF(1.5, H - 1.5), -1);
}

QImage drawJoker(bool red)
{
    const QColor word = red ? QColor(212, 20, 30) : QColor(16, 16, 16);
    const QColor green(30, 160, 60), purple(130, 50, 170), orange(245, 140, 20);
    return renderSupersampled(int(W), int(H), [&](QPainter &p) {
        paintCardBlank(p, Qt::white, QColor(72, 72, 72));

        // Harlequin tunic.
        QPainterPath tunic;
        tunic.moveTo(19, 66);
        tunic.cubicTo(19, 56, 22, 50, 30.5, 49);
        tunic.cubicTo(39, 50, 42, 56, 42, 66);
        tunic.closeSubpath();
        p.save();
        p.setClipPath(tunic);
        const QColor cells[3] = {green, purple, orange};
        for (int r = 0; r < 6; ++r)
            for (int c = -1; c < 8; ++c) {
                QPainterPath d;
                const QPointF m(17 + c * 5 + (r % 2) * 2.5, 48 + r * 4);
                d.moveTo(m + QPointF(0, -4));
                d.lineTo(m + QPointF(2.5, 0));
                d.lineTo(m + QPointF(0, 4));
                d.lineTo(m + QPointF(-2.5, 0));
                d.closeSubpath();
                p.setPen(Qt::NoPen);
                p.setBrush(cells[(r + c + 3) % 3]);
                p.drawPath(d);
            }
        p.restore();
        blob(p, tunic, Qt::transparent, 0.6);
        // Pompom buttons.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 215, 40));
        for (int i = 0; i < 3; ++i)
            p.drawEllipse(QPointF(30.5, 54 + i * 4), 1.0, 1.0);

        // Ruff collar of alternating points.
        for (int i = 0; i < 8; ++i) {
            const qreal x0 = 20 + i * 2.6;
            QPainterPath tri;
            tri.moveTo(x0, 45.5);
            tri.lineTo(x0 + 2.6, 45.5);
            tri.lineTo(x0 + 1.3, 51);
            tri.closeSubpath();
            blob(p, tri, cells[i % 3], 0.4);
        }
        ellipse(p, QPointF(30.5, 45.8), 10.2, 1.6, Qt::white, 0.4);

        // Face.
        ellipse(p, QPointF(30.5, 37.5), 7, 7.4, kSkin, 0.6);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(240, 120, 120, 150));
        p.drawEllipse(QPointF(26.3, 40), 1.7, 1.2);
        p.drawEllipse(QPointF(34.7, 40), 1.7, 1.2);
        p.setBrush(kInk);
        p.drawEllipse(QPointF(28, 36.2), 0.8, 1.1);
        p.drawEllipse(QPointF(33, 36.2), 0.8, 1.1);
        p.setBrush(QColor(220, 30, 40));
        p.drawEllipse(QPointF(30.5, 38.8), 1.4, 1.3);
        QPainterPath smile;
        smile.moveTo(26.8, 40.8);
        smile.quadTo(30.5, 45.5, 34.2, 40.8);
        smile.quadTo(30.5, 43, 26.8, 40.8);
        blob(p, smile, QColor(170, 30, 40), 0.4);

        // Three-pointed cap: green, purple, orange, with bells.
        const QColor capColours[3] = {green, purple, orange};
        const QPointF tips[3] = {QPointF(14.5, 21), QPointF(30.5, 9.5), QPointF(46.5, 21)};
        const QPointF ctrl[3] = {QPointF(18, 26), QPointF(26, 18), QPointF(43, 26)};
        for (int i : {0, 2, 1}) {
            QPainterPath lobe;
            const qreal x0 = 23.5 + (i == 2 ? 5 : i == 1 ? 2.5 : 0);
            lobe.moveTo(x0 - 0.5, 31.5);
            lobe.quadTo(ctrl[i], tips[i]);
            lobe.quadTo(QPointF(ctrl[i].x() + (i == 1 ? 8 : (i == 0 ? 8 : -8)), ctrl[i].y() - 1),
                        QPointF(x0 + 7.5, 31.5));
            lobe.closeSubpath();
            blob(p, lobe, capColours[i], 0.6);
        }
        // Headband.
        QPainterPath band;
        band.addRoundedRect(QRectF(22.5, 29.8, 16, 3.2), 1.4, 1.4);
        blob(p, band, QColor(250, 205, 40), 0.5);
        for (const QPointF &t : tips)
            ellipse(p, t, 1.7, 1.7, QColor(255, 215, 40), 0.5);

        // Word and corner indices.
        p.setPen(Qt::NoPen);
        p.setBrush(word);
        p.drawPath(textCentred(QStringLiteral("Joker"), Face::ComicBold, 7.8, W / 2, 78.5, 30));
        for (int corner = 0; corner < 2; ++corner) {
            p.save();
            if (corner == 1) {
                p.translate(W / 2, H / 2);
                p.rotate(180);
                p.translate(-W / 2, -H / 2);
            }
            const QString letters = QStringLiteral("JOKER");
            for (int i = 0; i < letters.size(); ++i)
                p.drawPath(textCentred(letters.mid(i, 1), Face::SansCondensedBold, 4.4, 5.6,
                                       7.0 + i * 5.6, 5.2));
            p.restore();
        }
    });
}

} // namespace cardgen
