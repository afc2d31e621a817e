// A review sheet of every picture on the board green.

#include "CardKinds.h"
#include "Cards.h"

#include <QDir>
#include <QImageReader>

namespace cardgen {

bool writeContactSheet(const QString &outFile, const QString &dirPath)
{
    namespace qp = quorvane::pictures;
    const QDir dir(dirPath);
    const int cols = 10, cellW = 92, cellH = 124;
    const int cardRows = (qp::kCardCount + cols - 1) / cols;
    const int extrasH = 360;
    const QImage logo(dir.filePath(QStringLiteral("logo.jpg")));
    // Bottom row: deck face, icon and toolbar images, then the logo.
    const int sheetW = std::max(cols * cellW, 7 * cellW + logo.width() + 20);
    QImage sheet(sheetW, cardRows * cellH + extrasH, QImage::Format_RGB32);
    sheet.fill(boardGreen());
    QPainter p(&sheet);
    p.setRenderHint(QPainter::Antialiasing);
    QFont label = fontFor(Face::SansBold, 9);
    label.setPixelSize(12);
    p.setFont(label);
    p.setPen(Qt::white);

    bool ok = true;
    auto place = [&](const QString &file, const QRect &cell, const QString &caption, int zoom = 1) {
        QImage img(dir.filePath(file));
        if (img.isNull()) {
            ok = false;
            p.drawText(cell, Qt::AlignCenter, QStringLiteral("missing\n") + file);
            return;
        }
        if (zoom > 1)
            img = img.scaled(img.size() * zoom);
        const QPoint at(cell.center().x() - img.width() / 2, cell.top() + 4 + (100 - img.height()) / 2);
        p.drawImage(at.x(), std::max(cell.top() + 2, at.y()), img);
        p.drawText(QRect(cell.left(), cell.bottom() - 18, cell.width(), 16), Qt::AlignCenter, caption);
    };

    for (int n = 1; n <= qp::kCardCount; ++n) {
        const int i = n - 1;
        const QRect cell((i % cols) * cellW, (i / cols) * cellH, cellW, cellH);
        const QString file = QStringLiteral("card-%1.%2")
                                 .arg(n, 2, 10, QLatin1Char('0'))
                                 .arg(qp::isGifCard(n) ? QStringLiteral("gif") : QStringLiteral("jpg"));
        place(file, cell, QString::number(n));
    }

    const int y0 = cardRows * cellH;
    place(QStringLiteral("deck-face.bmp"), QRect(0, y0, cellW, cellH), QStringLiteral("deck face"));
    place(QStringLiteral("icon.png"), QRect(cellW, y0, cellW, cellH), QStringLiteral("icon"));
    for (int i = 1; i <= 5; ++i)
        place(QStringLiteral("toolbar-%1.bmp").arg(i), QRect((i + 1) * cellW, y0, cellW, cellH),
              QStringLiteral("toolbar %1").arg(i), 3);
    if (logo.isNull())
        ok = false;
    else
        p.drawImage(sheetW - logo.width() - 10, y0 + 10, logo);
    p.end();
    return sheet.save(outFile) && ok;
}

} // namespace cardgen
