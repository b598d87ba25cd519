#pragma once

#include "ControlHost.h"

#include <QByteArray>
#include <QFont>
#include <QPointer>
#include <QString>

#include <memory>
#include <vector>

class FormWindow;
class QEventLoop;

enum FormShowConstants : int { vbModeless = 0, vbModal = 1 };
enum StartUpPositionConstants : int {
    vbStartUpManual = 0,
    vbStartUpOwner = 1,
    vbStartUpScreen = 2,
    vbStartUpWindowsDefault = 3
};
enum FormWindowStateConstants : int { vbNormal = 0, vbMinimized = 1, vbMaximized = 2 };
enum FormBorderStyleConstants : int {
    vbBSNone = 0,
    vbFixedSingle = 1,
    vbSizable = 2,
    vbFixedDouble = 3,
    vbFixedToolWindow = 4,
    vbSizableToolWindow = 5
};
enum QueryUnloadConstants : int { vbFormControlMenu = 0, vbFormCode = 1, vbAppWindows = 2, vbAppTaskManager = 3 };

// A form with default-instance semantics: the object lives as long as the program and keeps its
// fields; Load (or Show) makes its window and fresh controls from its design data and runs
// Form_Load; Unload runs Form_QueryUnload and Form_Unload, destroys window and controls and keeps
// the fields. When the last loaded form is unloaded the program ends.
//
// Geometry is in twips. Width and Height are the window's client size (the window manager's
// frame is not counted); ScaleWidth and ScaleHeight equal them.
//
// A form subclass binds its controls' handlers once, in its constructor, with OnEvent and
// OnArrayEvent; they attach to every control of that name whenever it is created:
//
//   class FrmKbdSet : public Form {
//   public:
//       FrmKbdSet() : Form(QStringLiteral("FrmKbdSet"))   // design data ":/forms/FrmKbdSet.form"
//       {
//           OnEvent(QStringLiteral("CmdExit"), &QuButton::Click, [this] { CmdExit_Click(); });
//           OnArrayEvent(QStringLiteral("OptKey"), &OptionButton::Click, [this](int index) { OptKey_Click(index); });
//       }
//       void Form_Load() override { Control<CheckBox>(QStringLiteral("ChekLock")).SetValue(1); }
//       void Form_KeyDown(int& keyCode, int& shift) override;
//   };
//
// The program shows its first form inside RunGuarded and then runs RunMessageLoop().
class Form : public ControlHost {
public:
    // name is the form's name and the base name of its design data file ("FrmMain" ->
    // "<design folder>/FrmMain.form").
    explicit Form(QString name);
    ~Form() override;

    const QString& Name() const noexcept { return mName; }

    QWidget* HostWindow() const override;
    Form* HostForm() const override { return const_cast<Form*>(this); }
    // The form's top-level window ("hWnd"); nullptr while unloaded.
    QWidget* hWnd() const;

    // Where design files are looked for (default ":/forms"), and this form's own file (overrides).
    static void SetDesignFolder(const QString& folder);
    static QString DesignFolder();
    void SetDesignFile(const QString& path) { mDesignFile = path; }
    QString DesignFile() const;
    // Design data given directly (forms made in code, tests); used instead of the file.
    void SetDesign(const FormDesign& design);

    void Load();
    // Loads when needed and shows. vbModal blocks in a nested event loop until the form is
    // hidden or unloaded (then throws ProgramEnding when the program ended meanwhile).
    void Show(int modal = vbModeless, Form* owner = nullptr);
    void Hide();
    // Returns false when Form_QueryUnload or Form_Unload cancelled.
    bool Unload(int unloadMode = vbFormCode);
    bool IsLoaded() const noexcept { return mWindow != nullptr; }
    bool Visible() const;
    void SetVisible(bool visible);

    // The loaded forms in load order, and the active one (nullptr when none is active).
    static std::vector<Form*> Forms();
    static Form* ActiveForm();
    // Unloads every loaded form (their Unload handlers run), as the program's exit paths do.
    static void UnloadAll();
    // Unloads every form without running its handlers (End).
    static void DiscardAll();

    // Properties (reset from the design data at every load).
    const QString& Caption() const noexcept { return mCaption; }
    void SetCaption(const QString& caption);
    int BackColor() const noexcept { return mBackColor; }
    void SetBackColor(int oleColor);
    int ForeColor() const noexcept { return mForeColor; }
    void SetForeColor(int oleColor);
    const QFont& Font() const noexcept { return mFont; }
    void SetFont(const QFont& font);
    // Picture drawn at the client area's top-left, unscaled (file bytes; empty for none).
    const QByteArray& Picture() const noexcept { return mPicture; }
    void SetPicture(const QByteArray& picture);
    const QByteArray& Icon() const noexcept { return mIcon; }
    void SetIcon(const QByteArray& icon);
    bool KeyPreview() const noexcept { return mKeyPreview; }
    void SetKeyPreview(bool value) { mKeyPreview = value; }
    // Set before the window exists (design data); 0 makes a borderless window.
    int BorderStyle() const noexcept { return mBorderStyle; }
    void SetBorderStyle(int style);
    bool ShowInTaskbar() const noexcept { return mShowInTaskbar; }
    void SetShowInTaskbar(bool value);
    int StartUpPosition() const noexcept { return mStartUpPosition; }
    void SetStartUpPosition(int value) { mStartUpPosition = value; }
    int WindowState() const noexcept { return mWindowState; }
    void SetWindowState(int state);
    bool Enabled() const noexcept { return mEnabled; }
    void SetEnabled(bool enabled);
    int MousePointer() const noexcept { return mMousePointer; }
    void SetMousePointer(int pointer);

    int Left() const noexcept { return mLeft; }
    int Top() const noexcept { return mTop; }
    int Width() const noexcept { return mWidth; }
    int Height() const noexcept { return mHeight; }
    void Move(int left, int top, int width = -1, int height = -1);
    void SetLeft(int twips) { Move(twips, mTop); }
    void SetTop(int twips) { Move(mLeft, twips); }
    void SetWidth(int twips) { Move(mLeft, mTop, twips, mHeight); }
    void SetHeight(int twips) { Move(mLeft, mTop, mWidth, twips); }
    int ScaleWidth() const noexcept { return mWidth; }
    int ScaleHeight() const noexcept { return mHeight; }

    // The control shown as the form's default button (ambient DisplayAsDefault); nullptr for none.
    void SetDefaultControl(::Control* control);
    ::Control* ActiveControl() const;
    // Redraws the form's own surface.
    void Refresh();

    // The form's events, called by the runtime. Defaults do nothing.
    virtual void Form_Initialize() {}
    virtual void Form_Load() {}
    virtual void Form_Activate() {}
    virtual void Form_Deactivate() {}
    virtual void Form_Resize() {}
    virtual void Form_Paint() {}
    virtual void Form_QueryUnload(int& cancel, int unloadMode);
    virtual void Form_Unload(int& cancel);
    virtual void Form_Click() {}
    virtual void Form_DblClick() {}
    // Coordinates in twips of the client area.
    virtual void Form_MouseDown(int button, int shift, float x, float y);
    virtual void Form_MouseMove(int button, int shift, float x, float y);
    virtual void Form_MouseUp(int button, int shift, float x, float y);
    // With KeyPreview these see every key of the form before its focused control; setting the
    // code to 0 keeps it from the control.
    virtual void Form_KeyDown(int& keyCode, int& shift);
    virtual void Form_KeyUp(int& keyCode, int& shift);
    virtual void Form_KeyPress(int& keyAscii);

private:
    friend class FormWindow;
    friend class RuntimeEventFilter;
    void ApplyDesignProperty(const QString& name, const QVariant& value);
    void ApplyWindowFlags();
    void ApplyFixedSize();
    void PlaceWindow();
    void ExitModalLoop();
    void Activated();
    void Discard();
    void ResetProperties();
    void ApplyBackground();

    QString mName;
    QString mDesignFile;
    std::unique_ptr<FormDesign> mDesign;
    bool mShownOnce = false;
    FormWindow* mWindow = nullptr;
    std::vector<QEventLoop*> mModalLoops;
    bool mInitialized = false;
    bool mUnloading = false;
    QPointer<QWidget> mDefaultControl;

    QString mCaption;
    int mBackColor = static_cast<int>(0x8000000F);
    int mForeColor = static_cast<int>(0x80000012);
    QFont mFont;
    QByteArray mPicture;
    QByteArray mIcon;
    bool mKeyPreview = false;
    int mBorderStyle = vbSizable;
    bool mShowInTaskbar = true;
    int mStartUpPosition = vbStartUpWindowsDefault;
    int mWindowState = vbNormal;
    bool mEnabled = true;
    int mMousePointer = 0;
    int mLeft = 0;
    int mTop = 0;
    int mWidth = 4800;
    int mHeight = 3600;
};
