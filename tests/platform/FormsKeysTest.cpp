// Key codes from Qt key events, the form's key preview ahead of the focused control, and focus
// moves by SendKeys; one key event acted on once, whatever its handlers do.
#include <CheckBox.h>
#include <DesignData.h>
#include <Form.h>
#include <KeyCodes.h>
#include <MsgBox.h>
#include <PictureBox.h>
#include <Runtime.h>
#include <TextBox.h>
#include <WindowApi.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

struct KeyCase {
    int QtKey;
    Qt::KeyboardModifiers Modifiers;
    int KeyCode;
};

// Windows virtual-key codes (winuser.h VK_* values) for the keys the key settings can name.
const KeyCase kKeys[] = {
    {Qt::Key_A, Qt::NoModifier, 65},           {Qt::Key_Z, Qt::ShiftModifier, 90},
    {Qt::Key_0, Qt::NoModifier, 48},           {Qt::Key_9, Qt::NoModifier, 57},
    {Qt::Key_0, Qt::KeypadModifier, 96},       {Qt::Key_1, Qt::KeypadModifier, 97},
    {Qt::Key_9, Qt::KeypadModifier, 105},      {Qt::Key_Asterisk, Qt::KeypadModifier, 106},
    {Qt::Key_Plus, Qt::KeypadModifier, 107},   {Qt::Key_Minus, Qt::KeypadModifier, 109},
    {Qt::Key_Period, Qt::KeypadModifier, 110}, {Qt::Key_Slash, Qt::KeypadModifier, 111},
    {Qt::Key_Enter, Qt::KeypadModifier, 13},   {Qt::Key_Minus, Qt::NoModifier, 189},
    {Qt::Key_Plus, Qt::ShiftModifier, 187},    {Qt::Key_Equal, Qt::NoModifier, 187},
    {Qt::Key_Semicolon, Qt::NoModifier, 186},  {Qt::Key_Comma, Qt::NoModifier, 188},
    {Qt::Key_Period, Qt::NoModifier, 190},     {Qt::Key_Slash, Qt::NoModifier, 191},
    {Qt::Key_QuoteLeft, Qt::NoModifier, 192},  {Qt::Key_BracketLeft, Qt::NoModifier, 219},
    {Qt::Key_Backslash, Qt::NoModifier, 220},  {Qt::Key_BracketRight, Qt::NoModifier, 221},
    {Qt::Key_Apostrophe, Qt::NoModifier, 222}, {Qt::Key_Exclam, Qt::ShiftModifier, 49},
    {Qt::Key_F1, Qt::NoModifier, 112},         {Qt::Key_F12, Qt::NoModifier, 123},
    {Qt::Key_Backspace, Qt::NoModifier, 8},    {Qt::Key_Tab, Qt::NoModifier, 9},
    {Qt::Key_Return, Qt::NoModifier, 13},      {Qt::Key_Shift, Qt::NoModifier, 16},
    {Qt::Key_Control, Qt::NoModifier, 17},     {Qt::Key_Alt, Qt::NoModifier, 18},
    {Qt::Key_Pause, Qt::NoModifier, 19},       {Qt::Key_CapsLock, Qt::NoModifier, 20},
    {Qt::Key_Escape, Qt::NoModifier, 27},      {Qt::Key_Space, Qt::NoModifier, 32},
    {Qt::Key_PageUp, Qt::NoModifier, 33},      {Qt::Key_PageDown, Qt::NoModifier, 34},
    {Qt::Key_End, Qt::NoModifier, 35},         {Qt::Key_Home, Qt::NoModifier, 36},
    {Qt::Key_Left, Qt::NoModifier, 37},        {Qt::Key_Up, Qt::NoModifier, 38},
    {Qt::Key_Right, Qt::NoModifier, 39},       {Qt::Key_Down, Qt::NoModifier, 40},
    {Qt::Key_Insert, Qt::NoModifier, 45},      {Qt::Key_Delete, Qt::NoModifier, 46},
    {Qt::Key_Home, Qt::KeypadModifier, 36},    {Qt::Key_NumLock, Qt::NoModifier, 144},
};

TEST(FormsKeyCodes, QtKeysMapOntoVirtualKeyCodes)
{
    for (const auto& key : kKeys) {
        EXPECT_EQ(VirtualKeyFromQt(key.QtKey, key.Modifiers), key.KeyCode) << "Qt key 0x" << std::hex << key.QtKey;
    }
    EXPECT_EQ(ShiftMaskFromQt(Qt::ShiftModifier | Qt::AltModifier), 5);
    EXPECT_EQ(ShiftMaskFromQt(Qt::ControlModifier | Qt::KeypadModifier), 2);
}

TEST(FormsKeyCodes, VirtualKeysProduceTheirOwnQtKeysBack)
{
    for (int code : {65,  90,  48,  57,  96,  105, 106, 107, 109, 110, 111, 112, 123, 186, 187, 188, 189, 190, 191,
                     192, 219, 220, 221, 222, 8,   13,  27,  32,  33,  34,  35,  36,  37,  38,  39,  40,  45,  46}) {
        const QtKeyStroke stroke = QtKeyFromVirtualKey(code);
        EXPECT_EQ(VirtualKeyFromQt(stroke.Key, stroke.Modifiers), code) << code;
    }
}

TEST(FormsKeyCodes, KeyPressCodesAreTheTypedCharacters)
{
    auto ascii = [](int key, Qt::KeyboardModifiers modifiers, const QString& text) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
        return KeyAsciiFromQt(event);
    };
    EXPECT_EQ(ascii(Qt::Key_A, Qt::NoModifier, QStringLiteral("a")), 97);
    EXPECT_EQ(ascii(Qt::Key_A, Qt::ShiftModifier, QStringLiteral("A")), 65);
    EXPECT_EQ(ascii(Qt::Key_A, Qt::ControlModifier, QStringLiteral("\x01")), 1);
    EXPECT_EQ(ascii(Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r")), 13);
    EXPECT_EQ(ascii(Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b")), 27);
    EXPECT_EQ(ascii(Qt::Key_5, Qt::KeypadModifier, QStringLiteral("5")), 53);
    EXPECT_EQ(ascii(Qt::Key_F1, Qt::NoModifier, QString()), 0);
    EXPECT_EQ(ascii(Qt::Key_Left, Qt::NoModifier, QString()), 0);
    EXPECT_EQ(ascii(Qt::Key_A, Qt::AltModifier, QStringLiteral("a")), 0);
}

class PreviewForm : public Form {
public:
    PreviewForm() : Form(QStringLiteral("FrmPreview"))
    {
        SetDesign(ParseDesign(QStringLiteral(R"(Form FrmPreview
    KeyPreview = True
    ClientWidth = 4500
    ClientHeight = 3000
    Begin TextBox Text1
        Left = 120
        Top = 120
        Width = 2000
        Height = 300
        TabIndex = 0
    End
    Begin TextBox Text2
        Left = 120
        Top = 600
        Width = 2000
        Height = 300
        TabIndex = 1
    End
    Begin TextBox Text3
        Left = 120
        Top = 1200
        Width = 2000
        Height = 300
        TabIndex = 2
        Visible = False
    End
End
)"),
                              QStringLiteral("preview.form")));
        OnEvent(QStringLiteral("Text1"), &TextBox::KeyDown, [this](int& keyCode, int& shift) {
            Log << QStringLiteral("Text1_KeyDown %1 %2").arg(keyCode).arg(shift);
        });
        OnEvent(QStringLiteral("Text1"), &TextBox::KeyPress,
                [this](int& keyAscii) { Log << QStringLiteral("Text1_KeyPress %1").arg(keyAscii); });
    }

    void Form_KeyDown(int& keyCode, int& shift) override
    {
        Log << QStringLiteral("Form_KeyDown %1 %2").arg(keyCode).arg(shift);
        if (keyCode == 112) {
            keyCode = 0;
        }
    }
    void Form_KeyPress(int& keyAscii) override
    {
        Log << QStringLiteral("Form_KeyPress %1").arg(keyAscii);
        if (keyAscii == 'x') {
            keyAscii = 'y';
        }
    }

    QStringList Log;
};

class FormsKeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        mForm.Show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(mForm.hWnd()));
        mForm.Control<TextBox>(QStringLiteral("Text1")).SetFocus();
    }
    void TearDown() override
    {
        mForm.Unload();
        QCoreApplication::processEvents();
        ResetProgramEnded();
    }
    PreviewForm mForm;
};

TEST_F(FormsKeys, TheFormSeesEveryKeyBeforeTheFocusedControlWhichStillGetsIt)
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_7, Qt::KeypadModifier);
    EXPECT_EQ(mForm.Log, (QStringList{QStringLiteral("Form_KeyDown 103 0"), QStringLiteral("Text1_KeyDown 103 0"),
                                      QStringLiteral("Form_KeyPress 55"), QStringLiteral("Text1_KeyPress 55")}));
    EXPECT_EQ(mForm.Control<TextBox>(QStringLiteral("Text1")).Text(), QStringLiteral("7"));
}

TEST_F(FormsKeys, ACodeSetToZeroInThePreviewKeepsTheKeyFromTheControl)
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    EXPECT_EQ(mForm.Log, QStringList{QStringLiteral("Form_KeyDown 112 0")});
}

TEST_F(FormsKeys, ACharacterChangedInThePreviewArrivesChanged)
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_X, Qt::NoModifier);
    EXPECT_EQ(mForm.Control<TextBox>(QStringLiteral("Text1")).Text(), QStringLiteral("y"));
}

TEST_F(FormsKeys, SendKeysTabMovesThroughTheVisibleControlsInTabOrder)
{
    auto& text1 = mForm.Control<TextBox>(QStringLiteral("Text1"));
    auto& text2 = mForm.Control<TextBox>(QStringLiteral("Text2"));
    SendKeys(QStringLiteral("{TAB}"));
    EXPECT_TRUE(text2.HasFocus());
    // Text3 is invisible: the order wraps round to Text1.
    SendKeys(QStringLiteral("{TAB}"));
    EXPECT_TRUE(text1.HasFocus());
    SendKeys(QStringLiteral("+{TAB}"));
    EXPECT_TRUE(text2.HasFocus());
}

TEST_F(FormsKeys, SetFocusOnAnInvisibleControlIsRunTimeError5)
{
    try {
        mForm.Control<TextBox>(QStringLiteral("Text3")).SetFocus();
        FAIL() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.Number(), 5);
    }
}

TEST_F(FormsKeys, FocusEventsFollowTheFormsActiveControlNotTheWindowsActivation)
{
    auto& text1 = mForm.Control<TextBox>(QStringLiteral("Text1"));
    auto& text2 = mForm.Control<TextBox>(QStringLiteral("Text2"));
    QStringList focus;
    for (const QString& name : {QStringLiteral("Text1"), QStringLiteral("Text2")}) {
        mForm.OnEvent(name, &TextBox::GotFocus, [&focus, name] { focus << name + QStringLiteral("_GotFocus"); });
        mForm.OnEvent(name, &TextBox::LostFocus, [&focus, name] { focus << name + QStringLiteral("_LostFocus"); });
    }
    // Another window taking the keyboard (a message box, another form) and giving it back.
    Form other(QStringLiteral("FrmOther"));
    other.SetDesign(ParseDesign(QStringLiteral("Form FrmOther\n Begin TextBox TxtOther\n  Width = 900\n"
                                               "  Height = 300\n End\nEnd\n"),
                                QStringLiteral("other.form")));
    other.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(other.hWnd()));
    other.Unload();
    mForm.hWnd()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(mForm.hWnd()));
    EXPECT_TRUE(text1.HasFocus());
    EXPECT_EQ(focus, QStringList{}) << focus.join(u',').toStdString();

    // Enter in the first field moves on to the next one and is consumed there.
    mForm.OnEvent(QStringLiteral("Text1"), &TextBox::KeyDown, [&](int& keyCode, int&) {
        if (keyCode == 13) {
            text2.SetFocus();
            keyCode = 0;
        }
    });
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(text2.HasFocus());
    EXPECT_EQ(focus, (QStringList{QStringLiteral("Text1_LostFocus"), QStringLiteral("Text2_GotFocus")}));
    EXPECT_FALSE(mForm.Log.contains(QStringLiteral("Text1_KeyPress 13")));

    // Unloading the form is no loss of focus either (the main menu's login checks run in LostFocus).
    mForm.Unload();
    QCoreApplication::processEvents();
    EXPECT_EQ(focus.size(), 2);
    mForm.Show();
}

// A form that previews keys while its only focusable control is a check box, as the key settings
// do; the codes are those the key-name table of the settings lists.
TEST(FormsKeysPreview, EveryNameableKeyReachesTheFormWithItsCode)
{
    struct KbdForm : Form {
        KbdForm() : Form(QStringLiteral("FrmKbd"))
        {
            SetDesign(ParseDesign(QStringLiteral(R"(Form FrmKbd
    KeyPreview = True
    Begin TextBox TxtKey(0)
        Width = 735
        Height = 270
        Enabled = False
    End
    Begin CheckBox ChekLock
        Top = 600
        Width = 1200
        Height = 300
        Caption = " 解 锁"
        Value = 1
    End
End
)"),
                                  QStringLiteral("kbd.form")));
        }
        void Form_KeyDown(int& keyCode, int&) override { Codes.push_back(keyCode); }
        std::vector<int> Codes;
    };
    struct Stroke {
        int QtKey;
        Qt::KeyboardModifiers Modifiers;
        int KeyCode;
    };
    const Stroke strokes[] = {
        {Qt::Key_Backspace, Qt::NoModifier, 8},
        {Qt::Key_Return, Qt::NoModifier, 13},
        {Qt::Key_Shift, Qt::NoModifier, 16},
        {Qt::Key_Control, Qt::NoModifier, 17},
        {Qt::Key_Alt, Qt::NoModifier, 18},
        {Qt::Key_Pause, Qt::NoModifier, 19},
        {Qt::Key_CapsLock, Qt::NoModifier, 20},
        {Qt::Key_Escape, Qt::NoModifier, 27},
        {Qt::Key_PageUp, Qt::NoModifier, 33},
        {Qt::Key_Down, Qt::NoModifier, 40},
        {Qt::Key_Print, Qt::NoModifier, 44},
        {Qt::Key_Insert, Qt::NoModifier, 45},
        {Qt::Key_Delete, Qt::NoModifier, 46},
        {Qt::Key_5, Qt::NoModifier, 53},
        {Qt::Key_A, Qt::NoModifier, 65},
        {Qt::Key_N, Qt::NoModifier, 78},
        {Qt::Key_Super_L, Qt::NoModifier, 91},
        {Qt::Key_Super_R, Qt::NoModifier, 92},
        {Qt::Key_Menu, Qt::NoModifier, 93},
        {Qt::Key_0, Qt::KeypadModifier, 96},
        {Qt::Key_7, Qt::KeypadModifier, 103},
        {Qt::Key_9, Qt::KeypadModifier, 105},
        {Qt::Key_Asterisk, Qt::KeypadModifier, 106},
        {Qt::Key_Period, Qt::KeypadModifier, 110},
        {Qt::Key_F1, Qt::NoModifier, 112},
        {Qt::Key_F10, Qt::NoModifier, 121},
        {Qt::Key_F12, Qt::NoModifier, 123},
        {Qt::Key_NumLock, Qt::NoModifier, 144},
        {Qt::Key_ScrollLock, Qt::NoModifier, 145},
        {Qt::Key_Semicolon, Qt::NoModifier, 186},
        {Qt::Key_QuoteLeft, Qt::NoModifier, 192},
        {Qt::Key_Apostrophe, Qt::NoModifier, 222},
        // The keypad's 5 with Num Lock off: a key without a name.
        {Qt::Key_Clear, Qt::KeypadModifier, 12},
    };
    KbdForm form;
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.hWnd()));
    form.Control<CheckBox>(QStringLiteral("ChekLock")).SetFocus();
    std::vector<int> expected;
    for (const auto& stroke : strokes) {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(stroke.QtKey), stroke.Modifiers);
        expected.push_back(stroke.KeyCode);
    }
    EXPECT_EQ(form.Codes, expected);
    // None of them toggled the box or reached the disabled text box.
    EXPECT_EQ(form.Control<CheckBox>(QStringLiteral("ChekLock")).Value(), 1);
    EXPECT_EQ(form.Array<TextBox>(QStringLiteral("TxtKey"), 0).Text(), QString());
    form.Unload();
    QCoreApplication::processEvents();
    ResetProgramEnded();
}

// One key event, as the window system delivers it to the focused control and on up its ignoring
// parents, reaches the form's preview and the control's handlers once, whatever those handlers do
// meanwhile: ask in a real message box (after which the focus comes back to the window), move the
// focus to the control's container, hide the focused control, unload it, unload the form.
TEST(FormsKeysOnce, AKeyIsActedOnOnceWhateverItsHandlersDo)
{
    struct OnceForm : Form {
        OnceForm() : Form(QStringLiteral("FrmOnce"))
        {
            SetDesign(ParseDesign(QStringLiteral(R"(Form FrmOnce
    KeyPreview = True
    ClientWidth = 4500
    ClientHeight = 3000
    Begin PictureBox PicPanel
        Left = 120
        Top = 120
        Width = 4000
        Height = 2600
        TabIndex = 0
        Begin PictureBox PicInner
            Left = 120
            Top = 120
            Width = 1500
            Height = 900
            TabIndex = 1
        End
        Begin TextBox TxtInner(0)
            Left = 120
            Top = 1500
            Width = 1500
            Height = 300
            TabIndex = 2
        End
    End
End
)"),
                                  QStringLiteral("once.form")));
            for (const QString& name : {QStringLiteral("PicPanel"), QStringLiteral("PicInner")}) {
                OnEvent(name, &PictureBox::KeyDown,
                        [this, name](int& keyCode, int&) { Log << name + QStringLiteral(" down %1").arg(keyCode); });
                OnEvent(name, &PictureBox::KeyPress,
                        [this, name](int& keyAscii) { Log << name + QStringLiteral(" press %1").arg(keyAscii); });
                OnEvent(name, &PictureBox::KeyUp,
                        [this, name](int& keyCode, int&) { Log << name + QStringLiteral(" up %1").arg(keyCode); });
            }
            OnArrayEvent(QStringLiteral("TxtInner"), &TextBox::KeyDown, [this](int index, int& keyCode, int&) {
                Log << QStringLiteral("TxtInner(%1) down %2").arg(index).arg(keyCode);
            });
        }
        void Form_KeyDown(int& keyCode, int&) override
        {
            Log << QStringLiteral("form down %1").arg(keyCode);
            switch (keyCode) {
            case 'B':
                Answers.push_back(MsgBox(QStringLiteral("确认之后即提交试卷。"), vbYesNo, QStringLiteral("提示！")));
                break;
            case 'F':
                Control<PictureBox>(QStringLiteral("PicPanel")).SetFocus();
                break;
            case 'H':
                ActiveControl()->SetVisible(false);
                break;
            case 'U':
                Array<TextBox>(QStringLiteral("TxtInner")).Unload(1);
                break;
            case 'Q':
                Unload();
                break;
            default:
                break;
            }
        }
        void Form_KeyPress(int& keyAscii) override { Log << QStringLiteral("form press %1").arg(keyAscii); }
        void Form_KeyUp(int& keyCode, int&) override { Log << QStringLiteral("form up %1").arg(keyCode); }
        QStringList Log;
        std::vector<int> Answers;
    };
    ResetProgramEnded();
    // The boxes are real ones with their own event loop, each answered 否 once it is up.
    struct RealBoxes {
        MsgBoxResponder Previous = SetMsgBoxResponder(nullptr);
        ~RealBoxes() { SetMsgBoxResponder(std::move(Previous)); }
    } realBoxes;
    int boxes = 0;
    QTimer answering;
    QObject::connect(&answering, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            return;
        }
        ++boxes;
        for (QAbstractButton* button : box->buttons()) {
            if (button->text().startsWith(u'否')) {
                button->click();
            }
        }
    });
    answering.start(10);

    OnceForm form;
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.hWnd()));
    // Through the form's window, as the window system delivers keys: to the focused control.
    const QPointer<QWindow> window = form.hWnd()->windowHandle();
    auto stroke = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        form.Log.clear();
        QTest::keyClick(window, key, modifiers);
        return form.Log.join(QStringLiteral(", ")).toStdString();
    };
    auto& inner = form.Control<PictureBox>(QStringLiteral("PicInner"));
    inner.SetFocus();

    // B asks once; 否 gives the keyboard back to the window, which acts on the next key at once.
    EXPECT_EQ(stroke(Qt::Key_B), "form down 66, PicInner down 66, form press 98, PicInner press 98, "
                                 "form up 66, PicInner up 66");
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(form.Answers, std::vector<int>{vbNo});
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "a box is left";
    EXPECT_EQ(stroke(Qt::Key_1, Qt::KeypadModifier), "form down 97, PicInner down 97, form press 49, "
                                                     "PicInner press 49, form up 97, PicInner up 97");

    // The focus moved to the control's container: the key stays the control's; its release is the
    // container's.
    EXPECT_EQ(stroke(Qt::Key_F), "form down 70, PicInner down 70, form press 102, PicInner press 102, "
                                 "form up 70, PicPanel up 70");

    // The focused control hidden: its key goes on to it; the release goes where the focus went
    // (the text box next in the tab order, whose release is not logged).
    inner.SetFocus();
    EXPECT_EQ(stroke(Qt::Key_H), "form down 72, PicInner down 72, form press 104, PicInner press 104, form up 72");
    EXPECT_FALSE(inner.HasFocus());

    // Held down: each repeat is a press of its own, and acts once.
    inner.SetVisible(true);
    inner.SetFocus();
    form.Log.clear();
    for (int i = 0; i < 3; ++i) {
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_2, Qt::KeypadModifier, QStringLiteral("2"), i > 0);
        QApplication::sendEvent(inner.hWnd(), &repeat);
    }
    EXPECT_EQ(form.Log.count(QStringLiteral("form down 98")), 3);
    EXPECT_EQ(form.Log.count(QStringLiteral("PicInner down 98")), 3);
    EXPECT_EQ(form.Log.count(QStringLiteral("PicInner press 50")), 3);

    // The focused control unloaded: nothing more of the key, neither for it nor for the form.
    auto& loaded = form.Array<TextBox>(QStringLiteral("TxtInner")).Load(1);
    loaded.SetVisible(true);
    loaded.SetFocus();
    ASSERT_TRUE(loaded.HasFocus());
    const std::string unloaded = stroke(Qt::Key_U);
    EXPECT_EQ(unloaded, "form down 85, form up 85, PicPanel up 85");

    // The form unloaded by its own key: nothing more, and nothing breaks.
    inner.SetFocus();
    EXPECT_EQ(stroke(Qt::Key_Q), "form down 81");
    EXPECT_FALSE(form.IsLoaded());

    QCoreApplication::processEvents();
    ResetProgramEnded();
}

} // namespace
