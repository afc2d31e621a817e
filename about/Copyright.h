#pragma once

#include "Controls.h"

#include <QLabel>
#include <QString>

inline const QString kCompanyName = QStringLiteral("Quorvane Software");
inline const QString kCopyrightOpening = QStringLiteral("Copyright \u00A9");
inline constexpr int kCopyrightYear = 2011;

// The notice as the windows are designed with it, for the single year.
QString DesignCopyrightCaption();

// The copyright-year rule: the date picker takes today's date; in any year
// but the first one the label shows the span from the first year to this one
// (a clock set before it gives a span too).
void ApplyCopyrightYear(vb::DTPicker& dtpDate, QLabel& lblCopyright);
