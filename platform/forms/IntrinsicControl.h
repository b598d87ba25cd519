#pragma once

#include "Control.h"
#include "Event.h"

#include <QFont>

class QWidget;

// Base of the controls the runtime provides: the colours and font most of them have, and the
// events the forms handle. Mouse coordinates are twips of the control's own area.
class IntrinsicControl : public ::Control {
public:
    IntrinsicControl();
    // Controls whose face is a text field (text and combo boxes) start in the window colours.
    IntrinsicControl(int backColor, int foreColor);

    Event<> Click;
    Event<> DblClick;
    Event<int, int, float, float> MouseDown;
    Event<int, int, float, float> MouseMove;
    Event<int, int, float, float> MouseUp;
    Event<int&, int&> KeyDown;
    Event<int&, int&> KeyUp;
    Event<int&> KeyPress;
    Event<> GotFocus;
    Event<> LostFocus;
    Event<> Change;

    // OLE colours &H00BBGGRR or &H800000nn.
    int BackColor() const noexcept { return mBackColor; }
    void SetBackColor(int oleColor);
    int ForeColor() const noexcept { return mForeColor; }
    void SetForeColor(int oleColor);
    const QFont& Font() const noexcept { return mFont; }
    void SetFont(const QFont& font);
    void SetFontName(const QString& name);
    void SetFontSize(double points);
    void SetFontBold(bool bold);

    bool SetDesignProperty(const QString& name, const QVariant& value) override;
    void CopyPropertiesFrom(const ::Control& source) override;

    void DispatchKeyDown(int& keyCode, int& shift) override { KeyDown(keyCode, shift); }
    void DispatchKeyUp(int& keyCode, int& shift) override { KeyUp(keyCode, shift); }
    void DispatchKeyPress(int& keyAscii) override { KeyPress(keyAscii); }

    // Whether a press and release inside the control raises Click (controls whose Click comes
    // from a change of value raise it themselves).
    virtual bool ClickOnRelease() const { return true; }
    // Whether the control's window has no mouse handling of its own: its mouse events then stop
    // at the control instead of travelling on to the container, as they do on Windows.
    virtual bool EatsMouseEvents() const { return false; }
    // Whether a disabled control draws its caption in the system's grey text instead of its
    // ForeColor, as check boxes and option buttons do on the platform. Other controls keep their
    // colours when disabled (a disabled text box still shows its text in its ForeColor).
    virtual bool GreysCaptionWhenDisabled() const { return false; }

protected:
    void ApplyToWidget() override;
    // Pushes colours and font onto the window; controls with their own painting repaint.
    virtual void AppearanceChanged();
    // Installs the shared mouse and focus event translation on a window of the control.
    void WatchEvents(QWidget* window);

private:
    int mBackColor;
    int mForeColor;
    QFont mFont;
};
