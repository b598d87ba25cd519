#pragma once

// Device contexts over QImage with the drawing calls of the classic Windows GDI, user32 and uxtheme
// that the owner-drawn controls make, under the same names and with the same pixel results.
//
// Coordinates are pixels, origin at the top-left of the surface, y growing downwards. Rectangles are
// half-open: Right and Bottom are not part of them. Colours are COLORREF values &H00BBGGRR (red in the
// low byte). Handles are plain pointers; every object made by a Create... call lives until the matching
// DeleteObject / DeleteDC / DestroyIcon / CloseThemeData, and a handle that is not (or no longer) alive
// is refused by every call with the Windows failure result instead of being dereferenced.

#include <QBitmap>
#include <QFont>
#include <QImage>
#include <QRegion>
#include <QSize>
#include <QString>

#include <cstdint>

class QWidget;

namespace gdi {

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using COLOR16 = std::uint16_t;
using COLORREF = std::uint32_t;
using OLE_COLOR = std::uint32_t;
using HRESULT = std::int32_t;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT E_HANDLE = static_cast<HRESULT>(0x80070006u);
constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;

struct RECT {
    LONG Left = 0;
    LONG Top = 0;
    LONG Right = 0;
    LONG Bottom = 0;
};

struct POINT {
    LONG X = 0;
    LONG Y = 0;
};

struct SIZE {
    LONG cx = 0;
    LONG cy = 0;
};

constexpr COLORREF RGB(int r, int g, int b)
{
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(COLORREF c)
{
    return static_cast<int>(c & 0xFF);
}
constexpr int GetGValue(COLORREF c)
{
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int GetBValue(COLORREF c)
{
    return static_cast<int>((c >> 16) & 0xFF);
}

// ---- handles ------------------------------------------------------------------------------------

// The object types are opaque: only their handles are used outside this layer. They are complete
// here so that a typed handle converts to HGDIOBJ.
class GdiObject {
public:
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    virtual ~GdiObject() = default;

protected:
    GdiObject() = default;
};
class Pen : public GdiObject {
protected:
    Pen() = default;
};
class Brush : public GdiObject {
protected:
    Brush() = default;
};
class Font : public GdiObject {
protected:
    Font() = default;
};
class Bitmap : public GdiObject {
protected:
    Bitmap() = default;
};
class Region : public GdiObject {
protected:
    Region() = default;
};
class DeviceContext;
class Icon;
class ThemeData;

using HGDIOBJ = GdiObject*;
using HPEN = Pen*;
using HBRUSH = Brush*;
using HFONT = Font*;
using HBITMAP = Bitmap*;
using HRGN = Region*;
using HDC = DeviceContext*;
using HICON = Icon*;
using HTHEME = ThemeData*;
using HWND = QWidget*;
using HPALETTE = void*;

// Number of live pens, brushes, fonts, bitmaps, regions, icons and device contexts made through this
// layer (stock objects excluded). Painters that release what they create leave it unchanged.
int LiveGdiObjects();

// ---- device contexts ----------------------------------------------------------------------------

// A device context that draws straight into *image (the control's own surface). The image must
// outlive the DC; it may be replaced or resized by its owner between calls (the DC reads the pointer
// every time). Format_RGB32 and Format_ARGB32 are drawn in place; any other format is converted to
// Format_RGB32 first. Release with DeleteDC.
HDC CreateImageDC(QImage* image);

// The surface a DC currently draws on: its image, or the bitmap selected into a memory DC.
// Null for a dead handle.
const QImage* GetDCImage(HDC dc);

// A display context; the surface is a 1 x 1 stand-in, as drawing on the screen itself is not offered.
HDC CreateDCA(const char* driver, const char* device, const char* output, const void* initData);
// A memory DC holding the 1 x 1 default bitmap until a bitmap is selected. dc may be null (screen).
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);

// Bitmaps are always 32-bit colour here (never monochrome, whatever DC they are made compatible
// with); the contents start black.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// A bitmap holding a copy of the image; an image with an alpha channel gives a 32-bit alpha bitmap
// (GetObject reports 32 bits per pixel), any other a 24-bit one.
HBITMAP CreateBitmapFromImage(const QImage& image);

// Selecting a pen, brush, font or bitmap returns the one it replaces (null on failure). A bitmap can
// be selected into one memory DC at a time. Regions are not selectable here.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
HPEN SelectObject(HDC dc, HPEN pen);
HBRUSH SelectObject(HDC dc, HBRUSH brush);
HFONT SelectObject(HDC dc, HFONT font);
HBITMAP SelectObject(HDC dc, HBITMAP bitmap);

// Deleting an object that is still selected into a DC fails (FALSE) and leaves it alive; stock objects
// are never deleted (TRUE, as Windows answers).
BOOL DeleteObject(HGDIOBJ object);

HGDIOBJ GetCurrentObject(HDC dc, UINT type);
constexpr UINT OBJ_PEN = 1;
constexpr UINT OBJ_BRUSH = 2;
constexpr UINT OBJ_FONT = 6;
constexpr UINT OBJ_BITMAP = 7;
constexpr UINT OBJ_REGION = 8;

// ---- stock objects, pens, brushes ---------------------------------------------------------------

constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int SYSTEM_FONT = 13;
constexpr int DEFAULT_GUI_FONT = 17;
HGDIOBJ GetStockObject(int index);

constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_NULL = 5;
// Width 0 and 1 give the one-pixel cosmetic pen; wider pens are drawn with round ends and joins.
// PS_DASH and PS_DOT are drawn solid.
HPEN CreatePen(int style, int width, COLORREF color);
HBRUSH CreateSolidBrush(COLORREF color);
// A stock brush of the system colour (never deleted).
HBRUSH GetSysColorBrush(int index);

// ---- fonts --------------------------------------------------------------------------------------

constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE SYMBOL_CHARSET = 2;
constexpr BYTE GB2312_CHARSET = 134;
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;

struct LOGFONT {
    LONG lfHeight = 0; // < 0: character height in pixels; > 0: cell height in pixels; 0: default size
    LONG lfWidth = 0;
    LONG lfEscapement = 0;
    LONG lfOrientation = 0;
    LONG lfWeight = 0; // 0 is normal weight
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = 0;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = 0;
    BYTE lfPitchAndFamily = 0;
    QString lfFaceName;
};

// The face "Marlett" gives the symbol font whose glyphs this layer draws itself (see DrawText).
HFONT CreateFontIndirect(const LOGFONT& logFont);
// A font handle for a control's font. Point sizes become pixel sizes at 96 dots per inch (8.25 pt is
// 11 pixels), so text measures the same on every screen.
HFONT CreateFontFromQFont(const QFont& font);
// The QFont a handle stands for (pixel-sized); the default font for a dead handle.
QFont GetFontQFont(HFONT font);

// ---- drawing state ------------------------------------------------------------------------------

constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF GetBkColor(HDC dc);
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);

// ---- rectangles ---------------------------------------------------------------------------------

BOOL SetRect(RECT* rect, int left, int top, int right, int bottom);
BOOL SetRectEmpty(RECT* rect);
BOOL CopyRect(RECT* destination, const RECT* source);
BOOL OffsetRect(RECT* rect, int dx, int dy);
BOOL InflateRect(RECT* rect, int dx, int dy);
BOOL IsRectEmpty(const RECT* rect);
BOOL PtInRect(const RECT* rect, POINT point);
BOOL IntersectRect(RECT* destination, const RECT* a, const RECT* b);

// ---- lines, rectangles, pixels ------------------------------------------------------------------

BOOL MoveToEx(HDC dc, int x, int y, POINT* previous);
// Draws from the current position to (x, y) with the selected pen; a one-pixel pen leaves the end
// point itself undrawn (Bresenham steps along the major axis). The end becomes the current position.
BOOL LineTo(HDC dc, int x, int y);
// Fills left..right-1 x top..bottom-1; a rectangle given right-to-left or bottom-to-top is filled
// as its normalised form.
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
// A one-pixel frame on the rectangle's outermost pixels; nothing for an empty rectangle.
int FrameRect(HDC dc, const RECT* rect, HBRUSH brush);
// Outline with the pen, inside with the brush; the outline lies on left..right-1 x top..bottom-1.
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
// Inverts the colours in the rectangle.
BOOL InvertRect(HDC dc, const RECT* rect);
// Returns the colour set, or CLR_INVALID outside the surface.
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
BOOL SetPixelV(HDC dc, int x, int y, COLORREF color);
// CLR_INVALID outside the surface.
COLORREF GetPixel(HDC dc, int x, int y);

// ---- blits and device-independent bitmaps -------------------------------------------------------

constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD SRCPAINT = 0x00EE0086;
constexpr DWORD SRCAND = 0x008800C6;
constexpr DWORD SRCINVERT = 0x00660046;
constexpr DWORD SRCERASE = 0x00440328;
constexpr DWORD NOTSRCCOPY = 0x00330008;
constexpr DWORD NOTSRCERASE = 0x001100A6;
constexpr DWORD MERGEPAINT = 0x00BB0226;
constexpr DWORD DSTINVERT = 0x00550009;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;
constexpr DWORD PATCOPY = 0x00F00021;
constexpr DWORD PATINVERT = 0x005A0049;

// Raster operations: the source operations above, PATCOPY/PATINVERT with the selected brush, and
// DSTINVERT/BLACKNESS/WHITENESS. The fourth byte of 32-bit pixels travels with the pixel between
// memory bitmaps (alpha pictures rely on it); surfaces without alpha keep it at 0xFF.
BOOL BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int xSrc, int ySrc, DWORD rop);
BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);
// Nearest-pixel stretching; negative widths or heights mirror.
BOOL StretchBlt(HDC destination, int x, int y, int width, int height, HDC source, int xSrc, int ySrc, int widthSrc,
                int heightSrc, DWORD rop);

constexpr DWORD BI_RGB = 0;
constexpr UINT DIB_RGB_COLORS = 0;

struct BITMAPINFOHEADER {
    DWORD biSize = 40;
    LONG biWidth = 0;
    LONG biHeight = 0; // > 0: bottom-up rows (the first row in memory is the bottom one); < 0: top-down
    WORD biPlanes = 1;
    WORD biBitCount = 0; // 24 or 32 here
    DWORD biCompression = BI_RGB;
    DWORD biSizeImage = 0;
    LONG biXPelsPerMeter = 0;
    LONG biYPelsPerMeter = 0;
    DWORD biClrUsed = 0;
    DWORD biClrImportant = 0;
};

struct RGBQUAD {
    BYTE rgbBlue = 0;
    BYTE rgbGreen = 0;
    BYTE rgbRed = 0;
    BYTE rgbReserved = 0;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

// Bytes of one DIB row: bits per pixel x width, rounded up to whole 32-bit words.
int DibStride(int width, int bitCount);

// Reads scan lines start..start+lines-1 (counted from the bottom for a bottom-up header) of the bitmap
// into bits as blue, green, red (and the fourth byte for 32 bits: the alpha of an alpha bitmap, 0
// otherwise). With bits null only the header is completed (size, bit count 32 when 0, image size).
// Returns the number of lines read, 0 on failure.
int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage);
// Writes the source rectangle (xSrc, ySrc counted from the bottom-left of a bottom-up DIB) of the
// scan lines startScan..startScan+lines-1 held in bits at (x, y). Returns the lines written.
int SetDIBitsToDevice(HDC dc, int x, int y, DWORD width, DWORD height, int xSrc, int ySrc, UINT startScan, UINT lines,
                      const void* bits, const BITMAPINFO* info, UINT usage);
// Nearest-pixel stretching of a DIB (source origin at the bottom-left for bottom-up DIBs). Returns
// the number of scan lines drawn, 0 on failure.
int StretchDIBits(HDC dc, int x, int y, int width, int height, int xSrc, int ySrc, int widthSrc, int heightSrc,
                  const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop);

// ---- gradients ----------------------------------------------------------------------------------

struct TRIVERTEX {
    LONG X = 0;
    LONG Y = 0;
    COLOR16 Red = 0; // 16-bit channels: the 8-bit value times 256
    COLOR16 Green = 0;
    COLOR16 Blue = 0;
    COLOR16 Alpha = 0;
};

struct GRADIENT_RECT {
    ULONG UpperLeft = 0;
    ULONG LowerRight = 1;
};

constexpr ULONG GRADIENT_FILL_RECT_H = 0;
constexpr ULONG GRADIENT_FILL_RECT_V = 1;

// Fills each GRADIENT_RECT from vertex UpperLeft to vertex LowerRight (the rectangle spans
// min(x)..max(x)-1 and min(y)..max(y)-1, the colours staying with their vertices). Along the gradient
// axis, with len pixels and pos = 0..len-1 from the first vertex, each channel is
// (c0 * (len - pos) + c1 * pos) / len / 256 in unsigned integer arithmetic: the first pixel has the
// first colour exactly and the last pixel stops one step short of the second colour.
// Triangle meshes are not supported (FALSE).
BOOL GradientFill(HDC dc, const TRIVERTEX* vertices, ULONG vertexCount, const void* mesh, ULONG meshCount, ULONG mode);

// ---- text ---------------------------------------------------------------------------------------

constexpr UINT DT_TOP = 0x0;
constexpr UINT DT_LEFT = 0x0;
constexpr UINT DT_CENTER = 0x1;
constexpr UINT DT_RIGHT = 0x2;
constexpr UINT DT_VCENTER = 0x4;
constexpr UINT DT_BOTTOM = 0x8;
constexpr UINT DT_WORDBREAK = 0x10;
constexpr UINT DT_SINGLELINE = 0x20;
constexpr UINT DT_EXPANDTABS = 0x40;
constexpr UINT DT_NOCLIP = 0x100;
constexpr UINT DT_CALCRECT = 0x400;
constexpr UINT DT_NOPREFIX = 0x800;
constexpr UINT DT_END_ELLIPSIS = 0x8000;
constexpr UINT DT_RTLREADING = 0x20000;

// Draws text (count -1: the whole text) with the selected font, text colour and background mode.
// Without DT_NOPREFIX "&x" underlines x and "&&" gives "&". DT_WORDBREAK breaks lines between words;
// a word wider than the rectangle is not broken (DT_CALCRECT widens the rectangle to it); CJK text
// may break between any two characters.
// Lines are the font's ascent + descent high. DT_VCENTER and DT_BOTTOM act on single-line text only.
// DT_CALCRECT draws nothing and sets Right and Bottom to the text's extent (Left and Top stay).
// Text is clipped to the rectangle unless DT_NOCLIP. Returns the text's height in pixels.
// With the Marlett font selected, each character is a symbol drawn as pixels in a square cell of the
// font's pixel height: "0" minimise, "1" maximise, "2" restore, "3" left, "4" right, "5" up and "6"
// down triangles, "t" and "u" small up and down triangles, "r" a close cross; other characters are
// empty cells.
int DrawText(HDC dc, const QString& text, int count, RECT* rect, UINT format);
inline int DrawTextW(HDC dc, const QString& text, int count, RECT* rect, UINT format)
{
    return DrawText(dc, text, count, rect, format);
}
BOOL GetTextExtentPoint32(HDC dc, const QString& text, int count, SIZE* size);

// ---- icons --------------------------------------------------------------------------------------

constexpr UINT DI_MASK = 0x1;
constexpr UINT DI_IMAGE = 0x2;
constexpr UINT DI_NORMAL = 0x3;

HICON CreateIconFromImage(const QImage& image);
BOOL DestroyIcon(HICON icon);
QSize GetIconSize(HICON icon);
// With a brush, the cx x cy cell is filled with it first and the icon composed over it (source over,
// by the icon's alpha). cx or cy 0 use the icon's own size.
BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT stepIfAniCur, HBRUSH flickerFreeDraw,
                UINT flags);

// ---- three-dimensional borders and focus rectangle ----------------------------------------------

constexpr UINT BDR_RAISEDOUTER = 0x1;
constexpr UINT BDR_SUNKENOUTER = 0x2;
constexpr UINT BDR_RAISEDINNER = 0x4;
constexpr UINT BDR_SUNKENINNER = 0x8;
constexpr UINT EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr UINT EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr UINT EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
constexpr UINT EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
constexpr UINT BF_LEFT = 0x1;
constexpr UINT BF_TOP = 0x2;
constexpr UINT BF_RIGHT = 0x4;
constexpr UINT BF_BOTTOM = 0x8;
constexpr UINT BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
constexpr UINT BF_MIDDLE = 0x800;
constexpr UINT BF_ADJUST = 0x2000;

// Classic three-dimensional border in the system colours: the outer ring (top/left light, bottom/right
// dark for raised; mirrored for sunken), then the inner ring one pixel inside. In each ring the
// bottom and right lines are drawn last over the full side, so the top-right and bottom-left corner
// pixels take the bottom/right colour. BF_MIDDLE fills the inside with the button face; BF_ADJUST
// shrinks *rect by the border drawn.
BOOL DrawEdge(HDC dc, RECT* rect, UINT edge, UINT flags);
// Inverts every other pixel of the rectangle's outermost ring: the pixels whose x + y is even. Drawing
// the same rectangle twice restores the surface.
BOOL DrawFocusRect(HDC dc, const RECT* rect);

// ---- regions ------------------------------------------------------------------------------------

constexpr int RGN_AND = 1;
constexpr int RGN_OR = 2;
constexpr int RGN_XOR = 3;
constexpr int RGN_DIFF = 4;
constexpr int RGN_COPY = 5;
constexpr int RGN_ERROR = 0; // the Windows name ERROR collides too easily
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rect);
// The rounded region covers left..right-2 x top..bottom-2 (one pixel less than the rectangle at the
// right and the bottom, as Windows builds it; callers pass width + 1 and height + 1 for a whole
// window). Corner ellipse radii are ellipseWidth \ 2 and ellipseHeight \ 2 pixels (after clamping to
// the size); in each corner square a pixel is left out when its outermost corner point lies strictly
// outside that ellipse. So 3 x 3 leaves out one pixel per corner and 4 x 4 three (the corner pixel
// and its two neighbours on the edges). Ellipses below 2 give the plain rectangle.
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
HRGN CreateRegionFromQRegion(const QRegion& region);
// Result: NULLREGION, SIMPLEREGION, COMPLEXREGION, or RGN_ERROR. destination may be one of the sources.
int CombineRgn(HRGN destination, HRGN source1, HRGN source2, int mode);
BOOL PtInRegion(HRGN region, int x, int y);
BOOL EqualRgn(HRGN a, HRGN b);
int OffsetRgn(HRGN region, int dx, int dy);
int GetRgnBox(HRGN region, RECT* box);
BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom);
BOOL FillRgn(HDC dc, HRGN region, HBRUSH brush);

// The pixels of a region, for QWidget::setMask.
QRegion RegionToQRegion(HRGN region);
QBitmap RegionToMask(HRGN region, QSize size);

// The window takes the region over: it becomes the widget's mask (null clears the mask), the region
// replaced before is deleted, and the region is deleted with the widget. Returns 0 on failure (the
// region then stays the caller's).
int SetWindowRgn(HWND window, HRGN region, BOOL redraw);
// The region the window owns now (null when none); it stays the window's.
HRGN GetWindowRgnHandle(HWND window);

// ---- system colours -----------------------------------------------------------------------------

constexpr int COLOR_SCROLLBAR = 0;
constexpr int COLOR_BACKGROUND = 1;
constexpr int COLOR_ACTIVECAPTION = 2;
constexpr int COLOR_INACTIVECAPTION = 3;
constexpr int COLOR_MENU = 4;
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWFRAME = 6;
constexpr int COLOR_MENUTEXT = 7;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_CAPTIONTEXT = 9;
constexpr int COLOR_ACTIVEBORDER = 10;
constexpr int COLOR_INACTIVEBORDER = 11;
constexpr int COLOR_APPWORKSPACE = 12;
constexpr int COLOR_HIGHLIGHT = 13;
constexpr int COLOR_HIGHLIGHTTEXT = 14;
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_BTNSHADOW = 16;
constexpr int COLOR_GRAYTEXT = 17;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_INACTIVECAPTIONTEXT = 19;
constexpr int COLOR_BTNHIGHLIGHT = 20;
constexpr int COLOR_3DDKSHADOW = 21;
constexpr int COLOR_3DLIGHT = 22;
constexpr int COLOR_INFOTEXT = 23;
constexpr int COLOR_INFOBK = 24;
constexpr int COLOR_HOTLIGHT = 26;
constexpr int COLOR_GRADIENTACTIVECAPTION = 27;
constexpr int COLOR_GRADIENTINACTIVECAPTION = 28;
constexpr int COLOR_MENUHILIGHT = 29;
constexpr int COLOR_MENUBAR = 30;
constexpr int COLOR_3DFACE = COLOR_BTNFACE;
constexpr int COLOR_3DSHADOW = COLOR_BTNSHADOW;
constexpr int COLOR_3DHILIGHT = COLOR_BTNHIGHLIGHT;

// The classic (Windows Standard) scheme, fixed so that pictures are the same on every machine:
// button face RGB(212, 208, 200) = &H00C8D0D4, shadow &H00808080, dark shadow &H00404040, highlight
// &H00FFFFFF, grey text &H00808080, button text &H00000000, highlight &H006A240A. 0 for an index
// outside 0..30.
DWORD GetSysColor(int index);
// OLE colours: type byte 0x00, 0x01 (palette index, no palette here) and 0x02 pass through unchanged;
// 0x80 with an index 0..30 in the low word gives GetSysColor(index); anything else fails with
// E_INVALIDARG and leaves *result untouched.
HRESULT OleTranslateColor(OLE_COLOR color, HPALETTE palette, COLORREF* result);
// Every colour exists on a 24/32-bit surface: the colour itself (the low three bytes).
COLORREF GetNearestColor(HDC dc, COLORREF color);

// ---- visual styles ------------------------------------------------------------------------------

constexpr int BP_PUSHBUTTON = 1;
constexpr int PBS_NORMAL = 1;
constexpr int PBS_HOT = 2;
constexpr int PBS_PRESSED = 3;
constexpr int PBS_DISABLED = 4;
constexpr int PBS_DEFAULTED = 5;

// True when a QApplication with a style exists and the platform draws on a real screen (not the
// "offscreen" or "minimal" platforms), so that style 13 falls back the same way in every headless run.
BOOL IsAppThemed();
// Test hook: -1 restores the automatic answer, 0 and 1 force it.
void SetAppThemedOverride(int themed);
// A theme for the class list; only "Button" is known. Null when not themed or unknown.
HTHEME OpenThemeData(HWND window, const QString& classList);
HRESULT CloseThemeData(HTHEME theme);
// The push-button panel of the application's Qt style, drawn into the DC's surface inside rect and
// clipped to clip (when given).
HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* rect, const RECT* clip);
// The outline of the push button: the rectangle without its four corner pixels. *region is a new
// region that belongs to the caller.
HRESULT GetThemeBackgroundRegion(HTHEME theme, HDC dc, int part, int state, const RECT* rect, HRGN* region);

// ---- object information -------------------------------------------------------------------------

struct BITMAP {
    LONG bmType = 0;
    LONG bmWidth = 0;
    LONG bmHeight = 0;
    LONG bmWidthBytes = 0;
    WORD bmPlanes = 1;
    WORD bmBitsPixel = 0; // 32 for alpha bitmaps, 24 otherwise
    void* bmBits = nullptr;
};

// Fills *out and returns the bytes written (sizeof(BITMAP)); 0 for a dead handle.
int GetObject(HBITMAP bitmap, int size, BITMAP* out);
// A copy of the bitmap's pixels (Format_ARGB32 for alpha bitmaps, Format_RGB32 otherwise).
QImage GetBitmapImage(HBITMAP bitmap);

} // namespace gdi
