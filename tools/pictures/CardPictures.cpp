#include "CardPictures.h"

#include "CardKinds.h"

namespace quorvane::pictures {

QString cardResourcePath(int cardNumber)
{
    if (!isValidCard(cardNumber))
        return {};
    return QStringLiteral(":/cards/card-%1.%2")
        .arg(cardNumber, 2, 10, QLatin1Char('0'))
        .arg(isGifCard(cardNumber) ? QStringLiteral("gif") : QStringLiteral("jpg"));
}

QString deckFaceResourcePath() { return QStringLiteral(":/cards/deck-face.bmp"); }
QString iconResourcePath() { return QStringLiteral(":/res/icon.png"); }
QString logoResourcePath() { return QStringLiteral(":/res/logo.jpg"); }

QString toolbarResourcePath(int index)
{
    if (index < 1 || index > 5)
        return {};
    return QStringLiteral(":/res/toolbar-%1.bmp").arg(index);
}

} // namespace quorvane::pictures
