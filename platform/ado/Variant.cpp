#include "Variant.h"

#include "RuntimeError.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace Ado {

namespace {

[[noreturn]] void RaiseOverflow()
{
    throw RuntimeError(6, QStringLiteral("溢出"));
}

[[noreturn]] void RaiseTypeMismatch()
{
    throw RuntimeError(13, QStringLiteral("类型不匹配"));
}

[[noreturn]] void RaiseInvalidUseOfNull()
{
    throw RuntimeError(94, QStringLiteral("无效使用 Null"));
}

// Numeric text as the language converts it: blanks around it are ignored, the decimal point is ".".
double TextToDouble(const QString& text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok) {
        RaiseTypeMismatch();
    }
    return value;
}

std::int64_t RoundToInt64(double value)
{
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    constexpr double limit = 9223372036854775808.0;
    const double rounded = std::nearbyint(value);
    if (!std::isfinite(rounded) || rounded >= limit || rounded < -limit) {
        RaiseOverflow();
    }
    return static_cast<std::int64_t>(rounded);
}

} // namespace

Variant Variant::Null()
{
    Variant value;
    value.mValue = NullTag{};
    return value;
}

Variant::Kind Variant::Type() const
{
    return static_cast<Kind>(mValue.index());
}

std::int64_t Variant::ToInt64() const
{
    switch (Type()) {
    case Kind::Empty:
        return 0;
    case Kind::Null:
        RaiseInvalidUseOfNull();
    case Kind::Integer:
        return std::get<std::int64_t>(mValue);
    case Kind::Double:
        return RoundToInt64(std::get<double>(mValue));
    case Kind::Text: {
        bool ok = false;
        const std::int64_t whole = QLocale::c().toLongLong(std::get<QString>(mValue).trimmed(), &ok);
        return ok ? whole : RoundToInt64(TextToDouble(std::get<QString>(mValue)));
    }
    case Kind::Bytes:
        break;
    }
    RaiseTypeMismatch();
}

std::int32_t Variant::ToInt() const
{
    const std::int64_t value = ToInt64();
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max()) {
        RaiseOverflow();
    }
    return static_cast<std::int32_t>(value);
}

std::int16_t Variant::ToInt16() const
{
    const std::int64_t value = ToInt64();
    if (value < std::numeric_limits<std::int16_t>::min() || value > std::numeric_limits<std::int16_t>::max()) {
        RaiseOverflow();
    }
    return static_cast<std::int16_t>(value);
}

double Variant::ToDouble() const
{
    switch (Type()) {
    case Kind::Empty:
        return 0.0;
    case Kind::Null:
        RaiseInvalidUseOfNull();
    case Kind::Integer:
        return static_cast<double>(std::get<std::int64_t>(mValue));
    case Kind::Double:
        return std::get<double>(mValue);
    case Kind::Text:
        return TextToDouble(std::get<QString>(mValue));
    case Kind::Bytes:
        break;
    }
    RaiseTypeMismatch();
}

QString Variant::ToString() const
{
    switch (Type()) {
    case Kind::Empty:
    case Kind::Null:
        return {};
    case Kind::Integer:
        return QString::number(std::get<std::int64_t>(mValue));
    case Kind::Double:
        // Fifteen significant digits, a decimal point only when there is a fraction: 2.5, 20, 0.1.
        return QLocale::c().toString(std::get<double>(mValue), 'g', 15);
    case Kind::Text:
        return std::get<QString>(mValue);
    case Kind::Bytes:
        break;
    }
    RaiseTypeMismatch();
}

QByteArray Variant::ToBytes() const
{
    switch (Type()) {
    case Kind::Empty:
        return {};
    case Kind::Null:
        RaiseInvalidUseOfNull();
    case Kind::Bytes:
        return std::get<QByteArray>(mValue);
    default:
        break;
    }
    RaiseTypeMismatch();
}

} // namespace Ado
