#include "ClassicIndicatorStyle.h"

#include "OleColor.h"

#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QStyleOption>

namespace {

// Sizes in pixels of the classic check box square and option button circle.
constexpr int CheckSize = 13;
constexpr int OptionSize = 12;

QColor SysColor(int index)
{
    return OleColorToQColor(static_cast<int>(0x80000000u | static_cast<unsigned>(index)));
}

constexpr int ColorWindow = 5;
constexpr int ColorWindowText = 8;
constexpr int ColorBtnFace = 15;
constexpr int ColorBtnShadow = 16;
constexpr int ColorBtnHighlight = 20;
constexpr int Color3dDkShadow = 21;
constexpr int Color3dLight = 22;

// The inside is the window colour; a pressed, disabled or grayed box shows the button face instead.
QColor InsideColor(const QStyleOption& option, bool grayed)
{
    const bool pressed = (option.state & QStyle::State_Sunken) != 0;
    const bool enabled = (option.state & QStyle::State_Enabled) != 0;
    return pressed || !enabled || grayed ? SysColor(ColorBtnFace) : SysColor(ColorWindow);
}

void DrawCheck(QPainter& p, const QStyleOption& option)
{
    const QRect r(option.rect.x() + (option.rect.width() - CheckSize) / 2,
                  option.rect.y() + (option.rect.height() - CheckSize) / 2, CheckSize, CheckSize);
    const int x = r.x();
    const int y = r.y();
    const int last = CheckSize - 1;
    // Sunken edge: shadow and dark shadow above and left, highlight and light below and right.
    p.fillRect(x, y, last, 1, SysColor(ColorBtnShadow));
    p.fillRect(x, y, 1, last, SysColor(ColorBtnShadow));
    p.fillRect(x + 1, y + 1, last - 2, 1, SysColor(Color3dDkShadow));
    p.fillRect(x + 1, y + 1, 1, last - 2, SysColor(Color3dDkShadow));
    p.fillRect(x, y + last, CheckSize, 1, SysColor(ColorBtnHighlight));
    p.fillRect(x + last, y, 1, CheckSize, SysColor(ColorBtnHighlight));
    p.fillRect(x + 1, y + last - 1, last - 1, 1, SysColor(Color3dLight));
    p.fillRect(x + last - 1, y + 1, 1, last - 1, SysColor(Color3dLight));
    const bool grayed = (option.state & QStyle::State_NoChange) != 0;
    p.fillRect(x + 2, y + 2, CheckSize - 4, CheckSize - 4, InsideColor(option, grayed));
    if ((option.state & (QStyle::State_On | QStyle::State_NoChange)) == 0) {
        return;
    }
    const bool enabled = (option.state & QStyle::State_Enabled) != 0;
    const QColor mark = grayed || !enabled ? SysColor(ColorBtnShadow) : SysColor(ColorWindowText);
    // The tick: seven columns three pixels tall, falling two columns then rising four.
    static constexpr int Tops[7] = {2, 3, 4, 3, 2, 1, 0};
    for (int i = 0; i < 7; ++i) {
        p.fillRect(x + 3 + i, y + 3 + Tops[i], 1, 3, mark);
    }
}

void DrawOption(QPainter& p, const QStyleOption& option)
{
    const QRect r(option.rect.x() + (option.rect.width() - OptionSize) / 2,
                  option.rect.y() + (option.rect.height() - OptionSize) / 2, OptionSize, OptionSize);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    // Upper-left half of each ring in the shadows, lower-right half in the lights (angles in 1/16 degree).
    const auto ring = [&](const QRect& box, const QColor& upper, const QColor& lower) {
        p.setPen(upper);
        p.drawArc(box, 45 * 16, 180 * 16);
        p.setPen(lower);
        p.drawArc(box, 225 * 16, 180 * 16);
    };
    const QColor inside = InsideColor(option, false);
    p.setPen(inside);
    p.setBrush(inside);
    p.drawEllipse(r.adjusted(1, 1, -2, -2));
    p.setBrush(Qt::NoBrush);
    ring(r.adjusted(0, 0, -1, -1), SysColor(ColorBtnShadow), SysColor(ColorBtnHighlight));
    ring(r.adjusted(1, 1, -2, -2), SysColor(Color3dDkShadow), SysColor(Color3dLight));
    if ((option.state & QStyle::State_On) != 0) {
        const bool enabled = (option.state & QStyle::State_Enabled) != 0;
        const QColor dot = enabled ? SysColor(ColorWindowText) : SysColor(ColorBtnShadow);
        const QPoint c = r.topLeft() + QPoint(4, 4);
        p.fillRect(c.x() + 1, c.y(), 2, 4, dot);
        p.fillRect(c.x(), c.y() + 1, 4, 2, dot);
    }
    p.restore();
}

} // namespace

ClassicIndicatorStyle* ClassicIndicatorStyle::Instance()
{
    static QPointer<ClassicIndicatorStyle> style;
    if (style == nullptr) {
        style = new ClassicIndicatorStyle();
        style->setParent(QCoreApplication::instance());
    }
    return style;
}

void ClassicIndicatorStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                          const QWidget* widget) const
{
    if (option != nullptr && painter != nullptr) {
        if (element == PE_IndicatorCheckBox) {
            DrawCheck(*painter, *option);
            return;
        }
        if (element == PE_IndicatorRadioButton) {
            DrawOption(*painter, *option);
            return;
        }
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

int ClassicIndicatorStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    switch (metric) {
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
        return CheckSize;
    case PM_ExclusiveIndicatorWidth:
    case PM_ExclusiveIndicatorHeight:
        return OptionSize;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}
