#pragma once

#include "QuButtonColors.h"

#include <Event.h>
#include <Gdi.h>
#include <UserControl.h>

#include <QByteArray>
#include <QFont>
#include <QImage>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <vector>

class QAction;
class QMenu;
class QuToolTipWindow;

// The program's own command button: a user control that draws itself in one of fourteen styles,
// tracks mouse and keyboard, and hooks its own and its form's window for leave and activation
// messages. Sizes on the surface are pixels; the extender's geometry is twips.
//
// The class is split over several files: QuButtonProperties.cpp (properties, persistence,
// methods), QuButtonInteraction.cpp (mouse, keys, focus, option groups), QuButtonHook.cpp (window
// hooks), QuButtonPopup.cpp (own tooltip window, drop-down menu), QuButtonRendering.cpp (drawing
// core, colour schemes, layout), QuButtonPictures.cpp (pictures and platform probes) and one file
// per group of style painters.
//
// Platform probes answer for this platform: the wide text functions are always used; uxtheme,
// user32, shell32 and comctl32 count as present with TrackMouseEvent exported (the forms runtime
// reports leaves); IsThemed follows gdi::IsAppThemed, true on a real display and false on the
// headless platforms, so that style 13 falls back to style 2 the same way in every test run.
class QuButton : public UserControl {
public:
    // Picture types as the picture objects report them.
    enum PictureType : int { vbPicTypeNone = 0, vbPicTypeBitmap = 1, vbPicTypeIcon = 3 };

    // A picture property: the file bytes it was given (empty for Nothing) and the decoded image.
    struct Picture {
        QByteArray Data;
        QImage Image;
        int Type = vbPicTypeNone;
        bool IsNothing() const noexcept { return Data.isEmpty(); }
        int Width() const noexcept { return Image.width(); }
        int Height() const noexcept { return Image.height(); }
        static Picture FromData(const QByteArray& data);
    };

    QuButton();
    ~QuButton() override;

    // Registers the type with the forms runtime's control registry under "QuButton".
    static void Register();
    QString TypeName() const override;

    // ---- methods, in declaration order ----
    void Subclass_WndProc(bool bBefore, bool& bHandled, long& lReturn, QWidget*& lHwnd, unsigned& uMsg,
                          quintptr& wParam, qintptr& lParam);
    // Flags must convert to a number: a missing or non-numeric value raises run-time error 13
    // (type mismatch) and leaves the menu inactive.
    void SetPopupMenu(QMenu* menu, int align = 0, const QVariant& flags = QVariant(), QAction* defaultMenu = nullptr);
    void UnsetPopupMenu();
    void OpenWebsite(const QString& sAddress);
    void About();

    // ---- properties, in declaration order ----
    int BackColor() const noexcept { return mBackColor; }
    void SetBackColor(int value);
    int ButtonStyle() const noexcept { return mButtonStyle; }
    void SetButtonStyle(int value);
    const QString& Caption() const noexcept { return mCaption; }
    void SetCaption(const QString& value);
    int CaptionAlign() const noexcept { return mCaptionAlign; }
    void SetCaptionAlign(int value);
    int DropDownSymbol() const noexcept { return mDropDownSymbol; }
    void SetDropDownSymbol(int value);
    bool DropDownSeparator() const noexcept { return mDropDownSeparator; }
    void SetDropDownSeparator(bool value);
    int DisabledPictureMode() const noexcept { return mDisabledPictureMode; }
    void SetDisabledPictureMode(int value);
    bool Enabled() const noexcept { return mEnabled; }
    void SetEnabled(bool value);
    const QFont& Font() const noexcept { return mFont; }
    void SetFont(const QFont& value);
    // The font object's own change notification (a form setting Font.Bold and the like).
    void SetFontBold(bool bold);
    void SetFontSize(double points);
    void SetFontName(const QString& name);
    int ForeColor() const noexcept { return mForeColor; }
    void SetForeColor(int value);
    int ForeColorHover() const noexcept { return mForeColorHover; }
    void SetForeColorHover(int value);
    bool HandPointer() const noexcept { return mHandPointer; }
    void SetHandPointer(bool value);
    QWidget* hwnd() const noexcept { return hWnd(); }
    int MaskColor() const noexcept { return mMaskColor; }
    void SetMaskColor(int value);
    int Mode() const noexcept { return mMode; }
    void SetMode(int value);
    const QByteArray& MouseIcon() const noexcept { return ::Control::MouseIcon(); }
    void SetMouseIcon(const QByteArray& value);
    int MousePointer() const noexcept { return ::Control::MousePointer(); }
    void SetMousePointer(int value);
    const QByteArray& PictureNormal() const noexcept { return mPictureNormal.Data; }
    void SetPictureNormal(const QByteArray& value);
    const QByteArray& PictureHot() const noexcept { return mPictureHot.Data; }
    void SetPictureHot(const QByteArray& value);
    const QByteArray& PictureDown() const noexcept { return mPictureDown.Data; }
    void SetPictureDown(const QByteArray& value);
    int PictureAlign() const noexcept { return mPictureAlign; }
    void SetPictureAlign(int value);
    bool PictureShadow() const noexcept { return mPictureShadow; }
    void SetPictureShadow(bool value);
    int PictureEffectOnOver() const noexcept { return mPictureEffectOnOver; }
    void SetPictureEffectOnOver(int value);
    int PictureEffectOnDown() const noexcept { return mPictureEffectOnDown; }
    void SetPictureEffectOnDown(int value);
    bool PicturePushOnHover() const noexcept { return mPicturePushOnHover; }
    void SetPicturePushOnHover(bool value);
    std::uint8_t PictureOpacity() const noexcept { return mPictureOpacity; }
    void SetPictureOpacity(std::uint8_t value);
    std::uint8_t PictureOpacityOnOver() const noexcept { return mPictureOpacityOnOver; }
    void SetPictureOpacityOnOver(std::uint8_t value);
    bool RightToLeft() const noexcept { return mRightToLeft; }
    void SetRightToLeft(bool value);
    int CaptionEffects() const noexcept { return mCaptionEffects; }
    void SetCaptionEffects(int value);
    bool ShowFocusRect() const noexcept { return mShowFocusRect; }
    void SetShowFocusRect(bool value);
    bool UseMaskColor() const noexcept { return mUseMaskColor; }
    void SetUseMaskColor(bool value);
    bool Value() const noexcept { return mValue; }
    void SetValue(bool value);
    const QString& TooltipTitle() const noexcept { return mTooltipTitle; }
    void SetTooltipTitle(const QString& value);
    const QString& ToolTip() const noexcept { return mToolTip; }
    void SetToolTip(const QString& value);
    int TooltipBackColor() const noexcept { return mTooltipBackColor; }
    void SetTooltipBackColor(int value);
    void SetToolTipIcon(int& value);
    int ToolTipIcon() const noexcept { return mToolTipIcon; }
    int ToolTipType() const noexcept { return mToolTipType; }
    void SetToolTipType(int value);
    int ColorScheme() const noexcept { return mColorScheme; }
    void SetColorScheme(int value);

    // ---- events, in declaration order (all arguments by reference) ----
    Event<> Click;
    Event<> DblClick;
    Event<> MouseEnter;
    Event<> MouseLeave;
    Event<short&, short&, float&, float&> MouseMove;
    Event<short&, short&, float&, float&> MouseUp;
    Event<short&, short&, float&, float&> MouseDown;
    Event<short&, short&> KeyDown;
    Event<short&, short&> KeyUp;
    Event<short&> KeyPress;

    // ---- host notifications ----
    void UserControl_Initialize() override;
    void UserControl_InitProperties() override;
    void UserControl_ReadProperties(const PropertyBag& bag) override;
    void UserControl_WriteProperties(PropertyBag& bag) override;
    void UserControl_Resize() override;
    void UserControl_Paint() override;
    void UserControl_Show() override;
    void UserControl_Hide() override;
    void UserControl_AmbientChanged(const QString& propertyName) override;
    void UserControl_GotFocus() override;
    void UserControl_LostFocus() override;
    void UserControl_MouseDown(int button, int shift, float x, float y) override;
    void UserControl_MouseMove(int button, int shift, float x, float y) override;
    void UserControl_MouseUp(int button, int shift, float x, float y) override;
    void UserControl_DblClick() override;
    void UserControl_KeyDown(int& keyCode, int& shift) override;
    void UserControl_KeyUp(int& keyCode, int& shift) override;
    void UserControl_KeyPress(int& keyAscii) override;
    void UserControl_AccessKeyPress(int keyAscii) override;
    void UserControl_Terminate() override;

protected:
    void EnabledChanged() override;

private:
    friend struct QuButtonTestAccess;

    // One hooked window: the per-control record of the window hook. Lists are 1-based in the
    // messages they describe; slot 0 of each vector is unused, and 0 marks a free slot.
    struct SubclassRecord {
        QPointer<QWidget> Window;
        int AfterCount = 0;
        int BeforeCount = 0;
        std::vector<unsigned> AfterList{0};
        std::vector<unsigned> BeforeList{0};
    };

    // ---- properties (Part of the persisted state) ----
    void NotifyChanged(const char* propertyName);
    void SetAccessKeys();
    void mFont_FontChanged(const QString& propertyName);
    void ApplyFont();
    void LoadHandCursor();

    // ---- interaction ----
    void SetState(int state);
    void ApplyHandPointer();
    bool PointerOverOwnWindow() const;
    bool ReleasedOnButton(float x, float y) const;
    void UncheckOtherOptions();
    void ShowToolTip();
    void ShowDropDownMenu();

    // ---- window hook ----
    int SubclassWindow(QWidget* hWnd);
    void AddSubclassMessage(QWidget* hWnd, unsigned uMsg, int when);
    void AddMessageToTable(unsigned uMsg, std::vector<unsigned>& list, int& count, int when, QWidget* hWnd);
    int FindSubclassEntry(QWidget* hWnd, bool bAdd) const;
    void UnsubclassWindow(QWidget* hWnd);
    void UnsubclassAll();
    void InstallHooks();

    // ---- drawing core ----
    void RedrawButton();
    void RefreshScaleSize();
    static int RoundHalfEven(double value);
    std::int32_t TranslateColor(int oleColor, int palette) const;
    void DrawLine(int x1, int y1, int x2, int y2, std::int32_t color);
    void DrawRectangle(int x, int y, int width, int height, std::int32_t color);
    void FillRectangle(std::int32_t color, const gdi::RECT& r);
    void DrawGradient(int x, int y, int width, int height, std::int32_t color1, std::int32_t color2, int direction);
    void DrawCornerPixels(std::int32_t color);
    void DrawFocusRectangle(const gdi::RECT& r);
    void CreateButtonRegion();
    void DrawPictureAndCaption();
    void CalcPictureRect();
    void DrawCaptionText(const gdi::RECT& r, std::int32_t color, int offsetX, int offsetY);
    void DrawCaptionEffects();
    void DrawDropDownSymbol(int code);
    gdi::HFONT CreateMarlettFont(int height);
    void SetDefaultColorScheme();
    void SetSchemeBackColor();

    // ---- style painters ----
    void PaintStyleClassic(int state);
    void PaintStyle2(int state);
    void PaintStyle3(int state);
    void PaintStyle4(int state);
    void PaintStyle5(int state);
    void PaintStyle6(int state);
    void PaintStyle7(int state);
    void PaintStyle8(int state);
    void PaintStyle9(int state);
    void PaintStyle10(int state);
    void PaintStyleTheme(int state);
    void DrawThemedBackground(const QString& className, int part, int themeState);

    // ---- pictures and probes ----
    void DrawPicture(const gdi::RECT& r, std::int32_t silhouette);
    int PictureEffectOfState() const;
    int DisabledPictureOpacity(bool& grey) const;
    void DrawPictureTransparent(gdi::HDC hdc, int x, int y, int width, int height, const Picture& picture,
                                std::int32_t transparentColor, std::int32_t silhouette);
    void DrawPictureAlpha(gdi::HDC hdc, int x, int y, int width, int height, const Picture& picture,
                          std::int32_t silhouette);
    void DrawPictureWithShadow();
    static bool IsAlphaBitmap(const Picture& picture);
    static bool IsLibraryAvailable(const QString& name);
    bool IsUxThemeAvailable();
    bool IsThemed();
    static bool IsFunctionExported(const QString& functionName, const QString& moduleName);
    void TrackMouseLeave(QWidget* hWnd);

    // The control's device context over its surface, made per repaint.
    gdi::HDC mDC = nullptr;

    // ---- property members: zero until InitProperties or ReadProperties gives them values ----
    int mBackColor = 0;
    int mButtonStyle = 0;
    QString mCaption;
    int mCaptionAlign = 0;
    int mDropDownSymbol = 0;
    bool mDropDownSeparator = false;
    int mDisabledPictureMode = 0;
    bool mEnabled = false;
    QFont mFont;
    int mForeColor = 0;
    int mForeColorHover = 0;
    bool mHandPointer = false;
    int mMaskColor = 0;
    int mMode = 0;
    Picture mPictureNormal;
    Picture mPictureHot;
    Picture mPictureDown;
    int mPictureAlign = 0;
    bool mPictureShadow = false;
    int mPictureEffectOnOver = 0;
    int mPictureEffectOnDown = 0;
    bool mPicturePushOnHover = false;
    std::uint8_t mPictureOpacity = 0;
    std::uint8_t mPictureOpacityOnOver = 0;
    bool mRightToLeft = false;
    int mCaptionEffects = 0;
    bool mShowFocusRect = false;
    bool mUseMaskColor = false;
    bool mValue = false;
    QString mTooltipTitle;
    QString mToolTip;
    int mTooltipBackColor = 0;
    int mToolTipIcon = 0;
    int mToolTipType = 0;
    int mColorScheme = 0;

    // ---- internal fields ----
    int mButtonState = 0;
    bool mMouseDown = false;
    bool mMouseOver = false;
    bool mSpaceDown = false;
    bool mHasFocus = false;
    bool mDisplayAsDefault = false;
    bool mParentActive = false;
    QWidget* mParentHwnd = nullptr;
    bool mIsNT = true;
    bool mRTLText = false;
    const QCursor* mHandCursor = nullptr;
    short mMouseButton = 0;
    short mMouseShift = 0;
    float mMouseX = 0;
    float mMouseY = 0;
    bool mHasPopupMenu = false;
    QPointer<QMenu> mPopupMenu;
    QPointer<QAction> mDefaultMenu;
    int mPopupAlign = 0;
    int mPopupFlags = 0;
    bool mMenuShowing = false;
    bool mMenuClosedOver = false;
    QPointer<QuToolTipWindow> mToolTipWnd;
    bool mHasTrackMouseEvent = false;
    // A leave notification was asked for and has not arrived yet (the platform reports a leave
    // once per request).
    bool mLeaveTracked = false;
    bool mShell32 = false;
    gdi::HRGN mRegion = nullptr;
    int mScaleWidth = 0;
    int mScaleHeight = 0;
    gdi::RECT mClientRect;
    gdi::RECT mPictureRect;
    gdi::RECT mCaptionRect;
    gdi::RECT mDropDownRect;
    Picture mCurrentPicture;
    int mPicWidth = 0;
    int mPicHeight = 0;
    QuButtonColors::ChannelTable mLightTable{};
    QuButtonColors::ChannelTable mDarkTable{};
    std::vector<SubclassRecord> mSubclassTable;
    bool mHookCode = false;
    // Cached probe answers: -1 not asked yet.
    int mUxThemeAvailable = -1;
    int mThemed = -1;
};
