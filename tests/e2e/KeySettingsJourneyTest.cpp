// The key settings: unlocked, two keys moved (one taken from the slot that held it), the keys acting
// on the exam screen and the keys they replaced no longer; the defaults restored at the end.
#include "Journeys.h"

#include <QThread>
#include <gtest/gtest.h>

using namespace e2e;

namespace {

std::optional<int> KeyCode(BankReader& bank, int id)
{
    for (const KeySlotRow& row : bank.Keys()) {
        if (row.ID == id) {
            return row.KeyCode;
        }
    }
    ADD_FAILURE() << "no key slot " << id;
    return std::nullopt;
}

QString KeyName(BankReader& bank, int id)
{
    for (const KeySlotRow& row : bank.Keys()) {
        if (row.ID == id) {
            return row.KeyValues;
        }
    }
    return QStringLiteral("<no slot>");
}

// A check box is clicked on its box, at the left of the control.
QPoint CheckBoxPoint(const FormLayout& layout, const QString& control, const WindowInfo& window)
{
    const QRect r = layout.Pixels(control);
    return window.Geometry.topLeft() + QPoint(r.x() + 7, r.y() + r.height() / 2);
}

} // namespace

TEST(KeySettingsJourney, KeysMovedActOnTheExamScreenAndTheDefaultsComeBack)
{
    Session session;
    ASSERT_TRUE(session.Server().Started());
    const std::optional<WindowInfo> menu = session.StartToMainMenu();
    ASSERT_TRUE(menu);
    const FormLayout main(QStringLiteral("FrmMain"));
    const FormLayout keys(QStringLiteral("FrmKbdSet"));

    session.Click(session.PanelPoint(main, QStringLiteral("QuButton1"), *menu));
    std::optional<WindowInfo> dialog = session.WaitWindow(kKeySettingsTitle);
    ASSERT_TRUE(dialog) << session.Running().Log().toStdString();
    EXPECT_EQ(dialog->Geometry.size(), keys.ClientPixels());
    EXPECT_LE((dialog->Geometry.center() - QPoint(640, 512)).manhattanLength(), 2);
    session.WaitSettled(dialog->Geometry, 2000);
    session.Shot(QStringLiteral("key-settings-locked"));

    // Locked: a key press changes nothing.
    session.Keys().MoveTo(dialog->Geometry.center());
    session.Keys().Key(QStringLiteral("F5"));
    QThread::msleep(200);
    {
        BankReader bank(session.Folder().Bank());
        EXPECT_EQ(KeyCode(bank, 1), 65);
        EXPECT_EQ(KeyName(bank, 1), QStringLiteral("A"));
    }

    // Unlocked: "下一题" gets N, then "上一题" gets A, which "开  始" loses.
    session.Click(CheckBoxPoint(keys, QStringLiteral("ChekLock"), *dialog));
    session.Click(session.DialogPoint(keys, QStringLiteral("Frame1"), *dialog) -
                  keys.Pixels(QStringLiteral("Frame1")).center() + keys.Pixels(QStringLiteral("OptKey(4)")).center());
    session.Keys().Key(QStringLiteral("n"));
    session.Click(session.DialogPoint(keys, QStringLiteral("Frame1"), *dialog) -
                  keys.Pixels(QStringLiteral("Frame1")).center() + keys.Pixels(QStringLiteral("OptKey(3)")).center());
    session.Keys().Key(QStringLiteral("a"));
    ASSERT_TRUE(WaitFor(
        [&] {
            BankReader bank(session.Folder().Bank());
            return KeyCode(bank, 4) == 65;
        },
        5000));
    session.WaitSettled(dialog->Geometry, 2000);
    session.Shot(QStringLiteral("key-settings-moved"));
    {
        BankReader bank(session.Folder().Bank());
        EXPECT_EQ(KeyCode(bank, 5), 78);
        EXPECT_EQ(KeyName(bank, 5), QStringLiteral("N"));
        EXPECT_EQ(KeyName(bank, 4), QStringLiteral("A"));
        EXPECT_EQ(KeyCode(bank, 1), std::nullopt);
        EXPECT_EQ(KeyName(bank, 1), QString());
    }

    // 确定 closes; the moved keys act on the exam screen of a chapter practice.
    session.Click(session.DialogPoint(keys, QStringLiteral("CmdExit"), *dialog));
    ASSERT_TRUE(session.WaitGone(kKeySettingsTitle));
    const FormLayout module(QStringLiteral("FrmMnlx"));
    session.Click(session.PanelPoint(main, QStringLiteral("CmdStdy"), *menu));
    std::optional<WindowInfo> chooser = session.WaitWindow(kModuleChooserTitle);
    ASSERT_TRUE(chooser);
    session.Click(session.DialogPoint(module, QStringLiteral("CmdYes"), *chooser));
    const std::optional<WindowInfo> window = session.WaitNewScreen(menu->Id);
    ASSERT_TRUE(window) << session.Running().Log().toStdString();
    ExamScreen exam(session, *window);
    session.WaitSettled(window->Geometry);
    session.Keys().MoveTo(exam.Point(QStringLiteral("Label2")));
    const QImage first = exam.GrabQuestion();
    session.Keys().Key(QStringLiteral("n"));
    ASSERT_TRUE(exam.WaitQuestionChange(first)) << "N, now the key of 下一题, does not step";
    const QImage second = exam.GrabQuestion();
    session.Shot(QStringLiteral("stepped-by-n"));
    for (const char* old : {"KP_9", "KP_7"}) {
        session.Keys().Key(QString::fromLatin1(old));
        QThread::msleep(300);
        EXPECT_EQ(exam.GrabQuestion(), second) << old << " still steps after its slot lost it";
    }
    session.Keys().Key(QStringLiteral("a"));
    ASSERT_TRUE(exam.WaitQuestionChange(second)) << "A, now the key of 上一题, does not step back";
    EXPECT_EQ(exam.GrabQuestion(), first);
    session.Keys().Key(QStringLiteral("b"));
    ASSERT_TRUE(session.AnswerBox(kExamNoticeTitle, QStringLiteral("Return")));
    const std::optional<WindowInfo> again = session.WaitNewScreen(window->Id);
    ASSERT_TRUE(again);
    session.WaitSettled(again->Geometry);

    // Back in the key settings: 恢复默认 asks, restores, locks and confirms.
    session.Click(session.PanelPoint(main, QStringLiteral("QuButton1"), *again));
    dialog = session.WaitWindow(kKeySettingsTitle);
    ASSERT_TRUE(dialog);
    session.WaitSettled(dialog->Geometry, 2000);
    session.Click(CheckBoxPoint(keys, QStringLiteral("ChekLock"), *dialog));
    session.Click(session.DialogPoint(keys, QStringLiteral("CmdBacup"), *dialog));
    const QString question = session.BoxText(kNoticeTitle, QStringLiteral("restore-question"));
    EXPECT_TRUE(question.contains(QStringLiteral("您真的要恢复系统默认的键盘设置吗？"))) << question.toStdString();
    ASSERT_TRUE(session.AnswerBox(kNoticeTitle, QStringLiteral("Return")));
    const QString done = session.BoxText(kNoticeTitle, QStringLiteral("restored"));
    EXPECT_TRUE(done.contains(QStringLiteral("恢复设置成功!"))) << done.toStdString();
    ASSERT_TRUE(session.AnswerBox(kNoticeTitle, QStringLiteral("Return")));
    {
        BankReader bank(session.Folder().Bank());
        const int defaults[] = {65, 66, 8, 103, 105, 104, 97, 98, 99, 100, 101, 102};
        const std::vector<KeySlotRow> rows = bank.Keys();
        ASSERT_EQ(rows.size(), 12U);
        for (int i = 0; i < 12; ++i) {
            EXPECT_EQ(rows[std::size_t(i)].KeyCode, defaults[i]) << "slot " << i + 1;
        }
        EXPECT_EQ(rows[2].KeyValues, QStringLiteral("←"));
    }
    EXPECT_TRUE(session.Folder().Read(QStringLiteral("System.ini")).contains("AutoKey=1"));

    session.Click(session.DialogPoint(keys, QStringLiteral("CmdExit"), *dialog));
    ASSERT_TRUE(session.WaitGone(kKeySettingsTitle));
    EXPECT_TRUE(session.Running().Running());
}
