// Seeding the high-score key with values of any type and reading them back.
#pragma once

#include "QuorvaneConcentrationModule.h"
#include "Registry.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace store {

inline QByteArray Text(const char* text) { return QByteArray(text, static_cast<int>(qstrlen(text)) + 1); }

inline QByteArray Number(std::uint32_t v)
{
    const char bytes[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
    return QByteArray(bytes, 4);
}

inline void Put(const QString& name, std::uint32_t type, const QByteArray& data)
{
    vb::HKEY key = 0;
    vb::RegCreateKeyA(vb::HKEY_LOCAL_MACHINE, kHighScoreKey, &key);
    vb::RegSetValueExA(key, name.toLatin1().constData(), 0, type,
                       reinterpret_cast<const std::uint8_t*>(data.constData()), std::uint32_t(data.size()));
    vb::RegCloseKey(key);
}

// The type and bytes stored under the name; type 0 when there is none.
inline std::pair<std::uint32_t, QByteArray> Get(const QString& name)
{
    vb::HKEY key = 0;
    vb::RegOpenKeyA(vb::HKEY_LOCAL_MACHINE, kHighScoreKey, &key);
    std::uint32_t type = 0, size = 0;
    QByteArray data(256, '\0');
    size = std::uint32_t(data.size());
    if (vb::RegQueryValueExA(key, name.toLatin1().constData(), nullptr, &type,
                             reinterpret_cast<std::uint8_t*>(data.data()), &size) != vb::ERROR_SUCCESS)
        type = 0, size = 0;
    vb::RegCloseKey(key);
    return {type, data.left(size)};
}

}  // namespace store
