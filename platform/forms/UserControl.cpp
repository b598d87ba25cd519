#include "UserControl.h"

#include "DesignData.h"
#include "Form.h"
#include "KeyCodes.h"
#include "OleColor.h"
#include "PropertyBag.h"
#include "Runtime.h"
#include "WindowApi.h"
#include "WindowHooks.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include <algorithm>

int MouseButtonsToVb(Qt::MouseButtons buttons);
void NoteMouseEvent(QWidget* window, const QMouseEvent& event);
void NoteMouseReleased(const QMouseEvent& event);

// The window of a user control: shows the control's surface and passes the window system's
// notifications to the control's event methods, each through the error guard.
class UserControlWindow : public QWidget {
public:
    explicit UserControlWindow(QWidget* parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMouseTracking(true);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (Owner() != nullptr) {
            Owner()->PaintWindow(this);
        }
    }

    void showEvent(QShowEvent*) override
    {
        if (Owner() != nullptr && !Owner()->mShown) {
            Owner()->mShown = true;
            Owner()->mPaintPending = true;
            UserControl* control = Owner();
            ControlHost::Dispatch([control] { control->UserControl_Show(); });
        }
    }

    void hideEvent(QHideEvent*) override
    {
        if (Owner() != nullptr && Owner()->mShown) {
            Owner()->mShown = false;
            UserControl* control = Owner();
            ControlHost::Dispatch([control] { control->UserControl_Hide(); });
        }
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        NoteMouseEvent(this, *event);
        Mouse(event, &UserControl::UserControl_MouseDown, MouseButtonsToVb(event->button()));
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        NoteMouseEvent(this, *event);
        Mouse(event, &UserControl::UserControl_MouseMove, MouseButtonsToVb(event->buttons()));
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        NoteMouseEvent(this, *event);
        Mouse(event, &UserControl::UserControl_MouseUp, MouseButtonsToVb(event->button()));
        NoteMouseReleased(*event);
    }

    // The second press of a double click arrives as DblClick instead of MouseDown.
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        NoteMouseEvent(this, *event);
        if (Owner() != nullptr) {
            UserControl* control = Owner();
            ControlHost::Dispatch([control] { control->UserControl_DblClick(); });
        }
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        if (Owner() == nullptr) {
            return;
        }
        UserControl* control = Owner();
        int keyCode = VirtualKeyFromQt(*event);
        int shift = ShiftMaskFromQt(event->modifiers());
        int keyAscii = KeyAsciiFromQt(*event);
        ControlHost::Dispatch([&] {
            if (keyCode != 0) {
                control->UserControl_KeyDown(keyCode, shift);
            }
            if (keyAscii != 0) {
                control->UserControl_KeyPress(keyAscii);
            }
        });
    }

    void keyReleaseEvent(QKeyEvent* event) override
    {
        if (Owner() == nullptr || event->isAutoRepeat()) {
            return;
        }
        UserControl* control = Owner();
        int keyCode = VirtualKeyFromQt(*event);
        int shift = ShiftMaskFromQt(event->modifiers());
        if (keyCode != 0) {
            ControlHost::Dispatch([&] { control->UserControl_KeyUp(keyCode, shift); });
        }
    }

    void focusInEvent(QFocusEvent* event) override
    {
        if (Owner() == nullptr) {
            return;
        }
        if (FocusReachesControl(this, *event)) {
            UserControl* control = Owner();
            ControlHost::Dispatch([control] {
                control->UserControl_EnterFocus();
                control->UserControl_GotFocus();
            });
        }
        QWidget::focusInEvent(event);
    }

    void focusOutEvent(QFocusEvent* event) override
    {
        if (Owner() == nullptr) {
            return;
        }
        if (FocusLeavesControl(*event)) {
            UserControl* control = Owner();
            ControlHost::Dispatch([control] {
                control->UserControl_LostFocus();
                control->UserControl_ExitFocus();
            });
        }
        QWidget::focusOutEvent(event);
    }

private:
    // The control this window belongs to; nullptr once the control let go of it.
    UserControl* Owner() const { return dynamic_cast<UserControl*>(ControlFromWindow(this)); }

    using MouseHandler = void (UserControl::*)(int, int, float, float);

    void Mouse(QMouseEvent* event, MouseHandler handler, int button)
    {
        if (Owner() == nullptr) {
            return;
        }
        UserControl* control = Owner();
        const QPointF position = event->position();
        const double scale = control->ScaleMode() == vbTwips ? TwipsPerPixel : 1.0;
        const auto x = static_cast<float>(position.x() * scale);
        const auto y = static_cast<float>(position.y() * scale);
        const int shift = ShiftMaskFromQt(event->modifiers());
        ControlHost::Dispatch([=] { (control->*handler)(button, shift, x, y); });
    }
};

UserControl::UserControl()
{
    // A size until the host places the control, so that the surface is never empty.
    Move(0, 0, 32 * TwipsPerPixel, 32 * TwipsPerPixel);
}

UserControl::~UserControl()
{
    if (mDC != nullptr) {
        gdi::DeleteDC(mDC);
    }
    WindowHooks::RemoveAll(mHookOwner);
    WindowHooks::RemoveAll(this);
}

QWidget* UserControl::HostWindow() const
{
    return hWnd();
}

Form* UserControl::HostForm() const
{
    return Parent();
}

QWidget* UserControl::CreateWidget(QWidget* parentWindow)
{
    return new UserControlWindow(parentWindow);
}

void UserControl::ApplyToWidget()
{
    ::Control::ApplyToWidget();
    if (!mInitialized && hWnd() != nullptr) {
        mInitialized = true;
        mHookOwner = dynamic_cast<const void*>(this);
        EnsureImage();
        UserControl_Initialize();
    }
}

void UserControl::GeometryChanged()
{
    EnsureImage();
    mPaintPending = true;
    if (mPropertiesLoaded) {
        UserControl_Resize();
    }
    if (QWidget* window = hWnd()) {
        window->update();
    }
}

void UserControl::VisibleChanged()
{
    if (QWidget* window = hWnd()) {
        window->update();
    }
}

void UserControl::EnsureImage()
{
    const QSize size(std::max(1, TwipsToPixels(Width())), std::max(1, TwipsToPixels(Height())));
    if (mImage.size() != size) {
        mImage = QImage(size, QImage::Format_RGB32);
        mImage.fill(OleColorToQColor(mBackColor));
    }
}

QImage& UserControl::Image()
{
    EnsureImage();
    if (QWidget* window = hWnd()) {
        window->update();
    }
    return mImage;
}

gdi::HDC UserControl::hDC()
{
    EnsureImage();
    if (mDC == nullptr) {
        mDC = gdi::CreateImageDC(&mImage);
    }
    if (QWidget* window = hWnd()) {
        window->update();
    }
    return mDC;
}

double UserControl::ScaleWidth() const
{
    const int pixels = TwipsToPixels(Width());
    return mScaleMode == vbTwips ? PixelsToTwips(pixels) : pixels;
}

double UserControl::ScaleHeight() const
{
    const int pixels = TwipsToPixels(Height());
    return mScaleMode == vbTwips ? PixelsToTwips(pixels) : pixels;
}

void UserControl::SetBackColor(int oleColor)
{
    mBackColor = oleColor;
    if (QWidget* window = hWnd()) {
        window->update();
    }
}

void UserControl::SetFont(const QFont& font)
{
    mFont = font;
    if (QWidget* window = hWnd()) {
        window->setFont(font);
    }
}

void UserControl::PaintWindow(QWidget* window)
{
    EnsureImage();
    if (mPaintPending) {
        mPaintPending = false;
        ControlHost::Dispatch([this] { UserControl_Paint(); });
    }
    QPainter painter(window);
    painter.drawImage(0, 0, mImage);
}

void UserControl::Refresh()
{
    // Paint runs now, into the surface, as it would on a window of the control's own; the screen
    // takes the surface at the next pass of the event loop. A synchronous repaint would flush the
    // whole top-level window, and with it what other controls changed earlier in the same handler:
    // a label's new answer reached the screen before the handler had stored it.
    EnsureImage();
    mPaintPending = false;
    UserControl_Paint();
    if (QWidget* window = hWnd()) {
        window->update();
    }
}

AmbientProperties UserControl::Ambient() const
{
    AmbientProperties ambient;
    ambient.UserMode = !mDesignMode;
    ambient.DisplayAsDefault = mDisplayAsDefault;
    if (Form* form = HostForm()) {
        ambient.BackColor = form->BackColor();
        ambient.ForeColor = form->ForeColor();
        ambient.Font = form->Font();
    } else {
        ambient.Font = QFont(QStringLiteral("宋体"), 9);
    }
    ambient.DisplayName = IsArrayElement() ? QStringLiteral("%1(%2)").arg(Name()).arg(Index()) : Name();
    return ambient;
}

void UserControl::SetDisplayAsDefault(bool value)
{
    if (mDisplayAsDefault == value) {
        return;
    }
    mDisplayAsDefault = value;
    UserControl_AmbientChanged(QStringLiteral("DisplayAsDefault"));
}

void UserControl::PropertyChanged(const QString& propertyName)
{
    if (!mChangedProperties.contains(propertyName)) {
        mChangedProperties.append(propertyName);
    }
}

void UserControl::SetCanGetFocus(bool value)
{
    mCanGetFocus = value;
    if (QWidget* window = hWnd()) {
        window->setFocusPolicy(value ? (TabStop() ? Qt::StrongFocus : Qt::ClickFocus) : Qt::NoFocus);
    }
}

void UserControl::CreateChildControls(const FormDesign& design)
{
    CreateControls(design.Controls);
}

void UserControl::LoadProperties(const PropertyBag& bag)
{
    UserControl_ReadProperties(bag);
    mPropertiesLoaded = true;
    EnsureImage();
    UserControl_Resize();
}

void UserControl::InitNew()
{
    UserControl_InitProperties();
    mPropertiesLoaded = true;
    EnsureImage();
    UserControl_Resize();
}

PropertyBag UserControl::SaveProperties()
{
    PropertyBag bag;
    UserControl_WriteProperties(bag);
    return bag;
}

void UserControl::TerminateControl()
{
    if (mTerminated) {
        return;
    }
    mTerminated = true;
    if (mInitialized) {
        ControlHost::Dispatch([this] { UserControl_Terminate(); });
    }
    WindowHooks::RemoveAll(dynamic_cast<const void*>(this));
    WindowHooks::RemoveAll(this);
    DestroyControls();
}

bool UserControl::SetDesignProperty(const QString& name, const QVariant& value)
{
    return ::Control::SetDesignProperty(name, value);
}

void UserControl::CopyPropertiesFrom(const ::Control& source)
{
    ::Control::CopyPropertiesFrom(source);
    if (auto* user = dynamic_cast<const UserControl*>(&source)) {
        mScaleMode = user->mScaleMode;
        mBackColor = user->mBackColor;
        mForeColor = user->mForeColor;
        mFont = user->mFont;
        LoadProperties(const_cast<UserControl*>(user)->SaveProperties());
    }
}

void UserControl::UserControl_ReadProperties(const PropertyBag& bag)
{
    mLoadedBag = std::make_unique<PropertyBag>(bag);
}

void UserControl::UserControl_WriteProperties(PropertyBag& bag)
{
    if (mLoadedBag != nullptr) {
        for (const auto& entry : mLoadedBag->Entries()) {
            bag.SetRaw(entry.Name, entry.Value);
        }
    }
}

void UserControl::UserControl_MouseDown(int, int, float, float) {}
void UserControl::UserControl_MouseMove(int, int, float, float) {}
void UserControl::UserControl_MouseUp(int, int, float, float) {}
void UserControl::UserControl_KeyDown(int&, int&) {}
void UserControl::UserControl_KeyUp(int&, int&) {}
void UserControl::UserControl_KeyPress(int&) {}
void UserControl::UserControl_AccessKeyPress(int) {}
void UserControl::UserControl_AmbientChanged(const QString&) {}
