#pragma once

#include <QString>

// The maker's web site, opened from both windows' Help menus and shown in
// the game window's status bar.
inline const QString kMakerWebAddress = QStringLiteral("https://www.quorvane-software.example/");

// Opens a web address with the desktop's default action; the result is
// ignored and nothing is reported.
void HyperJump(QString URL);
