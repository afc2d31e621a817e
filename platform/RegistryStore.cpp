#include "RegistryStore.h"

#include "CodePage.h"

#include <QHash>
#include <QStringDecoder>

#include <algorithm>

namespace vb {

namespace {

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegMultiSz = 7;

const char* const kHeader = "REGEDIT4";
const char* const kHeaderV5 = "Windows Registry Editor Version 5.00";

// Splits at CR, LF and CRLF alike: editors on every system have saved the
// file, and some mix their line ends.
template <typename Char, typename Text>
QList<Text> splitLines(const Text& text)
{
    QList<Text> lines;
    qsizetype start = 0;
    for (qsizetype k = 0; k < text.size(); ++k) {
        if (text[k] != Char('\r') && text[k] != Char('\n'))
            continue;
        lines.append(text.mid(start, k - start));
        if (text[k] == Char('\r') && k + 1 < text.size() && text[k + 1] == Char('\n'))
            ++k;
        start = k + 1;
    }
    lines.append(text.mid(start));
    return lines;
}

// The file's lines. The file is UTF-8. A person's editor may have saved it,
// or some lines of it, in the Western code page, or as UTF-16 with a
// byte-order mark instead; all are read as well.
QStringList decodeLines(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder utf16(QStringConverter::Utf16LE);
        const QString text = utf16(bytes.mid(2));
        return splitLines<char16_t>(text);
    }
    const QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    const QString text = utf8(body);
    if (!utf8.hasError())
        return splitLines<char16_t>(text);
    // Each line in its own encoding, split where the parser splits: one line
    // added by a tool that writes the Western code page must not turn the
    // UTF-8 names around it into nonsense.
    QStringList lines;
    for (const QByteArray& line : splitLines<char>(body))
        lines.append(FromAnsi(line));
    return lines;
}

// Neither the game nor a text editor puts a NUL in a line: a line that holds
// one was damaged (a crash, a tool) and is skipped like any line that cannot
// be read. Other control characters read as they always have: a tab is a
// blank, and a value name that the game stored may hold the others.
bool holdsNul(const QString& line)
{
    return line.contains(QChar(0));
}

QString quote(const QString& text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += u'"';
    for (const QChar c : text) {
        if (c == u'\\' || c == u'"')
            out += u'\\';
        out += c;
    }
    out += u'"';
    return out;
}

// Reads a quoted text starting at s[pos] == '"'; only \\ and \" are escapes,
// any other backslash stays as typed (a hand-written "C:\Games" survives).
bool parseQuoted(const QString& s, qsizetype* pos, QString* out)
{
    qsizetype i = *pos + 1;
    while (i < s.size()) {
        const QChar c = s[i];
        if (c == u'\\' && i + 1 < s.size() && (s[i + 1] == u'\\' || s[i + 1] == u'"')) {
            *out += s[i + 1];
            i += 2;
            continue;
        }
        if (c == u'"') {
            *pos = i + 1;
            return true;
        }
        *out += c;
        ++i;
    }
    return false;
}

void skipBlanks(const QString& s, qsizetype* pos)
{
    while (*pos < s.size() && (s[*pos] == u' ' || s[*pos] == u'\t'))
        ++*pos;
}

bool parseHexNumber(const QString& text, int maxDigits, std::uint32_t* out)
{
    if (text.isEmpty() || text.size() > maxDigits)
        return false;
    std::uint32_t v = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        std::uint32_t d = 0;
        if (u >= u'0' && u <= u'9')
            d = u - u'0';
        else if (u >= u'a' && u <= u'f')
            d = u - u'a' + 10;
        else if (u >= u'A' && u <= u'F')
            d = u - u'A' + 10;
        else
            return false;
        v = v * 16 + d;
    }
    *out = v;
    return true;
}

bool parseHexList(const QString& list, QByteArray* out)
{
    const QStringList items = list.split(u',');
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QString item = items[i].trimmed();
        if (item.isEmpty()) {
            // An empty list, or the comma after the last byte.
            if (i == items.size() - 1)
                break;
            return false;
        }
        std::uint32_t byte = 0;
        if (!parseHexNumber(item, 2, &byte))
            return false;
        out->append(static_cast<char>(byte));
    }
    return true;
}

// The text kinds' data of a version 5.00 export, which are UTF-16LE, as the
// bytes a text value holds here (UTF-8); a NUL stays one NUL byte. False for
// data that are no UTF-16: an odd number of bytes, or half a surrogate pair.
bool utf16ToAnsi(const QByteArray& data, QByteArray* out)
{
    if (data.size() % 2 != 0)
        return false;
    QString text(data.size() / 2, Qt::Uninitialized);
    for (qsizetype k = 0; k < text.size(); ++k)
        text[k] = QChar(char16_t(static_cast<unsigned char>(data[2 * k])
                                 | static_cast<unsigned char>(data[2 * k + 1]) << 8));
    for (qsizetype k = 0; k < text.size(); ++k) {
        if (text[k].isHighSurrogate() && k + 1 < text.size() && text[k + 1].isLowSurrogate())
            ++k;
        else if (text[k].isSurrogate())
            return false;
    }
    *out = ToAnsi(text);
    return true;
}

// A REG_SZ that a quoted text carries exactly: one terminating NUL, and
// before it a UTF-8 text without control characters. Anything else, such as
// bytes in another code page, is written as hex and so kept byte for byte.
bool plainText(const QByteArray& data, QString* text)
{
    if (data.isEmpty() || data.back() != '\0')
        return false;
    if (!DecodeUtf8Exactly(data.left(data.size() - 1), text))
        return false;
    for (const QChar c : *text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u < 0xA0))
            return false;
    }
    return true;
}

QString hexData(const QString& lead, const QByteArray& data)
{
    // Wrapped like regedit's exports, so that long values stay readable.
    static const char digits[] = "0123456789abcdef";
    QString out;
    out.reserve(lead.size() + data.size() * 3 + data.size() / 24 * 4 + 4);
    out += lead;
    qsizetype lineLength = lead.size();
    for (qsizetype i = 0; i < data.size(); ++i) {
        if (lineLength + 3 > 77) {
            out += QLatin1String("\\\n  ");
            lineLength = 2;
        }
        const auto b = static_cast<unsigned char>(data[i]);
        out += QLatin1Char(digits[b >> 4]);
        out += QLatin1Char(digits[b & 0xF]);
        lineLength += 2;
        if (i + 1 < data.size()) {
            out += u',';
            ++lineLength;
        }
    }
    return out;
}

QString valueLine(const RegistryValue& v)
{
    QString lead = v.name.isEmpty() ? QStringLiteral("@=") : quote(v.name) + u'=';
    QString text;
    if (v.type == kRegSz && plainText(v.data, &text))
        return lead + quote(text);
    if (v.type == kRegDword && v.data.size() == 4) {
        std::uint32_t n = 0;
        for (int i = 3; i >= 0; --i)
            n = (n << 8) | static_cast<unsigned char>(v.data[i]);
        return lead + QStringLiteral("dword:%1").arg(n, 8, 16, QLatin1Char('0'));
    }
    if (v.type == kRegBinary)
        return hexData(lead + QStringLiteral("hex:"), v.data);
    return hexData(lead + QStringLiteral("hex(%1):").arg(v.type, 0, 16), v.data);
}

// "[HKLM\Software\..]" section text to a normalized key path.
bool normalizePath(const QString& text, QString* path)
{
    const qsizetype sep = text.indexOf(u'\\');
    const QString root = RegistryDocument::rootName(sep < 0 ? text : text.left(sep));
    if (root.isEmpty())
        return false;
    if (sep < 0) {
        *path = root;
        return true;
    }
    // The usual section, names of printable characters between single
    // separators, is taken as it stands: a large file holds many of them.
    const QStringView rest = QStringView(text).mid(sep + 1);
    bool plain = !rest.isEmpty() && !rest.startsWith(u'\\') && !rest.endsWith(u'\\');
    qsizetype nameLength = 0;
    for (qsizetype k = 0; plain && k < rest.size(); ++k) {
        const char16_t c = rest[k].unicode();
        if (c == u'\\') {
            plain = nameLength > 0;  // a doubled separator
            nameLength = 0;
        } else {
            plain = c >= 0x20 && c != 0x7F && ++nameLength <= 255;
        }
    }
    if (plain) {
        *path = root + u'\\';
        path->append(rest);
        return true;
    }
    QStringList names;
    if (!RegistryDocument::splitKeyPath(rest.toString(), &names))
        return false;
    names.prepend(root);
    *path = names.join(u'\\');
    return true;
}

bool isSkippable(const QString& trimmedLine)
{
    return trimmedLine.isEmpty() || trimmedLine.startsWith(u';');
}

struct ParsedValue {
    QString name;
    std::uint32_t type = 0;
    QByteArray data;
    bool deleted = false;  // "Name"=-
};

// Reads the value whose line is lines[first]. A hex list may go on over the
// lines below while a line ends in a backslash; *last is the last line that
// the value takes, whether it can be read or not. utf16Text: the file is a
// version 5.00 export, whose hex(1), hex(2) and hex(7) data are UTF-16. False
// with a reason when it cannot be read.
bool parseValue(const QStringList& lines, qsizetype first, qsizetype* last, bool utf16Text, ParsedValue* out,
                QString* why)
{
    const auto bad = [why](const char* reason) {
        *why = QLatin1String(reason);
        return false;
    };
    *last = first;
    const QString t = lines[first].trimmed();
    qsizetype pos = 0;
    if (t.startsWith(u'@')) {
        pos = 1;
    } else if (t.startsWith(u'"')) {
        if (!parseQuoted(t, &pos, &out->name))
            return bad("unfinished value name");
    } else {
        return bad("not a value");
    }
    skipBlanks(t, &pos);
    if (pos >= t.size() || t[pos] != u'=')
        return bad("no '=' after the value name");
    ++pos;
    skipBlanks(t, &pos);
    const QString rest = t.mid(pos);

    if (rest == QLatin1String("-")) {
        out->deleted = true;
        return true;
    }
    if (rest.startsWith(u'"')) {
        qsizetype p = 0;
        QString value;
        if (!parseQuoted(rest, &p, &value) || !rest.mid(p).trimmed().isEmpty())
            return bad("unfinished text");
        out->type = kRegSz;
        out->data = ToAnsi(value);
        out->data.append('\0');
        return true;
    }
    if (rest.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
        std::uint32_t n = 0;
        if (!parseHexNumber(rest.mid(6).trimmed(), 8, &n))
            return bad("bad dword");
        out->type = kRegDword;
        for (int b = 0; b < 4; ++b)
            out->data.append(static_cast<char>((n >> (8 * b)) & 0xFF));
        return true;
    }
    if (!rest.startsWith(QLatin1String("hex"), Qt::CaseInsensitive))
        return bad("unknown kind of value");

    // The whole list first, so that a value that cannot be read is skipped
    // with every line it takes.
    const qsizetype colon = rest.indexOf(u':');
    QString list = colon < 0 ? QString() : rest.mid(colon + 1).trimmed();
    bool unfinished = false;
    while (list.endsWith(u'\\')) {
        list.chop(1);
        const qsizetype next = *last + 1;
        const QString more = next < lines.size() ? lines[next].trimmed() : QString();
        // A blank line, a comment, the next value or key is no continuation:
        // this list broke off.
        if (next >= lines.size() || isSkippable(more) || more.startsWith(u'"') || more.startsWith(u'@')
            || more.startsWith(u'[')) {
            unfinished = true;
            break;
        }
        *last = next;
        list += more;
    }
    if (colon < 0)
        return bad("bad hex value");
    const QString kind = rest.left(colon).trimmed();
    if (kind.compare(QLatin1String("hex"), Qt::CaseInsensitive) == 0) {
        out->type = kRegBinary;
    } else if (!kind.endsWith(u')') || kind.mid(3, 1) != QLatin1String("(")
               || !parseHexNumber(kind.mid(4, kind.size() - 5).trimmed(), 8, &out->type)) {
        return bad("bad hex type");
    }
    if (unfinished)
        return bad("hex data broken off");
    if (!parseHexList(list, &out->data))
        return bad("bad hex data");
    if (utf16Text && (out->type == kRegSz || out->type == kRegExpandSz || out->type == kRegMultiSz)
        && !utf16ToAnsi(out->data, &out->data))
        return bad("text data that are no UTF-16");
    return true;
}

}  // namespace

QString RegistryDocument::rootName(const QString& name)
{
    static const struct { const char* full; const char* brief; } roots[] = {
        {"HKEY_CLASSES_ROOT", "HKCR"},
        {"HKEY_CURRENT_USER", "HKCU"},
        {"HKEY_LOCAL_MACHINE", "HKLM"},
        {"HKEY_USERS", "HKU"},
    };
    for (const auto& r : roots) {
        if (name.compare(QLatin1String(r.full), Qt::CaseInsensitive) == 0
            || name.compare(QLatin1String(r.brief), Qt::CaseInsensitive) == 0)
            return QLatin1String(r.full);
    }
    return QString();
}

bool RegistryDocument::splitKeyPath(const QString& path, QStringList* names)
{
    names->clear();
    for (const QString& name : path.split(u'\\', Qt::SkipEmptyParts)) {
        if (name.size() > 255)
            return false;
        for (const QChar c : name) {
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                return false;
        }
        names->append(name);
    }
    return true;
}

bool RegistryDocument::isValidValueName(const QString& name)
{
    return !name.contains(u'\n') && !name.contains(u'\r') && !name.contains(QChar(0));
}

QString RegistryDocument::sortKey(const QString& path)
{
    // The separator becomes a character below every one a name may hold, so
    // that a key sorts right before its children and its children together.
    QString key = path.toCaseFolded();
    key.replace(u'\\', QChar(1));
    return key;
}

RegistryKey* RegistryDocument::find(const QString& path)
{
    const auto it = keys_.find(sortKey(path));
    return it == keys_.end() ? nullptr : &it->second;
}

const RegistryKey* RegistryDocument::find(const QString& path) const
{
    const auto it = keys_.find(sortKey(path));
    return it == keys_.end() ? nullptr : &it->second;
}

bool RegistryDocument::keyExists(const QString& path) const
{
    if (!path.contains(u'\\'))
        return !rootName(path).isEmpty();
    const QString key = sortKey(path);
    const auto it = keys_.lower_bound(key);
    return it != keys_.end() && (it->first == key || it->first.startsWith(key + QChar(1)));
}

bool RegistryDocument::createKey(const QString& path)
{
    const QStringList names = path.split(u'\\');
    bool created = false;
    QString display = names.value(0);
    QString prefix = display;
    for (qsizetype i = 1; i < names.size(); ++i) {
        prefix += u'\\' + names[i];
        if (const RegistryKey* existing = find(prefix)) {
            display = existing->path;  // keep the case the key was created with
            continue;
        }
        display += u'\\' + names[i];
        keys_[sortKey(prefix)] = RegistryKey{display, {}};
        created = true;
    }
    return created;
}

const RegistryValue* RegistryDocument::value(const QString& keyPath, const QString& name) const
{
    const RegistryKey* key = find(keyPath);
    if (!key)
        return nullptr;
    for (const RegistryValue& v : key->values) {
        if (v.name.compare(name, Qt::CaseInsensitive) == 0)
            return &v;
    }
    return nullptr;
}

bool RegistryDocument::setValue(const QString& keyPath, const QString& name, std::uint32_t type,
                                const QByteArray& data)
{
    RegistryKey* key = find(keyPath);
    if (!key) {
        createKey(keyPath);
        key = find(keyPath);
    }
    if (!key)  // a root key gets a section of its own once it holds a value
        key = &(keys_[sortKey(keyPath)] = RegistryKey{keyPath, {}});
    for (RegistryValue& v : key->values) {
        if (v.name.compare(name, Qt::CaseInsensitive) == 0) {
            if (v.type == type && v.data == data)
                return false;
            v.type = type;
            v.data = data;
            return true;
        }
    }
    key->values.push_back(RegistryValue{name, type, data});
    return true;
}

std::optional<RegistryDocument> RegistryDocument::parse(const QByteArray& bytes, QString* error,
                                                        std::vector<qsizetype>* skippedLines)
{
    const auto fail = [error](const QString& why, qsizetype line) -> std::optional<RegistryDocument> {
        if (error)
            *error = line > 0 ? QStringLiteral("line %1: %2").arg(line).arg(why) : why;
        return std::nullopt;
    };
    if (skippedLines)
        skippedLines->clear();

    const QStringList lines = decodeLines(bytes);

    RegistryDocument doc;
    qsizetype i = 0;
    while (i < lines.size() && isSkippable(lines[i].trimmed()))
        ++i;
    if (i == lines.size())
        return doc;  // an empty file is an empty registry
    const QString header = lines[i].trimmed();
    const bool utf16Text = header.compare(QLatin1String(kHeaderV5), Qt::CaseInsensitive) == 0;
    if (!utf16Text && header.compare(QLatin1String(kHeader), Qt::CaseInsensitive) != 0)
        return fail(QStringLiteral("no REGEDIT4 header"), i + 1);
    ++i;

    // As a registry import reads a file: a line that cannot be read is
    // skipped whole, with the lines it continues on, and everything else is
    // kept. A value under a key name that cannot be read has no key to go
    // to and is skipped as well.
    std::vector<qsizetype> skipped;
    QString firstReason;
    const auto skip = [&](qsizetype from, qsizetype to, const QString& why) {
        for (qsizetype l = from; l <= to; ++l)
            skipped.push_back(l + 1);
        if (firstReason.isEmpty())
            firstReason = QStringLiteral("line %1: %2").arg(from + 1).arg(why);
    };
    bool readSomething = false;

    enum class Section { None, Key, Deleted, Unreadable };
    Section section = Section::None;
    QString keyPath;
    RegistryKey* key = nullptr;  // the section's key; null for a root key's own section
    // The positions of the key's values by folded name: found by an index
    // rather than by setValue's search, so that a file of many values in one
    // key loads in linear time, not quadratic.
    QHash<QString, std::size_t> positions;
    for (; i < lines.size(); ++i) {
        const QString t = lines[i].trimmed();
        const bool damaged = holdsNul(lines[i]);
        if (isSkippable(t) && !damaged)
            continue;

        if (t.startsWith(u'[')) {
            section = Section::Unreadable;
            if (damaged) {
                skip(i, i, QStringLiteral("a NUL byte"));
                continue;
            }
            if (!t.endsWith(u']') || t.size() < 3) {
                skip(i, i, QStringLiteral("unfinished key name"));
                continue;
            }
            const QString inner = t.mid(1, t.size() - 2);
            if (inner.startsWith(u'-')) {
                section = Section::Deleted;  // "[-..]" deletes a key: nothing of it is kept
                readSomething = true;
                continue;
            }
            if (!normalizePath(inner, &keyPath)) {
                skip(i, i, QStringLiteral("unknown key \"%1\"").arg(inner));
                continue;
            }
            key = keyPath.contains(u'\\') ? doc.createKeyAsWritten(keyPath, sortKey(keyPath)) : nullptr;
            positions.clear();
            for (std::size_t k = 0; key && k < key->values.size(); ++k)  // a key that came before
                positions.insert(key->values[k].name.toCaseFolded(), k);
            section = Section::Key;
            readSomething = true;
            continue;
        }

        ParsedValue value;
        QString why;
        qsizetype last = i;
        bool read = parseValue(lines, i, &last, utf16Text, &value, &why);
        // Checked over every line the value takes, so that a hex list with
        // a damaged line is skipped with all of its lines.
        if (std::any_of(lines.begin() + i, lines.begin() + last + 1, holdsNul)) {
            read = false;
            why = QStringLiteral("a NUL byte");
        }
        if (!read) {
            skip(i, last, why);
            i = last;
            continue;
        }
        if (section == Section::None || section == Section::Unreadable) {
            skip(i, last, section == Section::None ? QStringLiteral("value outside a key")
                                                   : QStringLiteral("value of a key that cannot be read"));
            i = last;
            continue;
        }
        i = last;
        readSomething = true;
        if (value.deleted || section == Section::Deleted)
            continue;
        if (!key) {
            doc.setValue(keyPath, value.name, value.type, value.data);
            continue;
        }
        const QString folded = value.name.toCaseFolded();
        const auto known = positions.constFind(folded);
        if (known != positions.constEnd()) {
            RegistryValue& v = key->values[*known];
            v.type = value.type;
            v.data = value.data;
        } else {
            key->values.push_back(RegistryValue{value.name, value.type, value.data});
            positions.insert(folded, key->values.size() - 1);
        }
    }
    // Nothing but lines that cannot be read: no registry file at all.
    if (!readSomething && !skipped.empty())
        return fail(firstReason, 0);
    if (skippedLines)
        *skippedLines = std::move(skipped);
    return doc;
}

RegistryKey* RegistryDocument::createKeyAsWritten(const QString& path, const QString& sorted)
{
    // Only the section itself: a parent the file leaves out exists without
    // being written out.
    const auto [it, created] = keys_.try_emplace(sorted);
    if (created)
        it->second.path = path;
    return &it->second;
}

QByteArray RegistryDocument::serialize() const
{
    QString out = QLatin1String(kHeader) + QStringLiteral("\n\n");
    for (const auto& [sort, key] : keys_) {
        out += u'[' + key.path + QStringLiteral("]\n");
        for (const RegistryValue& v : key.values)
            out += valueLine(v) + u'\n';
        out += u'\n';
    }
    return out.toUtf8();
}

}  // namespace vb
