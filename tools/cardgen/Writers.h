// File writers for the three formats the program embeds.
#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QVector>

namespace cardgen {

// 24-bit JPEG; alpha, if any, is dropped.
bool writeJpeg(const QImage &image, const QString &path, int quality = 95);

// 24-bit PNG without alpha.
bool writePng24(const QImage &image, const QString &path);

// GIF89a with a 256-entry palette in which `key` is the one transparent
// entry. Pixels with less than half coverage become transparent; the rest
// are reduced to at most 255 colours by median cut.
bool writeGif(const QImage &image, const QString &path, const QColor &key);

// The sixteen colours of the classic VGA palette.
const QVector<QRgb> &vgaPalette();

// 4-bit BMP using the given 16-colour palette; every pixel is mapped to its
// nearest palette entry.
bool writeBmp4(const QImage &image, const QString &path, const QVector<QRgb> &palette);

// Colour reduction used by writeGif, exposed for testing and reuse:
// returns at most maxColours representative colours of the opaque pixels.
QVector<QRgb> medianCut(const QImage &image, int maxColours);

} // namespace cardgen
