// Checks the embedded picture set: every card number present, the right
// format and size, the transparency and green-corner rules, and the
// small 16-colour images.

#include "CardKinds.h"
#include "CardPictures.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QSet>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace qp = quorvane::pictures;

namespace {

QByteArray resourceBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QImage resourceImage(const QString &path)
{
    QImage img(path);
    return img.isNull() ? img : img.convertToFormat(QImage::Format_ARGB32);
}

quint8 byteAt(const QByteArray &b, int i) { return quint8(b.at(i)); }
int le16(const QByteArray &b, int i) { return byteAt(b, i) | (byteAt(b, i + 1) << 8); }
int le32(const QByteArray &b, int i) { return le16(b, i) | (le16(b, i + 2) << 16); }

// Number of colour components in a JPEG's start-of-frame segment.
int jpegComponents(const QByteArray &b)
{
    int i = 2;
    while (i + 9 < b.size()) {
        if (byteAt(b, i) != 0xFF)
            return -1;
        const int marker = byteAt(b, i + 1);
        const int len = (byteAt(b, i + 2) << 8) | byteAt(b, i + 3);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            return byteAt(b, i + 9);
        i += 2 + len;
    }
    return -1;
}

struct GifInfo {
    int width = 0, height = 0;
    int paletteSize = 0;
    std::vector<QRgb> palette;
    std::optional<int> transparentIndex;
    int transparencyBlocks = 0;
};

// Reads the header, the global palette and the graphic control extensions.
std::optional<GifInfo> parseGif(const QByteArray &b)
{
    if (b.size() < 13 || !b.startsWith("GIF89a"))
        return std::nullopt;
    GifInfo g;
    g.width = le16(b, 6);
    g.height = le16(b, 8);
    const int packed = byteAt(b, 10);
    int i = 13;
    if (packed & 0x80) {
        g.paletteSize = 1 << ((packed & 7) + 1);
        if (b.size() < i + 3 * g.paletteSize)
            return std::nullopt;
        for (int k = 0; k < g.paletteSize; ++k)
            g.palette.push_back(qRgb(byteAt(b, i + 3 * k), byteAt(b, i + 3 * k + 1), byteAt(b, i + 3 * k + 2)));
        i += 3 * g.paletteSize;
    }
    while (i < b.size() && byteAt(b, i) == 0x21) {
        const int label = byteAt(b, i + 1);
        i += 2;
        if (label == 0xF9 && byteAt(b, i) == 4) {
            if (byteAt(b, i + 1) & 1) {
                g.transparentIndex = byteAt(b, i + 4);
                ++g.transparencyBlocks;
            }
        }
        while (i < b.size() && byteAt(b, i) != 0)
            i += byteAt(b, i) + 1;
        ++i;
    }
    return g;
}

bool near(QRgb px, int r, int g, int b, int tolerance)
{
    return std::abs(qRed(px) - r) <= tolerance && std::abs(qGreen(px) - g) <= tolerance &&
           std::abs(qBlue(px) - b) <= tolerance;
}

bool isRedInk(QRgb px) { return qRed(px) > 150 && qGreen(px) < 110 && qBlue(px) < 110; }
bool isDarkInk(QRgb px) { return qRed(px) < 90 && qGreen(px) < 90 && qBlue(px) < 90; }

std::vector<int> allCards()
{
    std::vector<int> v;
    for (int n = 1; n <= qp::kCardCount; ++n)
        v.push_back(n);
    return v;
}
std::vector<int> fullCards()
{
    std::vector<int> v;
    for (int n : allCards())
        if (!qp::isGifCard(n))
            v.push_back(n);
    return v;
}
std::vector<int> gifCards()
{
    std::vector<int> v;
    for (int n : allCards())
        if (qp::isGifCard(n))
            v.push_back(n);
    return v;
}

std::string cardName(const testing::TestParamInfo<int> &info) { return "card" + std::to_string(info.param); }

} // namespace

// ---- resource paths --------------------------------------------------------

TEST(PicturePaths, CardNumbersMapToTheirKind)
{
    EXPECT_EQ(qp::cardResourcePath(1), QStringLiteral(":/cards/card-01.jpg"));
    EXPECT_EQ(qp::cardResourcePath(55), QStringLiteral(":/cards/card-55.gif"));
    EXPECT_EQ(qp::cardResourcePath(58), QStringLiteral(":/cards/card-58.jpg"));
    EXPECT_EQ(qp::cardResourcePath(60), QStringLiteral(":/cards/card-60.jpg"));
    EXPECT_EQ(qp::cardResourcePath(68), QStringLiteral(":/cards/card-68.gif"));
    for (int bad : {0, -1, 69, 40000})
        EXPECT_TRUE(qp::cardResourcePath(bad).isEmpty()) << bad;
    EXPECT_TRUE(qp::toolbarResourcePath(0).isEmpty());
    EXPECT_TRUE(qp::toolbarResourcePath(6).isEmpty());
}

TEST(PicturePaths, FullCardsAreExactlyTheOnesTheBoardShows)
{
    // The board shows 1..54 and the back 60 at 61 x 89; 58 is the other full card.
    std::vector<int> expected;
    for (int n = 1; n <= 54; ++n)
        expected.push_back(n);
    expected.push_back(58);
    expected.push_back(60);
    EXPECT_EQ(fullCards(), expected);
}

// ---- every card ---------------------------------------------------------------

class EveryCard : public testing::TestWithParam<int> {};

TEST_P(EveryCard, IsEmbeddedInTheFormatOfItsKind)
{
    const int n = GetParam();
    const QByteArray bytes = resourceBytes(qp::cardResourcePath(n));
    ASSERT_FALSE(bytes.isEmpty()) << qp::cardResourcePath(n).toStdString();
    QBuffer buf;
    buf.setData(bytes);
    QImageReader reader(&buf);
    if (qp::isGifCard(n)) {
        EXPECT_TRUE(bytes.startsWith("GIF89a"));
        EXPECT_EQ(reader.format(), "gif");
        EXPECT_EQ(reader.size(), QSize(qp::kGifWidth, qp::kGifHeight));
    } else {
        EXPECT_TRUE(bytes.startsWith("\xFF\xD8\xFF"));
        EXPECT_EQ(reader.format(), "jpeg");
        EXPECT_EQ(reader.size(), QSize(qp::kFullWidth, qp::kFullHeight));
    }
}

INSTANTIATE_TEST_SUITE_P(Pictures, EveryCard, testing::ValuesIn(allCards()), cardName);

TEST(CardSet, NoTwoCardsShareAPicture)
{
    QSet<QByteArray> seen;
    for (int n : allCards()) {
        const QByteArray hash =
            QCryptographicHash::hash(resourceBytes(qp::cardResourcePath(n)), QCryptographicHash::Sha1);
        EXPECT_FALSE(seen.contains(hash)) << "card " << n << " repeats an earlier picture";
        seen.insert(hash);
    }
}

// ---- full cards (JPEG) --------------------------------------------------------

class FullCard : public testing::TestWithParam<int> {};

TEST_P(FullCard, IsTwentyFourBitColour)
{
    EXPECT_EQ(jpegComponents(resourceBytes(qp::cardResourcePath(GetParam()))), 3);
}

TEST_P(FullCard, CornersShowTheBoardGreen)
{
    const QImage img = resourceImage(qp::cardResourcePath(GetParam()));
    ASSERT_FALSE(img.isNull());
    const int r = img.width() - 1, b = img.height() - 1;
    for (QPoint c : {QPoint(0, 0), QPoint(r, 0), QPoint(0, b), QPoint(r, b)}) {
        const QRgb px = img.pixel(c);
        EXPECT_TRUE(near(px, 0, 128, 0, 24))
            << "corner " << c.x() << "," << c.y() << " is " << qRed(px) << "," << qGreen(px) << "," << qBlue(px);
    }
}

TEST_P(FullCard, EdgeMatchesItsOutlineRule)
{
    const int n = GetParam();
    const QImage img = resourceImage(qp::cardResourcePath(n));
    ASSERT_FALSE(img.isNull());
    const int mx = img.width() / 2, my = img.height() / 2;
    const QPoint edges[4] = {{mx, 0}, {mx, img.height() - 1}, {0, my}, {img.width() - 1, my}};
    for (QPoint e : edges) {
        const QRgb px = img.pixel(e);
        if (n == 60) {
            // The back's red pattern runs to the edge: each side, away from
            // the corners, is mostly red.
            const bool horizontal = e.y() == 0 || e.y() == img.height() - 1;
            const int len = horizontal ? img.width() : img.height();
            int red = 0;
            for (int k = 5; k < len - 5; ++k) {
                const QRgb q = horizontal ? img.pixel(k, e.y()) : img.pixel(e.x(), k);
                red += qRed(q) > qGreen(q) + 60;
            }
            EXPECT_GT(red, (len - 10) * 2 / 3) << "side through " << e.x() << "," << e.y();
        } else if (n == 58) {
            EXPECT_TRUE(qGreen(px) > qRed(px) + 30 && qGreen(px) > qBlue(px) + 30 && qGreen(px) < 120)
                << "dark green outline at " << e.x() << "," << e.y();
        } else {
            EXPECT_TRUE(isDarkInk(px) || near(px, 80, 80, 80, 40)) << "grey outline at " << e.x() << "," << e.y();
            EXPECT_LT(std::abs(qRed(px) - qGreen(px)) + std::abs(qGreen(px) - qBlue(px)), 40);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Pictures, FullCard, testing::ValuesIn(fullCards()), cardName);

// ---- playing cards ---------------------------------------------------------

namespace {
struct InkCount {
    int red = 0, dark = 0;
};
InkCount inkIn(const QImage &img, const QRect &r)
{
    InkCount c;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb px = img.pixel(x, y);
            c.red += isRedInk(px);
            c.dark += isDarkInk(px);
        }
    return c;
}

// Separate blobs of suit-coloured ink in the pip area of a number card.
int countPips(const QImage &img, bool red)
{
    const QRect area(13, 6, 36, 78);
    std::vector<int> seen(size_t(area.width() * area.height()), 0);
    auto ink = [&](int x, int y) {
        const QRgb px = img.pixel(x, y);
        return red ? isRedInk(px) : isDarkInk(px);
    };
    int blobs = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const size_t i = size_t((y - area.top()) * area.width() + (x - area.left()));
            if (seen[i] || !ink(x, y))
                continue;
            ++blobs;
            std::vector<QPoint> stack{{x, y}};
            seen[i] = 1;
            while (!stack.empty()) {
                const QPoint p = stack.back();
                stack.pop_back();
                for (QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
                    const QPoint q = p + d;
                    if (!area.contains(q))
                        continue;
                    const size_t j = size_t((q.y() - area.top()) * area.width() + (q.x() - area.left()));
                    if (!seen[j] && ink(q.x(), q.y())) {
                        seen[j] = 1;
                        stack.push_back(q);
                    }
                }
            }
        }
    return blobs;
}
} // namespace

class PlayingCard : public testing::TestWithParam<int> {};

TEST_P(PlayingCard, IndexInBothCornersInTheSuitColour)
{
    const int n = GetParam();
    const bool red = (n >= 14 && n <= 26) || n >= 40;
    const QImage img = resourceImage(qp::cardResourcePath(n));
    ASSERT_FALSE(img.isNull());
    const QRect topLeft(1, 2, 11, 20);
    const QRect bottomRight(img.width() - 12, img.height() - 22, 11, 20);
    for (const QRect &r : {topLeft, bottomRight}) {
        const InkCount c = inkIn(img, r);
        if (red) {
            EXPECT_GT(c.red, 25) << "red index expected near " << r.x() << "," << r.y();
            EXPECT_LT(c.dark, 5);
        } else {
            EXPECT_GT(c.dark, 25) << "black index expected near " << r.x() << "," << r.y();
            EXPECT_LT(c.red, 5);
        }
    }
    // The bottom index is the top one turned round: about the same ink.
    const InkCount a = inkIn(img, topLeft), b = inkIn(img, bottomRight);
    const int inkA = red ? a.red : a.dark, inkB = red ? b.red : b.dark;
    EXPECT_NEAR(inkA, inkB, std::max(6, inkA / 5));
}

INSTANTIATE_TEST_SUITE_P(Pictures, PlayingCard, testing::Range(1, 53), cardName);

TEST(NumberCards, CarryAsManyPipsAsTheirRank)
{
    for (int suit = 0; suit < 4; ++suit) {
        const bool red = suit == 1 || suit == 3;
        for (int rank = 1; rank <= 10; ++rank) {
            const int n = suit * 13 + rank;
            if (n == 1)
                continue; // the decorated ace of spades
            const QImage img = resourceImage(qp::cardResourcePath(n));
            ASSERT_FALSE(img.isNull());
            EXPECT_EQ(countPips(img, red), rank) << "card " << n;
        }
    }
}

TEST(Jokers, WordAndIndicesRedOnFiftyThreeBlackOnFiftyFour)
{
    const QImage redJoker = resourceImage(qp::cardResourcePath(53));
    const QImage blackJoker = resourceImage(qp::cardResourcePath(54));
    ASSERT_FALSE(redJoker.isNull());
    ASSERT_FALSE(blackJoker.isNull());
    const QRect word(14, 70, 33, 11), index(1, 2, 10, 28);
    EXPECT_GT(inkIn(redJoker, word).red, 20);
    EXPECT_LT(inkIn(redJoker, word).dark, 5);
    EXPECT_GT(inkIn(blackJoker, word).dark, 20);
    EXPECT_LT(inkIn(blackJoker, word).red, 5);
    EXPECT_GT(inkIn(redJoker, index).red, 20);
    EXPECT_GT(inkIn(blackJoker, index).dark, 20);
}

// ---- overlays and patterned backs (GIF) ---------------------------------------

class GifCard : public testing::TestWithParam<int> {};

TEST_P(GifCard, HasAFullPaletteWithTheRightTransparentColour)
{
    const int n = GetParam();
    const auto gif = parseGif(resourceBytes(qp::cardResourcePath(n)));
    ASSERT_TRUE(gif.has_value());
    EXPECT_EQ(gif->width, qp::kGifWidth);
    EXPECT_EQ(gif->height, qp::kGifHeight);
    EXPECT_EQ(gif->paletteSize, 256);
    ASSERT_TRUE(gif->transparentIndex.has_value());
    EXPECT_EQ(gif->transparencyBlocks, 1);
    const QRgb key = gif->palette.at(size_t(*gif->transparentIndex)) & 0xffffff;
    const QRgb expected = qp::hasDarkGreenKey(n) ? qRgb(0, 123, 0) : qRgb(255, 0, 255);
    EXPECT_EQ(key, expected & 0xffffff);
}

TEST_P(GifCard, IsTransparentOutsideTheRoundedCorners)
{
    const QImage img = resourceImage(qp::cardResourcePath(GetParam()));
    ASSERT_FALSE(img.isNull());
    const int r = img.width() - 1, b = img.height() - 1;
    for (QPoint c : {QPoint(0, 0), QPoint(r, 0), QPoint(0, b), QPoint(r, b), QPoint(1, 0), QPoint(0, 1)})
        EXPECT_EQ(qAlpha(img.pixel(c)), 0) << c.x() << "," << c.y();
    // The edge midpoints belong to the card.
    for (QPoint e : {QPoint(r / 2, 0), QPoint(r / 2, b), QPoint(0, b / 2), QPoint(r, b / 2)})
        EXPECT_EQ(qAlpha(img.pixel(e)), 255) << e.x() << "," << e.y();
}

INSTANTIATE_TEST_SUITE_P(Pictures, GifCard, testing::ValuesIn(gifCards()), cardName);

TEST(Overlays, GroundInsideTheOutlineIsTransparent)
{
    for (int n : {55, 56, 57}) {
        const QImage img = resourceImage(qp::cardResourcePath(n));
        ASSERT_FALSE(img.isNull());
        int clear = 0, total = 0;
        for (int y = 3; y < img.height() - 3; ++y)
            for (int x = 3; x < img.width() - 3; ++x) {
                ++total;
                clear += qAlpha(img.pixel(x, y)) == 0;
            }
        EXPECT_GT(clear, total * 6 / 10) << "card " << n;
        for (QPoint g : {QPoint(6, 48), QPoint(35, 8), QPoint(64, 48), QPoint(35, 90)})
            EXPECT_EQ(qAlpha(img.pixel(g)), 0) << "card " << n << " at " << g.x() << "," << g.y();
    }
}

TEST(Overlays, EmptySlotDotsAreSingleBlackPixelsEightApart)
{
    const QImage img = resourceImage(qp::cardResourcePath(55));
    ASSERT_FALSE(img.isNull());
    std::vector<QPoint> dots;
    for (int y = 2; y < img.height() - 2; ++y)
        for (int x = 2; x < img.width() - 2; ++x)
            if (qAlpha(img.pixel(x, y)) == 255) {
                EXPECT_TRUE(isDarkInk(img.pixel(x, y)));
                dots.push_back({x, y});
            }
    ASSERT_GE(dots.size(), 50u);
    for (QPoint d : dots) {
        EXPECT_EQ((d.x() - dots.front().x()) % 8, 0) << d.x() << "," << d.y();
        EXPECT_EQ((d.y() - dots.front().y()) % 8, 0) << d.x() << "," << d.y();
    }
}

TEST(Overlays, MarksHaveTheirColours)
{
    const QImage x = resourceImage(qp::cardResourcePath(56));
    const QImage o = resourceImage(qp::cardResourcePath(57));
    ASSERT_FALSE(x.isNull());
    ASSERT_FALSE(o.isNull());
    EXPECT_TRUE(isRedInk(x.pixel(35, 48))) << "the X crosses in the middle";
    const QRgb ring = o.pixel(35, 48 - 28);
    EXPECT_GT(qGreen(ring), qRed(ring) + 60);
    EXPECT_EQ(qAlpha(o.pixel(35, 48)), 0) << "the O is a ring";
}

TEST(PatternedBacks, AreOpaqueInside)
{
    for (int n : {59, 61, 62, 63, 64, 65, 66, 67, 68}) {
        const QImage img = resourceImage(qp::cardResourcePath(n));
        ASSERT_FALSE(img.isNull());
        int holes = 0;
        for (int y = 3; y < img.height() - 3; ++y)
            for (int x = 3; x < img.width() - 3; ++x)
                holes += qAlpha(img.pixel(x, y)) != 255;
        EXPECT_EQ(holes, 0) << "card " << n;
    }
}

// ---- bitmaps, icon, logo ---------------------------------------------------

namespace {
void expectSixteenColourBmp(const QString &path, QSize size, bool silverGround)
{
    SCOPED_TRACE(path.toStdString());
    const QByteArray b = resourceBytes(path);
    ASSERT_GE(b.size(), 54);
    EXPECT_TRUE(b.startsWith("BM"));
    EXPECT_EQ(le32(b, 18), size.width());
    EXPECT_EQ(std::abs(le32(b, 22)), size.height());
    EXPECT_EQ(le16(b, 28), 4) << "bits per pixel";
    const QImage img = resourceImage(path);
    ASSERT_EQ(img.size(), size);
    QImage raw(path);
    EXPECT_FALSE(raw.hasAlphaChannel());
    QSet<QRgb> colours;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            colours.insert(img.pixel(x, y));
    EXPECT_LE(colours.size(), 16);
    EXPECT_GE(colours.size(), 3) << "a picture, not a blank";
    if (silverGround) {
        EXPECT_EQ(img.pixel(0, 0) & 0xffffff, qRgb(192, 192, 192) & 0xffffff);
    }
}
} // namespace

TEST(SmallBitmaps, DeckFaceIsThirtyTwoByThirtyNineInSixteenColours)
{
    expectSixteenColourBmp(qp::deckFaceResourcePath(), QSize(32, 39), false);
}

TEST(SmallBitmaps, ToolbarImagesAreSixteenColoursOnLightGrey)
{
    QSet<QByteArray> seen;
    for (int i = 1; i <= 5; ++i) {
        expectSixteenColourBmp(qp::toolbarResourcePath(i), QSize(16, 16), true);
        seen.insert(resourceBytes(qp::toolbarResourcePath(i)));
    }
    EXPECT_EQ(seen.size(), 5);
}

TEST(ProgramPictures, IconIsSixtyFourSquareTrueColourPng)
{
    const QByteArray b = resourceBytes(qp::iconResourcePath());
    ASSERT_GE(b.size(), 33);
    EXPECT_TRUE(b.startsWith("\x89PNG\r\n\x1a\n"));
    EXPECT_EQ(byteAt(b, 24), 8) << "bit depth";
    EXPECT_EQ(byteAt(b, 25), 2) << "colour type RGB";
    EXPECT_EQ(QImage(qp::iconResourcePath()).size(), QSize(64, 64));
}

TEST(ProgramPictures, LogoIsAColourJpegOnGreen)
{
    const QByteArray b = resourceBytes(qp::logoResourcePath());
    EXPECT_TRUE(b.startsWith("\xFF\xD8\xFF"));
    EXPECT_EQ(jpegComponents(b), 3);
    const QImage img = resourceImage(qp::logoResourcePath());
    ASSERT_EQ(img.size(), QSize(286, 333));
    for (QPoint c : {QPoint(2, 2), QPoint(283, 2), QPoint(2, 330), QPoint(283, 330)}) {
        const QRgb px = img.pixel(c);
        EXPECT_GT(qGreen(px), qRed(px) + 40) << c.x() << "," << c.y();
    }
}
