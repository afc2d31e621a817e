#include "Runtime.h"

#include <QLocale>

#include <cmath>

namespace vb {

QString ErrorDescription(int number)
{
    switch (number) {
    case errInvalidCall: return QStringLiteral("Invalid procedure call or argument");
    case errOverflow: return QStringLiteral("Overflow");
    case errSubscript: return QStringLiteral("Subscript out of range");
    case errTypeMismatch: return QStringLiteral("Type mismatch");
    case errCancel: return QStringLiteral("Cancel was selected.");
    default: return QStringLiteral("Application-defined or object-defined error");
    }
}

RuntimeError::RuntimeError(int n, QString d)
    : std::runtime_error(d.toStdString()), number(n), description(std::move(d))
{
}

RuntimeError::RuntimeError(int n) : RuntimeError(n, ErrorDescription(n)) {}

void Raise(int number)
{
    throw RuntimeError(number);
}

namespace {

// Strict numeric grammar: [sign] digits [sep digits] [e [sign] digits],
// at least one digit in the mantissa, blanks allowed around.
bool parseWith(const QString& t, QChar sep, double* out)
{
    int i = 0;
    const int n = t.size();
    QString norm;
    if (i < n && (t[i] == u'+' || t[i] == u'-'))
        norm += t[i++];
    int digits = 0;
    while (i < n && t[i].isDigit() && t[i].unicode() < 128) { norm += t[i++]; ++digits; }
    if (i < n && t[i] == sep) {
        norm += u'.';
        ++i;
        while (i < n && t[i].isDigit() && t[i].unicode() < 128) { norm += t[i++]; ++digits; }
    }
    if (digits == 0)
        return false;
    if (i < n && (t[i] == u'e' || t[i] == u'E')) {
        norm += u'e';
        ++i;
        if (i < n && (t[i] == u'+' || t[i] == u'-'))
            norm += t[i++];
        int exp = 0;
        while (i < n && t[i].isDigit() && t[i].unicode() < 128) { norm += t[i++]; ++exp; }
        if (exp == 0)
            return false;
    }
    if (i != n)
        return false;
    bool ok = false;
    const double v = QLocale::c().toDouble(norm, &ok);
    if (!ok || !std::isfinite(v))
        return false;
    *out = v;
    return true;
}

}  // namespace

bool TextToNumber(const QString& text, double* result)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    double v = 0;
    const QChar localeSep = QLocale::system().decimalPoint().at(0);
    if (parseWith(t, localeSep, &v) || (localeSep != u'.' && parseWith(t, u'.', &v))) {
        if (result)
            *result = v;
        return true;
    }
    return false;
}

bool IsNumeric(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    case QMetaType::QString:
        return TextToNumber(value.toString(), nullptr);
    default:
        return false;
    }
}

double CDbl(const QVariant& value)
{
    if (value.typeId() == QMetaType::QString) {
        double v = 0;
        if (!TextToNumber(value.toString(), &v))
            Raise(errTypeMismatch);
        return v;
    }
    if (!IsNumeric(value))
        Raise(errTypeMismatch);
    return value.toDouble();
}

double RoundHalfEven(double v)
{
    return std::nearbyint(v);  // the default rounding mode is to nearest, ties to even
}

std::int16_t CInt(double v)
{
    const double r = RoundHalfEven(v);
    if (!(r >= -32768.0 && r <= 32767.0))
        Raise(errOverflow);
    return static_cast<std::int16_t>(r);
}

std::int32_t CLng(double v)
{
    const double r = RoundHalfEven(v);
    if (!(r >= -2147483648.0 && r <= 2147483647.0))
        Raise(errOverflow);
    return static_cast<std::int32_t>(r);
}

QString CStr(long long v)
{
    return QString::number(v);
}

QString VariantToText(const QVariant& value)
{
    if (value.typeId() == QMetaType::QString)
        return value.toString();
    if (!value.isValid())
        return QString();
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float)
        return QString::number(value.toDouble(), 'g', 15);
    return value.toString();
}

QString Trim(const QString& text)
{
    int b = 0;
    int e = text.size();
    while (b < e && text[b] == u' ') ++b;
    while (e > b && text[e - 1] == u' ') --e;
    return text.mid(b, e - b);
}

}  // namespace vb
