#pragma once

#include "ControlHost.h"

#include <Gdi.h>

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <QStringList>

#include <memory>

class PropertyBag;
class UserControlWindow;

// What the host tells a user control about its surroundings (the ambient properties).
struct AmbientProperties {
    // False while the control is only rendered for a designer-like preview, True at run time.
    bool UserMode = true;
    // The host shows this control as its form's default button.
    bool DisplayAsDefault = false;
    // The form's colours (OLE colours &H00BBGGRR or &H800000nn) and font.
    int BackColor = static_cast<int>(0x8000000F);
    int ForeColor = static_cast<int>(0x80000012);
    QFont Font;
    // The control's name as the host shows it ("QuButton1", "CmdExit", "CmdExam(2)").
    QString DisplayName;
};

// Scale modes of a user control's drawing surface.
enum ScaleModeConstants : int { vbUser = 0, vbTwips = 1, vbPoints = 2, vbPixels = 3 };

// The host of an owner-drawn control: a window of its own, a drawing surface of the control's
// size shown on every paint, the ambient and extender properties (the extender is the Control
// base: Left/Top/Width/Height in twips, Visible, Enabled, Index, Name, Container, SetFocus,
// ToolTipText, TabIndex/TabStop), and the user-control events as virtual methods.
//
// Life: the constructor, then (placed on a host) Initialize, the extender's design properties,
// ReadProperties with the stored bag (an empty bag when none is stored), Resize; Show when it
// becomes visible; Paint whenever the window needs painting; Terminate before the window goes.
// InitProperties runs instead of ReadProperties only for a control placed anew (InitNew).
//
// Every event method runs inside the runtime's error guard. Mouse coordinates are pixels of the
// client area (the scale is pixels unless ScaleMode says twips); key codes are Windows
// virtual-key codes; Shift is 1 Shift, 2 Ctrl, 4 Alt; Button is 1 left, 2 right, 4 middle.
class UserControl : public ::Control, public ControlHost {
public:
    // Control<T>(name) reaches the control's own child controls; the type is ::Control.
    using ControlHost::Control;

    UserControl();
    ~UserControl() override;

    // ControlHost: the control's own window holds its child controls.
    QWidget* HostWindow() const override;
    Form* HostForm() const override;

    // The drawing surface: an image of the client size in pixels (Format_RGB32), filled with
    // BackColor when (re)made. Reading it for drawing schedules a repaint of the window, so what
    // the control draws outside Paint appears at the next pass of the event loop.
    QImage& Image();
    const QImage& Image() const noexcept { return mImage; }
    // The control's device context, drawing into that surface; owned by the control (never
    // DeleteDC it). Like Image(), asking for it schedules a repaint.
    gdi::HDC hDC();

    // Client size in the control's scale (pixels by default).
    double ScaleWidth() const;
    double ScaleHeight() const;
    int ScaleMode() const noexcept { return mScaleMode; }
    void SetScaleMode(int mode) { mScaleMode = mode; }

    // The control's own back and fore colours (OLE colours) and font.
    int BackColor() const noexcept { return mBackColor; }
    void SetBackColor(int oleColor);
    int ForeColor() const noexcept { return mForeColor; }
    void SetForeColor(int oleColor) { mForeColor = oleColor; }
    const QFont& Font() const noexcept { return mFont; }
    void SetFont(const QFont& font);

    // Runs Paint now; the window shows the surface at the next pass of the event loop, together
    // with every other control's changes, never ahead of them.
    void Refresh() override;

    AmbientProperties Ambient() const;
    // Renders as in a designer (Ambient().UserMode false). Call before the control is placed.
    void SetDesignMode(bool designMode) { mDesignMode = designMode; }
    // The form shows this control as its default button; raises AmbientChanged("DisplayAsDefault").
    void SetDisplayAsDefault(bool value);

    // Tells the host that a persisted property changed (kept for the next WriteProperties).
    void PropertyChanged(const QString& propertyName = QString());
    const QStringList& ChangedProperties() const noexcept { return mChangedProperties; }

    // False for controls that never take the focus (the progress bars).
    bool CanGetFocus() const noexcept { return mCanGetFocus; }
    void SetCanGetFocus(bool value);
    bool CanTakeFocus() const override { return mCanGetFocus; }
    bool TakesKeysFromFilter() const override { return false; }

    // The characters whose Alt+key (lower case, no separators) raises AccessKeyPress.
    const QString& AccessKeys() const noexcept { return mAccessKeys; }
    void SetAccessKeys(const QString& keys) { mAccessKeys = keys.toLower(); }

    // Builds the control's own child controls from design data (a control made of other controls,
    // laid out in twips inside it); the design's own properties are not used. Call from
    // UserControl_Initialize, where the control's window exists.
    void CreateChildControls(const FormDesign& design);

    // Run-time creation: ReadProperties from bag (ReadProperties with an empty bag when none).
    void LoadProperties(const PropertyBag& bag);
    // A control placed anew: InitProperties instead of ReadProperties.
    void InitNew();
    // Saves the control's state (runs WriteProperties into a fresh bag).
    PropertyBag SaveProperties();
    // Runs Terminate (once), removes every window hook the control installed and unloads its own
    // child controls; the host calls it before the control goes.
    void TerminateControl();

    bool SetDesignProperty(const QString& name, const QVariant& value) override;
    void CopyPropertiesFrom(const ::Control& source) override;

    // The user-control events, named as the control's handlers are. Defaults do nothing, except
    // that ReadProperties/WriteProperties keep the bag the control was loaded with.
    virtual void UserControl_Initialize() {}
    virtual void UserControl_InitProperties() {}
    virtual void UserControl_ReadProperties(const PropertyBag& bag);
    virtual void UserControl_WriteProperties(PropertyBag& bag);
    virtual void UserControl_Resize() {}
    virtual void UserControl_Paint() {}
    virtual void UserControl_Show() {}
    virtual void UserControl_Hide() {}
    virtual void UserControl_MouseDown(int button, int shift, float x, float y);
    virtual void UserControl_MouseMove(int button, int shift, float x, float y);
    virtual void UserControl_MouseUp(int button, int shift, float x, float y);
    virtual void UserControl_Click() {}
    virtual void UserControl_DblClick() {}
    virtual void UserControl_KeyDown(int& keyCode, int& shift);
    virtual void UserControl_KeyUp(int& keyCode, int& shift);
    virtual void UserControl_KeyPress(int& keyAscii);
    virtual void UserControl_GotFocus() {}
    virtual void UserControl_LostFocus() {}
    virtual void UserControl_EnterFocus() {}
    virtual void UserControl_ExitFocus() {}
    virtual void UserControl_AccessKeyPress(int keyAscii);
    virtual void UserControl_AmbientChanged(const QString& propertyName);
    virtual void UserControl_Terminate() {}

protected:
    QWidget* CreateWidget(QWidget* parentWindow) override;
    void ApplyToWidget() override;
    void GeometryChanged() override;
    void VisibleChanged() override;

private:
    friend class UserControlWindow;
    void EnsureImage();
    void PaintWindow(QWidget* window);

    QImage mImage;
    gdi::HDC mDC = nullptr;
    int mScaleMode = vbPixels;
    int mBackColor = static_cast<int>(0x8000000F);
    int mForeColor = static_cast<int>(0x80000012);
    QFont mFont;
    bool mDesignMode = false;
    bool mDisplayAsDefault = false;
    bool mCanGetFocus = true;
    bool mInitialized = false;
    bool mShown = false;
    bool mPropertiesLoaded = false;
    bool mTerminated = false;
    // The most-derived address, which a control passes as itself when it installs window hooks.
    const void* mHookOwner = nullptr;
    bool mPaintPending = true;
    QString mAccessKeys;
    QStringList mChangedProperties;
    std::unique_ptr<PropertyBag> mLoadedBag;
};
