#include "OleColor.h"

#include <Gdi.h>

#include <cstdint>

QColor OleColorToQColor(int oleColor)
{
    auto value = static_cast<std::uint32_t>(oleColor);
    if ((value & 0xFF000000u) == 0x80000000u) {
        value = gdi::GetSysColor(static_cast<int>(value & 0xFFFFu));
    }
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

int QColorToOleColor(const QColor& color)
{
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}
