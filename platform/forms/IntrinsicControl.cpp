#include "IntrinsicControl.h"

#include "ControlHost.h"
#include "KeyCodes.h"
#include "OleColor.h"

#include <QEvent>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QPointer>
#include <QWidget>

int MouseButtonsToVb(Qt::MouseButtons buttons);
void NoteMouseEvent(QWidget* window, const QMouseEvent& event);
void NoteMouseReleased(const QMouseEvent& event);

namespace {

// Translates a window's mouse and focus events into the control's events, through the guard.
class IntrinsicEvents : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = qobject_cast<QWidget*>(watched);
        auto* control = dynamic_cast<IntrinsicControl*>(ControlFromWindow(window));
        if (control == nullptr) {
            return false;
        }
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            Mouse(window, control, static_cast<QMouseEvent*>(event));
            return control->EatsMouseEvents();
        case QEvent::FocusIn:
            if (FocusReachesControl(window, *static_cast<QFocusEvent*>(event))) {
                ControlHost::Dispatch([control] { control->GotFocus(); });
            }
            break;
        case QEvent::FocusOut:
            if (FocusLeavesControl(*static_cast<QFocusEvent*>(event))) {
                ControlHost::Dispatch([control] { control->LostFocus(); });
            }
            break;
        default:
            break;
        }
        return false;
    }

private:
    void Mouse(QWidget* window, IntrinsicControl* control, QMouseEvent* event)
    {
        NoteMouseEvent(window, *event);
        const int shift = ShiftMaskFromQt(event->modifiers());
        const auto x = static_cast<float>(event->position().x() * TwipsPerPixel);
        const auto y = static_cast<float>(event->position().y() * TwipsPerPixel);
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            mPressed = window;
            const int button = MouseButtonsToVb(event->button());
            ControlHost::Dispatch([=] { control->MouseDown(button, shift, x, y); });
            break;
        }
        case QEvent::MouseMove: {
            const int button = MouseButtonsToVb(event->buttons());
            ControlHost::Dispatch([=] { control->MouseMove(button, shift, x, y); });
            break;
        }
        case QEvent::MouseButtonRelease: {
            const int button = MouseButtonsToVb(event->button());
            const bool click = mPressed == window && event->button() == Qt::LeftButton &&
                               window->rect().contains(event->position().toPoint()) && control->ClickOnRelease();
            mPressed = nullptr;
            ControlHost::Dispatch([=] {
                control->MouseUp(button, shift, x, y);
                if (click) {
                    control->Click();
                }
            });
            NoteMouseReleased(*event);
            break;
        }
        case QEvent::MouseButtonDblClick:
            mPressed = window;
            ControlHost::Dispatch([control] { control->DblClick(); });
            break;
        default:
            break;
        }
    }

    QPointer<QWidget> mPressed;
};

IntrinsicEvents* SharedFilter()
{
    static auto* filter = new IntrinsicEvents();
    return filter;
}

} // namespace

IntrinsicControl::IntrinsicControl() : IntrinsicControl(static_cast<int>(0x8000000F), static_cast<int>(0x80000012)) {}

IntrinsicControl::IntrinsicControl(int backColor, int foreColor)
    : mBackColor(backColor), mForeColor(foreColor), mFont(QStringLiteral("宋体"), 9)
{
}

void IntrinsicControl::WatchEvents(QWidget* window)
{
    window->installEventFilter(SharedFilter());
    window->setMouseTracking(true);
}

void IntrinsicControl::ApplyToWidget()
{
    ::Control::ApplyToWidget();
    AppearanceChanged();
}

void IntrinsicControl::AppearanceChanged()
{
    if (QWidget* window = hWnd()) {
        QPalette palette = window->palette();
        const QColor back = OleColorToQColor(mBackColor);
        const QColor fore = OleColorToQColor(mForeColor);
        palette.setColor(QPalette::Window, back);
        palette.setColor(QPalette::Base, back);
        palette.setColor(QPalette::Button, back);
        palette.setColor(QPalette::WindowText, fore);
        palette.setColor(QPalette::Text, fore);
        palette.setColor(QPalette::ButtonText, fore);
        if (GreysCaptionWhenDisabled()) {
            const QColor grey = OleColorToQColor(static_cast<int>(0x80000011));
            palette.setColor(QPalette::Disabled, QPalette::WindowText, grey);
            palette.setColor(QPalette::Disabled, QPalette::ButtonText, grey);
        }
        window->setPalette(palette);
        window->setFont(mFont);
        window->update();
    }
}

void IntrinsicControl::SetBackColor(int oleColor)
{
    mBackColor = oleColor;
    AppearanceChanged();
}

void IntrinsicControl::SetForeColor(int oleColor)
{
    mForeColor = oleColor;
    AppearanceChanged();
}

void IntrinsicControl::SetFont(const QFont& font)
{
    mFont = font;
    AppearanceChanged();
}

void IntrinsicControl::SetFontName(const QString& name)
{
    QFont font = mFont;
    font.setFamily(name);
    SetFont(font);
}

void IntrinsicControl::SetFontSize(double points)
{
    QFont font = mFont;
    font.setPointSizeF(points);
    SetFont(font);
}

void IntrinsicControl::SetFontBold(bool bold)
{
    QFont font = mFont;
    font.setBold(bold);
    SetFont(font);
}

bool IntrinsicControl::SetDesignProperty(const QString& name, const QVariant& value)
{
    const QString key = name.toLower();
    if (key == u"backcolor") {
        SetBackColor(value.toInt());
    } else if (key == u"forecolor") {
        SetForeColor(value.toInt());
    } else if (key == u"font") {
        SetFont(value.value<QFont>());
    } else if (key == u"appearance") {
        // Flat and 3D look alike here.
    } else {
        return ::Control::SetDesignProperty(name, value);
    }
    return true;
}

void IntrinsicControl::CopyPropertiesFrom(const ::Control& source)
{
    if (auto* intrinsic = dynamic_cast<const IntrinsicControl*>(&source)) {
        mBackColor = intrinsic->mBackColor;
        mForeColor = intrinsic->mForeColor;
        mFont = intrinsic->mFont;
    }
    ::Control::CopyPropertiesFrom(source);
    AppearanceChanged();
}
