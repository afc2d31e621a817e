// Resource paths of the pictures that the build embeds.
#pragma once

#include <QString>

namespace quorvane::pictures {

// ":/cards/card-NN.jpg" or ".gif" for card numbers 1..68; empty otherwise.
QString cardResourcePath(int cardNumber);

QString deckFaceResourcePath();          // 32 x 39, 16 colours
QString iconResourcePath();              // window icon, 64 x 64
QString logoResourcePath();              // splash logo, 286 x 333
QString toolbarResourcePath(int index);  // 1..5; empty otherwise

} // namespace quorvane::pictures
