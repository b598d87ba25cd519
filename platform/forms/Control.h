#pragma once

#include "Event.h"

#include <QFont>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QWidget>

class ControlHost;
class Form;
class PropertyBag;
class QFocusEvent;

// Mouse pointer codes of the forms (MousePointer property).
enum MousePointerConstants : int {
    vbDefault = 0,
    vbArrow = 1,
    vbCrosshair = 2,
    vbIbeam = 3,
    vbSizeAll = 5,
    vbSizeNESW = 6,
    vbSizeNS = 7,
    vbSizeNWSE = 8,
    vbSizeWE = 9,
    vbUpArrow = 10,
    vbHourglass = 11,
    vbNoDrop = 12,
    vbArrowHourglass = 13,
    vbArrowQuestion = 14,
    vbSizePointer = 15,
    vbHandPointer = 16,
    vbCustom = 99,
};

// Twips are the unit of every position and size on a form: 15 to a pixel.
constexpr int TwipsPerPixel = 15;
// Nearest pixel, ties to even.
int TwipsToPixels(double twips);
inline int PixelsToTwips(int pixels)
{
    return pixels * TwipsPerPixel;
}

// The properties every control of a form has (the host's "extender"): its name and index in a
// control array, its place in twips, visibility, state, tab order, tooltip, tag and pointer.
// A control owns its window (a QWidget child of its container's window) while it is loaded;
// windowless controls (Timer) have none.
class Control {
public:
    Control();
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // The type's name as design data and the control registry know it ("Label", "QuButton").
    virtual QString TypeName() const = 0;

    const QString& Name() const noexcept { return mName; }
    // Index in its control array (0-based as the forms number them); -1 when not an array element.
    int Index() const noexcept { return mIndex; }
    bool IsArrayElement() const noexcept { return mIndex >= 0; }

    // The form or user control that owns this control (its design data created it).
    ControlHost* Host() const noexcept { return mHost; }
    // The form the control is on, through user controls; nullptr while not placed on one.
    Form* Parent() const;
    // The container control (PictureBox, Frame) the control sits in; nullptr when it sits on its
    // host directly.
    Control* Container() const noexcept { return mContainer; }
    // The window that contains the control's window: the container's, else the host's.
    QWidget* ContainerWindow() const;
    // The control's own window (its "hWnd"); nullptr for windowless controls and while not loaded.
    QWidget* hWnd() const noexcept { return mWindow.data(); }

    // Geometry in twips, relative to the container's client area.
    int Left() const noexcept { return mLeft; }
    int Top() const noexcept { return mTop; }
    int Width() const noexcept { return mWidth; }
    int Height() const noexcept { return mHeight; }
    void SetLeft(int twips);
    void SetTop(int twips);
    void SetWidth(int twips);
    void SetHeight(int twips);
    // A negative width or height keeps the current one.
    void Move(int left, int top, int width = -1, int height = -1);

    bool Visible() const noexcept { return mVisible; }
    void SetVisible(bool visible);
    bool Enabled() const noexcept { return mEnabled; }
    void SetEnabled(bool enabled);
    const QString& ToolTipText() const noexcept { return mToolTipText; }
    void SetToolTipText(const QString& text);
    int TabIndex() const noexcept { return mTabIndex; }
    void SetTabIndex(int tabIndex);
    bool TabStop() const noexcept { return mTabStop; }
    void SetTabStop(bool tabStop);
    const QString& Tag() const noexcept { return mTag; }
    void SetTag(const QString& tag) { mTag = tag; }
    int MousePointer() const noexcept { return mMousePointer; }
    void SetMousePointer(int pointer);
    // The custom pointer shown for MousePointer 99 (picture file bytes; empty for none).
    const QByteArray& MouseIcon() const noexcept { return mMouseIcon; }
    void SetMouseIcon(const QByteArray& picture);

    // Gives the control the focus; a disabled, invisible or unfocusable control raises
    // run-time error 5, as the forms expect.
    void SetFocus();
    bool HasFocus() const;
    // 0 brings the control to the front of its container, 1 sends it to the back.
    void ZOrder(int position = 0);
    // Repaints the control now.
    virtual void Refresh();

    // Whether controls may sit in this one (PictureBox, Frame), and the window they sit in (its
    // client area, inside any border or caption).
    virtual bool IsContainer() const { return false; }
    virtual QWidget* ClientWindow() const { return hWnd(); }
    // Whether the control can take the focus at all (Label, Image, Line, Timer cannot).
    virtual bool CanTakeFocus() const { return true; }

    // Applies one design-data property; returns false for a name the control does not know.
    virtual bool SetDesignProperty(const QString& name, const QVariant& value);
    // Called once the design properties are applied (or copied, or the control was made in code).
    virtual void EndDesignLoad() {}
    // Copies the properties a run-time loaded array element takes from element 0 (not Index,
    // Visible or TabIndex).
    virtual void CopyPropertiesFrom(const Control& source);

    // Used by the host while loading: identity, placement and the window.
    void Place(ControlHost* host, const QString& name, int index, Control* container);
    // Creates the control's window inside parentWindow (called once, after Place).
    void CreateWindowIn(QWidget* parentWindow);
    // Destroys the control's window (unload of the control or its form).
    void DestroyWindow();

    // Key events of the control's window, after the form's key preview (the runtime's key
    // filter calls them for intrinsic controls; user controls take keys in their own window).
    // Setting the code to 0 keeps the key from the window.
    virtual void DispatchKeyDown(int& keyCode, int& shift);
    virtual void DispatchKeyUp(int& keyCode, int& shift);
    virtual void DispatchKeyPress(int& keyAscii);
    // Whether the runtime's key filter passes this control's keys to the Dispatch methods.
    virtual bool TakesKeysFromFilter() const { return true; }

protected:
    // Makes the widget of this control type, a child of parentWindow; nullptr for windowless.
    virtual QWidget* CreateWidget(QWidget* parentWindow) = 0;
    // Called after the window exists, to push every stored property onto it.
    virtual void ApplyToWidget();
    // Called when the pixel geometry of the window changed (after a move or resize).
    virtual void GeometryChanged() {}
    // The control is being unloaded (its window, if any, goes now).
    virtual void Unloading() {}
    virtual void VisibleChanged() {}
    virtual void EnabledChanged() {}
    void UpdateWidgetGeometry();
    void UpdateCursor();

private:
    QString mName;
    int mIndex = -1;
    ControlHost* mHost = nullptr;
    Control* mContainer = nullptr;
    QPointer<QWidget> mWindow;
    int mLeft = 0;
    int mTop = 0;
    int mWidth = 0;
    int mHeight = 0;
    bool mVisible = true;
    bool mEnabled = true;
    QString mToolTipText;
    int mTabIndex = 0;
    bool mTabStop = true;
    QString mTag;
    int mMousePointer = vbDefault;
    QByteArray mMouseIcon;
};

// The Control behind a window created by the runtime, or nullptr.
Control* ControlFromWindow(const QWidget* window);

// GotFocus and LostFocus follow the form's own active control, not the window's activation: a
// popup (a drop-down menu or list) or another window (a message box, another form or program)
// taking the keyboard for a while leaves the control active, and the control that gets the
// keyboard back when that ends has not gained the focus anew. Every control window's focus events
// pass through these two before they become the control's events.
bool FocusLeavesControl(const QFocusEvent& event);
bool FocusReachesControl(const QWidget* window, const QFocusEvent& event);
