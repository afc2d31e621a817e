// Direct access to the registry store for the start-up tests: seeding values
// of any type and reading back what was stored.
#pragma once

#include "QuorvaneConcentrationModule.h"
#include "Registry.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdint>
#include <optional>

namespace store {

struct Stored {
    std::uint32_t type = 0;
    QByteArray data;
};

inline void Put(const QString& name, std::uint32_t type, const QByteArray& data)
{
    vb::HKEY key = 0;
    ASSERT_EQ(vb::RegCreateKeyA(vb::HKEY_LOCAL_MACHINE, kHighScoreKey, &key), vb::ERROR_SUCCESS);
    const QByteArray n = name.toLatin1();
    ASSERT_EQ(vb::RegSetValueExA(key, n.constData(), 0, type, reinterpret_cast<const std::uint8_t*>(data.constData()),
                                 static_cast<std::uint32_t>(data.size())),
              vb::ERROR_SUCCESS);
    vb::RegCloseKey(key);
}

inline void PutText(const QString& name, const QString& text)
{
    QByteArray bytes = text.toLatin1();
    bytes.append('\0');
    Put(name, vb::REG_SZ, bytes);
}

inline void PutNumber(const QString& name, std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    QByteArray bytes;
    for (int i = 0; i < 4; ++i)
        bytes.append(static_cast<char>((bits >> (8 * i)) & 0xFF));
    Put(name, vb::REG_DWORD, bytes);
}

inline std::optional<Stored> Get(const QString& name)
{
    vb::HKEY key = 0;
    if (vb::RegOpenKeyA(vb::HKEY_LOCAL_MACHINE, kHighScoreKey, &key) != vb::ERROR_SUCCESS)
        return std::nullopt;
    const QByteArray n = name.toLatin1();
    Stored s;
    std::uint32_t size = 0;
    if (vb::RegQueryValueExA(key, n.constData(), nullptr, &s.type, nullptr, &size) != vb::ERROR_SUCCESS) {
        vb::RegCloseKey(key);
        return std::nullopt;
    }
    s.data.resize(size);
    vb::RegQueryValueExA(key, n.constData(), nullptr, &s.type, reinterpret_cast<std::uint8_t*>(s.data.data()), &size);
    vb::RegCloseKey(key);
    return s;
}

inline QByteArray TextData(const char* text)
{
    return QByteArray(text, static_cast<int>(qstrlen(text)) + 1);  // with its NUL
}

inline QByteArray NumberData(std::uint32_t value)
{
    QByteArray bytes;
    for (int i = 0; i < 4; ++i)
        bytes.append(static_cast<char>((value >> (8 * i)) & 0xFF));
    return bytes;
}

inline QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

}  // namespace store
