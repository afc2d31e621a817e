// The empty-slot marker and the X and O markers (card numbers 55..57):
// a black card outline on a transparent ground.

#include "CardKinds.h"
#include "Cards.h"

namespace cardgen {

namespace {
constexpr int W = quorvane::pictures::kGifWidth;
constexpr int H = quorvane::pictures::kGifHeight;

void outline(QPainter &p)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, 1.0));
    p.drawRoundedRect(QRectF(0.5, 0.5, W - 1, H - 1), 5, 5);
}
} // namespace

QImage drawOverlay(int n)
{
    QImage img = renderSupersampled(W, H, [n](QPainter &p) {
        outline(p);
        if (n == 56) {
            const QColor red(224, 24, 24), dark(120, 0, 0);
            for (int pass = 0; pass < 2; ++pass) {
                p.setPen(QPen(pass == 0 ? dark : red, pass == 0 ? 9.5 : 8, Qt::SolidLine, Qt::RoundCap));
                p.drawLine(QPointF(15, 20), QPointF(56, 76));
                p.drawLine(QPointF(56, 20), QPointF(15, 76));
            }
        } else if (n == 57) {
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(QColor(0, 80, 0), 9.5));
            p.drawEllipse(QPointF(W / 2.0, H / 2.0), 21, 28);
            p.setPen(QPen(QColor(40, 200, 40), 8));
            p.drawEllipse(QPointF(W / 2.0, H / 2.0), 21, 28);
        }
    });
    // Hard edges: a GIF pixel is either drawn or transparent.
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const QRgb px = img.pixel(x, y);
            img.setPixel(x, y, qAlpha(px) >= 110 ? (px | 0xff000000u) : 0u);
        }
    if (n == 55) {
        // Single dots, 8 pixels apart, centred in the outline.
        for (int y = 4; y < H - 2; y += 8)
            for (int x = 3; x < W - 2; x += 8)
                img.setPixel(x, y, qRgb(0, 0, 0));
    }
    return img;
}

} // namespace cardgen
