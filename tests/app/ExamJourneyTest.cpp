// A whole mock exam on the demo bank, from the main menu through the generated paper, the hand-in,
// the scoring and the results back to a new main menu; then each practice mode opened from the menu
// and ended.
#include "ExamTestSupport.h"

#include "DefaultForms.h"
#include "ModSystem.h"

#include <ComboBox.h>
#include <Label.h>
#include <MsgBoxAnswers.h>
#include <OptionButton.h>
#include <QuButton.h>
#include <Runtime.h>

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {

using namespace ModSystem;
using namespace qkmtest;

class ExamJourneyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mProgram.BuildFromSource(Bank::ParseSourceFile(QFile::encodeName(BankFixture::DemoSourcePath()).toStdString()));
        gApplyType = QString::fromUtf16(TradeNone);
        RunGuarded([] { Forms::FrmMain().Show(); });
    }

    static QuButton& Button(Form& form, const QString& name) { return form.Control<QuButton>(name); }
    static Form& Menu() { return Forms::FrmMain(); }
    static Form& Exam() { return Forms::FrmExam(); }

    // Ends the practice on the exam screen and checks that the menu is back.
    void EndPractice()
    {
        MsgBoxAnswers boxes;
        boxes.Next(vbYes);
        ClickControl(Exam().Array<QuButton>(QStringLiteral("CmdExam"), 2));
        EXPECT_FALSE(Exam().IsLoaded());
        EXPECT_TRUE(Menu().IsLoaded() && Menu().Visible());
        EXPECT_FALSE(ProgramEnded());
    }

    ProgramFixture mProgram;
};

TEST_F(ExamJourneyTest, AMockExamFromTheMainMenuToTheResultsAndBackThenEachPractice)
{
    Form& trades = Forms::FrmZjcx();
    WhenShown(trades, [&trades] {
        ClickControl(trades.Array<OptionButton>(QStringLiteral("OptSlcCX"), 0));
        ClickControl(Button(trades, QStringLiteral("CmdYes")));
    });
    ClickControl(Button(Menu(), QStringLiteral("CmdMnExam")));
    ASSERT_TRUE(WaitUntil([] { return Exam().IsLoaded() && !Menu().IsLoaded(); }, 10000));
    EXPECT_EQ(gThemeCount, 50);
    EXPECT_EQ(Caption(Exam(), QStringLiteral("LabTime")), QStringLiteral("01:00:00"));
    EXPECT_EQ(Caption(Exam(), QStringLiteral("LabStTp")), QString::fromUtf16(TradeSheetMetal));

    // Every question answered with option 1 (a multiple-choice answer of 1 alone).
    for (int i = 0; i < 50; ++i) {
        ClickControl(Exam().Array<QuButton>(QStringLiteral("CmdSelect"), i));
        ClickControl(Exam().Array<Label>(QStringLiteral("LabAnserd"), 1));
    }
    SaveFormPng(Exam(), QStringLiteral("FrmExam-demo-mock-exam"));
    auto bank = mProgram.OpenBank();
    EXPECT_EQ(bank->Execute(QStringLiteral("Select Count(*) From Exam_ThemePaper Where StudentAnswer = '%1'")
                                .arg(Stored(QStringLiteral("1"))))
                  ->Fields(0)
                  .ToInt(),
              50);
    const int expected = bank->Execute(QStringLiteral("Select Sum(ThemeFraction) From Exam_ThemePaper Where "
                                                      "ThemeAnswer = StudentAnswer"))
                             ->Fields(0)
                             .ToInt();

    QString count;
    QString score;
    WhenShown(Forms::FrmExamResults(), [&] {
        Form& results = Forms::FrmExamResults();
        EXPECT_EQ(results.Caption(), QStringLiteral("评分"));
        count = Caption(results, QStringLiteral("Label1"), 2);
        score = Caption(results, QStringLiteral("Labdf"), 1);
        ClickControl(Button(results, QStringLiteral("CmdOK")));
    });
    {
        MsgBoxAnswers boxes;
        boxes.Next(vbYes);
        ClickControl(Exam().Array<QuButton>(QStringLiteral("CmdExam"), 2));
    }
    ASSERT_TRUE(WaitUntil([] { return Menu().IsLoaded() && !Exam().IsLoaded(); }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(Menu().Visible());
    EXPECT_FALSE(ProgramEnded());
    EXPECT_EQ(count, QStringLiteral("题目总数：50"));
    EXPECT_EQ(score, QString::number(expected));
    EXPECT_GT(expected, 0);

    // Wrong-answer practice over that paper.
    ClickControl(Button(Menu(), QStringLiteral("CmdErrStdy")));
    ASSERT_TRUE(Exam().IsLoaded());
    EXPECT_EQ(gExamMode, ModeWrongPractice);
    EXPECT_EQ(Exam().Array<QuButton>(QStringLiteral("CmdSelect")).Count(), 50);
    EndPractice();

    // Chapter practice over the second module.
    Form& modules = Forms::FrmMnlx();
    WhenShown(modules, [&modules] {
        modules.Control<ComboBox>(QStringLiteral("Comb")).SetListIndex(1);
        ClickControl(Button(modules, QStringLiteral("CmdYes")));
    });
    ClickControl(Button(Menu(), QStringLiteral("CmdStdy")));
    ASSERT_TRUE(Exam().IsLoaded());
    EXPECT_EQ(gExamMode, ModeChapterPractice);
    EXPECT_TRUE(Caption(Exam(), QStringLiteral("LabThemeCt")).startsWith(QStringLiteral("本类总题数：")));
    EndPractice();

    // Sequential practice over the painting trade's chapters.
    WhenShown(trades, [&trades] {
        ClickControl(trades.Array<OptionButton>(QStringLiteral("OptSlcCX"), 1));
        ClickControl(Button(trades, QStringLiteral("CmdYes")));
    });
    ClickControl(Button(Menu(), QStringLiteral("CmdExamStr")));
    ASSERT_TRUE(Exam().IsLoaded());
    EXPECT_EQ(gExamMode, ModeSequentialPractice);
    ClickControl(Exam().Array<Label>(QStringLiteral("LabAnserd"), 1));
    EXPECT_TRUE(Exam().Control<Label>(QStringLiteral("LabPd")).Visible());
    EndPractice();
}

} // namespace
