// Pictures around the cards: the deck component's face, the window icon,
// the splash logo and the toolbar images.

#include "Cards.h"
#include "Writers.h"

#include <QHash>
#include <QRadialGradient>
#include <QtMath>

namespace cardgen {

namespace {

// Pixel art in the VGA palette, one character per pixel.
QRgb vgaColour(char c)
{
    static const QHash<char, int> index = {
        {'k', 0}, {'m', 1}, {'g', 2}, {'o', 3},  {'n', 4},  {'p', 5},  {'t', 6},  {'.', 7},
        {'d', 8}, {'r', 9}, {'l', 10}, {'y', 11}, {'b', 12}, {'f', 13}, {'a', 14}, {'w', 15},
    };
    return vgaPalette().at(index.value(c, 7));
}

QImage fromPixelArt(const char *const rows[], int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, vgaColour(rows[y][x]));
    return img;
}

// clang-format off
const char *const kNewPage[16] = {
    "................",
    "..kkkkkkkkk.....",
    "..kwwwwwwwkk....",
    "..kwwwwwwwkwk...",
    "..kwwwwwwwkwwk..",
    "..kwwwwwwwkkkkk.",
    "..kwwwwwwwwwwdk.",
    "..kwwwwwwwwwwdk.",
    "..kwwwwwwwwwwdk.",
    "..kwwwwwwwwwwdk.",
    "..kwwwwwwwwwwdk.",
    "..kwwwwwwwwwwdk.",
    "..kwwwwwwwwwwdk.",
    "..kwddddddddddk.",
    "..kkkkkkkkkkkkk.",
    "................",
};
const char *const kOpenFolder[16] = {
    "................",
    "..........kkk...",
    ".........k...k.k",
    "..............kk",
    "..kkk........kkk",
    ".kyyykkkkkk.....",
    ".kywyyyyyyk.....",
    ".kwyyyyyyyk.....",
    ".kywyykkkkkkkkkk",
    ".kwyykoooooooook",
    ".kyykoooooooook.",
    ".kwkoooooooook..",
    ".kkoooooooook...",
    ".kkkkkkkkkkk....",
    "................",
    "................",
};
const char *const kFloppy[16] = {
    "................",
    ".kkkkkkkkkkkkkk.",
    ".knwwwwwwwwwwnk.",
    ".knwrrrrrrrrwnk.",
    ".knwwwwwwwwwwnk.",
    ".knwddddddddwnk.",
    ".knwwwwwwwwwwnk.",
    ".knwddddddddwnk.",
    ".knnnnnnnnnnnnk.",
    ".knndddddddnnnk.",
    ".knnddkkddddnnk.",
    ".knnddkkddddnnk.",
    ".knnddkkddddnnk.",
    ".kknddddddddnnk.",
    "..kkkkkkkkkkkkk.",
    "................",
};
const char *const kNotepad[16] = {
    "................",
    "...d.d.d.d.d....",
    "..kdkdkdkdkdkk..",
    "..kwwwwwwwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kwnnnnnnnnwk..",
    "..kwwwwwwwwwwk..",
    "..kwnnnnnnnnwk..",
    "..kwwwwwwwwwwk..",
    "..kwnnnnnnnnwk..",
    "..kwwwwwwwwwwk..",
    "..kwnnnnnwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kwwwwwwwwwwdk.",
    "..kkkkkkkkkkkkk.",
    "................",
};
const char *const kQuestion[16] = {
    ".....kkkkkk.....",
    "....kyyyyyyk....",
    "...kyyyyyyyyk...",
    "...kyyokkoyyk...",
    "...kyyk..kyyk...",
    "....kk..kyyyk...",
    ".......kyyyk....",
    "......kyyyk.....",
    "......kyyk......",
    "......kyyk......",
    ".......kk.......",
    "................",
    ".......kk.......",
    "......kyyk......",
    "......kyyk......",
    ".......kk.......",
};
// clang-format on

void drawFramedText(QPainter &p, const QPainterPath &text, const QColor &fill, const QColor &edge, qreal width)
{
    p.setPen(QPen(QColor(0, 40, 0, 150), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0, 40, 0, 150));
    p.drawPath(text.translated(2.5, 3));
    p.setPen(QPen(edge, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(edge);
    p.drawPath(text);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(text);
}

void miniCard(QPainter &p, QPointF pivot, qreal angle, const QRectF &r, Suit suit, const QString &rank)
{
    p.save();
    p.translate(pivot);
    p.rotate(angle);
    p.setPen(QPen(QColor(60, 60, 60), 0.9));
    p.setBrush(Qt::white);
    p.drawRoundedRect(r, r.width() * 0.1, r.width() * 0.1);
    p.setPen(Qt::NoPen);
    p.setBrush(suitColor(suit));
    const qreal s = r.width() / 24.0;
    p.drawPath(textCentred(rank, Face::SansCondensedBold, 5.5 * s, r.left() + 4.2 * s, r.top() + 7.5 * s));
    p.drawPath(suitAt(suit, QPointF(r.left() + 4.2 * s, r.top() + 11.5 * s), 2.4 * s));
    p.drawPath(suitAt(suit, r.center() + QPointF(1.5 * s, 2 * s), 7 * s));
    p.restore();
}

} // namespace

QImage drawToolbar(int index)
{
    switch (index) {
    case 1: return fromPixelArt(kNewPage, 16, 16);
    case 2: return fromPixelArt(kOpenFolder, 16, 16);
    case 3: return fromPixelArt(kFloppy, 16, 16);
    case 4: return fromPixelArt(kNotepad, 16, 16);
    default: return fromPixelArt(kQuestion, 16, 16);
    }
}

QImage drawDeckFace()
{
    // Drawn pixel-exact in VGA colours; no antialiasing in a 16-colour image.
    const int W = 32, H = 39;
    QImage img(W, H, QImage::Format_RGB32);
    const auto &vga = vgaPalette();
    const QRgb black = vga[0], navy = vga[4], silver = vga[7], grey = vga[8], red = vga[9], yellow = vga[11],
               blue = vga[12], aqua = vga[14], white = vga[15], maroon = vga[1];
    img.fill(silver);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    auto rect = [&p](int x, int y, int w, int h, QRgb c) { p.fillRect(QRect(x, y, w, h), QColor(c)); };
    // Raised tile edge.
    rect(0, 0, W, 1, white);
    rect(0, 0, 1, H, white);
    rect(1, 1, W - 2, 1, white);
    rect(1, 1, 1, H - 2, white);
    rect(0, H - 1, W, 1, black);
    rect(W - 1, 0, 1, H, black);
    rect(1, H - 2, W - 2, 1, grey);
    rect(W - 2, 1, 1, H - 2, grey);

    // Card sticking out of the box.
    rect(10, 5, 13, 18, black);
    rect(11, 6, 11, 16, white);
    auto heart = [&](int x, int y) {
        rect(x, y, 2, 1, red);
        rect(x + 3, y, 2, 1, red);
        rect(x, y + 1, 5, 1, red);
        rect(x + 1, y + 2, 3, 1, red);
        rect(x + 2, y + 3, 1, 1, red);
    };
    auto diamond = [&](int x, int y) {
        rect(x + 2, y, 1, 1, red);
        rect(x + 1, y + 1, 3, 1, red);
        rect(x, y + 2, 5, 1, red);
        rect(x + 1, y + 3, 3, 1, red);
        rect(x + 2, y + 4, 1, 1, red);
    };
    heart(12, 8);
    diamond(16, 13);

    // The box: open top, front, right side.
    rect(6, 19, 19, 3, navy);          // inside of the opening
    rect(7, 20, 17, 1, black);
    rect(6, 22, 19, 13, blue);         // front
    rect(25, 20, 3, 15, navy);         // side
    rect(25, 19, 1, 1, navy);
    rect(26, 19, 1, 1, silver);
    rect(6, 22, 19, 1, aqua);          // front top edge catches the light
    rect(8, 25, 15, 3, yellow);        // label band
    rect(14, 25, 3, 3, maroon);
    rect(15, 26, 1, 1, red);
    rect(6, 35, 22, 1, black);         // shadow under the box
    rect(5, 19, 1, 16, black);
    rect(28, 20, 1, 15, black);
    rect(6, 18, 20, 1, black);
    rect(26, 19, 2, 1, black);
    rect(8, 29, 15, 1, navy);
    rect(8, 31, 15, 1, navy);
    p.end();
    return img;
}

QImage drawIcon()
{
    return renderSupersampled(64, 64, [](QPainter &p) {
        QRadialGradient g(QPointF(32, 28), 44);
        g.setColorAt(0, QColor(30, 170, 50));
        g.setColorAt(1, QColor(0, 100, 0));
        p.fillRect(QRectF(0, 0, 64, 64), g);
        const QPointF pivot(32, 60);
        const QRectF card(-12.5, -54, 25, 35);
        miniCard(p, pivot, -24, card, Suit::Diamonds, QStringLiteral("A"));
        miniCard(p, pivot, 0, card, Suit::Spades, QStringLiteral("A"));
        miniCard(p, pivot, 24, card, Suit::Hearts, QStringLiteral("A"));
    });
}

QImage drawLogo()
{
    const int W = 286, H = 333;
    return renderSupersampled(W, H, [&](QPainter &p) {
        QRadialGradient g(QPointF(W / 2.0, H / 2.0), H * 0.65);
        g.setColorAt(0, QColor(40, 176, 60));
        g.setColorAt(1, QColor(0, 110, 0));
        p.fillRect(QRectF(0, 0, W, H), g);
        // Faint suit signs scattered over the ground.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 22));
        for (int i = 0; i < 16; ++i) {
            const QPointF c(18 + (i % 4) * 80 + (i / 4 % 2) * 40, 30 + (i / 4) * 85);
            p.drawPath(suitAt(Suit(i % 4), c, 12));
        }

        drawFramedText(p, textCentred(QStringLiteral("Quorvane"), Face::ComicBold, 40, W / 2.0, 62, 250),
                       QColor(255, 222, 40), QColor(90, 40, 0), 5);

        // Mascot: a cheerful ace of hearts peering through a magnifying glass.
        const QPointF body(W / 2.0 - 8, 168);
        p.save();
        p.translate(body);
        p.rotate(-6);
        // Legs and shoes.
        p.setPen(QPen(QColor(20, 20, 20), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(-14, 58), QPointF(-20, 86));
        p.drawLine(QPointF(14, 58), QPointF(22, 86));
        p.setPen(QPen(QColor(20, 20, 20), 1.5));
        p.setBrush(QColor(200, 30, 40));
        p.drawEllipse(QPointF(-25, 88), 10, 5);
        p.drawEllipse(QPointF(28, 88), 10, 5);
        // Left arm waving.
        p.setPen(QPen(QColor(20, 20, 20), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(-40, 4), QPointF(-62, -20));
        p.setPen(QPen(QColor(20, 20, 20), 1.5));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(-64, -24), 8, 8);
        // The card body.
        p.setPen(QPen(QColor(40, 40, 40), 2));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(-42, -62, 84, 122), 9, 9);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(212, 20, 30));
        p.drawPath(textCentred(QStringLiteral("A"), Face::SansCondensedBold, 14, -31, -44));
        p.drawPath(suitAt(Suit::Hearts, QPointF(-31, -32), 6));
        p.save();
        p.rotate(180);
        p.drawPath(textCentred(QStringLiteral("A"), Face::SansCondensedBold, 14, -31, -44));
        p.drawPath(suitAt(Suit::Hearts, QPointF(-31, -32), 6));
        p.restore();
        p.drawPath(suitAt(Suit::Hearts, QPointF(0, 26), 16));
        // Face.
        p.setPen(QPen(QColor(20, 20, 20), 1.5));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(-12, -18), 9, 11);
        p.drawEllipse(QPointF(12, -18), 9, 11);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(20, 20, 20));
        p.drawEllipse(QPointF(-9, -15), 4.5, 5.5);
        p.drawEllipse(QPointF(15, -15), 4.5, 5.5);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(-7.5, -17), 1.6, 1.6);
        p.drawEllipse(QPointF(16.5, -17), 1.6, 1.6);
        p.setBrush(QColor(255, 140, 140, 160));
        p.drawEllipse(QPointF(-24, 0), 6, 4);
        p.drawEllipse(QPointF(24, 0), 6, 4);
        QPainterPath smile;
        smile.moveTo(-12, 0);
        smile.quadTo(0, 16, 12, 0);
        smile.quadTo(0, 7, -12, 0);
        p.setPen(QPen(QColor(20, 20, 20), 1.5));
        p.setBrush(QColor(170, 30, 40));
        p.drawPath(smile);
        // Right arm holding a magnifying glass.
        p.setPen(QPen(QColor(20, 20, 20), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(40, 10), QPointF(62, 22));
        p.setPen(QPen(QColor(110, 60, 20), 7, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(64, 22), QPointF(70, 0));
        p.setPen(QPen(QColor(20, 20, 20), 1.5));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(64, 24), 8, 8);
        p.setPen(QPen(QColor(60, 60, 70), 5));
        p.setBrush(QColor(200, 235, 255, 150));
        p.drawEllipse(QPointF(74, -20), 18, 18);
        p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(62, -32, 16, 16), 90 * 16, 70 * 16);
        p.restore();

        // A matched pair flying past.
        miniCard(p, QPointF(40, 118), -18, QRectF(-15, -21, 30, 42), Suit::Spades, QStringLiteral("K"));
        miniCard(p, QPointF(246, 236), 16, QRectF(-15, -21, 30, 42), Suit::Spades, QStringLiteral("K"));

        drawFramedText(p, textCentred(QStringLiteral("Concentration"), Face::ComicBold, 30, W / 2.0, 306, 262),
                       Qt::white, QColor(0, 60, 0), 5);
    });
}

} // namespace cardgen
