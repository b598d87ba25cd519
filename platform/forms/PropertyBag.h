#pragma once

#include <QByteArray>
#include <QFont>
#include <QString>
#include <QVariant>

#include <vector>

// A user control's persisted properties, as a form's design data stores them: named values in
// the order they were written. Values are Variant-like (QVariant): integers (Long, also colours
// &H00BBGGRR), booleans, strings, fonts (QFont) and pictures (QByteArray holding the picture
// file's bytes; an empty QByteArray is a picture of Nothing).
class PropertyBag {
public:
    // The stored value, or defaultValue when the bag holds none under that name (names compare
    // case-insensitively). A stored value of another numeric type is converted to the default's
    // type, so a Long written as 8 reads back as a Boolean or a Byte when the default is one.
    QVariant ReadProperty(const QString& name, const QVariant& defaultValue = QVariant()) const;

    // Stores the value, unless it equals defaultValue: then any stored value is removed, so the
    // bag holds only what differs from the defaults.
    void WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue = QVariant());

    bool Contains(const QString& name) const;
    bool IsEmpty() const noexcept { return mEntries.empty(); }
    void Clear() noexcept { mEntries.clear(); }

    struct Entry {
        QString Name;
        QVariant Value;
    };
    const std::vector<Entry>& Entries() const noexcept { return mEntries; }

    // Stores without the default comparison (the design-data reader uses it).
    void SetRaw(const QString& name, const QVariant& value);

    // Value equality as the bag judges "equal to its default": numbers by value whatever their
    // type, fonts by name, size, bold, italic, underline and strike-out, the rest by QVariant.
    static bool SameValue(const QVariant& a, const QVariant& b);

private:
    std::vector<Entry> mEntries;
};
