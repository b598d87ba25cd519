// More of the host's protocol as the owner-drawn controls rely on it: capture across the window
// edge, access keys, key preview ahead of a focused user control, hooks that handle a message
// before the window, and the pictures, lines and arrays of the intrinsic controls.
#include <ControlRegistry.h>
#include <DesignData.h>
#include <Form.h>
#include <Image.h>
#include <Label.h>
#include <Line.h>
#include <Picture.h>
#include <Runtime.h>
#include <UserControl.h>
#include <WindowApi.h>
#include <WindowHooks.h>

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class KeyProbe : public UserControl {
public:
    QString TypeName() const override { return QStringLiteral("FormsKeyProbe"); }
    QStringList* Log = nullptr;

    void UserControl_MouseUp(int button, int, float x, float y) override
    {
        *Log << QStringLiteral("MouseUp %1 %2 %3").arg(button).arg(x).arg(y);
    }
    void UserControl_GotFocus() override { *Log << QStringLiteral("GotFocus"); }
    void UserControl_KeyDown(int& keyCode, int&) override { *Log << QStringLiteral("Probe_KeyDown %1").arg(keyCode); }
    void UserControl_AccessKeyPress(int keyAscii) override
    {
        *Log << QStringLiteral("AccessKeyPress %1").arg(keyAscii);
    }
};

const bool kRegistered = [] {
    RegisterControlType(QStringLiteral("FormsKeyProbe"), [] { return std::make_unique<KeyProbe>(); });
    return true;
}();

class HostForm : public Form {
public:
    HostForm() : Form(QStringLiteral("FrmHost"))
    {
        SetDesign(ParseDesign(QStringLiteral(R"(Form FrmHost
    KeyPreview = True
    ClientWidth = 6000
    ClientHeight = 4500
    Begin FormsKeyProbe CmdOK
        Left = 1500
        Top = 1500
        Width = 1500
        Height = 450
    End
    Begin Label LabA(0)
        Left = 0
        Top = 0
        Width = 600
        Height = 255
        Caption = "甲"
    End
End
)"),
                              QStringLiteral("host.form")));
    }

    void Form_Load() override { Control<KeyProbe>(QStringLiteral("CmdOK")).Log = &Log; }
    void Form_KeyDown(int& keyCode, int&) override { Log << QStringLiteral("Form_KeyDown %1").arg(keyCode); }

    QStringList Log;
};

class FormsHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        mForm.Show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(mForm.hWnd()));
        QCoreApplication::processEvents();
        mForm.Log.clear();
    }
    void TearDown() override
    {
        mForm.Unload();
        QCoreApplication::processEvents();
        ResetProgramEnded();
    }
    HostForm mForm;
};

TEST_F(FormsHost, AReleaseOutsideStillReachesThePressedControlInItsOwnPixels)
{
    auto& probe = mForm.Control<KeyProbe>(QStringLiteral("CmdOK"));
    QWidget* window = probe.hWnd();
    QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    // The release happens over the form, 50 pixels right of the button's right edge.
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(150, 10), window->mapToGlobal(QPointF(150, 10)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(window, &release);
    EXPECT_EQ(mForm.Log, QStringList{QStringLiteral("MouseUp 1 150 10")});
}

TEST_F(FormsHost, TheFormPreviewsKeysOfAFocusedUserControl)
{
    auto& probe = mForm.Control<KeyProbe>(QStringLiteral("CmdOK"));
    probe.SetFocus();
    mForm.Log.clear();
    QTest::keyClick(probe.hWnd(), Qt::Key_Return);
    EXPECT_EQ(mForm.Log, (QStringList{QStringLiteral("Form_KeyDown 13"), QStringLiteral("Probe_KeyDown 13")}));
}

TEST_F(FormsHost, AltAndTheAccessKeyReachTheControlThatOwnsIt)
{
    auto& probe = mForm.Control<KeyProbe>(QStringLiteral("CmdOK"));
    probe.SetAccessKeys(QStringLiteral("O"));
    mForm.hWnd()->setFocus();
    QTest::keyClick(mForm.hWnd(), Qt::Key_O, Qt::AltModifier);
    EXPECT_TRUE(mForm.Log.contains(QStringLiteral("AccessKeyPress 111")));
    mForm.Log.clear();
    probe.SetEnabled(false);
    QTest::keyClick(mForm.hWnd(), Qt::Key_O, Qt::AltModifier);
    EXPECT_FALSE(mForm.Log.contains(QStringLiteral("AccessKeyPress 111")));
}

TEST_F(FormsHost, ABeforeHookThatHandlesAMessageKeepsItFromTheWindow)
{
    QWidget* window = mForm.Control<KeyProbe>(QStringLiteral("CmdOK")).hWnd();
    window->clearFocus();
    int seen = 0;
    const int owner = 0;
    WindowHooks::Install(window, &owner, [&](bool before, bool& handled, long&, QWidget*, unsigned, quintptr, qintptr) {
        ++seen;
        handled = before;
    });
    WindowHooks::AddMessage(window, &owner, WM_SETFOCUS, 3);
    window->setFocus();
    QCoreApplication::processEvents();
    // Handled before: neither the window's own focus handling nor the after call ran.
    EXPECT_EQ(seen, 1);
    EXPECT_FALSE(mForm.Log.contains(QStringLiteral("GotFocus")));
    WindowHooks::RemoveAll(&owner);
    window->clearFocus();
    window->setFocus();
    EXPECT_TRUE(mForm.Log.contains(QStringLiteral("GotFocus")));
}

TEST_F(FormsHost, TheHandCursorLastsUntilThePointerMovesUnlessTheMoveSetsItAgain)
{
    // The exam screen shows the hand over its options only while answering: its MouseMove sets the
    // cursor on every move, and stops doing so after the hand-in.
    bool answering = true;
    mForm.OnArrayEvent(QStringLiteral("LabA"), &Label::MouseMove, [&](int, int, int, float, float) {
        if (answering) {
            SetCursor(LoadCursor(QStringLiteral("#32649")));
        }
    });
    QWidget* label = mForm.Array<Label>(QStringLiteral("LabA"), 0).hWnd();
    QTest::mouseMove(label, QPoint(5, 5));
    EXPECT_EQ(label->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(label, QPoint(6, 6));
    EXPECT_EQ(label->cursor().shape(), Qt::PointingHandCursor);
    answering = false;
    QTest::mouseMove(label, QPoint(7, 7));
    EXPECT_FALSE(label->testAttribute(Qt::WA_SetCursor));
    EXPECT_EQ(label->cursor().shape(), Qt::ArrowCursor);

    // A window's own pointer comes back after the move.
    mForm.Array<Label>(QStringLiteral("LabA"), 0).SetMousePointer(vbIbeam);
    answering = true;
    QTest::mouseMove(label, QPoint(5, 5));
    EXPECT_EQ(label->cursor().shape(), Qt::PointingHandCursor);
    answering = false;
    QTest::mouseMove(label, QPoint(6, 6));
    EXPECT_EQ(label->cursor().shape(), Qt::IBeamCursor);
}

TEST_F(FormsHost, ArrayBoundsFollowLoadsAndUnloadsWithGaps)
{
    auto labels = mForm.Array<Label>(QStringLiteral("LabA"));
    labels.Load(3);
    labels.Load(5);
    EXPECT_EQ(labels.Count(), 3);
    EXPECT_EQ(labels.LBound(), 0);
    EXPECT_EQ(labels.UBound(), 5);
    EXPECT_FALSE(labels.Exists(4));
    EXPECT_THROW(labels(4), RuntimeError);
    labels.Unload(5);
    EXPECT_EQ(labels.UBound(), 3);
    // Unloading the form and loading it again gives the design's elements only.
    mForm.Unload();
    mForm.Show();
    EXPECT_EQ(mForm.Array<Label>(QStringLiteral("LabA")).Count(), 1);
}

TEST_F(FormsHost, AnArrayElementMayUnloadItselfInItsOwnClickAndBeLoadedAgain)
{
    auto labels = mForm.Array<Label>(QStringLiteral("LabA"));
    QStringList clicks;
    mForm.OnArrayEvent(QStringLiteral("LabA"), &Label::Click, [&](int index) {
        clicks << QString::number(index);
        if (index > 0) {
            labels.Unload(index);
        }
    });
    auto& second = labels.Load(1);
    second.SetLeft(900);
    second.SetVisible(true);
    QTest::mouseClick(second.hWnd(), Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_FALSE(labels.Exists(1));
    QCoreApplication::processEvents();
    auto& again = labels.Load(1);
    again.SetVisible(true);
    QTest::mouseClick(again.hWnd(), Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_EQ(clicks, (QStringList{QStringLiteral("1"), QStringLiteral("1")}));
    EXPECT_EQ(labels.Count(), 1);
}

TEST(FormsPictures, ImagesTakeTheirPicturesSizeUnlessStretchedAndLinesCoverTheirEnds)
{
    QImage source(40, 30, QImage::Format_RGB32);
    source.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    source.save(&buffer, "PNG");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Tivex.dat"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(png);
    file.close();

    Form form(QStringLiteral("FrmPictures"));
    form.SetDesign(
        ParseDesign(QStringLiteral("Form FrmPictures\n Begin Image ImgTheme\n  Width = 3000\n  Height = 3000\n"
                                   " End\n Begin Image ImgBd\n  Stretch = True\n  Width = 3000\n"
                                   "  Height = 1500\n End\n Begin Line Line1\n  X1 = 150\n  Y1 = 300\n"
                                   "  X2 = 1650\n  Y2 = 300\n  BorderWidth = 2\n End\nEnd\n"),
                    QStringLiteral("pictures.form")));
    form.Load();
    auto& image = form.Control<Image>(QStringLiteral("ImgTheme"));
    image.SetPicture(LoadPicture(path));
    EXPECT_EQ(image.Width(), 40 * 15);
    EXPECT_EQ(image.Height(), 30 * 15);
    auto& stretched = form.Control<Image>(QStringLiteral("ImgBd"));
    stretched.SetPicture(LoadPicture(path));
    EXPECT_EQ(stretched.Width(), 3000);
    const QRect line = form.Control<Line>(QStringLiteral("Line1")).hWnd()->geometry();
    EXPECT_TRUE(line.contains(QPoint(10, 20)));
    EXPECT_TRUE(line.contains(QPoint(109, 20)));
    EXPECT_TRUE(form.Control<Line>(QStringLiteral("Line1")).hWnd()->testAttribute(Qt::WA_TransparentForMouseEvents));

    try {
        LoadPicture(dir.filePath(QStringLiteral("none.dat")));
        FAIL() << "no error for a missing picture";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.Number(), 53);
    }
    QFile text(dir.filePath(QStringLiteral("text.dat")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a picture");
    text.close();
    try {
        LoadPicture(dir.filePath(QStringLiteral("text.dat")));
        FAIL() << "no error for bytes that are no picture";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.Number(), 481);
    }
    form.Unload();
    QCoreApplication::processEvents();
    ResetProgramEnded();
}

TEST(FormsRuntime, DoEventsRunsPendingWorkAndUnwindsOnceTheProgramHasEnded)
{
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    DoEvents();
    EXPECT_TRUE(ran);
    bool after = false;
    EXPECT_FALSE(RunGuarded([&] {
        QTimer::singleShot(0, [] { RunGuarded([] { End(); }); });
        DoEvents();
        after = true;
    }));
    EXPECT_FALSE(after);
    EXPECT_TRUE(ProgramEnded());
    ResetProgramEnded();
}

} // namespace
