// The fixed table of classic system colours and the colour translations built on it.
#include "GdiInternal.h"

#include <array>

namespace gdi {

namespace {

// Windows Standard (classic) scheme as COLORREF &H00BBGGRR, indices 0..30. Index 25 has no name;
// it holds the value the classic scheme reports for it.
constexpr std::array<DWORD, 31> kSysColors = {
    0xC8D0D4, // 0  COLOR_SCROLLBAR            RGB(212, 208, 200)
    0xA56E3A, // 1  COLOR_BACKGROUND           RGB(58, 110, 165)
    0x6A240A, // 2  COLOR_ACTIVECAPTION        RGB(10, 36, 106)
    0x808080, // 3  COLOR_INACTIVECAPTION
    0xC8D0D4, // 4  COLOR_MENU
    0xFFFFFF, // 5  COLOR_WINDOW
    0x000000, // 6  COLOR_WINDOWFRAME
    0x000000, // 7  COLOR_MENUTEXT
    0x000000, // 8  COLOR_WINDOWTEXT
    0xFFFFFF, // 9  COLOR_CAPTIONTEXT
    0xC8D0D4, // 10 COLOR_ACTIVEBORDER
    0xC8D0D4, // 11 COLOR_INACTIVEBORDER
    0x808080, // 12 COLOR_APPWORKSPACE
    0x6A240A, // 13 COLOR_HIGHLIGHT            RGB(10, 36, 106)
    0xFFFFFF, // 14 COLOR_HIGHLIGHTTEXT
    0xC8D0D4, // 15 COLOR_BTNFACE              RGB(212, 208, 200)
    0x808080, // 16 COLOR_BTNSHADOW
    0x808080, // 17 COLOR_GRAYTEXT
    0x000000, // 18 COLOR_BTNTEXT
    0xC8D0D4, // 19 COLOR_INACTIVECAPTIONTEXT
    0xFFFFFF, // 20 COLOR_BTNHIGHLIGHT
    0x404040, // 21 COLOR_3DDKSHADOW
    0xC8D0D4, // 22 COLOR_3DLIGHT
    0x000000, // 23 COLOR_INFOTEXT
    0xE1FFFF, // 24 COLOR_INFOBK               RGB(255, 255, 225)
    0xB5B5B5, // 25 (unnamed)
    0x800000, // 26 COLOR_HOTLIGHT             RGB(0, 0, 128)
    0xF0CAA6, // 27 COLOR_GRADIENTACTIVECAPTION   RGB(166, 202, 240)
    0xC0C0C0, // 28 COLOR_GRADIENTINACTIVECAPTION
    0x6A240A, // 29 COLOR_MENUHILIGHT
    0xC8D0D4, // 30 COLOR_MENUBAR
};

} // namespace

DWORD GetSysColor(int index)
{
    return index >= 0 && index < static_cast<int>(kSysColors.size()) ? kSysColors[static_cast<size_t>(index)] : 0;
}

HRESULT OleTranslateColor(OLE_COLOR color, HPALETTE, COLORREF* result)
{
    const DWORD type = color >> 24;
    COLORREF translated = 0;
    switch (type) {
    case 0x00:
    case 0x01:
    case 0x02:
        translated = color;
        break;
    case 0x80: {
        const DWORD index = color & 0xFFFF;
        if ((color & 0x00FF0000u) != 0 || index > static_cast<DWORD>(COLOR_MENUBAR)) {
            return E_INVALIDARG;
        }
        translated = GetSysColor(static_cast<int>(index));
        break;
    }
    default:
        return E_INVALIDARG;
    }
    if (result != nullptr) {
        *result = translated;
    }
    return S_OK;
}

COLORREF GetNearestColor(HDC dc, COLORREF color)
{
    if (detail::AsDc(dc) == nullptr) {
        return CLR_INVALID;
    }
    return color & 0x00FFFFFFu;
}

} // namespace gdi
