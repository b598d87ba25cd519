// The button's own tooltip window (a fresh one per hot phase, with its title, icon, balloon shape,
// colour and reading order) and its drop-down menu (alignment flags, type check, what a press
// does while a menu is set).
#include "QuButtonTestSupport.h"

#include <Gdi.h>
#include <RuntimeError.h>

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <functional>
#include <gtest/gtest.h>

using namespace qkmbuttontest;

namespace {

class PopupForm : public ::testing::Test {
protected:
    void Show(const QString& bag)
    {
        // Centred on the screen, so that a menu fits on every side of the button.
        mForm = std::make_unique<TestForm>(
            FormDesignText(ButtonDesign(QStringLiteral("Cmd"), 150, 150, 1200, 450,
                                        QStringLiteral("            ButtonStyle = 8\n") + bag))
                .replace(QStringLiteral("ClientHeight = 6000\n"),
                         QStringLiteral("ClientHeight = 6000\n    StartUpPosition = 2\n")));
        mForm->Show();
        QApplication::setActiveWindow(mForm->hWnd());
        ASSERT_TRUE(QTest::qWaitForWindowActive(mForm->hWnd()));
    }
    QuButton& Button() { return mForm->Button(QStringLiteral("Cmd")); }
    void Hover(QPoint position)
    {
        QTest::mouseMove(Button().hWnd(), position + QPoint(1, 1));
        QTest::mouseMove(Button().hWnd(), position);
    }
    void Leave()
    {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(Button().hWnd(), &leave);
    }
    std::unique_ptr<TestForm> mForm;
};

} // namespace

TEST_F(PopupForm, EachHotPhaseGetsAFreshToolTipWindow)
{
    Show(QStringLiteral("            ToolTip = \"下一题\"\n"));
    QuButton& b = Button();
    Hover(QPoint(10, 10));
    QPointer<QuToolTipWindow> first = QuButtonTestAccess::ToolTipWindow(b);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Text(), QStringLiteral("下一题"));
    EXPECT_EQ(first->MaxTipWidth(), 240);
    EXPECT_FALSE(first->IsBalloon());
    EXPECT_EQ(first->TipBkColor(), QColor(0xFF, 0xFF, 0xE1)); // the system info background
    EXPECT_EQ(first->Tool(), b.hWnd());
    // It appears after the pointer has rested on the button.
    EXPECT_TRUE(QTest::qWaitFor([&] { return first != nullptr && first->isVisible(); }, 2000));

    Hover(QPoint(12, 12)); // still hot: no new window
    EXPECT_EQ(QuButtonTestAccess::ToolTipWindow(b), first.data());
    Leave();
    EXPECT_FALSE(first->isVisible());
    Hover(QPoint(10, 10));
    EXPECT_TRUE(first.isNull()); // replaced
    EXPECT_NE(QuButtonTestAccess::ToolTipWindow(b), nullptr);
}

TEST_F(PopupForm, BalloonTitleIconColourAndReadingOrder)
{
    Show(QStringLiteral("            ToolTip = \"x\"\n            TooltipType = 1\n"
                        "            TooltipTitle = \"提示\"\n            TooltipIcon = 1\n"
                        "            TooltipBackColor = &H00C0FFFF&\n            RightToLeft = True\n"));
    Hover(QPoint(10, 10));
    QuToolTipWindow* tip = QuButtonTestAccess::ToolTipWindow(Button());
    ASSERT_NE(tip, nullptr);
    EXPECT_TRUE(tip->IsBalloon());
    EXPECT_EQ(tip->Title(), QStringLiteral("提示"));
    EXPECT_EQ(tip->TitleIconCode(), 1);
    EXPECT_EQ(tip->TipBkColor(), QColor(0xFF, 0xFF, 0xC0));
    EXPECT_EQ(tip->layoutDirection(), Qt::RightToLeft);
}

// A balloon's window has the balloon's shape, rounded with a stem whose tip stands where the tip
// pops up; right to left mirrors the stem and puts the title icon on the right.
TEST_F(PopupForm, BalloonShapeAndRightToLeftLayout)
{
    struct Case {
        bool Balloon;
        bool RightToLeft;
    };
    for (const Case c : {Case{false, false}, Case{true, false}, Case{true, true}, Case{false, true}}) {
        SCOPED_TRACE(testing::Message() << "balloon " << c.Balloon << " rtl " << c.RightToLeft);
        Show(QStringLiteral("            ToolTip = \"Text read in its own order\"\n"
                            "            TooltipTitle = \"T\"\n            TooltipIcon = 1\n"
                            "            TooltipType = %1\n            RightToLeft = %2\n")
                 .arg(c.Balloon ? 1 : 0)
                 .arg(c.RightToLeft ? QStringLiteral("True") : QStringLiteral("False")));
        Hover(QPoint(10, 10));
        QuToolTipWindow* tip = QuButtonTestAccess::ToolTipWindow(Button());
        ASSERT_NE(tip, nullptr);
        const QPoint at = Button().hWnd()->mapToGlobal(QPoint(10, 30));
        tip->Pop(at);
        const int w = tip->width();
        const int h = tip->height();
        const QRegion shape = tip->mask();
        if (!c.Balloon) {
            EXPECT_TRUE(shape.isEmpty());
            EXPECT_EQ(tip->pos() + QPoint(c.RightToLeft ? w - 1 : 0, 0), at);
        } else {
            for (const QPoint corner : {QPoint(0, h - 1), QPoint(w - 1, h - 1), QPoint(0, 12), QPoint(w - 1, 12)}) {
                EXPECT_FALSE(shape.contains(corner)) << corner.x() << "," << corner.y();
            }
            const int stem = c.RightToLeft ? w - 1 - 16 : 16;
            const int away = c.RightToLeft ? -4 : 4;
            EXPECT_EQ(tip->pos() + QPoint(stem, 0), at);
            EXPECT_TRUE(shape.contains(QPoint(stem + away, 6)));
            EXPECT_FALSE(shape.contains(QPoint(stem - away, 6)));
            EXPECT_TRUE(shape.contains(QPoint(w / 2, h / 2)));
        }
        // The information icon is the only blue of the tip.
        const QImage shot = tip->grab().toImage();
        int blueLeft = 0;
        int blueRight = 0;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                const QColor pixel = shot.pixelColor(x, y);
                if (pixel.blue() > pixel.red() + 80) {
                    (x < shot.width() / 2 ? blueLeft : blueRight) += 1;
                }
            }
        }
        EXPECT_GT(c.RightToLeft ? blueRight : blueLeft, 10);
        EXPECT_EQ(c.RightToLeft ? blueLeft : blueRight, 0);
    }
}

TEST_F(PopupForm, NoToolTipWhileDisabledOrPressed)
{
    Show(QStringLiteral("            ToolTip = \"x\"\n            Enabled = False\n"));
    Button().UserControl_MouseMove(0, 0, 10, 10);
    EXPECT_EQ(QuButtonTestAccess::ToolTipWindow(Button()), nullptr);
}

TEST_F(PopupForm, MenuFlagsMustBeNumeric)
{
    Show(QString());
    QMenu menu;
    menu.addAction(QStringLiteral("一"));
    try {
        Button().SetPopupMenu(&menu, 0);
        ADD_FAILURE() << "a missing Flags argument must fail";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.Number(), 13);
    }
    EXPECT_FALSE(QuButtonTestAccess::HasPopupMenu(Button()));
    EXPECT_THROW(Button().SetPopupMenu(&menu, 0, QStringLiteral("abc")), RuntimeError);
    Button().SetPopupMenu(nullptr, 0, 0);
    EXPECT_FALSE(QuButtonTestAccess::HasPopupMenu(Button()));
    Button().SetPopupMenu(&menu, 0, QStringLiteral("0"));
    EXPECT_TRUE(QuButtonTestAccess::HasPopupMenu(Button()));
}

TEST_F(PopupForm, PressOpensTheMenuInsteadOfMouseDown)
{
    Show(QString());
    QuButton& b = Button();
    QMenu menu;
    QAction* first = menu.addAction(QStringLiteral("一"));
    menu.addAction(QStringLiteral("二"));
    int shown = 0;
    QObject::connect(&menu, &QMenu::aboutToShow, [&] {
        ++shown;
        QTimer::singleShot(0, &menu, &QMenu::close);
    });
    int mouseDowns = 0;
    b.MouseDown.Connect([&](short&, short&, float&, float&) { ++mouseDowns; });

    b.SetPopupMenu(&menu, 6, 4, first);
    QuButtonTestAccess::ShowDropDownMenu(b);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(QuButtonTestAccess::PopupFlags(b), 0x20); // align 6 replaces the given flags
    EXPECT_EQ(menu.defaultAction(), first);

    b.UnsetPopupMenu();
    b.SetPopupMenu(&menu, 9, 0);
    QuButtonTestAccess::ShowDropDownMenu(b); // outside 0..7: not shown
    EXPECT_EQ(shown, 1);

    b.SetPopupMenu(&menu, 0, 0);
    Hover(QPoint(10, 10));
    QTest::mousePress(b.hWnd(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(shown, 2);
    QTest::mouseRelease(b.hWnd(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(mouseDowns, 0);
    EXPECT_FALSE(QuButtonTestAccess::MenuClosedOver(b));
    EXPECT_EQ(QuButtonTestAccess::State(b), 0);
}

TEST_F(PopupForm, PressedButtonKeepsItsDownLookWhileItsMenuIsOpen)
{
    Show(QString());
    QuButton& b = Button();
    QMenu menu;
    menu.addAction(QStringLiteral("一"));
    b.SetPopupMenu(&menu, 0, 0);
    struct Seen {
        int State = -1;
        bool Focus = false;
        bool MouseDown = false;
    } during;
    auto watchAndClose = [&](const std::function<void()>& close) {
        QObject::connect(
            &menu, &QMenu::aboutToShow, &menu,
            [&, close] {
                // Once the window system has settled the menu in.
                QTimer::singleShot(50, &menu, [&, close] {
                    during = {QuButtonTestAccess::State(b), QuButtonTestAccess::HasFocus(b),
                              QuButtonTestAccess::MouseDownFlag(b)};
                    close();
                });
            },
            Qt::SingleShotConnection);
    };

    // Closed with the pointer still on the button: down while open, down after, normal at the
    // next release.
    watchAndClose([&] { menu.close(); });
    Hover(QPoint(10, 10));
    QTest::mousePress(b.hWnd(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(during.State, 2);
    EXPECT_TRUE(during.Focus);
    EXPECT_TRUE(during.MouseDown);
    EXPECT_EQ(QuButtonTestAccess::State(b), 2);
    EXPECT_TRUE(QuButtonTestAccess::MenuClosedOver(b));
    EXPECT_TRUE(QuButtonTestAccess::HasFocus(b));
    QTest::mouseRelease(b.hWnd(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(QuButtonTestAccess::State(b), 0);
    EXPECT_FALSE(QuButtonTestAccess::MenuClosedOver(b));
    EXPECT_FALSE(QuButtonTestAccess::MouseDownFlag(b));

    // Closed with the pointer away from the button (on the menu): normal at once, flags cleared.
    watchAndClose([&] {
        const QPoint onMenu = menu.rect().center();
        QTest::mouseMove(&menu, onMenu + QPoint(1, 0));
        QTest::mouseMove(&menu, onMenu);
        menu.close();
    });
    Hover(QPoint(12, 12));
    QTest::mousePress(b.hWnd(), Qt::LeftButton, {}, QPoint(12, 12));
    EXPECT_EQ(during.State, 2);
    EXPECT_EQ(QuButtonTestAccess::State(b), 0);
    EXPECT_FALSE(QuButtonTestAccess::MenuClosedOver(b));
    EXPECT_FALSE(QuButtonTestAccess::MenuShowing(b));
    EXPECT_FALSE(QuButtonTestAccess::MouseDownFlag(b));
    EXPECT_FALSE(QuButtonTestAccess::MouseOver(b));
    EXPECT_TRUE(QuButtonTestAccess::HasFocus(b)); // the menu took the keyboard only for a moment
    QTest::mouseRelease(b.hWnd(), Qt::LeftButton, {}, QPoint(12, 12));

    // A click on the button while its menu is open closes the menu and does not open it again;
    // the next press does.
    int shown = 0;
    QObject::connect(&menu, &QMenu::aboutToShow, &menu, [&] { ++shown; });
    watchAndClose([&] {
        // As the window system delivers it: to the open menu, which closes and passes the press on.
        const QPoint onButton = b.hWnd()->mapToGlobal(QPoint(20, 10));
        QTest::mousePress(menu.windowHandle(), Qt::LeftButton, {}, onButton - menu.windowHandle()->position());
    });
    Hover(QPoint(20, 10));
    QTest::mousePress(b.hWnd(), Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_FALSE(menu.isVisible());
    EXPECT_TRUE(QuButtonTestAccess::MenuClosedOver(b));
    // Where Qt can grab the pointer for a menu it passes the closing press on to the button; the
    // headless platform cannot, so the press is given here.
    QTest::mousePress(b.hWnd(), Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(QuButtonTestAccess::State(b), 2);
    QTest::mouseRelease(b.hWnd(), Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_EQ(QuButtonTestAccess::State(b), 0);
    watchAndClose([&] { menu.close(); });
    QTest::mousePress(b.hWnd(), Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_EQ(shown, 2);
    QTest::mouseRelease(b.hWnd(), Qt::LeftButton, {}, QPoint(20, 10));
}

TEST_F(PopupForm, MenuSitsOnTheSideItsAlignmentNames)
{
    Show(QString());
    QuButton& b = Button();
    QMenu menu;
    menu.addAction(QStringLiteral("一"));
    QAction* wide = menu.addAction(QStringLiteral("默认的一项菜单"));
    QRect shownAt;
    QObject::connect(&menu, &QMenu::aboutToShow, &menu, [&] {
        QTimer::singleShot(20, &menu, [&] {
            shownAt = menu.geometry();
            menu.close();
        });
    });
    const QRect button(b.hWnd()->mapToGlobal(QPoint(0, 0)), b.hWnd()->size());
    auto open = [&](int align, int flags) {
        b.SetPopupMenu(&menu, align, flags, wide);
        QuButtonTestAccess::ShowDropDownMenu(b);
        return shownAt;
    };
    const QSize size = open(0, 0).size();
    EXPECT_EQ(open(0, 0).topLeft(), button.bottomLeft() + QPoint(0, 1));
    EXPECT_EQ(open(1, 0).bottomLeft(), button.topLeft() - QPoint(0, 1));
    EXPECT_EQ(open(2, 0).topRight(), button.topLeft() - QPoint(1, 0));
    EXPECT_EQ(open(3, 0).topLeft(), button.topRight() + QPoint(1, 0));
    EXPECT_EQ(open(4, 0).bottomRight(), button.topLeft() - QPoint(1, 1));
    EXPECT_EQ(open(5, 0).topRight(), button.bottomLeft() + QPoint(-1, 1));
    // Alignment 6 replaces the given centring flag (&H4) by bottom alignment alone.
    const QRect six = open(6, 4);
    EXPECT_EQ(QuButtonTestAccess::PopupFlags(b), 0x20);
    EXPECT_EQ(six.bottomLeft(), button.topRight() + QPoint(1, -1));
    EXPECT_EQ(open(7, 0).topLeft(), button.bottomRight() + QPoint(1, 1));
    EXPECT_EQ(shownAt.size(), size);
    EXPECT_EQ(menu.defaultAction(), wide);

    // The stored flags of alignment 2 stay right-aligned however often the menu opens.
    b.SetPopupMenu(&menu, 2, 0, wide);
    for (int i = 0; i < 3; ++i) {
        QuButtonTestAccess::ShowDropDownMenu(b);
        EXPECT_EQ(shownAt.topRight(), button.topLeft() - QPoint(1, 0)) << i;
        EXPECT_EQ(QuButtonTestAccess::PopupFlags(b), 8) << i;
    }
}
