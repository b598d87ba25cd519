// The button driven with real Qt input on a shown form: which events are raised in which order,
// the drawing state they leave, option groups, and what the window hooks deliver (leave,
// activation) also while buttons come and go.
#include "QuButtonTestSupport.h"

#include <ControlRegistry.h>
#include <Gdi.h>
#include <KeyCodes.h>
#include <WindowHooks.h>

#include <QApplication>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

using namespace qkmbuttontest;

namespace {

const QString Style8 = QStringLiteral("            ButtonStyle = 8\n            Caption = \"\"\n");

QString ModeBag(int mode)
{
    return QStringLiteral("            ButtonStyle = 8\n            Caption = \"\"\n            Mode = %1\n").arg(mode);
}

// A plain container control (as a frame or picture box is), so that option groups can be told
// apart by container without depending on the intrinsic controls.
class TestFrame : public ::Control {
public:
    QString TypeName() const override { return QStringLiteral("QuButtonTestFrame"); }
    bool IsContainer() const override { return true; }

protected:
    QWidget* CreateWidget(QWidget* parentWindow) override { return new QWidget(parentWindow); }
};

// Records the events of one button as short words.
class EventLog {
public:
    explicit EventLog(QuButton& button)
    {
        button.Click.Connect([this] { mWords << QStringLiteral("Click"); });
        button.DblClick.Connect([this] { mWords << QStringLiteral("DblClick"); });
        button.MouseLeave.Connect([this] { mWords << QStringLiteral("MouseLeave"); });
        button.MouseDown.Connect([this](short&, short&, float&, float&) { mWords << QStringLiteral("MouseDown"); });
        button.MouseUp.Connect([this](short&, short&, float&, float&) { mWords << QStringLiteral("MouseUp"); });
        button.KeyUp.Connect([this](short&, short&) { mWords << QStringLiteral("KeyUp"); });
    }
    QStringList Take()
    {
        QStringList words = mWords;
        mWords.clear();
        return words;
    }

private:
    QStringList mWords;
};

class ShownForm : public ::testing::Test {
protected:
    void Show(const QString& controls)
    {
        mForm = std::make_unique<TestForm>(FormDesignText(controls));
        mForm->Show();
        QWidget* window = mForm->hWnd();
        window->activateWindow();
        QApplication::setActiveWindow(window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }
    QuButton& Button(const QString& name = QStringLiteral("Cmd"), int index = -1) { return mForm->Button(name, index); }
    // Qt drops a move to the position the pointer already has: come from a neighbouring pixel.
    static void Hover(QWidget* window, QPoint position)
    {
        QTest::mouseMove(window, position + QPoint(1, 1));
        QTest::mouseMove(window, position);
    }
    static void Leave(QuButton& button)
    {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(button.hWnd(), &leave);
    }
    std::unique_ptr<TestForm> mForm;
};

} // namespace

// Where a release clicks: on every pixel of the window region of every style, and nowhere else.
TEST_F(ShownForm, ReleaseClicksOnlyInsideTheButtonAndItsRegion)
{
    // One button of each style, 22 x 16 pixels, beside the style-8 one; style 13 themed.
    gdi::SetAppThemedOverride(1);
    QString design = ButtonDesign(QStringLiteral("Cmd"), 150, 150, 1200, 450, Style8);
    for (int style = 0; style <= 13; ++style) {
        design += ButtonDesign(QStringLiteral("Styled%1").arg(style), 150 + style * 600, 1200, 330, 240,
                               QStringLiteral("            ButtonStyle = %1\n            Caption = \"\"\n").arg(style));
    }
    Show(design);
    QuButton& b = Button();
    EventLog log(b);
    QWidget* w = b.hWnd();
    Hover(w, QPoint(10, 10));
    EXPECT_EQ(QuButtonTestAccess::State(b), 1);
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(QuButtonTestAccess::State(b), 2);
    QTest::mouseMove(w, QPoint(200, 10));
    EXPECT_EQ(QuButtonTestAccess::State(b), 0);
    QTest::mouseMove(w, QPoint(20, 10));
    EXPECT_EQ(QuButtonTestAccess::State(b), 2);
    QTest::mouseMove(w, QPoint(200, 10));
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(200, 10));
    EXPECT_EQ(log.Take(), QStringList({"MouseDown", "MouseUp"}));
    EXPECT_EQ(QuButtonTestAccess::State(b), 0);

    // Released on the first column (x = 0): on the button.
    Hover(w, QPoint(10, 10));
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(0, 10));
    EXPECT_EQ(log.Take(), QStringList({"MouseDown", "Click", "MouseUp"}));

    // A right click raises only MouseUp.
    QTest::mouseClick(w, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(log.Take(), QStringList({"MouseUp"}));

    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(log.Take(), QStringList({"MouseDown", "Click", "MouseUp"}));

    // Every pixel of each style and the ring around it, pressed and released through the window
    // system, so that the window region decides which window the press reaches. The rounded
    // styles leave out 1 (3 x 3 corners) or 3 (4 x 4) pixels per corner; style 13's region is
    // the platform's outline of a rectangle wider than the window, whose cut corners lie outside.
    const int cornerPixelsLeftOut[] = {0, 0, 4, 4, 0, 0, 12, 4, 0, 4, 12, 0, 0, 0};
    QWindow* formWindow = mForm->hWnd()->windowHandle();
    for (int style = 0; style <= 13; ++style) {
        QuButton& styled = Button(QStringLiteral("Styled%1").arg(style));
        int clicks = 0;
        styled.Click.Connect([&clicks] { ++clicks; });
        QWidget* sw = styled.hWnd();
        ASSERT_EQ(sw->size(), QSize(22, 16));
        int leftOut = 0;
        for (int y = -1; y <= 16; ++y) {
            for (int x = -1; x <= 22; ++x) {
                // Painting in the normal state makes the region anew: ask for the current one.
                const gdi::HRGN region = gdi::GetWindowRgnHandle(sw);
                ASSERT_NE(region, nullptr) << style;
                const bool onButton = sw->rect().contains(x, y);
                const bool held = onButton && gdi::PtInRegion(region, x, y);
                leftOut += onButton && !held ? 1 : 0;
                if (onButton) {
                    EXPECT_EQ(sw->mask().contains(QPoint(x, y)), held) << style << " at " << x << ", " << y;
                }
                clicks = 0;
                QTest::mouseClick(formWindow, Qt::LeftButton, {},
                                  formWindow->mapFromGlobal(sw->mapToGlobal(QPoint(x, y))));
                EXPECT_EQ(clicks, held ? 1 : 0) << style << " at " << x << ", " << y;
            }
        }
        // Pressed inside and released on a corner the region leaves out: the button holds the
        // pointer and gets the release, which does not click.
        if (cornerPixelsLeftOut[style] > 0) {
            clicks = 0;
            QTest::mousePress(sw, Qt::LeftButton, {}, QPoint(10, 8));
            QTest::mouseRelease(sw, Qt::LeftButton, {}, QPoint(21, 15));
            EXPECT_EQ(clicks, 0) << style;
        }
        EXPECT_EQ(leftOut, cornerPixelsLeftOut[style]) << style;
    }
    gdi::SetAppThemedOverride(-1);
}

TEST_F(ShownForm, LeftDoubleClickSequence)
{
    Show(ButtonDesign(QStringLiteral("Cmd"), 150, 150, 1200, 450, Style8));
    QuButton& b = Button();
    EventLog log(b);
    Hover(b.hWnd(), QPoint(10, 10));
    // Through the window system, as a real double click arrives: press, release, press with the
    // double click, release.
    QWindow* window = mForm->hWnd()->windowHandle();
    const QPoint inWindow = window->mapFromGlobal(b.hWnd()->mapToGlobal(QPoint(10, 10)));
    QTest::mouseDClick(window, Qt::LeftButton, {}, inWindow);
    EXPECT_EQ(log.Take(), QStringList({"MouseDown", "Click", "MouseUp", "MouseDown", "DblClick", "Click", "MouseUp"}));
}

TEST_F(ShownForm, SpaceKeyClicks)
{
    Show(ButtonDesign(QStringLiteral("Cmd"), 150, 150, 1200, 450, Style8) +
         ButtonDesign(QStringLiteral("Other"), 150, 900, 1200, 450, Style8));
    QuButton& b = Button();
    EventLog log(b);
    QWidget* w = b.hWnd();
    b.SetFocus();
    QApplication::processEvents();

    // Space down, then Tab: the pending click is cancelled and the button drawn normal.
    QTest::keyPress(w, Qt::Key_Space);
    EXPECT_TRUE(QuButtonTestAccess::SpaceDown(b));
    EXPECT_EQ(QuButtonTestAccess::State(b), 2);
    QTest::keyPress(w, Qt::Key_Tab);
    EXPECT_FALSE(QuButtonTestAccess::SpaceDown(b));
    EXPECT_EQ(QuButtonTestAccess::State(b), 0);
    QWidget* focused = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : w;
    QTest::keyRelease(focused, Qt::Key_Space);
    EXPECT_EQ(log.Take().count(QStringLiteral("Click")), 0);
    b.SetFocus();
    QApplication::processEvents();

    // Space down then up: one Click at the release.
    QTest::keyPress(w, Qt::Key_Space);
    EXPECT_EQ(QuButtonTestAccess::State(b), 2);
    EXPECT_TRUE(log.Take().isEmpty());
    QTest::keyRelease(w, Qt::Key_Space);
    EXPECT_EQ(log.Take(), QStringList({"Click", "KeyUp"}));

    // Space down, a mouse click, Space up: the mouse click only.
    Hover(w, QPoint(10, 10));
    QTest::keyPress(w, Qt::Key_Space);
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::keyRelease(w, Qt::Key_Space);
    EXPECT_EQ(log.Take(), QStringList({"MouseDown", "Click", "MouseUp", "KeyUp"}));
}

TEST_F(ShownForm, EnterAndCheckButtons)
{
    Show(ButtonDesign(QStringLiteral("Cmd"), 150, 150, 1200, 450, ModeBag(1)));
    QuButton& b = Button();
    EventLog log(b);
    b.SetFocus();
    QApplication::processEvents();
    QTest::keyClick(b.hWnd(), Qt::Key_Return);
    EXPECT_EQ(log.Take(), QStringList({"Click"}));
    EXPECT_FALSE(b.Value()); // Enter clicks without toggling
    QTest::keyClick(b.hWnd(), Qt::Key_Space);
    EXPECT_TRUE(b.Value());
    // Space held down: the keyboard repeats the press, the button still toggles once and clicks once.
    log.Take();
    QTest::keyPress(b.hWnd(), Qt::Key_Space);
    for (int repeat = 0; repeat < 3; ++repeat) {
        QKeyEvent again(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
        QApplication::sendEvent(b.hWnd(), &again);
    }
    EXPECT_FALSE(b.Value());
    EXPECT_EQ(QuButtonTestAccess::State(b), 2);
    QTest::keyRelease(b.hWnd(), Qt::Key_Space);
    EXPECT_FALSE(b.Value());
    EXPECT_EQ(log.Take(), QStringList({"Click", "KeyUp"}));
    QTest::keyClick(b.hWnd(), Qt::Key_Space);
    EXPECT_TRUE(b.Value());
    Hover(b.hWnd(), QPoint(10, 10));
    QTest::mouseClick(b.hWnd(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(b.Value());

    // The access-key path with Enter or Esc does nothing on a check button.
    log.Take();
    b.UserControl_AccessKeyPress(13);
    EXPECT_TRUE(log.Take().isEmpty());
    b.UserControl_AccessKeyPress('c');
    EXPECT_TRUE(b.Value());
    EXPECT_EQ(log.Take(), QStringList({"Click"}));
}

TEST_F(ShownForm, OptionGroupsFollowTheContainer)
{
    const QString options = ButtonDesign(QStringLiteral("OptA"), 120, 120, 1200, 450, ModeBag(2)) +
                            ButtonDesign(QStringLiteral("OptB"), 120, 720, 1200, 450, ModeBag(2));
    RegisterControlType(QStringLiteral("QuButtonTestFrame"), [] { return std::make_unique<TestFrame>(); });
    Show(QStringLiteral("    Begin QuButtonTestFrame PicFrame\n        Left = 120\n        Top = 120\n"
                        "        Width = 3000\n        Height = 2000\n%1    End\n")
             .arg(options) +
         ButtonDesign(QStringLiteral("OptC"), 4000, 120, 1200, 450, ModeBag(2)));
    QuButton& a = Button(QStringLiteral("OptA"));
    QuButton& b = Button(QStringLiteral("OptB"));
    QuButton& c = Button(QStringLiteral("OptC"));
    c.SetValue(true);
    b.SetValue(true);
    EXPECT_TRUE(b.Value()); // setting Value leaves the others alone
    Hover(a.hWnd(), QPoint(10, 10));
    QTest::mouseClick(a.hWnd(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(a.Value());
    EXPECT_FALSE(b.Value());
    EXPECT_TRUE(c.Value()); // another container, another group
}

TEST_F(ShownForm, MouseLeaveOnceAndNotWhileSpaceIsHeld)
{
    Show(ButtonDesign(QStringLiteral("Cmd"), 150, 150, 1200, 450, Style8));
    QuButton& b = Button();
    EventLog log(b);
    Hover(b.hWnd(), QPoint(10, 10));
    EXPECT_EQ(QuButtonTestAccess::State(b), 1);
    Leave(b);
    Leave(b); // a second leave without a new request is not reported
    EXPECT_EQ(log.Take(), QStringList({"MouseLeave"}));
    EXPECT_EQ(QuButtonTestAccess::State(b), 0);

    b.SetFocus();
    QApplication::processEvents();
    Hover(b.hWnd(), QPoint(10, 10));
    QTest::keyPress(b.hWnd(), Qt::Key_Space);
    Leave(b);
    EXPECT_TRUE(log.Take().isEmpty());
    EXPECT_EQ(QuButtonTestAccess::State(b), 2);
    QTest::keyRelease(b.hWnd(), Qt::Key_Space);
}

TEST_F(ShownForm, DeactivationDrawsNormalAndActivationRedraws)
{
    Show(ButtonDesign(QStringLiteral("Cmd"), 150, 150, 1200, 450, Style8));
    QuButton& b = Button();
    EXPECT_TRUE(QuButtonTestAccess::ParentActive(b));
    EXPECT_EQ(QuButtonTestAccess::ParentHwnd(b), mForm->hWnd());
    b.SetFocus();
    QApplication::processEvents();
    QTest::keyPress(b.hWnd(), Qt::Key_Space);
    EXPECT_EQ(QuButtonTestAccess::State(b), 2);

    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(mForm->hWnd(), &deactivate);
    EXPECT_FALSE(QuButtonTestAccess::ParentActive(b));
    EXPECT_FALSE(QuButtonTestAccess::SpaceDown(b));
    EXPECT_FALSE(QuButtonTestAccess::HasFocus(b));
    EXPECT_EQ(QuButtonTestAccess::State(b), 0);
    const QImage normal = b.Image().convertToFormat(QImage::Format_RGB32);
    // The style-8 normal face: a bag without colours reads the button face as BackColor.
    EXPECT_EQ(Pixel(normal, 40, 11), static_cast<std::int32_t>(gdi::GetSysColor(gdi::COLOR_BTNFACE)));

    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(mForm->hWnd(), &activate);
    EXPECT_TRUE(QuButtonTestAccess::ParentActive(b));

    // Minimised while inactive: WA_INACTIVE in the low word, the minimised flag in the high word.
    bool handled = false;
    long result = 0;
    QWidget* window = mForm->hWnd();
    unsigned message = WM_ACTIVATE;
    quintptr wParam = 0x10000;
    qintptr lParam = 0;
    b.Subclass_WndProc(false, handled, result, window, message, wParam, lParam);
    EXPECT_FALSE(QuButtonTestAccess::ParentActive(b));
    EXPECT_FALSE(handled);
    EXPECT_EQ(result, 0);
}

TEST_F(ShownForm, HooksOfManyButtonsComeAndGoIndependently)
{
    Show(ButtonDesign(QStringLiteral("CmdSelect"), 120, 120, 375, 375,
                      QStringLiteral("            ButtonStyle = 3\n            Caption = \"1\"\n"))
             .replace(QStringLiteral("CmdSelect\n"), QStringLiteral("CmdSelect(0)\n")));
    auto numbers = mForm->Array<QuButton>(QStringLiteral("CmdSelect"));
    for (int i = 1; i < 50; ++i) {
        QuButton& element = numbers.Load(i);
        element.SetLeft(120 + (i % 10) * 400);
        element.SetTop(120 + (i / 10) * 400);
        element.SetCaption(QString::number(i + 1));
        element.SetVisible(true);
    }
    QWidget* formWindow = mForm->hWnd();
    EXPECT_EQ(WindowHooks::OwnerCount(formWindow), 50);
    EXPECT_EQ(QuButtonTestAccess::HookedWindows(numbers(7)), 2);

    // Registering the same message twice keeps one entry.
    const int count = QuButtonTestAccess::AfterCount(numbers(7), numbers(7).hWnd());
    QuButtonTestAccess::AddAfterMessage(numbers(7), numbers(7).hWnd(), WM_MOUSELEAVE);
    EXPECT_EQ(QuButtonTestAccess::AfterCount(numbers(7), numbers(7).hWnd()), count);

    // Removing the hooks of some buttons leaves the others working.
    numbers.Unload(20);
    QuButtonTestAccess::Unsubclass(numbers(30), formWindow);
    EXPECT_EQ(WindowHooks::OwnerCount(formWindow), 48);
    QuButtonTestAccess::SetState(numbers(40), 2);
    QuButtonTestAccess::SetState(numbers(30), 2);
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(formWindow, &deactivate);
    EXPECT_EQ(QuButtonTestAccess::State(numbers(40)), 0);
    EXPECT_EQ(QuButtonTestAccess::State(numbers(30)), 2); // no longer hooked to the form

    EXPECT_TRUE(mForm->Unload());
    EXPECT_FALSE(mForm->IsLoaded());
}
