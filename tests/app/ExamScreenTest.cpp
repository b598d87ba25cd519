// The exam screen in the mock exam: loading, the number grid, answering by mouse and by the default
// keys with the stored cipher answers, navigation, and the hand-in by button and by the clock with
// the scoring and the results behind it.
#include "ExamTestSupport.h"

#include "DefaultForms.h"
#include "ModSystem.h"

#include <Image.h>
#include <KeyCodes.h>
#include <Label.h>
#include <MsgBoxAnswers.h>
#include <PictureBox.h>
#include <QuButton.h>
#include <Runtime.h>
#include <Timer.h>

#include <QDate>
#include <QCoreApplication>
#include <QEvent>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using namespace ModSystem;
using namespace qkmtest;

// Each paint of the answer label where the bank did not hold what it showed: a program killed
// between a painted answer and its storing loses an answer the candidate saw.
class AnswerPaintedUnstored : public QObject {
public:
    AnswerPaintedUnstored(Label& label, const BankFixture& bank, int examId)
        : mLabel(label), mBank(bank), mExamId(examId)
    {
        label.hWnd()->installEventFilter(this);
    }
    ~AnswerPaintedUnstored() override
    {
        if (QWidget* window = mLabel.hWnd()) {
            window->removeEventFilter(this);
        }
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            const QString shown = mLabel.Caption().trimmed();
            if (StudentAnswerOf(mBank, mExamId) != (shown.isEmpty() ? QStringLiteral("<Null>") : Stored(shown))) {
                Shown << shown;
            }
        }
        return false;
    }
    QStringList Shown;

private:
    Label& mLabel;
    const BankFixture& mBank;
    int mExamId;
};

class ExamScreenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mProgram.BuildFromSource(ExamBankSource());
        gApplyType = QString::fromUtf16(TradeSheetMetal);
    }

    QuButton& Number(int index) { return Forms::FrmExam().Array<QuButton>(QStringLiteral("CmdSelect"), index); }
    QuButton& Cmd(int index) { return Forms::FrmExam().Array<QuButton>(QStringLiteral("CmdExam"), index); }
    Label& Option(int k) { return Forms::FrmExam().Array<Label>(QStringLiteral("LabAnserd"), k); }
    QString Answer() { return Caption(Forms::FrmExam(), QStringLiteral("LabStAswS")); }
    QString Question() { return Caption(Forms::FrmExam(), QStringLiteral("LabExamTheme")); }
    QString Clock() { return Caption(Forms::FrmExam(), QStringLiteral("LabTime")); }

    ProgramFixture mProgram;
};

TEST_F(ExamScreenTest, LoadsTheMockExamPaperWithItsClockGridAndTitles)
{
    MakePaper(mProgram, FirstQuestions(50), 90);
    gTitleSuffix = QStringLiteral("-  测试经销商");
    Form& exam = OpenExam(ModeMockExam);
    ASSERT_TRUE(exam.IsLoaded());

    EXPECT_EQ(exam.Caption(), QStringLiteral("QKMExam"));
    EXPECT_EQ(Clock(), QStringLiteral("01:30:00"));
    EXPECT_EQ(Cmd(2).Caption(), QStringLiteral("交卷"));
    EXPECT_TRUE(exam.Control<Timer>(QStringLiteral("Timer1")).Enabled());
    EXPECT_TRUE(gAnswering);
    EXPECT_EQ(gThemeCount, 50);
    EXPECT_EQ(Caption(exam, QStringLiteral("LabStTp")), QString::fromUtf16(TradeSheetMetal));
    EXPECT_EQ(Caption(exam, QStringLiteral("LabSysName"), 1),
              QStringLiteral("车身修复与涂装理论考试练习系统 2015 V1.00"));
    EXPECT_EQ(Caption(exam, QStringLiteral("LabSysJXS"), 0), gTitleSuffix);
    auto& name0 = exam.Array<Label>(QStringLiteral("LabSysName"), 0);
    EXPECT_EQ(exam.Array<Label>(QStringLiteral("LabSysJXS"), 1).Left(), name0.Left() + name0.Width());
    EXPECT_EQ(Caption(exam, QStringLiteral("LabStInfo"), 3),
              QStringLiteral("准考证号：") + QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) +
                  QStringLiteral("001008"));
    EXPECT_FALSE(exam.Control<PictureBox>(QStringLiteral("PicBdTS")).Visible());
    EXPECT_FALSE(exam.Control<Label>(QStringLiteral("LabThemeCt")).Visible());
    // Panel centred on the 1280 x 1024 test screen; the background fills it.
    EXPECT_EQ(exam.Control<PictureBox>(QStringLiteral("PicExam")).Left(), (19200 - 15390) / 2);
    EXPECT_EQ(exam.Control<Image>(QStringLiteral("ImgBd")).Width(), 19200);

    EXPECT_TRUE(Question().startsWith(QStringLiteral("1 、判断题1：")));
    EXPECT_TRUE(Question().endsWith(QStringLiteral("\r\n\r\n(本题为： 判断题)")));
    EXPECT_EQ(Option(1).Caption(), QStringLiteral("1 、正确"));
    EXPECT_FALSE(Option(3).Visible());
    EXPECT_EQ(Number(0).BackColor(), 0x00FFFF80);
    EXPECT_EQ(Number(1).BackColor(), static_cast<int>(0x80000005));

    // Loaded again for a screen of 1024 x 768 pixels: the panel sits at -15, -15.
    exam.Unload();
    gScreenWidth = 15360;
    gScreenHeight = 11520;
    OpenExam(ModeMockExam);
    ASSERT_TRUE(exam.IsLoaded());
    EXPECT_EQ(exam.Control<PictureBox>(QStringLiteral("PicExam")).Left(), -15);
    EXPECT_EQ(exam.Control<PictureBox>(QStringLiteral("PicExam")).Top(), -15);
}

TEST_F(ExamScreenTest, AMockExamByMouseStoresEveryAnswerAndIsScoredOnceHandedIn)
{
    MakePaper(mProgram, FirstQuestions(50), 60);
    gExamTime = 60;
    Form& exam = OpenExam(ModeMockExam);
    ASSERT_TRUE(exam.IsLoaded());
    // The clock is driven tick by tick below, through its own handler.
    exam.Control<Timer>(QStringLiteral("Timer1")).SetEnabled(false);

    // A true/false question: each click replaces the answer, stored enciphered at once, before the
    // screen shows it.
    auto unstored =
        std::make_unique<AnswerPaintedUnstored>(exam.Control<Label>(QStringLiteral("LabStAswS")), mProgram, 1);
    ClickControl(Option(2));
    QCoreApplication::processEvents();
    EXPECT_EQ(unstored->Shown, QStringList()) << "painted before it was stored";
    EXPECT_EQ(Answer(), QStringLiteral("2"));
    EXPECT_EQ(StudentAnswerOf(mProgram, 1), Stored(QStringLiteral("2")));
    EXPECT_EQ(Number(0).ForeColor(), 0x00008000);
    EXPECT_TRUE(Number(0).Font().bold());
    ClickControl(Option(1));
    EXPECT_EQ(StudentAnswerOf(mProgram, 1), Stored(QStringLiteral("1")));
    EXPECT_EQ(StudentAnswerOf(mProgram, 1).size(), 64) << "one block, no group blanks";

    // Previous on the first question stays there.
    ClickControl(Cmd(0));
    EXPECT_TRUE(Question().startsWith(QStringLiteral("1 、")));

    // A jump to a multiple-choice question: digits kept ascending, a second click changes nothing.
    ClickControl(Number(40));
    EXPECT_TRUE(Question().startsWith(QStringLiteral("41 、多选题41")));
    EXPECT_TRUE(Question().endsWith(QStringLiteral("(本题为： 多选题)")));
    EXPECT_EQ(Answer(), QString());
    EXPECT_EQ(Number(40).BackColor(), 0x00FFFF80);
    EXPECT_EQ(Number(0).BackColor(), static_cast<int>(0x80000005));
    EXPECT_EQ(Number(0).ForeColor(), 0x00008000) << "the answered mark stays";
    ClickControl(Option(3));
    EXPECT_EQ(Answer(), QStringLiteral("3"));
    ClickControl(Option(1));
    EXPECT_EQ(Answer(), QStringLiteral("13"));
    ClickControl(Option(4));
    EXPECT_EQ(Answer(), QStringLiteral("134"));
    ClickControl(Option(3));
    EXPECT_EQ(Answer(), QStringLiteral("134"));
    EXPECT_EQ(StudentAnswerOf(mProgram, 41), Stored(QStringLiteral("134")));
    SaveFormPng(exam, QStringLiteral("FrmExam-mock-exam-multiple-choice"));

    // Delete takes the highest digit each time, down to Null.
    unstored = std::make_unique<AnswerPaintedUnstored>(exam.Control<Label>(QStringLiteral("LabStAswS")), mProgram, 41);
    auto& del = exam.Control<QuButton>(QStringLiteral("CmdDelSAsw"));
    ClickControl(del);
    EXPECT_EQ(Answer(), QStringLiteral("13"));
    EXPECT_EQ(StudentAnswerOf(mProgram, 41), Stored(QStringLiteral("13")));
    ClickControl(del);
    ClickControl(del);
    EXPECT_EQ(Answer(), QString());
    EXPECT_EQ(StudentAnswerOf(mProgram, 41), QStringLiteral("<Null>"));
    QCoreApplication::processEvents();
    EXPECT_EQ(unstored->Shown, QStringList()) << "painted before it was stored";
    unstored.reset();
    EXPECT_EQ(Number(40).ForeColor(), 0x00808080);
    EXPECT_FALSE(Number(40).Font().bold());
    ClickControl(del);
    EXPECT_EQ(StudentAnswerOf(mProgram, 41), QStringLiteral("<Null>"));

    // Leaving a question and coming back shows what is stored for it.
    ClickControl(Option(2));
    ClickControl(Cmd(1));
    EXPECT_TRUE(Question().startsWith(QStringLiteral("42 、")));
    EXPECT_EQ(Answer(), QString());
    EXPECT_EQ(Number(40).BackColor(), static_cast<int>(0x80000005));
    ClickControl(Cmd(0));
    EXPECT_EQ(Answer(), QStringLiteral("2"));
    ClickControl(del);

    // Questions 1 to 40 answered right, 41 to 50 left open.
    for (int q = 1; q <= 40; ++q) {
        ClickControl(Number(q - 1));
        for (const QChar digit : RightAnswer(q)) {
            ClickControl(Option(digit.digitValue()));
        }
        ASSERT_EQ(Answer(), RightAnswer(q)) << q;
    }
    ClickControl(Cmd(1));
    EXPECT_TRUE(Question().startsWith(QStringLiteral("41 、")));
    EXPECT_EQ(Answer(), QString());
    ClickControl(Number(49));
    ClickControl(Cmd(1));
    EXPECT_TRUE(Question().startsWith(QStringLiteral("50 、"))) << "next on the last question stays";

    RaiseTick(exam, QStringLiteral("Timer1"), 1068);
    EXPECT_EQ(Clock(), QStringLiteral("00:42:12"));

    // No: the exam goes on.
    {
        MsgBoxAnswers boxes;
        boxes.Next(vbNo);
        ClickControl(Cmd(2));
        ASSERT_EQ(boxes.Shown().size(), 1U);
        EXPECT_EQ(boxes.Shown()[0].Prompt, QStringLiteral("确认之后即提交试卷。"));
        EXPECT_EQ(boxes.Shown()[0].Title, QStringLiteral("提示！"));
        EXPECT_EQ(boxes.Shown()[0].Buttons, vbYesNo);
    }
    EXPECT_TRUE(gAnswering);
    EXPECT_EQ(Clock(), QStringLiteral("00:42:12"));
    RaiseTick(exam, QStringLiteral("Timer1"));
    EXPECT_EQ(Clock(), QStringLiteral("00:42:11"));

    // Yes: scoring, results, a new main menu, the exam screen gone.
    ShowCounter scoringShown(Forms::FrmJsdf());
    ShowCounter resultsShown(Forms::FrmExamResults());
    QStringList results;
    WhenShown(Forms::FrmJsdf(), [] {
        // A moment later, with the bar on its way.
        QTimer::singleShot(400, [] {
            if (Forms::FrmJsdf().IsLoaded()) {
                SaveFormPng(Forms::FrmJsdf(), QStringLiteral("FrmJsdf"));
            }
        });
    });
    WhenShown(Forms::FrmExamResults(), [&results] {
        Form& form = Forms::FrmExamResults();
        results << Caption(form, QStringLiteral("Label1"), 2) << Caption(form, QStringLiteral("Labdf"), 0)
                << Caption(form, QStringLiteral("Labdf"), 1);
        SaveFormPng(form, QStringLiteral("FrmExamResults"));
        ClickControl(form.Control<QuButton>(QStringLiteral("CmdOK")));
    });
    // Handed in with 00:42:10 on the clock: 2530 seconds left, 1070 used.
    RaiseTick(exam, QStringLiteral("Timer1"));
    EXPECT_EQ(Clock(), QStringLiteral("00:42:10"));
    {
        MsgBoxAnswers boxes;
        boxes.Next(vbYes);
        ClickControl(Cmd(2));
    }
    ASSERT_TRUE(WaitUntil([] { return Forms::FrmMain().IsLoaded() && !Forms::FrmExam().IsLoaded(); }));
    QCoreApplication::processEvents();
    EXPECT_FALSE(ProgramEnded());
    EXPECT_FALSE(Forms::FrmJsdf().IsLoaded());
    EXPECT_FALSE(Forms::FrmExamResults().IsLoaded());
    EXPECT_EQ(scoringShown.Count(), 1);
    EXPECT_EQ(resultsShown.Count(), 1);
    EXPECT_FALSE(gAnswering);
    EXPECT_EQ(gSecondsLeft, 2530);
    EXPECT_EQ(gTimeUsed, QStringLiteral("17:50"));
    EXPECT_EQ(gScore, 40);
    EXPECT_EQ(results, (QStringList{QStringLiteral("题目总数：50"), QStringLiteral("17:50"), QStringLiteral("40")}));
    for (int q = 1; q <= 50; ++q) {
        EXPECT_EQ(StudentDfOf(mProgram, q), q <= 40 ? 1 : 0) << q;
    }
    EXPECT_EQ(StudentAnswerOf(mProgram, 45), QStringLiteral("<Null>"));
}

TEST_F(ExamScreenTest, AMockExamByTheDefaultKeys)
{
    // True/false (right 1), single choice (right 2), multiple choice (right 134), and again (2, 3, 24).
    MakePaper(mProgram, {1, 21, 41, 2, 22, 42}, 45);
    Form& exam = OpenExam(ModeMockExam);
    ASSERT_TRUE(exam.IsLoaded());
    EXPECT_EQ(Clock(), QStringLiteral("00:45:00"));
    exam.Control<Timer>(QStringLiteral("Timer1")).SetEnabled(false);

    // True/false: Num 3 and Num 4 do nothing, Num 1 and Num 2 choose.
    PressKey(exam, vbKeyNumpad0 + 3);
    PressKey(exam, vbKeyNumpad0 + 4);
    EXPECT_EQ(Answer(), QString());
    PressKey(exam, vbKeyNumpad0 + 2);
    PressKey(exam, vbKeyNumpad0 + 1);
    EXPECT_EQ(Answer(), QStringLiteral("1"));
    EXPECT_EQ(StudentAnswerOf(mProgram, 1), Stored(QStringLiteral("1")));

    // Num 9 steps on; single choice takes Num 4 and Num 3.
    PressKey(exam, vbKeyNumpad0 + 9);
    EXPECT_TRUE(Question().startsWith(QStringLiteral("2 、单选题21")));
    PressKey(exam, vbKeyNumpad0 + 4);
    EXPECT_EQ(Answer(), QStringLiteral("4"));
    PressKey(exam, vbKeyNumpad0 + 3);
    EXPECT_EQ(StudentAnswerOf(mProgram, 2), Stored(QStringLiteral("3")));

    // Multiple choice: options 3 and 4 are reached by their keys too; Backspace deletes.
    PressKey(exam, vbKeyNumpad0 + 9);
    PressKey(exam, vbKeyNumpad0 + 4);
    PressKey(exam, vbKeyNumpad0 + 3);
    PressKey(exam, vbKeyNumpad0 + 1);
    EXPECT_EQ(Answer(), QStringLiteral("134"));
    PressKey(exam, vbKeyBack);
    EXPECT_EQ(Answer(), QStringLiteral("13"));
    EXPECT_EQ(StudentAnswerOf(mProgram, 3), Stored(QStringLiteral("13")));
    PressKey(exam, vbKeyNumpad0 + 4);
    EXPECT_EQ(StudentAnswerOf(mProgram, 3), Stored(QStringLiteral("134")));
    EXPECT_EQ(Number(2).ForeColor(), 0x00008000);

    // Num 7 steps back to the stored answer.
    PressKey(exam, vbKeyNumpad0 + 7);
    EXPECT_EQ(Answer(), QStringLiteral("3"));
    EXPECT_EQ(Number(1).BackColor(), 0x00FFFF80);
    EXPECT_EQ(Number(2).BackColor(), static_cast<int>(0x80000005));

    // B asks for the hand-in; Enter on the results brings the main menu back.
    ShowCounter resultsShown(Forms::FrmExamResults());
    WhenShown(Forms::FrmExamResults(), [] { PressKey(Forms::FrmExamResults(), vbKeyReturn); });
    {
        MsgBoxAnswers boxes;
        boxes.Next(vbYes);
        PressKey(exam, vbKeyA + 1);
        ASSERT_EQ(boxes.Shown().size(), 1U);
        EXPECT_EQ(boxes.Shown()[0].Prompt, QStringLiteral("确认之后即提交试卷。"));
    }
    ASSERT_TRUE(WaitUntil([] { return Forms::FrmMain().IsLoaded() && !Forms::FrmExam().IsLoaded(); }));
    QCoreApplication::processEvents();
    EXPECT_FALSE(ProgramEnded());
    EXPECT_EQ(resultsShown.Count(), 1);
    EXPECT_EQ(gScore, 2);
    EXPECT_EQ(gTimeUsed, QStringLiteral("00:00"));
    EXPECT_EQ(StudentDfOf(mProgram, 1), 1);
    EXPECT_EQ(StudentDfOf(mProgram, 2), 0);
    EXPECT_EQ(StudentDfOf(mProgram, 3), 1);
    EXPECT_EQ(StudentDfOf(mProgram, 4), 0);
}

} // namespace
