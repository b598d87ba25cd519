#include "PropertyBag.h"

#include <QMetaType>

namespace {

bool IsNumeric(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

} // namespace

bool PropertyBag::SameValue(const QVariant& a, const QVariant& b)
{
    if (!a.isValid() || !b.isValid()) {
        return a.isValid() == b.isValid();
    }
    if (IsNumeric(a) && IsNumeric(b)) {
        if (a.typeId() == QMetaType::Double || a.typeId() == QMetaType::Float || b.typeId() == QMetaType::Double ||
            b.typeId() == QMetaType::Float) {
            return a.toDouble() == b.toDouble();
        }
        return a.toLongLong() == b.toLongLong();
    }
    if (a.typeId() == QMetaType::QFont && b.typeId() == QMetaType::QFont) {
        const QFont fa = a.value<QFont>();
        const QFont fb = b.value<QFont>();
        return fa.family() == fb.family() && fa.pointSizeF() == fb.pointSizeF() && fa.bold() == fb.bold() &&
               fa.italic() == fb.italic() && fa.underline() == fb.underline() && fa.strikeOut() == fb.strikeOut();
    }
    if (a.typeId() == QMetaType::QByteArray && b.typeId() == QMetaType::QByteArray) {
        return a.toByteArray() == b.toByteArray();
    }
    if (a.typeId() == QMetaType::QString && b.typeId() == QMetaType::QString) {
        return a.toString() == b.toString();
    }
    return a == b;
}

QVariant PropertyBag::ReadProperty(const QString& name, const QVariant& defaultValue) const
{
    for (const auto& entry : mEntries) {
        if (entry.Name.compare(name, Qt::CaseInsensitive) != 0) {
            continue;
        }
        if (defaultValue.isValid() && entry.Value.typeId() != defaultValue.typeId() && IsNumeric(defaultValue) &&
            IsNumeric(entry.Value)) {
            QVariant converted = entry.Value;
            if (defaultValue.typeId() == QMetaType::Bool) {
                return QVariant(entry.Value.toLongLong() != 0);
            }
            if (converted.convert(defaultValue.metaType())) {
                return converted;
            }
        }
        return entry.Value;
    }
    return defaultValue;
}

void PropertyBag::WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue)
{
    if (defaultValue.isValid() && SameValue(value, defaultValue)) {
        for (auto it = mEntries.begin(); it != mEntries.end(); ++it) {
            if (it->Name.compare(name, Qt::CaseInsensitive) == 0) {
                mEntries.erase(it);
                break;
            }
        }
        return;
    }
    SetRaw(name, value);
}

bool PropertyBag::Contains(const QString& name) const
{
    for (const auto& entry : mEntries) {
        if (entry.Name.compare(name, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

void PropertyBag::SetRaw(const QString& name, const QVariant& value)
{
    for (auto& entry : mEntries) {
        if (entry.Name.compare(name, Qt::CaseInsensitive) == 0) {
            entry.Value = value;
            return;
        }
    }
    mEntries.push_back({name, value});
}
