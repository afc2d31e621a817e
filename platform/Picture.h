// Picture objects: shared and immutable. Identity matters: the same card
// yields the same object, and cells that show it share that object.
#pragma once

#include <QMetaType>
#include <QPixmap>
#include <QString>

#include <memory>

namespace vb {

class PictureData {
public:
    explicit PictureData(QPixmap pixmap) : pixmap_(std::move(pixmap)) {}
    const QPixmap& pixmap() const { return pixmap_; }
    QSize size() const { return pixmap_.size(); }

private:
    QPixmap pixmap_;
};

using StdPicture = std::shared_ptr<const PictureData>;
using IPictureDisp = StdPicture;

// The picture stored under a resource path, decoded once per run; null when
// there is no such picture.
StdPicture LoadResPicture(const QString& path);

// 15 twips make one pixel.
constexpr int kTwipsPerPixel = 15;
inline int px(int twips) { return (twips + (twips >= 0 ? 7 : -7)) / kTwipsPerPixel; }

}  // namespace vb

Q_DECLARE_METATYPE(vb::StdPicture)
