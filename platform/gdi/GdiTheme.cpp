// Themed push buttons drawn with the application's Qt style.
#include "GdiInternal.h"

#include <QApplication>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>

namespace gdi {

using namespace detail;

namespace {

int gThemedOverride = -1;

} // namespace

BOOL IsAppThemed()
{
    if (gThemedOverride >= 0) {
        return gThemedOverride != 0 ? TRUE : FALSE;
    }
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr || QApplication::style() == nullptr) {
        return FALSE;
    }
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal") ? FALSE : TRUE;
}

void SetAppThemedOverride(int themed)
{
    gThemedOverride = themed < 0 ? -1 : (themed != 0 ? 1 : 0);
}

HTHEME OpenThemeData(HWND window, const QString& classList)
{
    if (!IsAppThemed() || qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        return nullptr;
    }
    bool known = false;
    for (const QString& name : classList.split(u';', Qt::SkipEmptyParts)) {
        known = known || name.trimmed().compare(QLatin1String("Button"), Qt::CaseInsensitive) == 0;
    }
    if (!known) {
        return nullptr;
    }
    auto* theme = new ThemeData;
    theme->Window = window;
    theme->ClassName = QStringLiteral("Button");
    Register(theme, true);
    return theme;
}

HRESULT CloseThemeData(HTHEME theme)
{
    if (!IsLive(theme)) {
        return E_HANDLE;
    }
    Unregister(theme, true);
    delete theme;
    return S_OK;
}

HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* rect, const RECT* clip)
{
    QImage* image = SurfaceOf(dc);
    if (!IsLive(theme) || image == nullptr || rect == nullptr) {
        return E_HANDLE;
    }
    if (part != BP_PUSHBUTTON || state < PBS_NORMAL || state > PBS_DEFAULTED) {
        return E_INVALIDARG;
    }
    QWidget* window = theme->Window;
    QStyle* style = window != nullptr ? window->style() : QApplication::style();
    QStyleOptionButton option;
    option.rect = ToQRect(*rect);
    option.palette = window != nullptr ? window->palette() : QApplication::palette();
    option.state = QStyle::State_Raised;
    if (state != PBS_DISABLED) {
        option.state |= QStyle::State_Enabled;
    }
    if (state == PBS_HOT) {
        option.state |= QStyle::State_MouseOver;
    }
    if (state == PBS_PRESSED) {
        option.state |= QStyle::State_Sunken;
        option.state &= ~QStyle::State_Raised;
    }
    if (state == PBS_DEFAULTED) {
        option.features |= QStyleOptionButton::DefaultButton;
        option.state |= QStyle::State_HasFocus;
    }
    const QRect clipRect = clip != nullptr ? ToQRect(*clip) : option.rect;
    PaintOn(*image, clipRect, [&](QPainter& p) {
        p.setClipRect(clipRect, Qt::IntersectClip);
        style->drawControl(QStyle::CE_PushButtonBevel, &option, &p, nullptr);
    });
    return S_OK;
}

HRESULT GetThemeBackgroundRegion(HTHEME theme, HDC, int part, int, const RECT* rect, HRGN* region)
{
    if (!IsLive(theme) || rect == nullptr || region == nullptr) {
        return E_HANDLE;
    }
    if (part != BP_PUSHBUTTON) {
        return E_INVALIDARG;
    }
    // The push-button outline: the rectangle without its four corner pixels.
    *region = CreateRoundRectRgn(rect->Left, rect->Top, rect->Right + 1, rect->Bottom + 1, 3, 3);
    return S_OK;
}

} // namespace gdi
