// cardgen: draws the game's pictures.
//
//   cardgen OUTDIR                       write every picture into OUTDIR
//   cardgen --contact-sheet OUT.png DIR  render DIR's pictures on one sheet

#include "CardKinds.h"
#include "Cards.h"
#include "Writers.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

using namespace cardgen;
namespace qp = quorvane::pictures;

static bool writeAll(const QString &dirPath)
{
    QDir dir(dirPath);
    if (!dir.mkpath(QStringLiteral(".")))
        return false;
    bool ok = true;
    auto check = [&ok](bool written, const QString &name) {
        if (!written) {
            QTextStream(stderr) << "cardgen: cannot write " << name << '\n';
            ok = false;
        }
    };

    for (int n = 1; n <= qp::kCardCount; ++n) {
        const QString base = QStringLiteral("card-%1").arg(n, 2, 10, QLatin1Char('0'));
        if (qp::isGifCard(n)) {
            const QImage img = n <= 57 ? drawOverlay(n) : drawPatternedBack(n);
            const QColor key = qp::hasDarkGreenKey(n) ? QColor(0, 123, 0) : QColor(255, 0, 255);
            const QString path = dir.filePath(base + QStringLiteral(".gif"));
            check(writeGif(img, path, key), path);
        } else {
            QImage img;
            if (n <= 52)
                img = drawPlayingCard(n);
            else if (n == 53 || n == 54)
                img = drawJoker(n == 53);
            else if (n == 58)
                img = drawPlainGreenCard();
            else
                img = drawGameBack();
            const QString path = dir.filePath(base + QStringLiteral(".jpg"));
            check(writeJpeg(img, path), path);
        }
    }
    check(writeBmp4(drawDeckFace(), dir.filePath(QStringLiteral("deck-face.bmp")), vgaPalette()),
          QStringLiteral("deck-face.bmp"));
    check(writePng24(drawIcon(), dir.filePath(QStringLiteral("icon.png"))), QStringLiteral("icon.png"));
    check(writeJpeg(drawLogo(), dir.filePath(QStringLiteral("logo.jpg"))), QStringLiteral("logo.jpg"));
    for (int i = 1; i <= 5; ++i) {
        const QString name = QStringLiteral("toolbar-%1.bmp").arg(i);
        check(writeBmp4(drawToolbar(i), dir.filePath(name), vgaPalette()), name);
    }
    return ok;
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();

    if (args.size() == 4 && args[1] == QLatin1String("--contact-sheet"))
        return writeContactSheet(args[2], args[3]) ? 0 : 1;
    if (args.size() == 2 && !args[1].startsWith(QLatin1Char('-')))
        return writeAll(args[1]) ? 0 : 1;

    QTextStream(stderr) << "usage: cardgen OUTDIR\n"
                           "       cardgen --contact-sheet OUT.png PICTUREDIR\n";
    return 2;
}
