// The user-control host: property bags, the life of a hosted control, its surface, mouse and
// key notifications, raised events bound by name, and window hooks.
#include <ControlRegistry.h>
#include <DesignData.h>
#include <Form.h>
#include <KeyCodes.h>
#include <Label.h>
#include <PictureBox.h>
#include <PropertyBag.h>
#include <Runtime.h>
#include <Timer.h>
#include <UserControl.h>
#include <WindowApi.h>
#include <WindowHooks.h>

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class ProbeControl : public UserControl {
public:
    QString TypeName() const override { return QStringLiteral("FormsProbe"); }

    Event<> Click;
    Event<int, int, float, float> MouseMove;

    QStringList Log;
    QString Caption = QStringLiteral("Probe");
    int Style = 1;
    QWidget* CaptureDuringUp = nullptr;

    void UserControl_Initialize() override { Log << QStringLiteral("Initialize"); }
    void UserControl_InitProperties() override { Log << QStringLiteral("InitProperties"); }
    void UserControl_ReadProperties(const PropertyBag& bag) override
    {
        Log << QStringLiteral("ReadProperties");
        Caption = bag.ReadProperty(QStringLiteral("Caption"), QStringLiteral("Probe")).toString();
        Style = bag.ReadProperty(QStringLiteral("ButtonStyle"), 1).toInt();
    }
    void UserControl_WriteProperties(PropertyBag& bag) override
    {
        bag.WriteProperty(QStringLiteral("Caption"), Caption, QStringLiteral("Probe"));
        bag.WriteProperty(QStringLiteral("ButtonStyle"), Style, 1);
    }
    void UserControl_Resize() override { Log << QStringLiteral("Resize %1x%2").arg(ScaleWidth()).arg(ScaleHeight()); }
    void UserControl_Paint() override
    {
        Log << QStringLiteral("Paint");
        Image().fill(QColor(10, 20, 30));
    }
    void UserControl_MouseDown(int button, int shift, float x, float y) override
    {
        Log << QStringLiteral("MouseDown %1 %2 %3 %4").arg(button).arg(shift).arg(x).arg(y);
    }
    void UserControl_MouseUp(int button, int, float, float) override
    {
        CaptureDuringUp = GetCapture();
        Log << QStringLiteral("MouseUp %1").arg(button);
        Click();
    }
    void UserControl_KeyDown(int& keyCode, int& shift) override
    {
        Log << QStringLiteral("KeyDown %1 %2").arg(keyCode).arg(shift);
    }
    void UserControl_KeyPress(int& keyAscii) override { Log << QStringLiteral("KeyPress %1").arg(keyAscii); }
    void UserControl_GotFocus() override { Log << QStringLiteral("GotFocus"); }
    void UserControl_LostFocus() override { Log << QStringLiteral("LostFocus"); }
    void UserControl_Terminate() override { Log << QStringLiteral("Terminate"); }
    ~ProbeControl() override { ++Destroyed; }
    static inline int Destroyed = 0;
};

// Counts the paint events a window receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* window) { window->installEventFilter(this); }
    int Count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        Count += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

const bool kRegistered = [] {
    RegisterControlType(QStringLiteral("FormsProbe"), [] { return std::make_unique<ProbeControl>(); });
    return true;
}();

// A control made only of child controls and a timer, as the splash's marquee bar is.
class MarqueeControl : public UserControl {
public:
    QString TypeName() const override { return QStringLiteral("FormsMarquee"); }

    void UserControl_Initialize() override
    {
        CreateChildControls(ParseDesign(QStringLiteral(R"(UserControl FormsMarquee
    Begin PictureBox Square
        Left = 240
        Top = 0
        Width = 135
        Height = 135
        BorderStyle = 0
        BackColor = &H009C9918&
    End
    Begin PictureBox Block(1)
        Left = 0
        Top = 0
        Width = 135
        Height = 135
        BorderStyle = 0
        BackColor = &H0000FF00&
    End
    Begin Timer Timer1
        Interval = 10
        Enabled = False
    End
End
)"),
                                        QStringLiteral("marquee.form")));
        OnEvent(QStringLiteral("Timer1"), &Timer::Tick, [this] {
            auto& block = Array<PictureBox>(QStringLiteral("Block"), 1);
            block.SetLeft(block.Left() + 240);
        });
    }

    bool Marquee() { return Control<Timer>(QStringLiteral("Timer1")).Enabled(); }
    void SetMarquee(bool value) { Control<Timer>(QStringLiteral("Timer1")).SetEnabled(value); }
};

const bool kMarqueeRegistered = [] {
    RegisterControlType(QStringLiteral("FormsMarquee"), [] { return std::make_unique<MarqueeControl>(); });
    return true;
}();

class ProbeForm : public Form {
public:
    ProbeForm() : Form(QStringLiteral("FrmProbe"))
    {
        SetDesign(ParseDesign(QStringLiteral(R"(Form FrmProbe
    ClientWidth = 6000
    ClientHeight = 4500
    Begin FormsProbe CmdOne
        Left = 150
        Top = 300
        Width = 1500
        Height = 450
        Bag
            Caption = "确定"
            ButtonStyle = 8
        End
    End
    Begin FormsProbe CmdArr(0)
        Left = 150
        Top = 1500
        Width = 900
        Height = 300
    End
    Begin Label LabNote
        Left = 2000
        Top = 300
        Width = 1500
        Height = 255
    End
End
)"),
                              QStringLiteral("probe.form")));
        OnEvent(QStringLiteral("CmdOne"), &ProbeControl::Click, [this] { Clicks << QStringLiteral("CmdOne"); });
        OnArrayEvent(QStringLiteral("CmdArr"), &ProbeControl::Click,
                     [this](int index) { Clicks << QStringLiteral("CmdArr(%1)").arg(index); });
    }

    QStringList Clicks;
};

TEST(FormsPropertyBag, ValuesEqualToTheirDefaultAreNotWritten)
{
    PropertyBag bag;
    bag.WriteProperty(QStringLiteral("ButtonStyle"), 1, 1);
    bag.WriteProperty(QStringLiteral("Caption"), QStringLiteral("确定"), QStringLiteral("QuButton1"));
    bag.WriteProperty(QStringLiteral("Enabled"), true, true);
    bag.WriteProperty(QStringLiteral("BackColor"), static_cast<int>(0xFF9933), static_cast<int>(0x8000000F));
    QFont font(QStringLiteral("宋体"), 9);
    font.setBold(true);
    bag.WriteProperty(QStringLiteral("Font"), font, QFont(QStringLiteral("Tahoma"), 8.25));
    bag.WriteProperty(QStringLiteral("PictureNormal"), QByteArray(), QByteArray());

    ASSERT_EQ(bag.Entries().size(), 3u);
    EXPECT_FALSE(bag.Contains(QStringLiteral("ButtonStyle")));
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("ButtonStyle"), 1).toInt(), 1);
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("caption"), QString()).toString(), QStringLiteral("确定"));
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("BackColor"), 0).toInt(), 0xFF9933);
    EXPECT_TRUE(bag.ReadProperty(QStringLiteral("Font"), QFont()).value<QFont>().bold());

    // A value written again at its default disappears from the bag.
    bag.WriteProperty(QStringLiteral("BackColor"), static_cast<int>(0x8000000F), static_cast<int>(0x8000000F));
    EXPECT_FALSE(bag.Contains(QStringLiteral("BackColor")));
}

TEST(FormsPropertyBag, StoredNumbersTakeTheTypeOfTheDefault)
{
    PropertyBag bag;
    bag.SetRaw(QStringLiteral("Value"), 1);
    bag.SetRaw(QStringLiteral("PictureOpacity"), 200);
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("Value"), false).typeId(), QMetaType::Bool);
    EXPECT_TRUE(bag.ReadProperty(QStringLiteral("Value"), false).toBool());
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("PictureOpacity"), QVariant::fromValue<uchar>(255)).toInt(), 200);
}

TEST(FormsPropertyBag, BagsSurviveTheDesignTextRoundTrip)
{
    FormDesign design;
    design.Name = QStringLiteral("FrmX");
    DesignControl button;
    button.Type = QStringLiteral("FormsProbe");
    button.Name = QStringLiteral("CmdExit");
    button.Index = 2;
    button.HasBag = true;
    button.Bag.SetRaw(QStringLiteral("Caption"), QStringLiteral("退出 \"系统\"\n"));
    button.Bag.SetRaw(QStringLiteral("BackColor"), static_cast<int>(0x800000FF));
    button.Bag.SetRaw(QStringLiteral("PictureNormal"), QByteArray("\x00\x01\xFFpng", 6));
    QFont font(QStringLiteral("宋体"), 9);
    font.setBold(true);
    button.Bag.SetRaw(QStringLiteral("Font"), font);
    design.Controls.push_back(button);

    const FormDesign again = ParseDesign(WriteDesign(design), QStringLiteral("x.form"));
    ASSERT_EQ(again.Controls.size(), 1u);
    const DesignControl& read = again.Controls[0];
    EXPECT_EQ(read.Index, 2);
    EXPECT_EQ(read.Bag.Entries().size(), 4u);
    for (const auto& entry : button.Bag.Entries()) {
        EXPECT_TRUE(PropertyBag::SameValue(read.Bag.ReadProperty(entry.Name), entry.Value)) << entry.Name.toStdString();
    }
}

TEST(FormsUserControl, HostRunsTheLifeOfTheControlInOrder)
{
    ProbeForm form;
    form.Load();
    auto& probe = form.Control<ProbeControl>(QStringLiteral("CmdOne"));
    ASSERT_GE(probe.Log.size(), 3);
    EXPECT_EQ(probe.Log[0], QStringLiteral("Initialize"));
    EXPECT_EQ(probe.Log[1], QStringLiteral("ReadProperties"));
    EXPECT_EQ(probe.Log[2], QStringLiteral("Resize 100x30"));
    EXPECT_EQ(probe.Caption, QStringLiteral("确定"));
    EXPECT_EQ(probe.Style, 8);
    EXPECT_EQ(probe.Image().size(), QSize(100, 30));
    EXPECT_EQ(probe.hWnd()->geometry(), QRect(10, 20, 100, 30));
    EXPECT_TRUE(probe.Ambient().UserMode);

    probe.Log.clear();
    probe.SetWidth(3000);
    EXPECT_EQ(probe.Log, QStringList{QStringLiteral("Resize 200x30")});

    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.hWnd()));
    probe.Log.clear();
    probe.Refresh();
    EXPECT_TRUE(probe.Log.contains(QStringLiteral("Paint")));
    // What Paint drew is what the window shows.
    const QImage shown = probe.hWnd()->grab().toImage();
    EXPECT_EQ(shown.pixelColor(5, 5), QColor(10, 20, 30));

    // Refresh paints the control at once but puts nothing of the window on the screen: a label the
    // same handler changed before stays as it was until the event loop runs, since the handler may
    // still have to store what the label is about to show.
    auto& note = form.Control<Label>(QStringLiteral("LabNote"));
    PaintCounter notePaints(note.hWnd());
    probe.Log.clear();
    note.SetCaption(QStringLiteral("已答"));
    probe.Refresh();
    EXPECT_EQ(probe.Log, QStringList{QStringLiteral("Paint")});
    EXPECT_EQ(notePaints.Count, 0) << "the label reached the screen inside the handler";
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_GT(notePaints.Count, 0);

    form.Unload();
    QCoreApplication::processEvents();
    ResetProgramEnded();
}

TEST(FormsUserControl, MouseAndKeysArriveInPixelsAndVirtualKeys)
{
    ProbeForm form;
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.hWnd()));
    auto& probe = form.Control<ProbeControl>(QStringLiteral("CmdOne"));
    probe.Log.clear();
    QTest::mousePress(probe.hWnd(), Qt::LeftButton, Qt::ShiftModifier, QPoint(7, 9));
    EXPECT_EQ(GetCapture(), probe.hWnd());
    QTest::mouseRelease(probe.hWnd(), Qt::LeftButton, Qt::NoModifier, QPoint(7, 9));
    EXPECT_EQ(probe.CaptureDuringUp, probe.hWnd());
    EXPECT_EQ(GetCapture(), nullptr);
    ASSERT_GE(probe.Log.size(), 2);
    EXPECT_EQ(probe.Log[0], QStringLiteral("MouseDown 1 1 7 9"));
    EXPECT_EQ(probe.Log[1], QStringLiteral("MouseUp 1"));
    EXPECT_EQ(form.Clicks, QStringList{QStringLiteral("CmdOne")});

    probe.Log.clear();
    probe.SetFocus();
    QTest::keyClick(probe.hWnd(), Qt::Key_Space);
    QTest::keyClick(probe.hWnd(), Qt::Key_5, Qt::KeypadModifier);
    EXPECT_TRUE(probe.Log.contains(QStringLiteral("KeyDown 32 0")));
    EXPECT_TRUE(probe.Log.contains(QStringLiteral("KeyPress 32")));
    EXPECT_TRUE(probe.Log.contains(QStringLiteral("KeyDown 101 0")));
    EXPECT_TRUE(probe.Log.contains(QStringLiteral("KeyPress 53")));
    form.Unload();
    QCoreApplication::processEvents();
    ResetProgramEnded();
}

// A menu or another form taking the keyboard for a while is no lost focus: the control stays its
// form's active control, gets no GotFocus when the keyboard comes back, and the form's hooks see no
// activation change for a menu. The pointer's place over the menu is the program's.
TEST(FormsUserControl, MenusAndOtherWindowsTakingTheKeyboardAreNoFocusChange)
{
    ProbeForm form;
    form.Show();
    QApplication::setActiveWindow(form.hWnd());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.hWnd()));
    auto& probe = form.Control<ProbeControl>(QStringLiteral("CmdOne"));
    std::vector<quintptr> activations;
    const int owner = 0;
    WindowHooks::Install(form.hWnd(), &owner, [&](bool, bool&, long&, QWidget*, unsigned, quintptr wParam, qintptr) {
        activations.push_back(wParam);
    });
    WindowHooks::AddMessage(form.hWnd(), &owner, WM_ACTIVATE, 1);
    probe.SetFocus();
    QApplication::processEvents();
    probe.Log.clear();

    QMenu menu;
    menu.addAction(QStringLiteral("一"));
    QPoint pointerOnMenu;
    QTest::mouseMove(probe.hWnd(), QPoint(5, 5));
    // Closed once the window system has settled the menu in.
    QTimer::singleShot(50, &menu, [&] {
        const QPoint onMenu = menu.rect().center();
        QTest::mouseMove(&menu, onMenu + QPoint(1, 0));
        QTest::mouseMove(&menu, onMenu);
        pointerOnMenu = GetCursorPos() - menu.mapToGlobal(onMenu);
        menu.close();
    });
    menu.exec(probe.hWnd()->mapToGlobal(QPoint(0, 30)));
    QApplication::processEvents();
    EXPECT_EQ(pointerOnMenu, QPoint(0, 0));
    EXPECT_TRUE(probe.Log.filter(QStringLiteral("Focus")).isEmpty()) << probe.Log.join(u',').toStdString();
    EXPECT_TRUE(activations.empty());
    EXPECT_EQ(QApplication::focusWidget(), probe.hWnd());

    Form other(QStringLiteral("FrmOther"));
    other.SetDesign(ParseDesign(QStringLiteral("Form FrmOther\n ClientWidth = 3000\n ClientHeight = 2000\nEnd\n"),
                                QStringLiteral("other.form")));
    other.Show();
    QApplication::setActiveWindow(other.hWnd());
    ASSERT_TRUE(QTest::qWaitForWindowActive(other.hWnd()));
    other.Unload();
    QApplication::setActiveWindow(form.hWnd());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.hWnd()));
    QApplication::processEvents();
    EXPECT_TRUE(probe.Log.filter(QStringLiteral("Focus")).isEmpty()) << probe.Log.join(u',').toStdString();
    EXPECT_EQ(activations, (std::vector<quintptr>{WA_INACTIVE, WA_ACTIVE}));

    // Moving on in tab order is a focus change.
    SendKeys(QStringLiteral("{TAB}"));
    QApplication::processEvents();
    EXPECT_TRUE(probe.Log.contains(QStringLiteral("LostFocus")));
    EXPECT_TRUE(form.Array<ProbeControl>(QStringLiteral("CmdArr"), 0).Log.contains(QStringLiteral("GotFocus")));
    WindowHooks::RemoveAll(&owner);
    form.Unload();
    QCoreApplication::processEvents();
    ResetProgramEnded();
}

TEST(FormsUserControl, ArrayElementsLoadedAtRunTimeCopyElementZeroAndShareTheHandler)
{
    ProbeForm form;
    form.Load();
    auto first = form.Array<ProbeControl>(QStringLiteral("CmdArr"));
    first(0).Style = 12;
    first(0).Caption = QStringLiteral("1");
    auto& second = first.Load(1);
    EXPECT_EQ(second.Style, 12);
    EXPECT_EQ(second.Caption, QStringLiteral("1"));
    EXPECT_EQ(second.Width(), 900);
    EXPECT_FALSE(second.Visible());
    EXPECT_EQ(first.UBound(), 1);
    EXPECT_EQ(first.Count(), 2);
    second.Click();
    first(0).Click();
    EXPECT_EQ(form.Clicks, (QStringList{QStringLiteral("CmdArr(1)"), QStringLiteral("CmdArr(0)")}));
    first.Unload(1);
    EXPECT_FALSE(first.Exists(1));
    EXPECT_THROW(first.Unload(0), RuntimeError);
    form.Unload();
    QCoreApplication::processEvents();
    ResetProgramEnded();
}

TEST(FormsUserControl, AControlMadeOfChildControlsRunsItsOwnTimer)
{
    Form form(QStringLiteral("FrmSplash"));
    form.SetDesign(ParseDesign(QStringLiteral("Form FrmSplash\n Begin FormsMarquee Bar\n  Left = 150\n  Top = 150\n"
                                              "  Width = 1335\n  Height = 135\n End\nEnd\n"),
                               QStringLiteral("splash.form")));
    form.Show();
    auto& bar = form.Control<MarqueeControl>(QStringLiteral("Bar"));
    auto& block = bar.Array<PictureBox>(QStringLiteral("Block"), 1);
    EXPECT_EQ(block.hWnd()->parentWidget(), bar.hWnd());
    EXPECT_EQ(block.Parent(), &form);
    EXPECT_FALSE(bar.Marquee());
    bar.SetMarquee(true);
    QTRY_VERIFY_WITH_TIMEOUT(block.Left() >= 480, 2000);
    bar.SetMarquee(false);
    const int stopped = block.Left();
    QTest::qWait(50);
    EXPECT_EQ(block.Left(), stopped);
    form.Unload();
    QCoreApplication::processEvents();
    ResetProgramEnded();
}

TEST(FormsUserControl, AHandlerMayUnloadTheFormOfTheControlThatRaisedItsEvent)
{
    ProbeForm form;
    form.Show();
    auto& probe = form.Control<ProbeControl>(QStringLiteral("CmdOne"));
    const int destroyedBefore = ProbeControl::Destroyed;
    int destroyedInHandler = -1;
    form.OnEvent(QStringLiteral("CmdOne"), &ProbeControl::Click, [&] {
        form.Unload();
        destroyedInHandler = ProbeControl::Destroyed;
    });
    QTest::mouseClick(probe.hWnd(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    // The control outlived the handler (its MouseUp still ran on it) and went once the event loop
    // got back.
    EXPECT_EQ(destroyedInHandler, destroyedBefore);
    EXPECT_FALSE(form.IsLoaded());
    QCoreApplication::processEvents();
    EXPECT_EQ(ProbeControl::Destroyed, destroyedBefore + 2);
    ResetProgramEnded();
}

TEST(FormsWindowHooks, EachOwnerKeepsItsHookWhenAnotherLeaves)
{
    QWidget window;
    window.resize(50, 50);
    int first = 0;
    int second = 0;
    std::vector<quintptr> activations;
    auto proc = [&](int& counter) {
        return
            [&counter, &activations](bool before, bool&, long&, QWidget*, unsigned message, quintptr wParam, qintptr) {
                EXPECT_FALSE(before);
                if (message == WM_ACTIVATE) {
                    activations.push_back(wParam);
                }
                ++counter;
            };
    };
    const int ownerA = 0;
    const int ownerB = 0;
    ASSERT_TRUE(WindowHooks::Install(&window, &ownerA, proc(first)));
    ASSERT_TRUE(WindowHooks::Install(&window, &ownerB, proc(second)));
    WindowHooks::AddMessage(&window, &ownerA, WM_MOUSELEAVE, 1);
    WindowHooks::AddMessage(&window, &ownerA, WM_MOUSELEAVE, 1);
    WindowHooks::AddMessage(&window, &ownerA, WM_ACTIVATE, 1);
    WindowHooks::AddMessage(&window, &ownerB, WM_MOUSELEAVE, 1);
    EXPECT_EQ(WindowHooks::OwnerCount(&window), 2);

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&window, &leave);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 1);

    WindowHooks::Remove(&window, &ownerA);
    QApplication::sendEvent(&window, &leave);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 2);

    WindowHooks::Install(&window, &ownerA, proc(first));
    WindowHooks::AddMessage(&window, &ownerA, WM_ACTIVATE, 1);
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(&window, &deactivate);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&window, &activate);
    EXPECT_EQ(activations, (std::vector<quintptr>{WA_INACTIVE, WA_ACTIVE}));
    WindowHooks::RemoveAll(&ownerB);
    WindowHooks::RemoveAll(&ownerA);
    EXPECT_EQ(WindowHooks::OwnerCount(&window), 0);
}

} // namespace
