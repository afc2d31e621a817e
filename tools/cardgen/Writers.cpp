#include "Writers.h"

#include <QFile>
#include <QImageWriter>

#include <gif_lib.h>

#include <cstdio>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <array>
#include <map>

namespace cardgen {

bool writeJpeg(const QImage &source, const QString &path, int quality)
{
    // libjpeg directly rather than Qt's writer: Qt always halves the colour
    // resolution (4:2:0), which smears red pips and indices on a 61-pixel card.
    const QImage image = source.convertToFormat(QImage::Format_RGB888);
    FILE *out = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!out)
        return false;
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = JDIMENSION(image.width());
    cinfo.image_height = JDIMENSION(image.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    for (int c = 0; c < cinfo.num_components; ++c) {
        cinfo.comp_info[c].h_samp_factor = 1;
        cinfo.comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(out) == 0;
}

bool writePng24(const QImage &image, const QString &path)
{
    QImageWriter w(path, "png");
    return w.write(image.convertToFormat(QImage::Format_RGB888));
}

namespace {

struct ColourCount {
    QRgb rgb;
    quint32 count;
};

struct Box {
    std::vector<ColourCount> colours;
    int channelRange(int ch) const
    {
        int lo = 255, hi = 0;
        for (const auto &c : colours) {
            const int v = ch == 0 ? qRed(c.rgb) : ch == 1 ? qGreen(c.rgb) : qBlue(c.rgb);
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        return hi - lo;
    }
    quint64 weight() const
    {
        quint64 w = 0;
        for (const auto &c : colours)
            w += c.count;
        return w;
    }
};

int channel(QRgb c, int ch) { return ch == 0 ? qRed(c) : ch == 1 ? qGreen(c) : qBlue(c); }

int distance2(QRgb a, QRgb b)
{
    const int dr = qRed(a) - qRed(b), dg = qGreen(a) - qGreen(b), db = qBlue(a) - qBlue(b);
    // Weighted towards green, the channel the eye is most sensitive to.
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

int nearest(const QVector<QRgb> &palette, QRgb c, int skip = -1)
{
    int best = 0, bestD = INT_MAX;
    for (int i = 0; i < palette.size(); ++i) {
        if (i == skip)
            continue;
        const int d = distance2(palette[i], c);
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

bool opaque(QRgb px) { return qAlpha(px) >= 128; }

} // namespace

QVector<QRgb> medianCut(const QImage &image, int maxColours)
{
    std::map<QRgb, quint32> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb px = image.pixel(x, y);
            if (opaque(px))
                ++counts[px | 0xff000000u];
        }
    Box all;
    for (const auto &[rgb, n] : counts)
        all.colours.push_back({rgb, n});
    if (all.colours.empty())
        return {};

    std::vector<Box> boxes{all};
    while (int(boxes.size()) < maxColours) {
        // Split the box whose widest channel, weighted by pixel count, is largest.
        int pick = -1;
        double pickScore = 0;
        int pickCh = 0;
        for (int i = 0; i < int(boxes.size()); ++i) {
            if (boxes[i].colours.size() < 2)
                continue;
            for (int ch = 0; ch < 3; ++ch) {
                const double score = double(boxes[i].channelRange(ch)) * std::sqrt(double(boxes[i].weight()));
                if (score > pickScore) {
                    pickScore = score;
                    pick = i;
                    pickCh = ch;
                }
            }
        }
        if (pick < 0)
            break;
        Box &b = boxes[pick];
        std::sort(b.colours.begin(), b.colours.end(), [pickCh](const ColourCount &l, const ColourCount &r) {
            return channel(l.rgb, pickCh) < channel(r.rgb, pickCh);
        });
        const quint64 half = b.weight() / 2;
        quint64 acc = 0;
        size_t cut = 1;
        for (size_t i = 0; i + 1 < b.colours.size(); ++i) {
            acc += b.colours[i].count;
            cut = i + 1;
            if (acc >= half)
                break;
        }
        Box upper;
        upper.colours.assign(b.colours.begin() + cut, b.colours.end());
        b.colours.resize(cut);
        boxes.push_back(std::move(upper));
    }

    QVector<QRgb> palette;
    for (const Box &b : boxes) {
        double r = 0, g = 0, bl = 0, w = 0;
        for (const auto &c : b.colours) {
            r += qRed(c.rgb) * double(c.count);
            g += qGreen(c.rgb) * double(c.count);
            bl += qBlue(c.rgb) * double(c.count);
            w += c.count;
        }
        palette.push_back(qRgb(int(r / w + 0.5), int(g / w + 0.5), int(bl / w + 0.5)));
    }
    return palette;
}

bool writeGif(const QImage &source, const QString &path, const QColor &key)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const QRgb keyRgb = key.rgb();
    QVector<QRgb> palette = medianCut(image, 255);
    // A drawn colour equal to the key would turn transparent: nudge it.
    for (QRgb &c : palette)
        if ((c & 0xffffff) == (keyRgb & 0xffffff))
            c = qRgb(qRed(c), qGreen(c) ^ 1, qBlue(c));
    const int keyIndex = 0;
    palette.prepend(keyRgb);
    while (palette.size() < 256)
        palette.append(qRgb(0, 0, 0));

    std::array<GifColorType, 256> colours{};
    for (int i = 0; i < 256; ++i)
        colours[i] = {GifByteType(qRed(palette[i])), GifByteType(qGreen(palette[i])),
                      GifByteType(qBlue(palette[i]))};

    int err = 0;
    GifFileType *gif = EGifOpenFileName(QFile::encodeName(path).constData(), false, &err);
    if (!gif)
        return false;
    EGifSetGifVersion(gif, true);
    ColorMapObject *map = GifMakeMapObject(256, colours.data());
    bool ok = EGifPutScreenDesc(gif, image.width(), image.height(), 8, keyIndex, map) == GIF_OK;

    GraphicsControlBlock gcb{};
    gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
    gcb.UserInputFlag = false;
    gcb.DelayTime = 0;
    gcb.TransparentColor = keyIndex;
    GifByteType ext[4];
    const size_t len = EGifGCBToExtension(&gcb, ext);
    ok = ok && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(len), ext) == GIF_OK;
    ok = ok && EGifPutImageDesc(gif, 0, 0, image.width(), image.height(), false, nullptr) == GIF_OK;

    // Palette lookups repeat a lot; remember them per colour.
    std::map<QRgb, int> cache;
    std::vector<GifPixelType> line(size_t(image.width()));
    for (int y = 0; ok && y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb px = image.pixel(x, y);
            if (!opaque(px)) {
                line[size_t(x)] = GifPixelType(keyIndex);
                continue;
            }
            const QRgb c = px | 0xff000000u;
            auto it = cache.find(c);
            if (it == cache.end())
                it = cache.emplace(c, nearest(palette, c, keyIndex)).first;
            line[size_t(x)] = GifPixelType(it->second);
        }
        ok = EGifPutLine(gif, line.data(), image.width()) == GIF_OK;
    }
    GifFreeMapObject(map);
    if (EGifCloseFile(gif, &err) != GIF_OK)
        ok = false;
    return ok;
}

const QVector<QRgb> &vgaPalette()
{
    static const QVector<QRgb> p = {
        qRgb(0, 0, 0),       qRgb(128, 0, 0),     qRgb(0, 128, 0),   qRgb(128, 128, 0),
        qRgb(0, 0, 128),     qRgb(128, 0, 128),   qRgb(0, 128, 128), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(255, 0, 0),     qRgb(0, 255, 0),   qRgb(255, 255, 0),
        qRgb(0, 0, 255),     qRgb(255, 0, 255),   qRgb(0, 255, 255), qRgb(255, 255, 255),
    };
    return p;
}

namespace {
void put16(QByteArray &b, quint16 v)
{
    b.append(char(v & 0xff));
    b.append(char(v >> 8));
}
void put32(QByteArray &b, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xff));
}
} // namespace

bool writeBmp4(const QImage &source, const QString &path, const QVector<QRgb> &palette)
{
    if (palette.size() != 16)
        return false;
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const int w = image.width(), h = image.height();
    const int rowBytes = ((w + 1) / 2 + 3) & ~3;
    const quint32 dataOffset = 14 + 40 + 16 * 4;
    const quint32 dataSize = quint32(rowBytes * h);

    QByteArray b;
    b.append("BM", 2);
    put32(b, dataOffset + dataSize);
    put32(b, 0);
    put32(b, dataOffset);
    put32(b, 40);
    put32(b, quint32(w));
    put32(b, quint32(h)); // positive: rows stored bottom-up
    put16(b, 1);
    put16(b, 4);
    put32(b, 0); // BI_RGB
    put32(b, dataSize);
    put32(b, 2835);
    put32(b, 2835);
    put32(b, 16);
    put32(b, 0);
    for (QRgb c : palette) {
        b.append(char(qBlue(c)));
        b.append(char(qGreen(c)));
        b.append(char(qRed(c)));
        b.append(char(0));
    }
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(rowBytes, '\0');
        for (int x = 0; x < w; ++x) {
            const int idx = nearest(palette, image.pixel(x, y));
            if (x % 2 == 0)
                row[x / 2] = char(idx << 4);
            else
                row[x / 2] = char(row[x / 2] | idx);
        }
        b.append(row);
    }
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(b) == b.size();
}

} // namespace cardgen
