#include "PrivateProfile.h"

#include "CodePage.h"

#include <QFile>
#include <QSaveFile>

#include <cstring>
#include <string_view>
#include <vector>

namespace Profile {

namespace {

constexpr const char* kUtf8Mark = "\xEF\xBB\xBF";

// Code page 936: a byte from 0x81 up leads a two-byte character, whose second byte may look like
// an ASCII letter; such a byte is never case-folded or cut from its lead byte.
bool IsLeadByte(char c)
{
    return static_cast<unsigned char>(c) >= 0x81;
}

char FoldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool NamesEqual(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (IsLeadByte(a[i]) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) {
                return false;
            }
            ++i;
        } else if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// A name folded so that two names are equal exactly when NamesEqual says so.
QByteArray FoldName(const QByteArray& name)
{
    QByteArray folded = name;
    for (qsizetype i = 0; i < folded.size(); ++i) {
        if (IsLeadByte(folded[i]) && i + 1 < folded.size()) {
            ++i;
        } else {
            folded[i] = FoldAscii(folded[i]);
        }
    }
    return folded;
}

// The longest prefix of at most limit bytes that ends on a character boundary.
qsizetype CharacterBoundary(const QByteArray& bytes, qsizetype limit)
{
    qsizetype i = 0;
    while (i < bytes.size()) {
        const qsizetype length = (IsLeadByte(bytes[i]) && i + 1 < bytes.size()) ? 2 : 1;
        if (i + length > limit) {
            break;
        }
        i += length;
    }
    return i;
}

QByteArray ToAnsi(const QString& text)
{
    const std::string bytes =
        CodePage::ToAnsiString(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), text.size()));
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray TrimBlanks(const QByteArray& bytes)
{
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && IsBlank(bytes[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(bytes[end - 1])) {
        --end;
    }
    return bytes.mid(begin, end - begin);
}

enum class LineKind { Blank, Comment, Section, Key };

struct ParsedLine {
    LineKind kind;
    QByteArray name;  // section or key name
    QByteArray value; // key value, trimmed; empty for a key line without "="
};

ParsedLine Parse(const QByteArray& line)
{
    const QByteArray text = TrimBlanks(line);
    if (text.isEmpty()) {
        return {LineKind::Blank, {}, {}};
    }
    if (text.startsWith(';')) {
        return {LineKind::Comment, {}, {}};
    }
    if (text.startsWith('[')) {
        const qsizetype close = text.indexOf(']');
        const QByteArray name = close < 0 ? text.mid(1) : text.mid(1, close - 1);
        return {LineKind::Section, TrimBlanks(name), {}};
    }
    const qsizetype equals = text.indexOf('=');
    if (equals < 0) {
        return {LineKind::Key, text, {}};
    }
    return {LineKind::Key, TrimBlanks(text.left(equals)), TrimBlanks(text.mid(equals + 1))};
}

} // namespace

// An ini file as lines of bytes without their line ends. Lines that no write touches are written
// back byte for byte. A file that starts with the UTF-8 byte-order mark holds UTF-8 (an editor
// saved it so) and keeps both; any other file holds code page 936.
struct IniFile {
    bool exists = false;
    bool utf8 = false;
    std::vector<QByteArray> lines;

    static IniFile Load(const QString& path)
    {
        IniFile file;
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly)) {
            return file;
        }
        file.exists = true;
        const QByteArray all = in.readAll();
        qsizetype start = 0;
        if (all.startsWith(kUtf8Mark)) {
            file.utf8 = true;
            start = static_cast<qsizetype>(std::strlen(kUtf8Mark));
        }
        // Lines end in CR LF, LF or CR alone (as older editors save them).
        while (start < all.size()) {
            qsizetype end = start;
            while (end < all.size() && all[end] != '\n' && all[end] != '\r') {
                ++end;
            }
            file.lines.push_back(all.mid(start, end - start));
            start = end + ((end + 1 < all.size() && all[end] == '\r' && all[end + 1] == '\n') ? 2 : 1);
        }
        return file;
    }

    // A name or value as the file spells it.
    QByteArray Encode(const QString& text) const { return utf8 ? text.toUtf8() : ToAnsi(text); }
    // Bytes of the file as the caller's buffer takes them: code page 936.
    QByteArray ToCallerBytes(const QByteArray& bytes) const { return utf8 ? ToAnsi(QString::fromUtf8(bytes)) : bytes; }
    QString Decode(const QByteArray& bytes) const
    {
        return utf8 ? QString::fromUtf8(bytes)
                    : QString::fromStdU16String(CodePage::FromAnsi(
                          std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))));
    }

    QByteArray Bytes() const
    {
        QByteArray all;
        if (utf8) {
            all.append(kUtf8Mark);
        }
        for (const QByteArray& line : lines) {
            all.append(line);
            all.append("\r\n");
        }
        return all;
    }

    bool Save(const QString& path) const
    {
        const QByteArray all = Bytes();
        QSaveFile out(path);
        if (!out.open(QIODevice::WriteOnly)) {
            return false;
        }
        if (out.write(all) != all.size()) {
            out.cancelWriting();
            return false;
        }
        return out.commit();
    }

    // Index of the header line of the first section of that name, or -1.
    qsizetype FindSection(const QByteArray& name) const
    {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const ParsedLine parsed = Parse(lines[i]);
            if (parsed.kind == LineKind::Section && NamesEqual(parsed.name, name)) {
                return static_cast<qsizetype>(i);
            }
        }
        return -1;
    }

    // One past the section's last line: the next header or the end of the file.
    qsizetype SectionEnd(qsizetype header) const
    {
        auto i = static_cast<std::size_t>(header + 1);
        while (i < lines.size() && Parse(lines[i]).kind != LineKind::Section) {
            ++i;
        }
        return static_cast<qsizetype>(i);
    }

    // One past the section's last line that is not blank, so that additions stay before the
    // blank lines that separate it from the next section.
    qsizetype SectionContentEnd(qsizetype header) const
    {
        qsizetype end = SectionEnd(header);
        while (end > header + 1 && Parse(lines[static_cast<std::size_t>(end - 1)]).kind == LineKind::Blank) {
            --end;
        }
        return end;
    }

    qsizetype FindKey(qsizetype header, const QByteArray& key) const
    {
        const qsizetype end = SectionEnd(header);
        for (qsizetype i = header + 1; i < end; ++i) {
            const ParsedLine parsed = Parse(lines[static_cast<std::size_t>(i)]);
            if (parsed.kind == LineKind::Key && NamesEqual(parsed.name, key)) {
                return i;
            }
        }
        return -1;
    }

    void Erase(qsizetype begin, qsizetype end) { lines.erase(lines.begin() + begin, lines.begin() + end); }

    void Insert(qsizetype at, const std::vector<QByteArray>& newLines)
    {
        lines.insert(lines.begin() + at, newLines.begin(), newLines.end());
    }

    void DeleteSection(const QByteArray& name)
    {
        for (qsizetype header = FindSection(name); header >= 0; header = FindSection(name)) {
            Erase(header, SectionEnd(header));
        }
    }
};

namespace {

QByteArray SectionHeader(const QByteArray& name)
{
    return '[' + name + ']';
}

// Fills the buffer with a value: cut to size - 1 bytes when it does not fit, NUL-terminated.
std::uint32_t CopyValue(const QByteArray& value, QByteArray& buffer, std::uint32_t size)
{
    buffer = QByteArray(static_cast<qsizetype>(size), '\0');
    if (size == 0) {
        return 0;
    }
    const qsizetype count = value.size() < static_cast<qsizetype>(size)
                                ? value.size()
                                : CharacterBoundary(value, static_cast<qsizetype>(size) - 1);
    buffer.replace(0, count, value.left(count));
    return static_cast<std::uint32_t>(count);
}

// Fills the buffer with NUL-separated names and a closing NUL; a list that does not fit is cut to
// size - 2 bytes and closed with two NULs.
std::uint32_t CopyList(const std::vector<QByteArray>& names, QByteArray& buffer, std::uint32_t size)
{
    QByteArray list;
    for (const QByteArray& name : names) {
        list.append(name);
        list.append('\0');
    }
    buffer = QByteArray(static_cast<qsizetype>(size), '\0');
    if (size < 2) {
        return 0;
    }
    qsizetype count = list.size();
    if (count + 1 > static_cast<qsizetype>(size)) {
        count = CharacterBoundary(list, static_cast<qsizetype>(size) - 2);
    }
    buffer.replace(0, count, list.left(count));
    return static_cast<std::uint32_t>(count);
}

QByteArray DefaultBytes(const OptionalText& defaultValue)
{
    QByteArray bytes = defaultValue ? ToAnsi(*defaultValue) : QByteArray();
    while (bytes.endsWith(' ')) {
        bytes.chop(1);
    }
    return bytes;
}

QByteArray Unquote(const QByteArray& value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        return value.mid(1, value.size() - 2);
    }
    return value;
}

bool DeleteSection(const QString& section, const QString& path)
{
    IniFile file = IniFile::Load(path);
    if (!file.exists) {
        return true;
    }
    const std::size_t before = file.lines.size();
    file.DeleteSection(file.Encode(section));
    return file.lines.size() == before || file.Save(path);
}

} // namespace

QString ProfileFilePath(const QString& fileName)
{
    QString path = fileName;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path;
}

std::uint32_t GetPrivateProfileString(const OptionalText& appName, const OptionalText& keyName,
                                      const OptionalText& defaultValue, QByteArray& returnedString, std::uint32_t size,
                                      const QString& fileName)
{
    const IniFile file = IniFile::Load(ProfileFilePath(fileName));
    if (!appName) {
        std::vector<QByteArray> names;
        for (const QByteArray& line : file.lines) {
            const ParsedLine parsed = Parse(line);
            if (parsed.kind == LineKind::Section) {
                names.push_back(file.ToCallerBytes(parsed.name));
            }
        }
        return CopyList(names, returnedString, size);
    }

    const qsizetype header = file.FindSection(file.Encode(*appName));
    if (!keyName) {
        std::vector<QByteArray> names;
        if (header >= 0) {
            const qsizetype end = file.SectionEnd(header);
            for (qsizetype i = header + 1; i < end; ++i) {
                const ParsedLine parsed = Parse(file.lines[static_cast<std::size_t>(i)]);
                if (parsed.kind == LineKind::Key && !parsed.name.isEmpty()) {
                    names.push_back(file.ToCallerBytes(parsed.name));
                }
            }
        }
        if (names.empty()) {
            return CopyValue(DefaultBytes(defaultValue), returnedString, size);
        }
        return CopyList(names, returnedString, size);
    }

    const qsizetype keyLine = header >= 0 ? file.FindKey(header, file.Encode(*keyName)) : -1;
    if (keyLine < 0) {
        return CopyValue(DefaultBytes(defaultValue), returnedString, size);
    }
    return CopyValue(file.ToCallerBytes(Unquote(Parse(file.lines[static_cast<std::size_t>(keyLine)]).value)),
                     returnedString, size);
}

std::int32_t GetPrivateProfileInt(const QString& appName, const QString& keyName, std::int32_t defaultValue,
                                  const QString& fileName)
{
    // The platform reads the value into a buffer of 30 characters before converting it.
    QByteArray buffer;
    const std::uint32_t count = GetPrivateProfileString(appName, keyName, QString(), buffer, 30, fileName);
    if (count == 0) {
        return defaultValue;
    }
    const QByteArray text = buffer.left(static_cast<qsizetype>(count));
    qsizetype i = 0;
    while (i < text.size() && (IsBlank(text[i]) || text[i] == '\r' || text[i] == '\n')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint32_t base = 10;
    if (i + 1 < text.size() && text[i] == '0') {
        const char prefix = FoldAscii(text[i + 1]);
        if (prefix == 'x' || prefix == 'o' || prefix == 'b') {
            base = prefix == 'x' ? 16 : (prefix == 'o' ? 8 : 2);
            i += 2;
        }
    }
    // Unsigned arithmetic wraps on overflow, as the platform's conversion does.
    std::uint32_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = FoldAscii(text[i]);
        std::uint32_t digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<std::uint32_t>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        } else {
            break;
        }
        if (digit >= base) {
            break;
        }
        value = value * base + digit;
    }
    if (negative) {
        value = 0u - value;
    }
    return static_cast<std::int32_t>(value);
}

bool WritePrivateProfileString(const OptionalText& appName, const OptionalText& keyName, const OptionalText& string,
                               const QString& fileName)
{
    if (!appName) {
        // With every argument null the platform only flushes its cache; nothing is cached here.
        return !keyName && !string;
    }
    const QString path = ProfileFilePath(fileName);
    if (!keyName) {
        return DeleteSection(*appName, path);
    }

    IniFile file = IniFile::Load(path);
    const QByteArray section = file.Encode(*appName);
    const QByteArray key = file.Encode(*keyName);
    const qsizetype header = file.FindSection(section);
    const qsizetype keyLine = header >= 0 ? file.FindKey(header, key) : -1;
    if (!string) {
        if (keyLine < 0) {
            return true;
        }
        file.Erase(keyLine, keyLine + 1);
        return file.Save(path);
    }

    const QByteArray value = file.Encode(*string);
    if (keyLine >= 0) {
        QByteArray& line = file.lines[static_cast<std::size_t>(keyLine)];
        const ParsedLine parsed = Parse(line);
        const QByteArray replaced = parsed.name + '=' + value;
        if (replaced == line) {
            return true;
        }
        line = replaced;
    } else if (header >= 0) {
        file.Insert(file.SectionContentEnd(header), {key + '=' + value});
    } else {
        file.lines.push_back(SectionHeader(section));
        file.lines.push_back(key + '=' + value);
    }
    return file.Save(path);
}

bool WritePrivateProfileSection(const OptionalText& appName, const OptionalText& string, const QString& fileName)
{
    if (!appName) {
        return false;
    }
    const QString path = ProfileFilePath(fileName);
    if (!string) {
        return DeleteSection(*appName, path);
    }

    IniFile file = IniFile::Load(path);
    // Entries end at NULs (an empty entry ends the list); line breaks inside one entry give
    // several lines, as they do when the platform writes such an entry into the file.
    std::vector<QByteArray> body;
    for (const QString& entry : string->split(QChar(u'\0'))) {
        if (entry.isEmpty()) {
            break;
        }
        QString normalized = entry;
        normalized.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        normalized.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        if (normalized.endsWith(QLatin1Char('\n'))) {
            normalized.chop(1);
        }
        for (const QString& line : normalized.split(QLatin1Char('\n'))) {
            body.push_back(file.Encode(line));
        }
    }

    const QByteArray section = file.Encode(*appName);
    const qsizetype header = file.FindSection(section);
    if (header >= 0) {
        file.Erase(header + 1, file.SectionContentEnd(header));
        file.Insert(header + 1, body);
    } else {
        file.lines.push_back(SectionHeader(section));
        file.lines.insert(file.lines.end(), body.begin(), body.end());
    }
    return file.Save(path);
}

ProfileDocument::ProfileDocument(const QString& fileName)
    : mFile(std::make_unique<IniFile>(IniFile::Load(ProfileFilePath(fileName))))
{
}

ProfileDocument::~ProfileDocument() = default;
ProfileDocument::ProfileDocument(ProfileDocument&&) noexcept = default;
ProfileDocument& ProfileDocument::operator=(ProfileDocument&&) noexcept = default;

bool ProfileDocument::Exists() const
{
    return mFile->exists;
}

QStringList ProfileDocument::SectionNames() const
{
    QStringList names;
    for (const QByteArray& line : mFile->lines) {
        const ParsedLine parsed = Parse(line);
        if (parsed.kind == LineKind::Section) {
            names.append(mFile->Decode(parsed.name));
        }
    }
    return names;
}

std::optional<QString> ProfileDocument::Value(const QString& section, const QString& key) const
{
    // The first section of each name, found once: a paper's file has thousands of them.
    if (!mIndexed) {
        mSectionIndex.clear();
        for (std::size_t i = 0; i < mFile->lines.size(); ++i) {
            const ParsedLine parsed = Parse(mFile->lines[i]);
            if (parsed.kind == LineKind::Section) {
                const QByteArray name = FoldName(parsed.name);
                if (!mSectionIndex.contains(name)) { // the first section of a name answers
                    mSectionIndex.insert(name, static_cast<qsizetype>(i));
                }
            }
        }
        mIndexed = true;
    }
    const auto header = mSectionIndex.constFind(FoldName(mFile->Encode(section)));
    const qsizetype keyLine = header != mSectionIndex.cend() ? mFile->FindKey(*header, mFile->Encode(key)) : -1;
    if (keyLine < 0) {
        return std::nullopt;
    }
    return mFile->Decode(Unquote(Parse(mFile->lines[static_cast<std::size_t>(keyLine)]).value));
}

void ProfileDocument::DeleteSections(const std::function<bool(const QString&)>& which)
{
    std::vector<QByteArray> kept;
    kept.reserve(mFile->lines.size());
    bool deleting = false;
    for (QByteArray& line : mFile->lines) {
        const ParsedLine parsed = Parse(line);
        if (parsed.kind == LineKind::Section) {
            deleting = which(mFile->Decode(parsed.name));
        }
        if (!deleting) {
            kept.push_back(std::move(line));
        }
    }
    mFile->lines = std::move(kept);
    mIndexed = false;
}

void ProfileDocument::AppendSection(const QString& section, const std::vector<std::pair<QString, QString>>& keys)
{
    mFile->lines.push_back(SectionHeader(mFile->Encode(section)));
    for (const auto& [key, value] : keys) {
        mFile->lines.push_back(mFile->Encode(key) + '=' + mFile->Encode(value));
    }
    mIndexed = false;
}

QByteArray ProfileDocument::Bytes() const
{
    return mFile->Bytes();
}

} // namespace Profile
