#include "QuorvaneConcentrationModule.h"

#include "CodePage.h"
#include "Runtime.h"

#include <array>
#include <cstdint>

namespace {

// Return code of the registry function that either procedure called last.
vb::Long RegResult = 0;

// Set by a failed write, until the caller resets it.
bool WriteFailed = false;

vb::Long ResultOf(long code)
{
    return vb::Long(static_cast<long long>(code));
}

}  // namespace

namespace {

// The read, telling also whether the value was there to read: found is
// false wherever the result is the empty text for want of a value.
QVariant ReadValue(vb::HKEY RootKey, const QString& KeyPath, const QString& ValueName, bool* found)
{
    *found = false;
    const QByteArray path = vb::ToAnsi(KeyPath);
    const QByteArray name = vb::ToAnsi(ValueName);
    QVariant result = QString();

    vb::HKEY handle = 0;
    RegResult = ResultOf(vb::RegOpenKeyA(RootKey, path.constData(), &handle));
    if (handle == 0)
        return QString();

    // The type and size of the value; a missing value leaves the type at 0.
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    RegResult = ResultOf(vb::RegQueryValueExA(handle, name.constData(), nullptr, &type, nullptr, &size));

    switch (type) {
    case vb::REG_SZ: {
        QByteArray buffer(static_cast<qsizetype>(size), ' ');
        std::uint32_t textType = 0;
        RegResult = ResultOf(vb::RegQueryValueExA(handle, name.constData(), nullptr, &textType,
                                                  reinterpret_cast<std::uint8_t*>(buffer.data()), &size));
        if (RegResult != 0) {
            result = QString();
        } else {
            // The text ends at its first NUL, or fills the buffer when it has
            // none. The position is held wide: a 16-bit one would overflow on
            // a text whose NUL lies past 32,767 bytes (a hand-edited or very
            // long name), which reads as the text before that NUL too. A NUL
            // byte is never part of a longer UTF-8 character, so the search
            // runs on the bytes before they become a text.
            const qsizetype position = buffer.indexOf('\0') + 1;
            result = vb::FromAnsi(position >= 1 ? buffer.left(position - 1) : buffer);
            *found = true;
        }
        break;
    }
    case vb::REG_DWORD: {
        std::array<std::uint8_t, 4> bytes{};
        std::uint32_t dwordSize = 4;
        RegResult = ResultOf(
            vb::RegQueryValueExA(handle, name.constData(), nullptr, &type, bytes.data(), &dwordSize));
        if (RegResult == 0) {
            const std::uint32_t bits = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16)
                | (static_cast<std::uint32_t>(bytes[3]) << 24);
            result = static_cast<qint32>(bits);  // read as signed: 4294967295 is -1
            *found = true;
        } else {
            result = QString();
        }
        break;
    }
    default:
        result = QString();  // missing, or a type the table never holds
        break;
    }

    RegResult = ResultOf(vb::RegCloseKey(handle));
    return result;
}

}  // namespace

QVariant ReadRegistryValue(vb::HKEY RootKey, const QString& KeyPath, const QString& ValueName)
{
    bool found = false;
    return ReadValue(RootKey, KeyPath, ValueName, &found);
}

void WriteRegistryValue(vb::HKEY RootKey, const QString& KeyPath, const QString& ValueName,
                        const QVariant& ValueData)
{
    // The kind comes first. A number is stored as a 32-bit number, rounded;
    // one that does not fit in 32 bits is kept as its text rather than lost.
    // A text becomes a number only when that number reads back as the very
    // text stored: a name such as "007", "2.5" or "+5" must come back at the
    // next start as typed, not as 7, 2 or 5.
    bool asNumber = false;
    std::int32_t number = 0;
    if (ValueData.typeId() == QMetaType::QString) {
        const QString text = vb::Trim(ValueData.toString());
        bool fits = false;
        const int n = text.toInt(&fits, 10);
        if (fits && QString::number(n) == text) {
            asNumber = true;
            number = n;
        }
    } else if (vb::IsNumeric(ValueData)) {
        const double rounded = vb::RoundHalfEven(vb::CDbl(ValueData));
        if (rounded >= -2147483648.0 && rounded <= 2147483647.0) {
            asNumber = true;
            number = static_cast<std::int32_t>(rounded);
        }
    }

    const QByteArray path = vb::ToAnsi(KeyPath);
    const QByteArray name = vb::ToAnsi(ValueName);

    vb::HKEY handle = 0;
    RegResult = ResultOf(vb::RegCreateKeyA(RootKey, path.constData(), &handle));
    if (RegResult != 0)
        WriteFailed = true;

    if (asNumber) {
        const auto bits = static_cast<std::uint32_t>(number);
        const std::array<std::uint8_t, 4> bytes{
            static_cast<std::uint8_t>(bits & 0xFF), static_cast<std::uint8_t>((bits >> 8) & 0xFF),
            static_cast<std::uint8_t>((bits >> 16) & 0xFF), static_cast<std::uint8_t>((bits >> 24) & 0xFF)};
        RegResult = ResultOf(vb::RegSetValueExA(handle, name.constData(), 0, vb::REG_DWORD, bytes.data(), 4));
    } else {
        QByteArray text = vb::ToAnsi(vb::Trim(vb::VariantToText(ValueData)));
        text.append('\0');
        RegResult = ResultOf(vb::RegSetValueExA(handle, name.constData(), 0, vb::REG_SZ,
                                                reinterpret_cast<const std::uint8_t*>(text.constData()),
                                                static_cast<std::uint32_t>(text.size())));
    }
    if (RegResult != 0)
        WriteFailed = true;

    RegResult = ResultOf(vb::RegCloseKey(handle));
}

bool LastRegistryWriteFailed()
{
    return WriteFailed;
}

void ResetRegistryWriteFailure()
{
    WriteFailed = false;
}

QString PlayerValueName(int rank)
{
    return QStringLiteral("Player%1").arg(rank);
}

QString ScoreValueName(int rank)
{
    return QStringLiteral("Score%1").arg(rank);
}

namespace {

// Player1..Player10 for 1..10, then Score1..Score10 for 11..20.
QString TableValueName(int k)
{
    return k <= 10 ? PlayerValueName(k) : ScoreValueName(k - 10);
}

}  // namespace

QStringList ReadHighScoreTable(bool* whole)
{
    QStringList table;
    bool all = true;
    for (int k = 1; k <= 20; ++k) {
        bool found = false;
        table << vb::VariantToText(ReadValue(vb::HKEY_LOCAL_MACHINE, kHighScoreKey, TableValueName(k), &found));
        all = all && found;
    }
    if (whole)
        *whole = all;
    return table;
}

void WriteHighScoreTable(const QVariantList& values)
{
    for (int k = 1; k <= 20; ++k)
        WriteRegistryValue(vb::HKEY_LOCAL_MACHINE, kHighScoreKey, TableValueName(k), values.value(k - 1));
}
