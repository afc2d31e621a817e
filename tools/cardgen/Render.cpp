#include "Render.h"

#include <QFontDatabase>
#include <QTransform>
#include <QtMath>

namespace cardgen {

QImage renderSupersampled(int w, int h, const DrawFn &draw)
{
    QImage big(w * kSuper, h * kSuper, QImage::Format_ARGB32_Premultiplied);
    big.fill(Qt::transparent);
    {
        QPainter p(&big);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.scale(kSuper, kSuper);
        draw(p);
    }
    // Area averaging of premultiplied pixels gives the correct coverage.
    return big.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}

bool isRed(Suit s) { return s == Suit::Diamonds || s == Suit::Hearts; }

QColor suitColor(Suit s) { return isRed(s) ? QColor(212, 20, 30) : QColor(16, 16, 16); }

static QPainterPath makeHeart()
{
    QPainterPath p;
    p.moveTo(0, -0.52);
    p.cubicTo(0.12, -0.92, 0.45, -1.02, 0.68, -0.95);
    p.cubicTo(0.98, -0.85, 1.05, -0.5, 0.98, -0.25);
    p.cubicTo(0.86, 0.2, 0.35, 0.55, 0, 1.0);
    p.cubicTo(-0.35, 0.55, -0.86, 0.2, -0.98, -0.25);
    p.cubicTo(-1.05, -0.5, -0.98, -0.85, -0.68, -0.95);
    p.cubicTo(-0.45, -1.02, -0.12, -0.92, 0, -0.52);
    p.closeSubpath();
    return p;
}

static QPainterPath makeDiamond()
{
    QPainterPath p;
    p.moveTo(0, -1);
    p.quadTo(0.32, -0.42, 0.78, 0);
    p.quadTo(0.32, 0.42, 0, 1);
    p.quadTo(-0.32, 0.42, -0.78, 0);
    p.quadTo(-0.32, -0.42, 0, -1);
    p.closeSubpath();
    return p;
}

static QPainterPath makeStem()
{
    QPainterPath p;
    p.moveTo(-0.07, 0.35);
    p.lineTo(0.07, 0.35);
    p.cubicTo(0.1, 0.7, 0.25, 0.9, 0.45, 1.0);
    p.lineTo(-0.45, 1.0);
    p.cubicTo(-0.25, 0.9, -0.1, 0.7, -0.07, 0.35);
    p.closeSubpath();
    return p;
}

static QPainterPath makeSpade()
{
    QPainterPath body;
    body.moveTo(0, -1);
    body.cubicTo(0.3, -0.6, 0.98, -0.3, 0.98, 0.22);
    body.cubicTo(0.98, 0.55, 0.75, 0.72, 0.5, 0.72);
    body.cubicTo(0.28, 0.72, 0.1, 0.6, 0.02, 0.45);
    body.lineTo(-0.02, 0.45);
    body.cubicTo(-0.1, 0.6, -0.28, 0.72, -0.5, 0.72);
    body.cubicTo(-0.75, 0.72, -0.98, 0.55, -0.98, 0.22);
    body.cubicTo(-0.98, -0.3, -0.3, -0.6, 0, -1);
    body.closeSubpath();
    return body.united(makeStem());
}

static QPainterPath makeClub()
{
    QPainterPath p;
    const qreal r = 0.43;
    p.addEllipse(QPointF(0, -0.52), r, r);
    QPainterPath l;
    l.addEllipse(QPointF(-0.54, 0.2), r, r);
    QPainterPath rr;
    rr.addEllipse(QPointF(0.54, 0.2), r, r);
    QPainterPath mid;
    mid.moveTo(0, -0.4);
    mid.lineTo(0.35, 0.2);
    mid.lineTo(0, 0.45);
    mid.lineTo(-0.35, 0.2);
    mid.closeSubpath();
    return p.united(l).united(rr).united(mid).united(makeStem());
}

QPainterPath suitPath(Suit s)
{
    static const QPainterPath spade = makeSpade();
    static const QPainterPath heart = makeHeart();
    static const QPainterPath diamond = makeDiamond();
    static const QPainterPath club = makeClub();
    switch (s) {
    case Suit::Spades: return spade;
    case Suit::Hearts: return heart;
    case Suit::Diamonds: return diamond;
    case Suit::Clubs: return club;
    }
    return heart;
}

QPainterPath suitAt(Suit s, QPointF c, qreal hw, bool upsideDown)
{
    QTransform t;
    t.translate(c.x(), c.y());
    t.scale(hw, upsideDown ? -hw : hw);
    return t.map(suitPath(s));
}

QFont fontFor(Face face, qreal pointSize)
{
    static bool loaded = false;
    if (!loaded) {
        // Make sure the Debian fonts are known even where fontconfig is not
        // consulted by the platform plugin.
        const char *files[] = {
            "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
            "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
            "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf",
            "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf",
            "/usr/share/fonts/opentype/comic-neue/ComicNeue-Regular.otf",
            "/usr/share/fonts/opentype/comic-neue/ComicNeue-Bold.otf",
        };
        for (const char *f : files)
            QFontDatabase::addApplicationFont(QString::fromLatin1(f));
        loaded = true;
    }
    QFont f;
    switch (face) {
    case Face::Sans: f = QFont(QStringLiteral("DejaVu Sans")); break;
    case Face::SansBold: f = QFont(QStringLiteral("DejaVu Sans")); f.setBold(true); break;
    case Face::SansCondensedBold:
        f = QFont(QStringLiteral("DejaVu Sans Condensed"));
        f.setBold(true);
        break;
    case Face::SerifBold: f = QFont(QStringLiteral("DejaVu Serif")); f.setBold(true); break;
    case Face::Comic: f = QFont(QStringLiteral("Comic Neue")); break;
    case Face::ComicBold: f = QFont(QStringLiteral("Comic Neue")); f.setBold(true); break;
    }
    f.setPointSizeF(pointSize);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferOutline);
    return f;
}

QPainterPath textOutline(const QString &text, Face face, qreal capHeight, qreal maxWidth)
{
    const QFont f = fontFor(face);
    QPainterPath ref;
    ref.addText(0, 0, f, QStringLiteral("H"));
    const qreal cap = ref.boundingRect().height();
    QPainterPath p;
    p.addText(0, 0, f, text);
    const qreal s = cap > 0 ? capHeight / cap : 1;
    const QRectF b = p.boundingRect();
    qreal sx = s;
    if (maxWidth > 0 && b.width() * s > maxWidth)
        sx = maxWidth / b.width();
    QTransform t;
    t.scale(sx, s);
    t.translate(-b.left(), 0);
    return t.map(p);
}

QPainterPath textCentred(const QString &text, Face face, qreal capHeight, qreal cx, qreal baseline,
                         qreal maxWidth)
{
    QPainterPath p = textOutline(text, face, capHeight, maxWidth);
    const QRectF b = p.boundingRect();
    return p.translated(cx - b.center().x(), baseline);
}

QPainterPath roundedRect(const QRectF &r, qreal radius)
{
    QPainterPath p;
    p.addRoundedRect(r, radius, radius);
    return p;
}

QPainterPath leafPath(QPointF base, QPointF tip, qreal w)
{
    const QPointF d = tip - base;
    const qreal len = std::hypot(d.x(), d.y());
    const QPointF n = len > 0 ? QPointF(-d.y() / len, d.x() / len) : QPointF(0, 0);
    const QPointF m1 = base + d * 0.4 + n * w;
    const QPointF m2 = base + d * 0.4 - n * w;
    QPainterPath p;
    p.moveTo(base);
    p.quadTo(m1, tip);
    p.quadTo(m2, base);
    p.closeSubpath();
    return p;
}

QColor mix(const QColor &a, const QColor &b, qreal t)
{
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t,
                            a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t,
                            a.alphaF() + (b.alphaF() - a.alphaF()) * t);
}

} // namespace cardgen
