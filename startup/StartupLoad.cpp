#include "StartupLoad.h"

#include "QuorvaneConcentrationModule.h"
#include "Registry.h"
#include "Runtime.h"
#include "frmHighScores.h"

#include <QVariant>

namespace {

// One value: read it, store the default when it reads as empty, and hand the
// text to the table. The write reports nothing; a refused write still leaves
// the default in memory, and the next start tries again.
void LoadValue(const QString& valueName, const QVariant& defaultValue)
{
    QString text = vb::VariantToText(ReadRegistryValue(vb::HKEY_LOCAL_MACHINE, kHighScoreKey, valueName));
    // Only the empty text counts as missing: blanks are a stored value.
    if (text.isEmpty()) {
        WriteRegistryValue(vb::HKEY_LOCAL_MACHINE, kHighScoreKey, valueName, defaultValue);
        text = vb::VariantToText(defaultValue);
    }
    *frmHighScores->Member(valueName) = text;
}

}  // namespace

void LoadHighScoreTable()
{
    // A table stored whole is only read: no write, and no lock unless the
    // file cannot be read and is moved aside, so the start never waits for
    // another copy of the game that is writing.
    const QStringList stored = ReadHighScoreTable();
    if (!stored.contains(QString())) {
        for (int i = 1; i <= 10; ++i)
            frmHighScores->Player(i) = stored[i - 1];
        for (int i = 1; i <= 10; ++i)
            frmHighScores->Score(i) = stored[i + 9];
        return;
    }

    // Defaults written on a first start reach the file in one go, so the
    // splash is not held up by twenty separate syncs to disk.
    vb::RegistryTransaction together;
    // The name default is text and the score default a number, so that the
    // registry keeps a string for the one and a 32-bit number for the other.
    for (int i = 1; i <= 10; ++i)
        LoadValue(PlayerValueName(i), QVariant(QStringLiteral("Anonymous")));
    for (int i = 1; i <= 10; ++i)
        LoadValue(ScoreValueName(i), QVariant(99999));
}
