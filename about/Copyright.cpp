#include "Copyright.h"

#include "Platform.h"

QString DesignCopyrightCaption()
{
    return QStringLiteral("%1 %2 %3").arg(kCopyrightOpening).arg(kCopyrightYear).arg(kCompanyName);
}

void ApplyCopyrightYear(vb::DTPicker& dtpDate, QLabel& lblCopyright)
{
    dtpDate.Value = vb::Today();
    // Any other year, an earlier one too, gives a span.
    if (dtpDate.Year() != kCopyrightYear) {
        lblCopyright.setText(QStringLiteral("%1 %2 - %3 %4")
                                 .arg(kCopyrightOpening)
                                 .arg(kCopyrightYear)
                                 .arg(dtpDate.Year())
                                 .arg(kCompanyName));
    }
}
