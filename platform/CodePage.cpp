#include "CodePage.h"

#include <QStringDecoder>

namespace vb {

QByteArray ToAnsi(const QString& text)
{
    return text.toUtf8();
}

QString FromAnsi(const QByteArray& bytes)
{
    QString text;
    if (DecodeUtf8Exactly(bytes, &text))
        return text;
    return FromWindows1252(bytes);
}

bool DecodeUtf8Exactly(const QByteArray& bytes, QString* text)
{
    // A leading U+FEFF is part of the text here (a name may begin with it),
    // not a byte-order mark for the decoder to drop: a file's own mark is
    // the file reader's business.
    QStringDecoder utf8(QStringConverter::Utf8,
                        QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString decoded = utf8(bytes);
    // The round trip makes sure that nothing was dropped or replaced.
    if (utf8.hasError() || decoded.toUtf8() != bytes)
        return false;
    *text = std::move(decoded);
    return true;
}

QString FromWindows1252(const QByteArray& bytes)
{
    static const char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        text[i] = QChar(b >= 0x80 && b < 0xA0 ? high[b - 0x80] : char16_t(b));
    }
    return text;
}

}  // namespace vb
