#include "Picture.h"

#include <QHash>

namespace vb {

StdPicture LoadResPicture(const QString& path)
{
    static QHash<QString, StdPicture> cache;
    auto it = cache.constFind(path);
    if (it != cache.constEnd())
        return *it;
    QPixmap pixmap(path);
    StdPicture picture = pixmap.isNull() ? nullptr : std::make_shared<const PictureData>(pixmap);
    cache.insert(path, picture);
    return picture;
}

}  // namespace vb
