// The question-number grid: its near-square layout for papers of every size, one button per
// question however long the paper, and a paper id from STheme.cfg that cannot change the query.
#include "ExamTestSupport.h"

#include "DefaultForms.h"
#include "ModSystem.h"
#include "ReadConfig.h"

#include <Label.h>
#include <PictureBox.h>
#include <QuButton.h>
#include <Runtime.h>

#include <QPoint>

#include <cmath>

#include <gtest/gtest.h>

namespace {

using namespace ModSystem;
using namespace qkmtest;

class ExamGridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mProgram.BuildFromSource(ExamBankSource());
        gApplyType = QString::fromUtf16(TradeSheetMetal);
    }

    QuButton& Number(int index) { return Forms::FrmExam().Array<QuButton>(QStringLiteral("CmdSelect"), index); }
    QString Question() { return Caption(Forms::FrmExam(), QStringLiteral("LabExamTheme")); }

    ProgramFixture mProgram;
};

TEST_F(ExamGridTest, LaysTheNumbersOutInRowsThatFillTheBox)
{
    // Questions, columns, rows; the box is 4109 x 3900 twips with 120 twips to every edge.
    struct Case {
        int Questions;
        int Columns;
        int Rows;
    };
    const Case cases[] = {{4, 2, 2}, {40, 7, 6}, {49, 7, 7}, {50, 8, 7}, {56, 7, 8}, {100, 10, 10}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Questions);
        MakePaper(mProgram, FirstQuestions(c.Questions), 60);
        Form& exam = OpenExam(ModeMockExam);
        ASSERT_TRUE(exam.IsLoaded());
        const int rowGap = static_cast<int>(std::nearbyint((3900 - 240 - 300.0 * c.Rows) / (c.Rows - 1)));
        const int columnGap = static_cast<int>(std::nearbyint((4109 - 240 - 300.0 * c.Columns) / (c.Columns - 1)));
        EXPECT_EQ(exam.Array<QuButton>(QStringLiteral("CmdSelect")).Count(), c.Questions);
        for (int i = 0; i < c.Questions; ++i) {
            const QuButton& b = Number(i);
            EXPECT_EQ(QPoint(b.Left(), b.Top()),
                      QPoint(120 + i % c.Columns * (300 + columnGap), 120 + i / c.Columns * (300 + rowGap)))
                << i;
            EXPECT_EQ(b.Caption(), QString::number(i + 1));
            EXPECT_TRUE(b.Visible());
            EXPECT_EQ(b.Width(), 300);
        }
        exam.Unload();
    }
    // The examples worked through by hand: 50 questions keep 260 twips between rows and 210 between
    // columns; 4 questions 3060 and 3269.
    MakePaper(mProgram, FirstQuestions(50), 60);
    OpenExam(ModeMockExam);
    EXPECT_EQ(QPoint(Number(1).Left(), Number(1).Top()), QPoint(630, 120));
    EXPECT_EQ(QPoint(Number(8).Left(), Number(8).Top()), QPoint(120, 680));
    EXPECT_EQ(Number(49).Caption(), QStringLiteral("50"));
    SaveFormPng(Forms::FrmExam(), QStringLiteral("FrmExam-mock-exam-50"));
    Forms::FrmExam().Unload();
    MakePaper(mProgram, FirstQuestions(4), 60);
    OpenExam(ModeMockExam);
    EXPECT_EQ(QPoint(Number(3).Left(), Number(3).Top()), QPoint(120 + 300 + 3269, 120 + 300 + 3060));
}

TEST_F(ExamGridTest, OneOrNoQuestionNeedsNoFurtherButton)
{
    MakePaper(mProgram, {1}, 60);
    Form& exam = OpenExam(ModeMockExam);
    EXPECT_EQ(exam.Array<QuButton>(QStringLiteral("CmdSelect")).Count(), 1);
    EXPECT_TRUE(Number(0).Visible());
    EXPECT_EQ(QPoint(Number(0).Left(), Number(0).Top()), QPoint(120, 120));
    EXPECT_EQ(Number(0).BackColor(), 0x00FFFF80);
    exam.Unload();

    // No paper: the template stays hidden with its caption, and nothing is shown or fails.
    MakePaper(mProgram, {}, 60);
    OpenExam(ModeMockExam);
    ASSERT_TRUE(exam.IsLoaded());
    EXPECT_FALSE(Number(0).Visible());
    EXPECT_EQ(Number(0).Caption(), QStringLiteral("1"));
    EXPECT_EQ(Question(), QString());
    ClickControl(exam.Array<QuButton>(QStringLiteral("CmdExam"), 1));
    ClickControl(exam.Array<Label>(QStringLiteral("LabAnserd"), 1));
    EXPECT_EQ(Caption(exam, QStringLiteral("LabStAswS")), QString());
    EXPECT_FALSE(ProgramEnded());
}

TEST_F(ExamGridTest, BeyondAHundredQuestionsEachButtonStillStandsForItsOwnQuestion)
{
    MakePaper(mProgram, FirstQuestions(130), 60);
    Form& exam = OpenExam(ModeMockExam);
    ASSERT_EQ(exam.Array<QuButton>(QStringLiteral("CmdSelect")).Count(), 130);
    ClickControl(Number(108));
    EXPECT_TRUE(Question().startsWith(QStringLiteral("109 、")));
    EXPECT_EQ(Number(108).BackColor(), 0x00FFFF80);
    EXPECT_EQ(Number(8).BackColor(), static_cast<int>(0x80000005));
    ClickControl(exam.Array<Label>(QStringLiteral("LabAnserd"), 1));
    EXPECT_EQ(Number(108).ForeColor(), 0x00008000);
    EXPECT_EQ(StudentAnswerOf(mProgram, 109), Stored(QStringLiteral("1")));
    ClickControl(exam.Array<QuButton>(QStringLiteral("CmdExam"), 1));
    EXPECT_TRUE(Question().startsWith(QStringLiteral("110 、")));
    EXPECT_EQ(Number(109).BackColor(), 0x00FFFF80);
    EXPECT_EQ(Number(108).BackColor(), static_cast<int>(0x80000005));
}

TEST_F(ExamGridTest, APaperIdWithQuotesIsReadAsTextOnly)
{
    // The stored answer is read back under the paper's own id, quotes and all.
    MakePaper(mProgram, FirstQuestions(3), 60, QStringLiteral("2024'0102"));
    Form& exam = OpenExam(ModeMockExam);
    ASSERT_EQ(gThemeCount, 3);
    ClickControl(exam.Array<QuButton>(QStringLiteral("CmdExam"), 1));
    ClickControl(exam.Array<Label>(QStringLiteral("LabAnserd"), 2));
    ClickControl(exam.Array<QuButton>(QStringLiteral("CmdExam"), 1));
    ClickControl(exam.Array<QuButton>(QStringLiteral("CmdExam"), 0));
    EXPECT_EQ(Caption(exam, QStringLiteral("LabStAswS")), QStringLiteral("2"));
    exam.Unload();

    // Ids that would end or widen the statement are read as text too: the paper stored under such an
    // id is the one loaded, and its answers are read back under it.
    for (const QString& id : {QStringLiteral("0' Or '1'='1"), QStringLiteral("2024'01")}) {
        SCOPED_TRACE(id.toStdString());
        MakePaper(mProgram, FirstQuestions(3), 60, id);
        OpenExam(ModeMockExam);
        ASSERT_TRUE(exam.IsLoaded());
        EXPECT_EQ(gThemeCount, 3);
        ClickControl(exam.Array<QuButton>(QStringLiteral("CmdExam"), 1));
        ClickControl(exam.Array<Label>(QStringLiteral("LabAnserd"), 1));
        ClickControl(exam.Array<QuButton>(QStringLiteral("CmdExam"), 0));
        ClickControl(exam.Array<QuButton>(QStringLiteral("CmdExam"), 1));
        EXPECT_EQ(Caption(exam, QStringLiteral("LabStAswS")), QStringLiteral("1"));
        EXPECT_EQ(StudentAnswerOf(mProgram, 2), Stored(QStringLiteral("1")));
        EXPECT_FALSE(ProgramEnded());
        exam.Unload();
    }

    // A file naming no paper of the bank, and a bank paper too broken to mend the file from (its
    // first entry gone), find no paper. Answering on the empty screen touches no stored answer,
    // though the screen stood on question 2.
    mProgram.OpenBank()->Execute(QStringLiteral("Delete From Exam_ThemePaper Where ExamID = 1"));
    ReadConfig cfg;
    cfg.OpenIni(mProgram.FilePath(QStringLiteral("STheme.cfg")));
    cfg.SetString(QStringLiteral("System"), QStringLiteral("ExamPaperID"), QStringLiteral("0' Or '1'='1x"));
    cfg.CloseIni();
    OpenExam(ModeMockExam);
    ASSERT_TRUE(exam.IsLoaded());
    EXPECT_EQ(gThemeCount, 0) << "no paper of that id";
    EXPECT_EQ(Question(), QString());
    ClickControl(exam.Array<Label>(QStringLiteral("LabAnserd"), 1));
    ClickControl(exam.Control<QuButton>(QStringLiteral("CmdDelSAsw")));
    EXPECT_EQ(StudentAnswerOf(mProgram, 2), Stored(QStringLiteral("1")));
    EXPECT_FALSE(ProgramEnded());
    exam.Unload();
}

} // namespace
