// The game's shared module: the registry value procedures through which the
// high-score table is read and stored.
#pragma once

#include "Registry.h"

#include <QString>
#include <QStringList>
#include <QVariant>

// Where the high-score table lives, below HKEY_LOCAL_MACHINE.
inline constexpr char kHighScoreKey[] = "Software\\Quorvane Software\\Quorvane Concentration";

// The value's text (REG_SZ), its number as a signed 32-bit int (REG_DWORD),
// or the empty text for a missing key or value, any other type, or a failed
// query. Never raises an error and reports none.
QVariant ReadRegistryValue(vb::HKEY RootKey, const QString& KeyPath, const QString& ValueName);

// Stores ValueData under ValueName, creating the key and any missing key
// above it first. A number that fits in 32 bits (rounded half to even) is
// stored as a REG_DWORD; so is a text, without its leading and trailing
// spaces, when it is exactly the decimal form of a 32-bit number ("57", "-3",
// but not "007", "2.5", "1e5", "+5" or "-0"). Anything else is stored as
// REG_SZ, its text without leading and trailing spaces, so that it reads back
// as it was written. Reports no failure itself; see LastRegistryWriteFailed().
void WriteRegistryValue(vb::HKEY RootKey, const QString& KeyPath, const QString& ValueName,
                        const QVariant& ValueData);

// True when a key creation or a value store of any WriteRegistryValue call
// since the last ResetRegistryWriteFailure() failed: the value was not stored.
bool LastRegistryWriteFailed();
void ResetRegistryWriteFailure();

// The value names of rank 1..10: the name under Player1..Player10, the score
// under Score1..Score10, as the table's members of the high-score window.
QString PlayerValueName(int rank);
QString ScoreValueName(int rank);

// The twenty values of the high-score table, Player1..Player10 then
// Score1..Score10, as they are stored: each value's text. A missing value
// (or one of a type the table never holds) reads as the empty text, and so
// does a name stored empty; *whole tells the two apart: true when all twenty
// are stored.
QStringList ReadHighScoreTable(bool* whole = nullptr);

// Writes the twenty values of the high-score table in that same order, each
// by WriteRegistryValue, which chooses its kind (a text or a number). Open a
// RegistryTransaction around it so that they are stored together.
void WriteHighScoreTable(const QVariantList& values);
