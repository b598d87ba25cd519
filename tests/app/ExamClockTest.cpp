// The exam clock: the countdown of the mock exam with its colours and its own hand-in at zero (also
// while the hand-in question waits), and the practice clock counting up with its rest reminders.
#include "ExamTestSupport.h"

#include "DefaultForms.h"
#include "ModSystem.h"

#include <Label.h>
#include <MsgBoxAnswers.h>
#include <QuButton.h>
#include <Runtime.h>
#include <Timer.h>

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {

using namespace ModSystem;
using namespace qkmtest;

constexpr int kGreen = 0x0000C000;
constexpr int kOlive = 0x00008080;
constexpr int kRed = 0x000000FF;

class ExamClockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mProgram.BuildFromSource(ExamBankSource());
        gApplyType = QString::fromUtf16(TradeSheetMetal);
    }

    // Opens the mock exam with its timer stopped: the test raises the ticks.
    Form& OpenMockExam(int minutes)
    {
        MakePaper(mProgram, {1, 21, 41}, minutes);
        Form& exam = OpenExam(ModeMockExam);
        exam.Control<Timer>(QStringLiteral("Timer1")).SetEnabled(false);
        return exam;
    }
    Label& Clock() { return Forms::FrmExam().Control<Label>(QStringLiteral("LabTime")); }
    void Tick(int times = 1) { RaiseTick(Forms::FrmExam(), QStringLiteral("Timer1"), times); }

    ProgramFixture mProgram;
};

TEST_F(ExamClockTest, CountsDownFromTheExamTimeAndChangesColourAtAThirdAndASixthLeft)
{
    struct Case {
        int Minutes;
        const char* Start;
        const char* OliveAt;
        const char* RedAt;
    };
    const Case cases[] = {{45, "00:45:00", "00:14:59", "00:07:29"},
                          {60, "01:00:00", "00:19:59", "00:09:59"},
                          {90, "01:30:00", "00:29:59", "00:14:59"},
                          {120, "02:00:00", "00:39:59", "00:19:59"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Minutes);
        Form& exam = OpenMockExam(c.Minutes);
        ASSERT_TRUE(exam.IsLoaded());
        EXPECT_EQ(Clock().Caption(), QString::fromLatin1(c.Start));
        EXPECT_EQ(Clock().ForeColor(), kGreen);

        const int seconds = c.Minutes * 60;
        Tick(seconds - seconds / 3);
        EXPECT_EQ(Clock().ForeColor(), kGreen) << "a third left exactly";
        Tick();
        EXPECT_EQ(Clock().Caption(), QString::fromLatin1(c.OliveAt));
        EXPECT_EQ(Clock().ForeColor(), kOlive);
        Tick(seconds / 3 - seconds / 6 - 1);
        EXPECT_EQ(Clock().ForeColor(), kOlive) << "a sixth left exactly";
        Tick();
        EXPECT_EQ(Clock().Caption(), QString::fromLatin1(c.RedAt));
        EXPECT_EQ(Clock().ForeColor(), kRed);
        exam.Unload();
    }
}

TEST_F(ExamClockTest, RunsOutAndHandsThePaperInByItself)
{
    Form& exam = OpenMockExam(60);
    ClickControl(exam.Array<Label>(QStringLiteral("LabAnserd"), 1));
    Tick(3599);
    EXPECT_EQ(Clock().Caption(), QStringLiteral("00:00:01"));
    Tick();
    EXPECT_EQ(Clock().Caption(), QStringLiteral("00:00:00"));
    EXPECT_TRUE(exam.IsLoaded()) << "zero is shown for a second before the hand-in";

    ShowCounter resultsShown(Forms::FrmExamResults());
    bool clockHidden = false;
    WhenShown(Forms::FrmJsdf(), [&] { clockHidden = !Clock().Visible(); });
    WhenShown(Forms::FrmExamResults(),
              [] { ClickControl(Forms::FrmExamResults().Control<QuButton>(QStringLiteral("CmdOK"))); });
    MsgBoxAnswers boxes;
    Tick();
    ASSERT_TRUE(WaitUntil([] { return Forms::FrmMain().IsLoaded() && !Forms::FrmExam().IsLoaded(); }));
    QCoreApplication::processEvents();
    ASSERT_EQ(boxes.Shown().size(), 1U);
    EXPECT_EQ(boxes.Shown()[0].Prompt, QStringLiteral("考试时间已到，系统已自动为您提交试卷！"));
    EXPECT_EQ(boxes.Shown()[0].Title, QStringLiteral("提示"));
    EXPECT_EQ(boxes.Shown()[0].Buttons, vbOKOnly);
    EXPECT_TRUE(clockHidden);
    EXPECT_EQ(resultsShown.Count(), 1);
    EXPECT_EQ(gSecondsLeft, 0);
    // The whole hour used shows as 60 minutes, not as the minutes past the hour.
    EXPECT_EQ(gTimeUsed, QStringLiteral("60:00"));
    EXPECT_EQ(gScore, 1);
    EXPECT_FALSE(ProgramEnded());
}

// The clock runs on while "确认之后即提交试卷。" waits; when it reaches zero meanwhile, the paper is
// scored once and the results shown once, whatever the candidate then answers.
TEST_F(ExamClockTest, RunningOutWhileTheHandInQuestionWaitsScoresThePaperOnce)
{
    for (const int answer : {vbYes, vbNo}) {
        SCOPED_TRACE(answer);
        Form& exam = OpenMockExam(45);
        ClickControl(exam.Array<Label>(QStringLiteral("LabAnserd"), 1));
        Tick(45 * 60 - 2);

        ShowCounter scoringShown(Forms::FrmJsdf());
        ShowCounter resultsShown(Forms::FrmExamResults());
        WhenShown(Forms::FrmExamResults(),
                  [] { ClickControl(Forms::FrmExamResults().Control<QuButton>(QStringLiteral("CmdOK"))); });
        QStringList prompts;
        const MsgBoxResponder previous = SetMsgBoxResponder([&](const MessageBoxRequest& request) {
            prompts << request.Prompt;
            if (request.Prompt == QStringLiteral("确认之后即提交试卷。")) {
                // The clock ticks on under the question until the screen is gone.
                for (int i = 0; i < 5 && Forms::FrmExam().IsLoaded(); ++i) {
                    Tick();
                }
                return answer;
            }
            return DefaultMsgBoxResult(request.Buttons);
        });
        ClickControl(exam.Array<QuButton>(QStringLiteral("CmdExam"), 2));
        SetMsgBoxResponder(previous);

        ASSERT_TRUE(WaitUntil([] { return Forms::FrmMain().IsLoaded() && !Forms::FrmExam().IsLoaded(); }));
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        EXPECT_EQ(prompts, (QStringList{QStringLiteral("确认之后即提交试卷。"),
                                        QStringLiteral("考试时间已到，系统已自动为您提交试卷！")}));
        EXPECT_EQ(scoringShown.Count(), 1);
        EXPECT_EQ(resultsShown.Count(), 1);
        EXPECT_EQ(gTimeUsed, QStringLiteral("45:00"));
        EXPECT_EQ(StudentDfOf(mProgram, 1), 1);
        EXPECT_FALSE(ProgramEnded());
        EXPECT_FALSE(Forms::FrmJsdf().IsLoaded());
        Forms::FrmMain().Unload();
        ResetProgramEnded();
    }
}

TEST_F(ExamClockTest, ThePracticeClockCountsUpWithRestRemindersAndNoLimit)
{
    gChapter = 2;
    Form& exam = OpenExam(ModeChapterPractice);
    ASSERT_TRUE(exam.IsLoaded());
    exam.Control<Timer>(QStringLiteral("Timer1")).SetEnabled(false);
    auto& reminder = exam.Control<Label>(QStringLiteral("LabYqTs"));
    EXPECT_EQ(Clock().Caption(), QStringLiteral("00:00:00"));

    Tick(10799);
    EXPECT_EQ(Clock().Caption(), QStringLiteral("02:59:59"));
    EXPECT_FALSE(reminder.Visible());
    EXPECT_EQ(Clock().ForeColor(), kGreen);
    Tick();
    EXPECT_EQ(Clock().Caption(), QStringLiteral("03:00:00"));
    EXPECT_TRUE(reminder.Visible());
    EXPECT_EQ(reminder.Caption(), QStringLiteral(" 友情提示：您已连续练习了3个小时以上，请注意休息！"));
    EXPECT_EQ(Clock().ForeColor(), kOlive);

    Tick(7200);
    EXPECT_EQ(Clock().Caption(), QStringLiteral("05:00:00"));
    EXPECT_EQ(reminder.Caption(), QStringLiteral(" 友情提示：您已连续练习了3个小时以上，请注意休息！"));
    Tick();
    EXPECT_EQ(reminder.Caption(), QStringLiteral(" 友情提示：您已连续练习了5个小时以上，请注意休息！"));
    EXPECT_EQ(Clock().ForeColor(), kRed);

    // Past what 16 bits hold (32767 seconds) and past a day, the clock simply goes on.
    Tick(32768 - 18001);
    EXPECT_EQ(Clock().Caption(), QStringLiteral("09:06:08"));
    Tick(90000 - 32768);
    EXPECT_EQ(Clock().Caption(), QStringLiteral("25:00:00"));
    EXPECT_EQ(reminder.Caption(), QStringLiteral(" 友情提示：您已连续练习了5个小时以上，请注意休息！"));
    EXPECT_FALSE(ProgramEnded());
    EXPECT_TRUE(exam.IsLoaded());
}

} // namespace
