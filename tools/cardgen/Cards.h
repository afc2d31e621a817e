// Entry points of the individual drawings.
#pragma once

#include "Render.h"

#include <QImage>
#include <QString>

namespace cardgen {

// Full cards, 61 x 89 on the board green.
QImage drawPlayingCard(int cardNumber); // 1..52
QImage drawJoker(bool red);             // 53 red, 54 black
QImage drawPlainGreenCard();            // 58
QImage drawGameBack();                  // 60

// Shared by the full cards: white rounded card with its outline on green,
// and the corner index (rank over suit) with its upside-down twin.
void paintCardBlank(QPainter &p, const QColor &fill, const QColor &outline);
void paintIndex(QPainter &p, const QString &rank, Suit suit);
// Court figures inside their frame (rank 11, 12, 13).
void paintCourt(QPainter &p, Suit suit, int rank);

// 71 x 96 pictures with alpha; written as GIF.
QImage drawOverlay(int cardNumber);      // 55, 56, 57
QImage drawPatternedBack(int cardNumber); // 59, 61..68

// Other pictures of the program.
QImage drawDeckFace();          // 32 x 39
QImage drawIcon();              // 64 x 64
QImage drawLogo();              // 286 x 333
QImage drawToolbar(int index);  // 1..5, 16 x 16

// Every picture in dir on the board green, with numbers; returns success.
bool writeContactSheet(const QString &outFile, const QString &dir);

} // namespace cardgen
