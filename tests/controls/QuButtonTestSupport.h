#pragma once

// Shared helpers of the button tests: a form made from design text, the button's private state,
// and pixels read back as &H00BBGGRR.

#include "QuButton.h"
#include "QuToolTipWindow.h"

#include <DesignData.h>
#include <Form.h>
#include <Runtime.h>

#include <QImage>
#include <QString>

#include <memory>
#include <vector>

// Reaches the button's private state and drawing core (declared a friend by the button).
struct QuButtonTestAccess {
    static int State(const QuButton& b) { return b.mButtonState; }
    static void SetState(QuButton& b, int state) { b.mButtonState = state; }
    static bool MouseOver(const QuButton& b) { return b.mMouseOver; }
    static void SetMouseOver(QuButton& b, bool value) { b.mMouseOver = value; }
    static bool SpaceDown(const QuButton& b) { return b.mSpaceDown; }
    static bool MouseDownFlag(const QuButton& b) { return b.mMouseDown; }
    static bool HasFocus(const QuButton& b) { return b.mHasFocus; }
    static void SetHasFocus(QuButton& b, bool value) { b.mHasFocus = value; }
    static bool ParentActive(const QuButton& b) { return b.mParentActive; }
    static void SetParentActive(QuButton& b, bool value) { b.mParentActive = value; }
    static void SetDisplayAsDefault(QuButton& b, bool value) { b.mDisplayAsDefault = value; }
    static QWidget* ParentHwnd(const QuButton& b) { return b.mParentHwnd; }
    static void Redraw(QuButton& b) { b.RedrawButton(); }
    // Layout of the last repaint, in pixels of the control.
    static gdi::RECT CaptionRect(const QuButton& b) { return b.mCaptionRect; }
    static gdi::RECT PictureRect(const QuButton& b) { return b.mPictureRect; }
    static gdi::RECT DropDownRect(const QuButton& b) { return b.mDropDownRect; }
    static QuToolTipWindow* ToolTipWindow(const QuButton& b) { return b.mToolTipWnd.data(); }
    static int PopupFlags(const QuButton& b) { return b.mPopupFlags; }
    static bool HasPopupMenu(const QuButton& b) { return b.mHasPopupMenu; }
    static bool MenuClosedOver(const QuButton& b) { return b.mMenuClosedOver; }
    static bool MenuShowing(const QuButton& b) { return b.mMenuShowing; }
    static void ShowDropDownMenu(QuButton& b) { b.ShowDropDownMenu(); }

    // Draws a gradient with the button's primitive into image (Format_RGB32).
    static void Gradient(QuButton& b, QImage& image, int x, int y, int w, int h, std::int32_t c1, std::int32_t c2,
                         int direction)
    {
        gdi::HDC dc = gdi::CreateImageDC(&image);
        gdi::HDC previous = b.mDC;
        b.mDC = dc;
        b.DrawGradient(x, y, w, h, c1, c2, direction);
        b.mDC = previous;
        gdi::DeleteDC(dc);
    }

    // Hook table of the button: number of records in use and the after-list count of a window.
    static int HookedWindows(const QuButton& b)
    {
        int count = 0;
        for (const auto& record : b.mSubclassTable) {
            count += record.Window.isNull() ? 0 : 1;
        }
        return count;
    }
    static int AfterCount(const QuButton& b, QWidget* window)
    {
        const int index = b.FindSubclassEntry(window, false);
        return index < 0 ? -2 : b.mSubclassTable[static_cast<std::size_t>(index)].AfterCount;
    }
    static void AddAfterMessage(QuButton& b, QWidget* window, unsigned message)
    {
        b.AddSubclassMessage(window, message, 1);
    }
    static void Unsubclass(QuButton& b, QWidget* window) { b.UnsubclassWindow(window); }
    static void UnsubclassAll(QuButton& b) { b.UnsubclassAll(); }
};

namespace qkmbuttontest {

// A form whose design is given as text; unloaded (and the program's end forgotten) at the end.
class TestForm : public Form {
public:
    explicit TestForm(const QString& designText, const QString& name = QStringLiteral("FrmButtonTest")) : Form(name)
    {
        QuButton::Register();
        SetDesign(ParseDesign(designText, name));
    }
    ~TestForm() override
    {
        if (IsLoaded()) {
            Unload();
        }
        ResetProgramEnded();
    }
    QuButton& Button(const QString& name, int index = -1)
    {
        return index < 0 ? Control<QuButton>(name) : Array<QuButton>(name, index);
    }
};

// One button on a form, in design text: name, place in twips, and the bag lines.
inline QString ButtonDesign(const QString& name, int left, int top, int width, int height, const QString& bag)
{
    return QStringLiteral("    Begin QuButton %1\n"
                          "        Left = %2\n        Top = %3\n        Width = %4\n        Height = %5\n"
                          "        Bag\n%6        End\n    End\n")
        .arg(name)
        .arg(left)
        .arg(top)
        .arg(width)
        .arg(height)
        .arg(bag);
}

inline QString FormDesignText(const QString& controls)
{
    return QStringLiteral("Form FrmButtonTest\n    ClientWidth = 9000\n    ClientHeight = 6000\n%1End\n").arg(controls);
}

// The pixel as a COLORREF &H00BBGGRR.
inline std::int32_t Pixel(const QImage& image, int x, int y)
{
    const QRgb rgb = image.pixel(x, y);
    return qRed(rgb) | (qGreen(rgb) << 8) | (qBlue(rgb) << 16);
}

// The button's face as drawn now, in a fixed format.
inline QImage Face(QuButton& button)
{
    QuButtonTestAccess::Redraw(button);
    return button.Image().convertToFormat(QImage::Format_RGB32);
}

inline QString StyleBag(int style, int backColor, const QString& extra = QString(), int scheme = 3)
{
    return QStringLiteral("            ButtonStyle = %1\n            ColorScheme = %4\n"
                          "            BackColor = %2\n            Caption = \"\"\n%3")
        .arg(style)
        .arg(backColor)
        .arg(extra)
        .arg(scheme);
}

// One button of 80 pixels by heightPixels on a loaded (not shown) form.
class OneButton {
public:
    OneButton(int style, int heightPixels, int backColor = 0xFF9933, const QString& extra = QString(), int scheme = 3)
        : mForm(FormDesignText(ButtonDesign(QStringLiteral("Cmd"), 120, 120, 1200, heightPixels * 15,
                                            StyleBag(style, backColor, extra, scheme))))
    {
        mForm.Load();
    }
    QuButton& Button() { return mForm.Button(QStringLiteral("Cmd")); }
    QImage Draw(int state)
    {
        QuButtonTestAccess::SetState(Button(), state);
        return Face(Button());
    }

private:
    TestForm mForm;
};

inline std::int32_t Entry(std::int32_t c1, std::int32_t c2, int n, int i)
{
    std::vector<std::int32_t> line(static_cast<std::size_t>(n) + 1);
    QuButtonColors::GradientLine(c1, c2, n, line.data());
    return line[static_cast<std::size_t>(i)];
}

} // namespace qkmbuttontest
