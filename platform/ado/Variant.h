#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <variant>

namespace Ado {

// A field value as the forms read it: Empty (never assigned), Null (the database's NULL),
// a whole number, a floating-point number, a text or a byte array (long binary columns).
class Variant {
public:
    enum class Kind { Empty, Null, Integer, Double, Text, Bytes };

    Variant() = default;
    Variant(int value) : mValue(std::int64_t{value}) {}
    Variant(std::int64_t value) : mValue(value) {}
    Variant(long long value) : mValue(static_cast<std::int64_t>(value)) {}
    Variant(double value) : mValue(value) {}
    Variant(const QString& value) : mValue(value) {}
    Variant(const char16_t* value) : mValue(QString::fromUtf16(value)) {}
    Variant(const QByteArray& value) : mValue(value) {}

    static Variant Null();

    Kind Type() const;
    bool IsEmpty() const { return Type() == Kind::Empty; }
    bool IsNull() const { return Type() == Kind::Null; }
    bool IsNumeric() const { return Type() == Kind::Integer || Type() == Kind::Double; }

    // Whole numbers follow the language's conversions: floating point and numeric text round to
    // nearest with ties to even; Empty is 0. Null raises "invalid use of Null" (94), text that is
    // no number "type mismatch" (13), a value out of range "overflow" (6).
    std::int32_t ToInt() const;   // 32-bit Long
    std::int16_t ToInt16() const; // 16-bit Integer
    std::int64_t ToInt64() const;
    double ToDouble() const;

    // Text of the value: numbers in their ordinary decimal form, Null and Empty as the empty text
    // (as a field joined to "" reads). Bytes raise "type mismatch".
    QString ToString() const;

    // Bytes of a long binary value; Empty is no bytes, Null raises "invalid use of Null", other kinds
    // "type mismatch".
    QByteArray ToBytes() const;

    // Same kind and same value; Null equals Null here, which is what tests want to compare.
    bool operator==(const Variant& other) const = default;

private:
    struct NullTag {
        bool operator==(const NullTag&) const = default;
    };
    std::variant<std::monostate, NullTag, std::int64_t, double, QString, QByteArray> mValue;
};

} // namespace Ado
