// The code page in which texts cross to the registry, help and shell
// functions. The game was written for a desktop whose functions take texts
// as bytes in the system's code page; here that is the locale's encoding,
// which on every current Linux desktop is UTF-8.
#pragma once

#include <QByteArray>
#include <QString>

namespace vb {

// A text as the bytes that the registry, help and shell functions take.
QByteArray ToAnsi(const QString& text);

// Bytes from those functions as a text. Bytes that are no valid UTF-8 were
// written in the Western Windows code page (a store from an older build or
// a Windows export) and read as Windows-1252, so that nothing is dropped.
QString FromAnsi(const QByteArray& bytes);

// True when the bytes are valid UTF-8 that decodes and encodes back to the
// very same bytes; *text is then the decoded text.
bool DecodeUtf8Exactly(const QByteArray& bytes, QString* text);

// Windows-1252: Latin-1 except for 0x80..0x9F, where it has letters,
// quotes and signs. Its five unassigned bytes keep the control characters
// of the same numbers, as the desktop's own conversion does.
QString FromWindows1252(const QByteArray& bytes);

}  // namespace vb
