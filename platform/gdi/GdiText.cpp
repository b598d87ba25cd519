// DrawText with word breaks, access-key prefixes and the Marlett symbols.
#include "GdiInternal.h"

#include <QFontMetrics>
#include <QTextLayout>

#include <cmath>
#include <vector>

namespace gdi {

using namespace detail;

namespace {

struct PreparedText {
    QString Text;
    std::vector<int> Underlined; // positions in Text of the access-key characters
};

// "&x" marks x as the access key and "&&" is a literal "&"; a trailing "&" disappears.
PreparedText StripPrefixes(const QString& text, bool noPrefix)
{
    PreparedText out;
    if (noPrefix) {
        out.Text = text;
        return out;
    }
    out.Text.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&') {
            if (i + 1 >= text.size()) {
                break;
            }
            ++i;
            if (text[i] != u'&') {
                out.Underlined.push_back(static_cast<int>(out.Text.size()));
            }
        }
        out.Text.append(text[i]);
    }
    return out;
}

// Code page 936 encodes these Latin-1 symbols in two bytes, and the Song face the forms were designed with
// draws them full-width: its "×" is a cross about two thirds of the em across. The Song face that stands
// in for it has them half-width and small (a 9-point bold "×" was a 4 x 4 pixel speck), so they come from
// a Song face that has them full-width. Only Song text is concerned; other faces keep their own.
const QString& WideSymbolFace()
{
    static const QString face = QStringLiteral("AR PL SungtiL GB");
    return face;
}

bool IsWideSymbol(QChar c)
{
    switch (c.unicode()) {
    case 0x00A4:
    case 0x00A7:
    case 0x00A8:
    case 0x00B0:
    case 0x00B1:
    case 0x00D7:
    case 0x00F7:
        return true;
    default:
        return false;
    }
}

bool IsSongFace(const QFont& font)
{
    const QString family = font.family();
    return family == u"宋体" || family.compare(u"SimSun", Qt::CaseInsensitive) == 0 || family == u"新宋体" ||
           family.compare(u"NSimSun", Qt::CaseInsensitive) == 0;
}

QList<QTextLayout::FormatRange> WideSymbolFormats(const QString& text, const QFont& font)
{
    QList<QTextLayout::FormatRange> formats;
    if (!IsSongFace(font)) {
        return formats;
    }
    QFont wide = font;
    wide.setFamilies({WideSymbolFace(), font.family()});
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!IsWideSymbol(text[i])) {
            continue;
        }
        if (!formats.isEmpty() && formats.back().start + formats.back().length == i) {
            ++formats.back().length;
            continue;
        }
        QTextLayout::FormatRange range;
        range.start = static_cast<int>(i);
        range.length = 1;
        range.format.setFont(wide, QTextCharFormat::FontPropertiesAll);
        formats.push_back(range);
    }
    return formats;
}

// One line at a baseline; the wide symbols of Song text through a layout that gives them their face.
void DrawLine(QPainter& p, const QString& text, const QFont& font, int x, int baseline, bool rtl)
{
    const QList<QTextLayout::FormatRange> formats = WideSymbolFormats(text, font);
    if (formats.isEmpty()) {
        p.drawText(QPoint(x, baseline), text);
        return;
    }
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTextDirection(rtl ? Qt::RightToLeft : Qt::LeftToRight);
    layout.setTextOption(option);
    layout.setFormats(formats);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1.0e6);
    line.setPosition(QPointF(0, 0));
    layout.endLayout();
    const qreal left = rtl ? line.width() - line.naturalTextWidth() : 0;
    layout.draw(&p, QPointF(x - left, baseline - line.ascent()));
}

struct Line {
    int Start = 0; // in PreparedText::Text
    int Length = 0;
    int Width = 0; // pixels, rounded up
};

// Paragraphs at CR, LF or CR LF; with a width, each paragraph wrapped at word boundaries. A word wider
// than the line stays whole and sticks out, as DT_CALCRECT then reports by widening the rectangle.
std::vector<Line> BreakLines(const QString& text, const QFont& font, bool singleLine, bool wrap, int width, bool rtl)
{
    std::vector<Line> lines;
    const auto addParagraph = [&](int start, int length) {
        const QString paragraph = text.mid(start, length);
        QTextLayout layout(paragraph, font);
        QTextOption option;
        option.setWrapMode(wrap ? QTextOption::WordWrap : QTextOption::NoWrap);
        option.setTextDirection(rtl ? Qt::RightToLeft : Qt::LeftToRight);
        layout.setTextOption(option);
        layout.setFormats(WideSymbolFormats(paragraph, font));
        layout.beginLayout();
        bool any = false;
        for (;;) {
            QTextLine line = layout.createLine();
            if (!line.isValid()) {
                break;
            }
            // Without wrapping the line still needs a width to be laid out at all.
            line.setLineWidth(wrap ? std::max(width, 1) : 1.0e6);
            any = true;
            lines.push_back(Line{start + line.textStart(), line.textLength(),
                                 static_cast<int>(std::ceil(line.naturalTextWidth() - 0.01))});
        }
        layout.endLayout();
        if (!any) {
            lines.push_back(Line{start, 0, 0});
        }
    };
    if (singleLine) {
        addParagraph(0, static_cast<int>(text.size()));
        return lines;
    }
    int start = 0;
    for (int i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == u'\r' || text[i] == u'\n') {
            addParagraph(start, i - start);
            if (i < text.size() && text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    return lines;
}

// ---- Marlett --------------------------------------------------------------------------------------

void Span(QImage& image, const QRect& clip, int x0, int x1, int y, COLORREF color)
{
    for (int x = x0; x <= x1; ++x) {
        if (clip.contains(x, y)) {
            PutPixel(image, x, y, color);
        }
    }
}

// Triangle of base b (odd) pointing down, up, left or right, centred in the s x s cell at (cx, cy).
void Triangle(QImage& image, const QRect& clip, int cx, int cy, int s, int base, char direction, COLORREF color)
{
    const int depth = (base + 1) / 2;
    for (int i = 0; i < depth; ++i) {
        const int from = (s - base) / 2 + i;
        const int to = (s - base) / 2 + base - 1 - i;
        const int along = (s - depth) / 2;
        switch (direction) {
        case 'd':
            Span(image, clip, cx + from, cx + to, cy + along + i, color);
            break;
        case 'u':
            Span(image, clip, cx + from, cx + to, cy + along + depth - 1 - i, color);
            break;
        case 'r':
            for (int y = from; y <= to; ++y) {
                Span(image, clip, cx + along + i, cx + along + i, cy + y, color);
            }
            break;
        default:
            for (int y = from; y <= to; ++y) {
                Span(image, clip, cx + along + depth - 1 - i, cx + along + depth - 1 - i, cy + y, color);
            }
            break;
        }
    }
}

void Box(QImage& image, const QRect& clip, int x, int y, int size, COLORREF color)
{
    for (int i = 0; i < size; ++i) {
        Span(image, clip, x + i, x + i, y + size - 1, color);
        Span(image, clip, x, x, y + i, color);
        Span(image, clip, x + size - 1, x + size - 1, y + i, color);
    }
    Span(image, clip, x, x + size - 1, y, color);
    Span(image, clip, x, x + size - 1, y + 1, color);
}

int OddAtLeast(int value, int minimum)
{
    value = std::max(value, minimum);
    return value % 2 == 0 ? value - 1 : value;
}

void MarlettGlyph(QImage& image, const QRect& clip, QChar ch, int x, int y, int s, COLORREF color)
{
    const int large = OddAtLeast(s / 2 + 1, 3); // 14 pixels: a triangle 7 wide and 4 deep
    const int small = OddAtLeast(s / 3 + 1, 3); // 14 pixels: 5 wide and 3 deep
    switch (ch.unicode()) {
    case u'0': {
        const int w = s / 2;
        const int y0 = y + (s * 3) / 4 - 1;
        Span(image, clip, x + (s - w) / 2, x + (s - w) / 2 + w - 1, y0, color);
        Span(image, clip, x + (s - w) / 2, x + (s - w) / 2 + w - 1, y0 + 1, color);
        break;
    }
    case u'1':
        Box(image, clip, x + (s - (s * 2) / 3) / 2, y + (s - (s * 2) / 3) / 2, (s * 2) / 3, color);
        break;
    case u'2': {
        const int b = s / 2;
        const int x0 = x + (s - b - 2) / 2;
        const int y0 = y + (s - b - 2) / 2;
        Box(image, clip, x0 + 2, y0, b, color);
        Box(image, clip, x0, y0 + 2, b, color);
        break;
    }
    case u'3':
        Triangle(image, clip, x, y, s, large, 'l', color);
        break;
    case u'4':
        Triangle(image, clip, x, y, s, large, 'r', color);
        break;
    case u'5':
        Triangle(image, clip, x, y, s, large, 'u', color);
        break;
    case u'6':
        Triangle(image, clip, x, y, s, large, 'd', color);
        break;
    case u't':
        Triangle(image, clip, x, y, s, small, 'u', color);
        break;
    case u'u':
        Triangle(image, clip, x, y, s, small, 'd', color);
        break;
    case u'r': {
        const int w = OddAtLeast(s / 2 + 1, 3);
        const int x0 = x + (s - w) / 2;
        const int y0 = y + (s - w) / 2;
        for (int i = 0; i < w; ++i) {
            Span(image, clip, x0 + i, std::min(x0 + i + 1, x0 + w - 1), y0 + i, color);
            Span(image, clip, std::max(x0 + w - 2 - i, x0), x0 + w - 1 - i, y0 + i, color);
        }
        break;
    }
    default:
        break;
    }
}

int MarlettText(DeviceContext& dc, QImage* image, const QString& text, RECT* rect, UINT format)
{
    const int s = dc.SelectedFont->Em;
    const int width = static_cast<int>(text.size()) * s;
    if (format & DT_CALCRECT) {
        rect->Right = rect->Left + width;
        rect->Bottom = rect->Top + s;
        return s;
    }
    int x = rect->Left;
    if (format & DT_CENTER) {
        x = rect->Left + (rect->Right - rect->Left - width) / 2;
    } else if (format & DT_RIGHT) {
        x = rect->Right - width;
    }
    int y = rect->Top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER) {
            y = rect->Top + (rect->Bottom - rect->Top - s) / 2;
        } else if (format & DT_BOTTOM) {
            y = rect->Bottom - s;
        }
    }
    if (image != nullptr) {
        const QRect clip = (format & DT_NOCLIP) ? image->rect() : ToQRect(*rect).intersected(image->rect());
        if (dc.BkMode == OPAQUE) {
            FillWords(*image, QRect(x, y, width, s).intersected(clip), Drawn(*image, dc.BkColor));
        }
        for (qsizetype i = 0; i < text.size(); ++i) {
            MarlettGlyph(*image, clip, text[i], x + static_cast<int>(i) * s, y, s, dc.TextColor);
        }
    }
    return y - rect->Top + s;
}

} // namespace

int DrawText(HDC dc, const QString& text, int count, RECT* rect, UINT format)
{
    DeviceContext* d = AsDc(dc);
    if (d == nullptr || rect == nullptr) {
        return 0;
    }
    QImage* image = d->Surface();
    const QString whole = count < 0 ? text : text.left(count);
    if (d->SelectedFont->Marlett) {
        return MarlettText(*d, image, whole, rect, format);
    }
    const QFont font = d->SelectedFont->QtFont;
    const QFontMetrics metrics(font);
    const int lineHeight = metrics.height();
    const bool singleLine = (format & DT_SINGLELINE) != 0;
    const bool rtl = (format & DT_RTLREADING) != 0;
    PreparedText prepared = StripPrefixes(whole, (format & DT_NOPREFIX) != 0);
    const int rectWidth = rect->Right - rect->Left;
    std::vector<Line> lines =
        BreakLines(prepared.Text, font, singleLine, !singleLine && (format & DT_WORDBREAK) != 0, rectWidth, rtl);
    std::vector<QString> shown;
    int widest = 0;
    for (Line& line : lines) {
        QString part = prepared.Text.mid(line.Start, line.Length);
        if ((format & DT_END_ELLIPSIS) && line.Width > rectWidth) {
            part = metrics.elidedText(part, Qt::ElideRight, rectWidth);
            line.Width = metrics.horizontalAdvance(part);
        }
        while (!part.isEmpty() && (part.back() == u'\r' || part.back() == u'\n')) {
            part.chop(1);
        }
        shown.push_back(part);
        widest = std::max(widest, line.Width);
    }
    const int textHeight = whole.isEmpty() ? 0 : static_cast<int>(lines.size()) * lineHeight;
    if (format & DT_CALCRECT) {
        rect->Right = rect->Left + widest;
        rect->Bottom = rect->Top + textHeight;
        return textHeight;
    }
    int y = rect->Top;
    if (singleLine && (format & DT_VCENTER)) {
        y = rect->Top + (rect->Bottom - rect->Top - lineHeight) / 2;
    } else if (singleLine && (format & DT_BOTTOM)) {
        y = rect->Bottom - lineHeight;
    }
    const int result = (singleLine && (format & (DT_VCENTER | DT_BOTTOM))) ? y - rect->Top + lineHeight : textHeight;
    if (image == nullptr || whole.isEmpty()) {
        return result;
    }
    const QRect clip = (format & DT_NOCLIP) ? image->rect() : ToQRect(*rect);
    const QRect area = QRect(rect->Left, y, std::max(widest, rectWidth), textHeight).united(ToQRect(*rect));
    const QColor textColor = QColor::fromRgb(ToQRgb(d->TextColor));
    const QColor bkColor = QColor::fromRgb(ToQRgb(d->BkColor));
    const bool opaque = d->BkMode == OPAQUE;
    PaintOn(*image, area.intersected(clip), [&](QPainter& p) {
        p.setClipRect(clip, Qt::IntersectClip);
        p.setFont(font);
        p.setPen(textColor);
        p.setLayoutDirection(rtl ? Qt::RightToLeft : Qt::LeftToRight);
        for (size_t i = 0; i < lines.size(); ++i) {
            const Line& line = lines[i];
            int x = rect->Left;
            if (format & DT_CENTER) {
                x = rect->Left + (rectWidth - line.Width) / 2;
            } else if (format & DT_RIGHT) {
                x = rect->Right - line.Width;
            }
            const int top = y + static_cast<int>(i) * lineHeight;
            if (opaque) {
                p.fillRect(QRect(x, top, line.Width, lineHeight), bkColor);
            }
            DrawLine(p, shown[i], font, x, top + metrics.ascent(), rtl);
            for (int u : prepared.Underlined) {
                if (u < line.Start || u >= line.Start + line.Length) {
                    continue;
                }
                const int from = metrics.horizontalAdvance(prepared.Text.mid(line.Start, u - line.Start));
                const int to = metrics.horizontalAdvance(prepared.Text.mid(line.Start, u - line.Start + 1));
                const int underline = top + metrics.ascent() + std::max(1, metrics.underlinePos());
                p.fillRect(QRect(x + from, underline, std::max(1, to - from), std::max(1, metrics.lineWidth())),
                           textColor);
            }
        }
    });
    return result;
}

BOOL GetTextExtentPoint32(HDC dc, const QString& text, int count, SIZE* size)
{
    DeviceContext* d = AsDc(dc);
    if (d == nullptr || size == nullptr) {
        return FALSE;
    }
    const QString part = count < 0 ? text : text.left(count);
    if (d->SelectedFont->Marlett) {
        size->cx = static_cast<LONG>(part.size()) * d->SelectedFont->Em;
        size->cy = d->SelectedFont->Em;
        return TRUE;
    }
    // Measured as DrawText lays a line out, so that both agree to the pixel.
    const QFont& font = d->SelectedFont->QtFont;
    size->cx = BreakLines(part, font, true, false, 0, false).front().Width;
    size->cy = QFontMetrics(font).height();
    return TRUE;
}

} // namespace gdi
