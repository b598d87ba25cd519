#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// The private-profile (ini file) functions with the platform's semantics, on real files.
// Files hold code page 936 bytes, or UTF-8 when they start with its byte-order mark (which stays);
// texts cross as QString, and buffers as code page 936, converted at the boundary. Lines end in
// CR LF, LF or CR; writes end every line in CR LF.
// Section and key names compare without regard to case. A "\" in a file name is read as the
// folder separator. Every write replaces the file whole (written beside it, then renamed), so
// a crash never leaves half a file.
//
// std::nullopt stands for the platform's null argument, which means something different from
// the empty text in every function below.
namespace Profile {

using OptionalText = std::optional<QString>;

// Reads a value, or a list of names:
// - section null: every section name; key null: every key name of the section. Each name is
//   followed by a NUL and the list by one more NUL. When the list does not fit, it is cut to
//   size - 2 bytes and closed with two NULs; the result is then size - 2.
// - otherwise the key's value, trimmed of blanks, with one pair of enclosing quotes (" or ')
//   removed; a missing key gives the default (null as empty, trailing blanks removed). A value
//   that does not fit is cut to size - 1 bytes and closed with a NUL.
// returnedString becomes the buffer (size bytes, as the platform fills it); the result is the
// number of bytes copied, not counting the closing NUL. No double-byte character is cut in half.
std::uint32_t GetPrivateProfileString(const OptionalText& appName, const OptionalText& keyName,
                                      const OptionalText& defaultValue, QByteArray& returnedString, std::uint32_t size,
                                      const QString& fileName);

// A key's value read as a number: blanks, an optional sign, then digits ("0x", "0o" and "0b"
// prefixes select base 16, 8 and 2); reading stops at the first other character, so "12abc" is 12
// and "abc" is 0. A missing key or an empty value gives the default.
std::int32_t GetPrivateProfileInt(const QString& appName, const QString& keyName, std::int32_t defaultValue,
                                  const QString& fileName);

// Sets a key: replaced in place (the line keeps its place and the key's spelling in the file) or
// added after the section's last line, the section (at the end of the file) and the file being
// created as needed. Value null deletes the key; key null deletes the section with its keys.
// Returns false when the file cannot be written.
bool WritePrivateProfileString(const OptionalText& appName, const OptionalText& keyName, const OptionalText& string,
                               const QString& fileName);

// Replaces all lines of a section with the given ones, creating section and file as needed.
// Entries are separated by NUL characters; an entry holding line breaks gives several lines.
// The empty text leaves the section with no keys; null deletes the section.
bool WritePrivateProfileSection(const OptionalText& appName, const OptionalText& string, const QString& fileName);

// The file name as the functions above open it.
QString ProfileFilePath(const QString& fileName);

struct IniFile;

// An ini file read once into memory, for a caller that reads or replaces many sections at once,
// where each function above reads the whole file (and a write rewrites it) per call. Names and
// values follow the same rules; Bytes() is what the functions above would have left in the file.
class ProfileDocument {
public:
    // A missing or unreadable file reads as an empty one.
    explicit ProfileDocument(const QString& fileName);
    ~ProfileDocument();
    ProfileDocument(ProfileDocument&&) noexcept;
    ProfileDocument& operator=(ProfileDocument&&) noexcept;

    bool Exists() const;
    // Every section header in file order, repeated names included.
    QStringList SectionNames() const;
    // The value as GetPrivateProfileString reads it; nullopt for a missing key or section.
    std::optional<QString> Value(const QString& section, const QString& key) const;
    // Removes, in one pass, every section whose name `which` accepts, with its keys.
    void DeleteSections(const std::function<bool(const QString& name)>& which);
    // Adds the section with its keys, in order, at the end of the file.
    void AppendSection(const QString& section, const std::vector<std::pair<QString, QString>>& keys);
    QByteArray Bytes() const;

private:
    std::unique_ptr<IniFile> mFile;
    mutable QHash<QByteArray, qsizetype> mSectionIndex; // folded name -> header line of its first section
    mutable bool mIndexed = false;
};

} // namespace Profile
