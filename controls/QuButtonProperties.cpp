// The button's public surface: properties with their setter side effects, persistence through
// the host's property bag, the access key, Mode and Value, the picture rules and the methods.
#include "QuButton.h"

#include <ControlRegistry.h>
#include <Form.h>
#include <MsgBox.h>
#include <Picture.h>
#include <PropertyBag.h>
#include <RuntimeError.h>
#include <WindowApi.h>

#include <QDesktopServices>
#include <QUrl>

#include <limits>

namespace {

const QString DefaultCaption = QStringLiteral("QuButton");
constexpr int SystemButtonText = static_cast<int>(0x80000012);
constexpr int SystemInfoBackground = static_cast<int>(0x80000018);
constexpr int DefaultMaskColor = 0xE0E0E0;

int ReadInt(const PropertyBag& bag, const char* name, int defaultValue)
{
    return bag.ReadProperty(QString::fromLatin1(name), defaultValue).toInt();
}

bool ReadBool(const PropertyBag& bag, const char* name, bool defaultValue)
{
    return bag.ReadProperty(QString::fromLatin1(name), defaultValue).toBool();
}

std::uint8_t ReadByte(const PropertyBag& bag, const char* name, std::uint8_t defaultValue)
{
    const int value = bag.ReadProperty(QString::fromLatin1(name), static_cast<int>(defaultValue)).toInt();
    return static_cast<std::uint8_t>(value & 0xFF);
}

QString ReadString(const PropertyBag& bag, const char* name, const QString& defaultValue)
{
    return bag.ReadProperty(QString::fromLatin1(name), defaultValue).toString();
}

QByteArray ReadPicture(const PropertyBag& bag, const char* name)
{
    return bag.ReadProperty(QString::fromLatin1(name), QByteArray()).toByteArray();
}

// Design data names the type; the registry must know it before the first form loads. This file
// holds the class's first virtual function, so it is linked wherever the button is used.
const bool gQuButtonRegistered = (QuButton::Register(), true);

} // namespace

// ---- construction, registration -----------------------------------------------------------------

QuButton::QuButton() = default;

QuButton::~QuButton()
{
    // The hooks refer to this control without owning it: they must be gone before it is.
    UnsubclassAll();
}

void QuButton::Register()
{
    RegisterControlType(QStringLiteral("QuButton"), [] { return std::make_unique<QuButton>(); });
}

QString QuButton::TypeName() const
{
    return QStringLiteral("QuButton");
}

QuButton::Picture QuButton::Picture::FromData(const QByteArray& data)
{
    Picture picture;
    picture.Data = data;
    if (data.isEmpty()) {
        return picture;
    }
    picture.Image = DecodePicture(data);
    if (picture.Image.isNull()) {
        // Bytes that are no picture keep their place in the property but show nothing.
        picture.Type = vbPicTypeNone;
        return picture;
    }
    // An icon file starts with the reserved word 0 and the resource type 1.
    const bool icon = data.size() >= 4 && data[0] == 0 && data[1] == 0 && data[2] == 1 && data[3] == 0;
    picture.Type = icon ? vbPicTypeIcon : vbPicTypeBitmap;
    return picture;
}

void QuButton::NotifyChanged(const char* propertyName)
{
    PropertyChanged(QString::fromLatin1(propertyName));
}

// ---- methods ------------------------------------------------------------------------------------

void QuButton::OpenWebsite(const QString& sAddress)
{
    // The shell's "open" verb; an address the shell rejects changes nothing.
    QDesktopServices::openUrl(QUrl::fromUserInput(sAddress));
}

void QuButton::About()
{
    MessageBoxA(hWnd(), QStringLiteral("QuButton\n自绘按钮控件：十四种样式、图片、标题效果与悬停跟踪。"),
                QStringLiteral("About"), MB_ICONINFORMATION);
}

// ---- properties ---------------------------------------------------------------------------------

void QuButton::SetBackColor(int value)
{
    mBackColor = value;
    if (mButtonStyle != 4) {
        mColorScheme = 3;
    }
    RedrawButton();
    NotifyChanged("BackColor");
}

void QuButton::SetButtonStyle(int value)
{
    mButtonStyle = value;
    SetDefaultColorScheme();
    SetSchemeBackColor();
    CreateButtonRegion();
    RedrawButton();
    NotifyChanged("ButtonStyle");
}

void QuButton::SetCaption(const QString& value)
{
    mCaption = value;
    SetAccessKeys();
    RedrawButton();
    NotifyChanged("Caption");
}

void QuButton::SetCaptionAlign(int value)
{
    mCaptionAlign = value;
    RedrawButton();
    NotifyChanged("CaptionAlign");
}

void QuButton::SetDropDownSymbol(int value)
{
    mDropDownSymbol = value;
    RedrawButton();
    NotifyChanged("DropDownSymbol");
}

void QuButton::SetDropDownSeparator(bool value)
{
    mDropDownSeparator = value;
    RedrawButton();
    NotifyChanged("DropDownSeparator");
}

void QuButton::SetDisabledPictureMode(int value)
{
    mDisabledPictureMode = value;
    RedrawButton();
    NotifyChanged("DisabledPictureMode");
}

void QuButton::SetEnabled(bool value)
{
    mEnabled = value;
    ::Control::SetEnabled(value);
    RedrawButton();
    NotifyChanged("Enabled");
}

void QuButton::EnabledChanged()
{
    // The extender's Enabled set by the host (design data, a form through the base) is the same
    // property as the button's own.
    const bool windowEnabled = ::Control::Enabled();
    if (mEnabled != windowEnabled) {
        mEnabled = windowEnabled;
        RedrawButton();
        NotifyChanged("Enabled");
    }
}

void QuButton::SetFont(const QFont& value)
{
    mFont = value;
    Refresh();
    RedrawButton();
    NotifyChanged("Font");
    mFont_FontChanged(QString());
}

void QuButton::SetFontBold(bool bold)
{
    mFont.setBold(bold);
    mFont_FontChanged(QStringLiteral("Bold"));
}

void QuButton::SetFontSize(double points)
{
    mFont.setPointSizeF(points);
    mFont_FontChanged(QStringLiteral("Size"));
}

void QuButton::SetFontName(const QString& name)
{
    mFont.setFamily(name);
    mFont_FontChanged(QStringLiteral("Name"));
}

void QuButton::ApplyFont()
{
    UserControl::SetFont(mFont);
}

void QuButton::mFont_FontChanged(const QString& propertyName)
{
    (void)propertyName;
    ApplyFont();
    Refresh();
    RedrawButton();
    NotifyChanged("Font");
}

void QuButton::SetForeColor(int value)
{
    mForeColor = value;
    RedrawButton();
    NotifyChanged("ForeColor");
}

void QuButton::SetForeColorHover(int value)
{
    mForeColorHover = value;
    RedrawButton();
    NotifyChanged("ForeColorHover");
}

void QuButton::SetHandPointer(bool value)
{
    mHandPointer = value;
    if (value) {
        ::Control::SetMousePointer(vbDefault);
    }
    RedrawButton();
    NotifyChanged("HandPointer");
}

void QuButton::SetMaskColor(int value)
{
    mMaskColor = value;
    RedrawButton();
    NotifyChanged("MaskColor");
}

void QuButton::SetMode(int value)
{
    mMode = value;
    if (value == 0) {
        mButtonState = 0;
    }
    RedrawButton();
    NotifyChanged("Value");
    NotifyChanged("Mode");
}

void QuButton::SetMouseIcon(const QByteArray& value)
{
    ::Control::SetMouseIcon(value);
    if (value.isEmpty()) {
        ::Control::SetMousePointer(vbDefault);
    } else {
        mHandPointer = false;
        NotifyChanged("HandPointer");
        ::Control::SetMousePointer(vbCustom);
    }
    NotifyChanged("MouseIcon");
}

void QuButton::SetMousePointer(int value)
{
    // The pointer is a 16-bit Integer: a value it cannot hold is an overflow, not a wrapped code.
    if (value < std::numeric_limits<short>::min() || value > std::numeric_limits<short>::max()) {
        throw RuntimeError(6, QStringLiteral("溢出"));
    }
    ::Control::SetMousePointer(value);
    NotifyChanged("MousePointer");
}

void QuButton::SetPictureNormal(const QByteArray& value)
{
    mPictureNormal = Picture::FromData(value);
    if (mPictureNormal.IsNothing()) {
        mPictureHot = Picture{};
        NotifyChanged("PictureHot");
        mPictureDown = Picture{};
        NotifyChanged("PictureDown");
        UserControl_Resize();
    } else {
        RedrawButton();
    }
    NotifyChanged("PictureNormal");
}

void QuButton::SetPictureHot(const QByteArray& value)
{
    if (mPictureNormal.IsNothing()) {
        mPictureNormal = Picture::FromData(value);
        NotifyChanged("PictureNormal");
        return;
    }
    mPictureHot = Picture::FromData(value);
    NotifyChanged("PictureHot");
    RedrawButton();
}

void QuButton::SetPictureDown(const QByteArray& value)
{
    if (mPictureNormal.IsNothing()) {
        mPictureNormal = Picture::FromData(value);
        NotifyChanged("PictureNormal");
        return;
    }
    mPictureDown = Picture::FromData(value);
    NotifyChanged("PictureDown");
    RedrawButton();
}

void QuButton::SetPictureAlign(int value)
{
    mPictureAlign = value;
    if (!mPictureNormal.IsNothing()) {
        RedrawButton();
    }
    NotifyChanged("PictureAlign");
}

void QuButton::SetPictureShadow(bool value)
{
    mPictureShadow = value;
    RedrawButton();
    NotifyChanged("PictureShadow");
}

void QuButton::SetPictureEffectOnOver(int value)
{
    mPictureEffectOnOver = value;
    RedrawButton();
    NotifyChanged("PictureEffectOnOver");
}

void QuButton::SetPictureEffectOnDown(int value)
{
    mPictureEffectOnDown = value;
    RedrawButton();
    NotifyChanged("PictureEffectOnDown");
}

void QuButton::SetPicturePushOnHover(bool value)
{
    mPicturePushOnHover = value;
    RedrawButton();
    NotifyChanged("PicturePushOnHover");
}

void QuButton::SetPictureOpacity(std::uint8_t value)
{
    mPictureOpacity = value;
    RedrawButton();
    NotifyChanged("PictureOpacity");
}

void QuButton::SetPictureOpacityOnOver(std::uint8_t value)
{
    mPictureOpacityOnOver = value;
    RedrawButton();
    NotifyChanged("PictureOpacityOnOver");
}

void QuButton::SetRightToLeft(bool value)
{
    mRightToLeft = value;
    mRTLText = value;
    RedrawButton();
    NotifyChanged("RightToLeft");
}

void QuButton::SetCaptionEffects(int value)
{
    mCaptionEffects = value;
    RedrawButton();
    NotifyChanged("CaptionEffects");
}

void QuButton::SetShowFocusRect(bool value)
{
    mShowFocusRect = value;
    NotifyChanged("ShowFocusRect");
}

void QuButton::SetUseMaskColor(bool value)
{
    mUseMaskColor = value;
    if (!mPictureNormal.IsNothing()) {
        RedrawButton();
    }
    NotifyChanged("UseMaskColor");
}

void QuButton::SetValue(bool value)
{
    if (mMode == 1 || mMode == 2) {
        mValue = value;
        if (!value) {
            mButtonState = 0;
        }
        RedrawButton();
        NotifyChanged("Value");
        return;
    }
    // A push button keeps its stored value; only the drawing state is reset.
    mButtonState = 0;
    RedrawButton();
}

void QuButton::SetTooltipTitle(const QString& value)
{
    mTooltipTitle = value;
    RedrawButton();
    NotifyChanged("TooltipTitle");
}

void QuButton::SetToolTip(const QString& value)
{
    mToolTip = value;
    RedrawButton();
    NotifyChanged("ToolTip");
}

void QuButton::SetTooltipBackColor(int value)
{
    mTooltipBackColor = value;
    RedrawButton();
    NotifyChanged("TooltipBackColor");
}

void QuButton::SetToolTipIcon(int& value)
{
    mToolTipIcon = value;
    RedrawButton();
    NotifyChanged("TooltipIcon");
}

void QuButton::SetToolTipType(int value)
{
    mToolTipType = value;
    RedrawButton();
    NotifyChanged("TooltipType");
}

void QuButton::SetColorScheme(int value)
{
    mColorScheme = value;
    SetSchemeBackColor();
    RedrawButton();
    NotifyChanged("ColorScheme");
}

// ---- access key ---------------------------------------------------------------------------------

void QuButton::SetAccessKeys()
{
    UserControl::SetAccessKeys(QString());
    // Positions below are 0-based indexes into the caption.
    if (mCaption.size() < 2) {
        return;
    }
    const qsizetype i = mCaption.indexOf(QLatin1Char('&'));
    if (i < 0 || i == mCaption.size() - 1) {
        return;
    }
    if (mCaption.at(i + 1) != QLatin1Char('&')) {
        UserControl::SetAccessKeys(mCaption.mid(i + 1, 1).toLower());
        return;
    }
    // "&&" stands for a literal ampersand: look for the next marker after it.
    const qsizetype j = mCaption.indexOf(QLatin1Char('&'), i + 2);
    if (j < 0 || j == mCaption.size() - 1) {
        return;
    }
    if (mCaption.at(j + 1) != QLatin1Char('&')) {
        UserControl::SetAccessKeys(mCaption.mid(j + 1, 1).toLower());
    }
}

// ---- persistence --------------------------------------------------------------------------------

void QuButton::LoadHandCursor()
{
    mHandCursor = LoadCursor(IDC_HAND);
    if (mHandCursor == nullptr) {
        mHandPointer = false;
    }
}

void QuButton::UserControl_InitProperties()
{
    mShowFocusRect = true;
    mEnabled = true;
    mButtonStyle = 13;
    mCaption = Ambient().DisplayName;
    QFont font = UserControl::Font();
    font.setFamily(QStringLiteral("Tahoma"));
    UserControl::SetFont(font);
    mFont = font;
    mFont_FontChanged(QString());
    mPictureOpacity = 255;
    mPictureOpacityOnOver = 255;
    mPictureAlign = 1;
    mCaptionAlign = 1;
    mUseMaskColor = true;
    mMaskColor = DefaultMaskColor;
    RefreshScaleSize();
    SetDefaultColorScheme();
    SetSchemeBackColor();
    Refresh();
}

void QuButton::UserControl_ReadProperties(const PropertyBag& bag)
{
    const int buttonFace = static_cast<int>(gdi::GetSysColor(gdi::COLOR_BTNFACE));
    const int buttonText = TranslateColor(SystemButtonText, 0);

    mButtonStyle = ReadInt(bag, "ButtonStyle", 1);
    mShowFocusRect = ReadBool(bag, "ShowFocusRect", false);
    mFont = bag.ReadProperty(QStringLiteral("Font"), Ambient().Font).value<QFont>();
    ApplyFont();
    mBackColor = ReadInt(bag, "BackColor", buttonFace);
    mEnabled = ReadBool(bag, "Enabled", true);
    mCaption = ReadString(bag, "Caption", DefaultCaption);
    mValue = ReadBool(bag, "Value", false);
    ::Control::SetMousePointer(ReadInt(bag, "MousePointer", 0));
    mHandPointer = ReadBool(bag, "HandPointer", false);
    ::Control::SetMouseIcon(ReadPicture(bag, "MouseIcon"));
    mPictureNormal = Picture::FromData(ReadPicture(bag, "PictureNormal"));
    mPictureHot = Picture::FromData(ReadPicture(bag, "PictureHot"));
    mPictureDown = Picture::FromData(ReadPicture(bag, "PictureDown"));
    mPictureShadow = ReadBool(bag, "PictureShadow", false);
    mPictureOpacity = ReadByte(bag, "PictureOpacity", 255);
    mPictureOpacityOnOver = ReadByte(bag, "PictureOpacityOnOver", 255);
    mDisabledPictureMode = ReadInt(bag, "DisabledPictureMode", 0);
    mPicturePushOnHover = ReadBool(bag, "PicturePushOnHover", false);
    mPictureEffectOnOver = ReadInt(bag, "PictureEffectOnOver", 1);
    mPictureEffectOnDown = ReadInt(bag, "PictureEffectOnDown", 2);
    mMaskColor = ReadInt(bag, "MaskColor", DefaultMaskColor);
    mUseMaskColor = ReadBool(bag, "UseMaskColor", true);
    mCaptionEffects = ReadInt(bag, "CaptionEffects", 0);
    mMode = ReadInt(bag, "Mode", 0);
    mPictureAlign = ReadInt(bag, "PictureAlign", 1);
    mCaptionAlign = ReadInt(bag, "CaptionAlign", 1);
    mForeColor = ReadInt(bag, "ForeColor", buttonText);
    mForeColorHover = ReadInt(bag, "ForeColorHover", buttonText);
    UserControl::SetForeColor(mForeColor);
    mDropDownSeparator = ReadBool(bag, "DropDownSeparator", false);
    mTooltipTitle = ReadString(bag, "TooltipTitle", QString());
    mToolTip = ReadString(bag, "ToolTip", QString());
    mToolTipIcon = ReadInt(bag, "TooltipIcon", 0);
    mToolTipType = ReadInt(bag, "TooltipType", 0);
    mTooltipBackColor = ReadInt(bag, "TooltipBackColor", TranslateColor(SystemInfoBackground, 0));
    mRightToLeft = ReadBool(bag, "RightToLeft", false);
    mRTLText = ReadBool(bag, "RightToLeft", false);
    mDropDownSymbol = ReadInt(bag, "DropDownSymbol", 0);
    mColorScheme = ReadInt(bag, "ColorScheme", 0);

    ::Control::SetEnabled(mEnabled);
    SetAccessKeys();
    RefreshScaleSize();
    Form* form = Parent();
    mParentHwnd = form != nullptr ? form->hWnd() : nullptr;
    if (mHandPointer) {
        LoadHandCursor();
    }
    UserControl_Resize();
    if (Ambient().UserMode) {
        InstallHooks();
    }
}

void QuButton::UserControl_WriteProperties(PropertyBag& bag)
{
    const int buttonFace = static_cast<int>(gdi::GetSysColor(gdi::COLOR_BTNFACE));
    const int buttonText = TranslateColor(SystemButtonText, 0);
    auto write = [&bag](const char* name, const QVariant& value, const QVariant& defaultValue) {
        bag.WriteProperty(QString::fromLatin1(name), value, defaultValue);
    };

    write("ButtonStyle", mButtonStyle, 1);
    write("ShowFocusRect", mShowFocusRect, false);
    write("Enabled", mEnabled, true);
    write("Font", mFont, Ambient().Font);
    write("BackColor", mBackColor, buttonFace);
    write("Caption", mCaption, DefaultCaption);
    write("ForeColor", mForeColor, buttonText);
    write("ForeColorHover", mForeColorHover, buttonText);
    write("Mode", mMode, 0);
    write("Value", mValue, false);
    write("MousePointer", ::Control::MousePointer(), 0);
    write("HandPointer", mHandPointer, false);
    write("MouseIcon", ::Control::MouseIcon(), QByteArray());
    write("PictureNormal", mPictureNormal.Data, QByteArray());
    write("PictureHot", mPictureHot.Data, QByteArray());
    write("PictureDown", mPictureDown.Data, QByteArray());
    write("PictureAlign", mPictureAlign, 1);
    write("PictureEffectOnOver", mPictureEffectOnOver, 1);
    write("PictureEffectOnDown", mPictureEffectOnDown, 2);
    write("PicturePushOnHover", mPicturePushOnHover, false);
    write("PictureShadow", mPictureShadow, false);
    write("PictureOpacity", static_cast<int>(mPictureOpacity), 255);
    write("PictureOpacityOnOver", static_cast<int>(mPictureOpacityOnOver), 255);
    write("DisabledPictureMode", mDisabledPictureMode, 0);
    write("CaptionEffects", mCaptionEffects, 0);
    write("UseMaskColor", mUseMaskColor, true);
    write("MaskColor", mMaskColor, DefaultMaskColor);
    write("CaptionAlign", mCaptionAlign, 1);
    write("ToolTip", mToolTip, QString());
    write("TooltipType", mToolTipType, 0);
    write("TooltipIcon", mToolTipIcon, 0);
    write("TooltipTitle", mTooltipTitle, QString());
    write("TooltipBackColor", mTooltipBackColor, TranslateColor(SystemInfoBackground, 0));
    write("RightToLeft", mRightToLeft, false);
    write("DropDownSymbol", mDropDownSymbol, 0);
    write("DropDownSeparator", mDropDownSeparator, false);
    write("ColorScheme", mColorScheme, 0);
}
