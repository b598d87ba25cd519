#include "Control.h"

#include "ControlHost.h"
#include "Form.h"
#include "Picture.h"

#include <RuntimeError.h>

#include <QCoreApplication>
#include <QCursor>
#include <QFocusEvent>
#include <QHash>
#include <QPixmap>

#include <cmath>

namespace {

constexpr const char* kControlProperty = "qkmControl";

} // namespace

int TwipsToPixels(double twips)
{
    return static_cast<int>(std::nearbyint(twips / TwipsPerPixel));
}

QCursor CursorForPointer(int pointer, const QByteArray& icon)
{
    switch (pointer) {
    case vbCrosshair:
        return QCursor(Qt::CrossCursor);
    case vbIbeam:
        return QCursor(Qt::IBeamCursor);
    case vbSizeAll:
    case vbSizePointer:
        return QCursor(Qt::SizeAllCursor);
    case vbSizeNESW:
        return QCursor(Qt::SizeBDiagCursor);
    case vbSizeNS:
        return QCursor(Qt::SizeVerCursor);
    case vbSizeNWSE:
        return QCursor(Qt::SizeFDiagCursor);
    case vbSizeWE:
        return QCursor(Qt::SizeHorCursor);
    case vbUpArrow:
        return QCursor(Qt::UpArrowCursor);
    case vbHourglass:
        return QCursor(Qt::WaitCursor);
    case vbNoDrop:
        return QCursor(Qt::ForbiddenCursor);
    case vbArrowHourglass:
        return QCursor(Qt::BusyCursor);
    case vbArrowQuestion:
        return QCursor(Qt::WhatsThisCursor);
    case vbHandPointer:
        return QCursor(Qt::PointingHandCursor);
    case vbCustom: {
        const QImage image = DecodePicture(icon);
        if (!image.isNull()) {
            return QCursor(QPixmap::fromImage(image));
        }
        return QCursor(Qt::ArrowCursor);
    }
    default:
        return QCursor(Qt::ArrowCursor);
    }
}

Control::Control() = default;

Control::~Control()
{
    DestroyWindow();
}

Form* Control::Parent() const
{
    return mHost != nullptr ? mHost->HostForm() : nullptr;
}

QWidget* Control::ContainerWindow() const
{
    if (mContainer != nullptr) {
        return mContainer->ClientWindow();
    }
    return mHost != nullptr ? mHost->HostWindow() : nullptr;
}

void Control::Place(ControlHost* host, const QString& name, int index, Control* container)
{
    mHost = host;
    mName = name;
    mIndex = index;
    mContainer = container;
}

void Control::CreateWindowIn(QWidget* parentWindow)
{
    if (mWindow != nullptr) {
        return;
    }
    QWidget* window = CreateWidget(parentWindow);
    if (window == nullptr) {
        return;
    }
    mWindow = window;
    window->setProperty(kControlProperty, QVariant::fromValue(static_cast<void*>(this)));
    ApplyToWidget();
}

void Control::DestroyWindow()
{
    Unloading();
    if (mWindow == nullptr) {
        return;
    }
    QWidget* window = mWindow.data();
    mWindow = nullptr;
    if (QCoreApplication::instance() == nullptr) {
        return;
    }
    // The window may be the one whose event is being dispatched (a button that unloads its
    // form): it is detached from the control now and deleted when the event loop gets back.
    window->setProperty(kControlProperty, QVariant());
    window->hide();
    window->deleteLater();
}

void Control::ApplyToWidget()
{
    QWidget* window = mWindow.data();
    if (window == nullptr) {
        return;
    }
    UpdateWidgetGeometry();
    window->setEnabled(mEnabled);
    window->setToolTip(mToolTipText);
    UpdateCursor();
    if (!CanTakeFocus()) {
        window->setFocusPolicy(Qt::NoFocus);
    } else {
        window->setFocusPolicy(mTabStop ? Qt::StrongFocus : Qt::ClickFocus);
    }
    window->setVisible(mVisible);
}

void Control::UpdateWidgetGeometry()
{
    if (QWidget* window = mWindow.data()) {
        window->setGeometry(TwipsToPixels(mLeft), TwipsToPixels(mTop), std::max(0, TwipsToPixels(mWidth)),
                            std::max(0, TwipsToPixels(mHeight)));
    }
    GeometryChanged();
}

void Control::UpdateCursor()
{
    if (QWidget* window = mWindow.data()) {
        if (mMousePointer == vbDefault) {
            window->unsetCursor();
        } else {
            window->setCursor(CursorForPointer(mMousePointer, mMouseIcon));
        }
    }
}

void Control::SetLeft(int twips)
{
    Move(twips, mTop);
}

void Control::SetTop(int twips)
{
    Move(mLeft, twips);
}

void Control::SetWidth(int twips)
{
    Move(mLeft, mTop, twips, mHeight);
}

void Control::SetHeight(int twips)
{
    Move(mLeft, mTop, mWidth, twips);
}

void Control::Move(int left, int top, int width, int height)
{
    const bool same =
        left == mLeft && top == mTop && (width < 0 || width == mWidth) && (height < 0 || height == mHeight);
    mLeft = left;
    mTop = top;
    if (width >= 0) {
        mWidth = width;
    }
    if (height >= 0) {
        mHeight = height;
    }
    if (!same) {
        UpdateWidgetGeometry();
    }
}

void Control::SetVisible(bool visible)
{
    if (mVisible == visible) {
        return;
    }
    mVisible = visible;
    if (QWidget* window = mWindow.data()) {
        window->setVisible(visible);
    }
    VisibleChanged();
}

void Control::SetEnabled(bool enabled)
{
    if (mEnabled == enabled) {
        return;
    }
    mEnabled = enabled;
    if (QWidget* window = mWindow.data()) {
        window->setEnabled(enabled);
    }
    EnabledChanged();
}

void Control::SetToolTipText(const QString& text)
{
    mToolTipText = text;
    if (QWidget* window = mWindow.data()) {
        window->setToolTip(text);
    }
}

void Control::SetTabIndex(int tabIndex)
{
    mTabIndex = tabIndex;
    if (mHost != nullptr) {
        mHost->ApplyTabOrder();
    }
}

void Control::SetTabStop(bool tabStop)
{
    mTabStop = tabStop;
    if (QWidget* window = mWindow.data(); window != nullptr && CanTakeFocus()) {
        window->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

void Control::SetMousePointer(int pointer)
{
    mMousePointer = pointer;
    UpdateCursor();
}

void Control::SetMouseIcon(const QByteArray& picture)
{
    mMouseIcon = picture;
    UpdateCursor();
}

void Control::SetFocus()
{
    QWidget* window = mWindow.data();
    if (window == nullptr || !CanTakeFocus() || !mEnabled || !window->isVisibleTo(window->window()) ||
        !window->window()->isVisible()) {
        throw RuntimeError(5, QStringLiteral("无效的过程调用或参数"));
    }
    window->activateWindow();
    window->setFocus(Qt::OtherFocusReason);
}

bool Control::HasFocus() const
{
    const QWidget* window = mWindow.data();
    return window != nullptr && window->hasFocus();
}

void Control::ZOrder(int position)
{
    if (QWidget* window = mWindow.data()) {
        if (position == 0) {
            window->raise();
        } else {
            window->lower();
        }
    }
}

void Control::Refresh()
{
    if (QWidget* window = mWindow.data()) {
        window->repaint();
    }
}

bool Control::SetDesignProperty(const QString& name, const QVariant& value)
{
    const QString key = name.toLower();
    if (key == u"left") {
        SetLeft(value.toInt());
    } else if (key == u"top") {
        SetTop(value.toInt());
    } else if (key == u"width") {
        SetWidth(value.toInt());
    } else if (key == u"height") {
        SetHeight(value.toInt());
    } else if (key == u"visible") {
        SetVisible(value.toBool());
    } else if (key == u"enabled") {
        SetEnabled(value.toBool());
    } else if (key == u"tooltiptext") {
        SetToolTipText(value.toString());
    } else if (key == u"tabindex") {
        mTabIndex = value.toInt();
    } else if (key == u"tabstop") {
        SetTabStop(value.toBool());
    } else if (key == u"tag") {
        SetTag(value.toString());
    } else if (key == u"mousepointer") {
        SetMousePointer(value.toInt());
    } else if (key == u"mouseicon") {
        SetMouseIcon(value.toByteArray());
    } else {
        return false;
    }
    return true;
}

void Control::CopyPropertiesFrom(const Control& source)
{
    mWidth = source.mWidth;
    mHeight = source.mHeight;
    mLeft = source.mLeft;
    mTop = source.mTop;
    mEnabled = source.mEnabled;
    mToolTipText = source.mToolTipText;
    mTabStop = source.mTabStop;
    mTag = source.mTag;
    mMousePointer = source.mMousePointer;
    mMouseIcon = source.mMouseIcon;
    ApplyToWidget();
}

Control* ControlFromWindow(const QWidget* window)
{
    if (window == nullptr) {
        return nullptr;
    }
    return static_cast<Control*>(window->property(kControlProperty).value<void*>());
}

void Control::DispatchKeyDown(int&, int&) {}
void Control::DispatchKeyUp(int&, int&) {}
void Control::DispatchKeyPress(int&) {}

namespace {

bool IsPassingFocusChange(const QFocusEvent& event)
{
    return event.reason() == Qt::ActiveWindowFocusReason || event.reason() == Qt::PopupFocusReason;
}

} // namespace

bool FocusLeavesControl(const QFocusEvent& event)
{
    return !IsPassingFocusChange(event);
}

bool FocusReachesControl(const QWidget* window, const QFocusEvent& event)
{
    // The control each form window last gave the focus to, by the form's window.
    static QHash<const QWidget*, QPointer<const QWidget>> activeByForm;
    if (activeByForm.size() > 64) {
        // Forms unloaded since: their controls' windows are gone.
        activeByForm.removeIf([](const auto& entry) { return entry.value() == nullptr; });
    }
    QPointer<const QWidget>& active = activeByForm[window->window()];
    if (IsPassingFocusChange(event) && active == window) {
        return false;
    }
    active = window;
    return true;
}
