// Seeding the high-score key with values of any type and reading them back,
// store files written by hand, and a finished game's entry saved through the
// high-score window.
#pragma once

#include "QuorvaneConcentrationModule.h"
#include "Registry.h"
#include "TestSeams.h"
#include "frmHighScores.h"
#include "frmQuorvaneConcentration.h"

#include <QByteArray>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QStringList>

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

inline QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A store of ten entries, "Keeper 1" with 10 tries to "Keeper 10" with 100,
// as a person or an older copy of the game may have written it.
inline QByteArray KeepersStore()
{
    QByteArray text = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\" + QByteArray(kHighScoreKey) + "]\n";
    for (int i = 1; i <= 10; ++i)
        text += "\"Player" + QByteArray::number(i) + "\"=\"Keeper " + QByteArray::number(i) + "\"\n";
    for (int i = 1; i <= 10; ++i)
        text += "\"Score" + QByteArray::number(i) + "\"=dword:" + QByteArray::number(10 * i, 16).rightJustified(8, '0') + "\n";
    return text;
}

// The same with its third name mistyped, so that the line is skipped and
// its value missing.
inline QByteArray KeepersStoreWithAMistypedLine()
{
    return KeepersStore().replace("\"Player3\"=\"Keeper 3\"\n", "\"Player3\" = Ann\n");
}

// The twenty values stored in one change, Player1..Player10 then
// Score1..Score10, as a start-up load or another running copy of the game
// leaves them.
inline void StoreTable(const QStringList& players, const QStringList& scores)
{
    vb::RegistryTransaction together;
    for (int k = 1; k <= 10; ++k)
        WriteRegistryValue(vb::HKEY_LOCAL_MACHINE, kHighScoreKey, QStringLiteral("Player%1").arg(k), players[k - 1]);
    for (int k = 1; k <= 10; ++k)
        WriteRegistryValue(vb::HKEY_LOCAL_MACHINE, kHighScoreKey, QStringLiteral("Score%1").arg(k), scores[k - 1]);
}

// A finished game's entry, named and saved through the window; the messages
// it showed. The window stays open when asked, to look at it afterwards.
inline QStringList SaveNewEntry(const QString& name, int tries, bool close = true)
{
    testing_seams::seams().messages.clear();
    frmQuorvaneConcentration->Tries = static_cast<std::int16_t>(tries);
    frmHighScores->EndWithHighScores = true;
    frmHighScores->Load();
    frmHighScores->txtPlayer->setText(name);
    frmHighScores->btnSave->click();
    const QStringList said = testing_seams::seams().messageTexts();
    if (close)
        frmHighScores->Unload();
    return said;
}

}  // namespace store
