// The answer-key settings driven by real clicks and keys: locking, the highlight, keys moving
// between slots and written at once, restoring the defaults, and the AutoKey box in System.ini.
#include "FormTestSupport.h"
#include "MsgBoxAnswers.h"

#include "DefaultForms.h"
#include "FrmKbdSet.h"
#include "ModSystem.h"
#include "ReadConfig.h"

#include <CheckBox.h>
#include <KeyCodes.h>
#include <Label.h>
#include <OleColor.h>
#include <OptionButton.h>
#include <QuButton.h>
#include <TextBox.h>

#include <QFile>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

using namespace qkmtest;

constexpr int DarkGreen = 0x008000;
constexpr int ButtonText = static_cast<int>(0x80000012);

// One row of Sys_KeyCfg: KeyCode as stored (a text, or Null) and KeyValues.
struct Slot {
    Ado::Variant Code;
    QString Name;
    bool operator==(const Slot&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Slot& slot)
{
    return out << (slot.Code.IsNull() ? std::string("Null") : slot.Code.ToString().toStdString()) << " '"
               << slot.Name.toStdString() << "'";
}

Slot Stored(const QString& code, const QString& name)
{
    return {Ado::Variant(code), name};
}

Slot NoKey()
{
    return {Ado::Variant::Null(), QString()};
}

const std::vector<Slot> kDefaults = {
    Stored("65", "A"),      Stored("66", "B"),      Stored("8", "←"),       Stored("103", "Num 7"),
    Stored("105", "Num 9"), Stored("104", "Num 8"), Stored("97", "Num 1"),  Stored("98", "Num 2"),
    Stored("99", "Num 3"),  Stored("100", "Num 4"), Stored("101", "Num 5"), Stored("102", "Num 6"),
};

class KeySettingsTest : public ::testing::Test {
protected:
    void SetUp() override { mProgram.BuildFromData(); }

    Form& Kbd() { return Forms::FrmKbdSet(); }
    void ShowForm()
    {
        Kbd().Show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Kbd().hWnd()));
    }
    CheckBox& Lock() { return Kbd().Control<CheckBox>(QStringLiteral("ChekLock")); }
    CheckBox& AutoNext() { return Kbd().Control<CheckBox>(QStringLiteral("ChkAutoNext")); }
    QuButton& Button(const char* name) { return Kbd().Control<QuButton>(QString::fromLatin1(name)); }
    OptionButton& Option(int index) { return Kbd().Array<OptionButton>(QStringLiteral("OptKey"), index); }
    TextBox& Text(int index) { return Kbd().Array<TextBox>(QStringLiteral("TxtKey"), index); }

    // A real click on the box or button part of a check box or option button.
    static void ClickBox(::Control& control) { ClickControlAt(control, QPoint(6, control.hWnd()->height() / 2)); }
    void SelectSlot(int id)
    {
        ClickBox(Option(id - 1));
        ASSERT_TRUE(Option(id - 1).Value());
    }
    void Press(int keyCode) { PressKey(Kbd(), keyCode); }

    std::vector<Slot> Table() const
    {
        auto bank = mProgram.OpenBank();
        auto rs = bank->Execute(QStringLiteral("Select ID, KeyCode, KeyValues From Sys_KeyCfg Order By ID"));
        std::vector<Slot> rows;
        for (; !rs->Eof(); rs->MoveNext()) {
            rows.push_back({rs->Fields(1), rs->Fields(2).ToString()});
        }
        return rows;
    }
    std::vector<QString> Shown()
    {
        std::vector<QString> texts;
        for (int index = 0; index < 12; ++index) {
            texts.push_back(Text(index).Text());
        }
        return texts;
    }
    static std::vector<QString> Names(const std::vector<Slot>& rows)
    {
        std::vector<QString> names;
        for (const Slot& slot : rows) {
            names.push_back(slot.Name);
        }
        return names;
    }
    // The slots whose text boxes are dark green and bold; every other one must be neither.
    std::vector<int> Highlighted()
    {
        std::vector<int> ids;
        for (int index = 0; index < 12; ++index) {
            const bool green = Text(index).ForeColor() == DarkGreen && Text(index).Font().bold();
            if (green) {
                ids.push_back(index + 1);
            } else {
                EXPECT_NE(Text(index).ForeColor(), DarkGreen) << "slot " << index + 1;
                EXPECT_FALSE(Text(index).Font().bold()) << "slot " << index + 1;
            }
        }
        return ids;
    }
    // Pixels of a control's window that are clearly green, and those that are dark and not green
    // (anti-aliased text has few pixels of its exact colour).
    static std::pair<int, int> GreenAndDarkPixels(::Control& control)
    {
        const QImage image = control.hWnd()->grab().toImage();
        int green = 0;
        int dark = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.green() - std::max(pixel.red(), pixel.blue()) > 40) {
                    ++green;
                } else if (pixel.red() + pixel.green() + pixel.blue() < 3 * 100) {
                    ++dark;
                }
            }
        }
        return {green, dark};
    }
    QString AutoKey() const
    {
        ReadConfig ini;
        ini.OpenIni(mProgram.FilePath(QStringLiteral("System.ini")));
        return ini.GetString(QStringLiteral("SystemConfig"), QStringLiteral("AutoKey"), QStringLiteral("<none>"));
    }
    void ExpectLocked()
    {
        EXPECT_EQ(Lock().Value(), 1);
        EXPECT_FALSE(Button("CmdBacup").Enabled());
        for (int index = 0; index < 12; ++index) {
            EXPECT_FALSE(Option(index).Enabled()) << "slot " << index + 1;
            EXPECT_FALSE(Text(index).Enabled()) << "slot " << index + 1;
        }
        EXPECT_TRUE(Highlighted().empty());
    }

    ProgramFixture mProgram;
};

TEST_F(KeySettingsTest, LoadsLockedAndEveryUnlockSelectsSlotOneInDarkGreenBold)
{
    ShowForm();
    EXPECT_EQ(Kbd().Caption(), QStringLiteral("键盘设置"));
    EXPECT_EQ(Shown(), Names(kDefaults));
    ExpectLocked();
    EXPECT_EQ(Lock().Caption(), QStringLiteral(" 解 锁"));
    for (int index = 0; index < 12; ++index) {
        EXPECT_FALSE(Option(index).Value());
    }
    // No System.ini yet: AutoKey reads 0, which unticks the designed box and writes "0" back.
    EXPECT_EQ(AutoNext().Value(), 0);
    EXPECT_EQ(AutoKey(), QStringLiteral("0"));
    SaveFormPng(Kbd(), QStringLiteral("FrmKbdSet-locked"));

    // While locked no key reaches a slot, whatever has the focus.
    Lock().SetFocus();
    for (int key : {int(vbKeyA), 112, 8, 222, 12, 103}) {
        Press(key);
    }
    EXPECT_EQ(Table(), kDefaults);
    EXPECT_EQ(Shown(), Names(kDefaults));

    ClickBox(Lock());
    EXPECT_EQ(Lock().Value(), 0);
    EXPECT_EQ(Lock().Caption(), QStringLiteral("锁 定"));
    EXPECT_TRUE(Button("CmdBacup").Enabled());
    EXPECT_TRUE(Option(0).Value());
    EXPECT_TRUE(Option(11).Enabled());
    EXPECT_FALSE(Text(0).Enabled());
    EXPECT_EQ(Highlighted(), std::vector<int>{1});

    // Locking keeps the selection but drops the highlight; unlocking again selects the same slot 1
    // and must show it again.
    ClickBox(Lock());
    ExpectLocked();
    EXPECT_EQ(Lock().Caption(), QStringLiteral("解 锁"));
    EXPECT_TRUE(Option(0).Value());
    for (int index = 0; index < 12; ++index) {
        EXPECT_EQ(Text(index).ForeColor(), ButtonText);
    }
    ClickBox(Lock());
    EXPECT_EQ(Highlighted(), std::vector<int>{1});

    // A taken from "开  始" for "上一题": the row of "开  始" is emptied.
    SelectSlot(4);
    EXPECT_EQ(Highlighted(), std::vector<int>{4});
    Press(vbKeyA);
    EXPECT_EQ(Text(0).Text(), QString());
    EXPECT_EQ(Text(3).Text(), QStringLiteral("A"));
    std::vector<Slot> expected = kDefaults;
    expected[0] = NoKey();
    expected[3] = Stored("65", "A");
    EXPECT_EQ(Table(), expected);
    SaveFormPng(Kbd(), QStringLiteral("FrmKbdSet-unlocked"));

    // The disabled text boxes still draw their key in their own colour.
    EXPECT_GT(GreenAndDarkPixels(Text(3)).first, 0);
    EXPECT_EQ(GreenAndDarkPixels(Text(4)).first, 0);
    EXPECT_GT(GreenAndDarkPixels(Text(4)).second, 0);

    // Nothing is saved on close: the table already holds every change.
    ClickControl(Button("CmdExit"));
    EXPECT_FALSE(Kbd().IsLoaded());
    EXPECT_EQ(Table(), expected);
}

TEST_F(KeySettingsTest, AKeyBelongsToOneSlotAndEachPressIsStoredAtOnce)
{
    ShowForm();
    ClickBox(Lock());
    std::vector<Slot> expected = kDefaults;

    // F10 in "结  束", then F1 for "下一题": F10 stays where it is.
    SelectSlot(2);
    Press(121);
    SelectSlot(5);
    Press(vbKeyF1);
    expected[1] = Stored("121", "F10");
    expected[4] = Stored("112", "F1");
    EXPECT_EQ(Table(), expected);

    // N for "答案 1": "Num 7", "Num 8" and the other keypad names stay.
    SelectSlot(7);
    Press(vbKeyA + 13);
    expected[6] = Stored("78", "N");
    EXPECT_EQ(Table(), expected);

    // Backspace for "开  始" shows "←" there and empties "清  除", which showed it.
    SelectSlot(1);
    Press(vbKeyBack);
    EXPECT_EQ(Text(0).Text(), QStringLiteral("←"));
    EXPECT_EQ(Text(2).Text(), QString());
    expected[0] = Stored("8", "←");
    expected[2] = NoKey();
    EXPECT_EQ(Table(), expected);

    // A key without a name (the keypad's 5 without Num Lock, code 12) goes into "未答题" with an
    // empty name; every slot without a name ("清  除") is written empty again.
    SelectSlot(6);
    Press(vbKeyClear);
    EXPECT_EQ(Text(5).Text(), QString());
    expected[5] = Stored("12", "");
    EXPECT_EQ(Table(), expected);
    // Another key without a name (F13, code 124) for "答案 1" takes the empty name from "未答题" too.
    SelectSlot(7);
    Press(124);
    expected[5] = NoKey();
    expected[6] = Stored("124", "");
    EXPECT_EQ(Table(), expected);

    // The apostrophe is stored as its own name in a statement that stays whole.
    SelectSlot(12);
    Press(222);
    EXPECT_EQ(Text(11).Text(), QStringLiteral("'"));
    expected[11] = Stored("222", "'");
    EXPECT_EQ(Table(), expected);
    EXPECT_EQ(Highlighted(), std::vector<int>{12});

    // Pressing the apostrophe again for another slot moves it: the quoted name matched the box.
    SelectSlot(11);
    Press(222);
    expected[10] = Stored("222", "'");
    expected[11] = NoKey();
    EXPECT_EQ(Table(), expected);

    // The form shows what it wrote when it is opened again.
    Kbd().Unload();
    ShowForm();
    EXPECT_EQ(Shown(), Names(expected));

    // The name table: 100 named codes, the rest unnamed.
    int named = 0;
    for (int code = -1; code <= 300; ++code) {
        named += FrmKbdSet::KeyDisplayName(code).isEmpty() ? 0 : 1;
    }
    EXPECT_EQ(named, 100);
    EXPECT_EQ(FrmKbdSet::KeyDisplayName(8), QStringLiteral("Backspace"));
    EXPECT_EQ(FrmKbdSet::KeyDisplayName(108), QString());
    EXPECT_EQ(FrmKbdSet::KeyDisplayName(192), QStringLiteral("`"));
    EXPECT_EQ(FrmKbdSet::KeyDisplayName(220), QStringLiteral("\\"));
    EXPECT_EQ(FrmKbdSet::KeyDisplayName(110), QStringLiteral("Num Del"));
}

TEST_F(KeySettingsTest, RestoringTheDefaultsAsksThenStoresLocksAndTicksTheBox)
{
    QFile ini(mProgram.FilePath(QStringLiteral("System.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[SystemConfig]\r\nAutoKey=1\r\n");
    ini.close();
    ShowForm();
    EXPECT_EQ(AutoNext().Value(), 1);

    // Every change of the box is written at once.
    ClickBox(AutoNext());
    EXPECT_EQ(AutoKey(), QStringLiteral("0"));
    ClickBox(AutoNext());
    EXPECT_EQ(AutoKey(), QStringLiteral("1"));
    ClickBox(AutoNext());
    EXPECT_EQ(AutoKey(), QStringLiteral("0"));

    ClickBox(Lock());
    SelectSlot(3);
    Press(vbKeyA + 25);
    std::vector<Slot> changed = kDefaults;
    changed[2] = Stored("90", "Z");
    ASSERT_EQ(Table(), changed);

    {
        MsgBoxAnswers answers;
        answers.Next(vbNo);
        ClickControl(Button("CmdBacup"));
        ASSERT_EQ(answers.Shown().size(), 1u);
        EXPECT_EQ(answers.Shown()[0].Prompt, QStringLiteral("您真的要恢复系统默认的键盘设置吗？"));
        EXPECT_EQ(answers.Shown()[0].Title, QStringLiteral("提示"));
        EXPECT_EQ(answers.Shown()[0].Buttons, vbYesNo);
    }
    EXPECT_EQ(Table(), changed);
    EXPECT_EQ(Text(2).Text(), QStringLiteral("Z"));
    EXPECT_EQ(Lock().Value(), 0);
    EXPECT_EQ(AutoNext().Value(), 0);
    EXPECT_EQ(AutoKey(), QStringLiteral("0"));

    {
        MsgBoxAnswers answers;
        answers.Next(vbYes).Next(vbOK);
        ClickControl(Button("CmdBacup"));
        ASSERT_EQ(answers.Shown().size(), 2u);
        EXPECT_EQ(answers.Shown()[1].Prompt, QStringLiteral("恢复设置成功!"));
        EXPECT_EQ(answers.Shown()[1].Title, QStringLiteral("提示"));
        EXPECT_EQ(answers.Shown()[1].Buttons, vbOKOnly);
    }
    EXPECT_EQ(Table(), kDefaults);
    EXPECT_EQ(Shown(), Names(kDefaults));
    ExpectLocked();
    EXPECT_EQ(Lock().Caption(), QStringLiteral("解 锁"));
    EXPECT_EQ(AutoNext().Value(), 1);
    EXPECT_EQ(AutoKey(), QStringLiteral("1"));
    EXPECT_TRUE(TakeUnexpectedBoxes().empty());

    // The buttons without an action leave everything as it is; "确定" closes the modal form.
    ClickControl(Button("CmdModelSet"));
    ClickControl(Button("CmdInModel"));
    EXPECT_TRUE(Kbd().IsLoaded());
    Kbd().Unload();
    QTimer::singleShot(0, [this] { ClickControl(Button("CmdExit")); });
    Kbd().Show(vbModal);
    EXPECT_FALSE(Kbd().IsLoaded());
    EXPECT_EQ(Table(), kDefaults);
}

} // namespace

// Across forms: a key moved here is the key the exam screen then acts on, and a slot left without
// a key matches nothing there.
TEST_F(KeySettingsTest, TheExamScreenActsOnTheKeysMovedHere)
{
    ShowForm();
    ClickBox(Lock());
    SelectSlot(5); // "下一题" takes F
    Press(70);
    SelectSlot(1); // "开  始" takes Num 7 from "上一题", which is left without a key
    Press(103);
    ASSERT_EQ(Table()[3], NoKey());
    ClickControl(Button("CmdExit"));
    ASSERT_FALSE(Kbd().IsLoaded());

    ModSystem::gExamMode = ModSystem::ModeChapterPractice;
    ModSystem::gChapter = 1;
    Form& exam = Forms::FrmExam();
    exam.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(exam.hWnd()));
    const auto questionNumber = [&] {
        return exam.Control<Label>(QStringLiteral("LabExamTheme")).Caption().section(u' ', 0, 0);
    };
    ASSERT_EQ(questionNumber(), QStringLiteral("1"));
    PressKey(exam, 70);
    EXPECT_EQ(questionNumber(), QStringLiteral("2"));
    // The old "下一题" key, the key now held by "开  始" (which has no action there) and a key no
    // slot holds do nothing.
    PressKey(exam, 105);
    PressKey(exam, 103);
    PressKey(exam, 123);
    EXPECT_EQ(questionNumber(), QStringLiteral("2"));
    exam.Unload();
}
