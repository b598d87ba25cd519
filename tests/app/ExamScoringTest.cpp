// Scoring and results after a hand-in: the time used in whole minutes and seconds, Null answers,
// the paper's own number of questions, the close box of the results, and a second hand-in.
#include "ExamTestSupport.h"

#include "DefaultForms.h"
#include "ModSystem.h"

#include <Label.h>
#include <MsgBoxAnswers.h>
#include <QuButton.h>
#include <QuXPProgress.h>
#include <Runtime.h>
#include <Timer.h>

#include <QCoreApplication>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

using namespace ModSystem;
using namespace qkmtest;

class ExamScoringTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mProgram.BuildFromSource(ExamBankSource());
        gApplyType = QString::fromUtf16(TradeSheetMetal);
    }

    // Opens the mock exam, lets `seconds` pass on its clock and hands in with Yes; `onResults` runs on
    // the shown results form and must close it.
    void HandInAfter(const std::vector<int>& paper, int minutes, int seconds, std::function<void()> onResults)
    {
        MakePaper(mProgram, paper, minutes);
        Form& exam = OpenExam(ModeMockExam);
        ASSERT_TRUE(exam.IsLoaded());
        exam.Control<Timer>(QStringLiteral("Timer1")).SetEnabled(false);
        RaiseTick(exam, QStringLiteral("Timer1"), seconds);
        WhenShown(Forms::FrmExamResults(), std::move(onResults));
        MsgBoxAnswers boxes;
        boxes.Next(vbYes);
        ClickControl(exam.Array<QuButton>(QStringLiteral("CmdExam"), 2));
        ASSERT_TRUE(WaitUntil([] { return Forms::FrmMain().IsLoaded() && !Forms::FrmExam().IsLoaded(); }));
        QCoreApplication::processEvents();
        EXPECT_FALSE(ProgramEnded());
    }
    static void PressOK() { ClickControl(Forms::FrmExamResults().Control<QuButton>(QStringLiteral("CmdOK"))); }

    ProgramFixture mProgram;
};

TEST_F(ExamScoringTest, TimeUsedCountsWholeMinutesPastTheHour)
{
    // A 90-minute paper handed in after 70 minutes.
    HandInAfter(FirstQuestions(3), 90, 70 * 60, PressOK);
    EXPECT_EQ(gSecondsLeft, 1200);
    EXPECT_EQ(gTimeUsed, QStringLiteral("70:00"));
    Forms::FrmMain().Unload();
    ResetProgramEnded();

    // With 01:15:30 on the clock the hour counts among the seconds left.
    HandInAfter(FirstQuestions(3), 90, 870, PressOK);
    EXPECT_EQ(gSecondsLeft, 4530);
    EXPECT_EQ(gTimeUsed, QStringLiteral("14:30"));
}

TEST_F(ExamScoringTest, NullNeverScoresAndTheResultsCountThePapersQuestions)
{
    MakePaper(mProgram, FirstQuestions(7), 60);
    // Entry 2 without a right answer and unanswered, entry 3 answered though its right answer is Null.
    auto bank = mProgram.OpenBank();
    bank->Execute(QStringLiteral("Update Exam_ThemePaper Set ThemeAnswer = Null Where ExamID = 2 Or ExamID = 3"));
    bank->Execute(QStringLiteral("Update Exam_ThemePaper Set StudentAnswer = '%1' Where ExamID= 3").arg(Stored("1")));
    bank->Execute(QStringLiteral("Update Exam_ThemePaper Set StudentAnswer = '%1' Where ExamID= 4").arg(Stored("2")));
    bank->Close();

    Form& exam = OpenExam(ModeMockExam);
    ASSERT_TRUE(exam.IsLoaded());
    ClickControl(exam.Array<Label>(QStringLiteral("LabAnserd"), 1));
    QStringList shown;
    WhenShown(Forms::FrmExamResults(), [&shown] {
        Form& results = Forms::FrmExamResults();
        shown << Caption(results, QStringLiteral("Label1"), 2) << Caption(results, QStringLiteral("Labdf"), 1);
        // The close box does what OK does.
        results.hWnd()->close();
    });
    {
        MsgBoxAnswers boxes;
        boxes.Next(vbYes);
        ClickControl(exam.Array<QuButton>(QStringLiteral("CmdExam"), 2));
    }
    ASSERT_TRUE(WaitUntil([] { return !Forms::FrmExam().IsLoaded(); }));
    QCoreApplication::processEvents();
    EXPECT_FALSE(ProgramEnded());
    EXPECT_TRUE(Forms::FrmMain().IsLoaded());
    EXPECT_FALSE(Forms::FrmExamResults().IsLoaded());
    EXPECT_EQ(shown, (QStringList{QStringLiteral("题目总数：7"), QStringLiteral("2")}));
    const int expected[] = {1, 0, 0, 1, 0, 0, 0};
    for (int i = 1; i <= 7; ++i) {
        EXPECT_EQ(StudentDfOf(mProgram, i), expected[i - 1]) << i;
    }
}

TEST_F(ExamScoringTest, ASecondHandInStartsTheBarFromTheBeginning)
{
    int firstValue = -1;
    int secondValue = -1;
    const auto readBarSoon = [](int& value) {
        WhenShown(Forms::FrmJsdf(), [&value] {
            QTimer::singleShot(300, [&value] {
                if (Forms::FrmJsdf().IsLoaded()) {
                    value = Forms::FrmJsdf().Control<QuXPProgress>(QStringLiteral("QuXPProgWait")).Value();
                }
            });
        });
    };
    readBarSoon(firstValue);
    HandInAfter(FirstQuestions(2), 60, 5, PressOK);
    Forms::FrmMain().Unload();
    ResetProgramEnded();
    readBarSoon(secondValue);
    HandInAfter(FirstQuestions(2), 60, 5, PressOK);
    EXPECT_GT(firstValue, 0);
    EXPECT_LT(firstValue, 50);
    EXPECT_GT(secondValue, 0);
    EXPECT_LT(secondValue, 50) << "not going on from where the first scoring left the bar";
}

} // namespace
