// The three practice modes: judging at once with the verdict texts, stepping that clears answer and
// verdict, the number colours of wrong-answer practice, the end of a practice, and the question
// display: pictures, texts that cannot be deciphered, ampersands, an empty module.
#include "ExamTestSupport.h"

#include "DefaultForms.h"
#include "ModSystem.h"

#include <Connection.h>
#include <KeyCodes.h>
#include <Label.h>
#include <MsgBoxAnswers.h>
#include <PictureBox.h>
#include <QuButton.h>
#include <Runtime.h>
#include <Timer.h>

#include <CipherNotifier.h>

#include <QCoreApplication>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

namespace {

using namespace ModSystem;
using namespace qkmtest;

constexpr int kVerdictGreen = 0x0000FF00;
constexpr int kVerdictRed = 0x000000FF;

class ExamPracticeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mProgram.BuildFromSource(ExamBankSource());
        gApplyType = QString::fromUtf16(TradeSheetMetal);
    }

    Form& Exam() { return Forms::FrmExam(); }
    Label& Option(int k) { return Exam().Array<Label>(QStringLiteral("LabAnserd"), k); }
    Label& Verdict() { return Exam().Control<Label>(QStringLiteral("LabPd")); }
    QuButton& Cmd(int index) { return Exam().Array<QuButton>(QStringLiteral("CmdExam"), index); }
    QuButton& Number(int index) { return Exam().Array<QuButton>(QStringLiteral("CmdSelect"), index); }
    QString Answer() { return Caption(Exam(), QStringLiteral("LabStAswS")); }
    QString Question() { return Caption(Exam(), QStringLiteral("LabExamTheme")); }
    void Execute(const QString& sql) { mProgram.OpenBank()->Execute(sql); }

    // Ends the practice with Yes: a new main menu and the screen gone.
    void EndPractice()
    {
        MsgBoxAnswers boxes;
        boxes.Next(vbYes);
        ClickControl(Cmd(2));
        ASSERT_EQ(boxes.Shown().size(), 1U);
        EXPECT_EQ(boxes.Shown()[0].Prompt, QStringLiteral("真的要停止练习吗？"));
        EXPECT_EQ(boxes.Shown()[0].Title, QStringLiteral("提示！"));
        EXPECT_TRUE(Forms::FrmMain().IsLoaded());
        EXPECT_FALSE(Exam().IsLoaded());
        EXPECT_FALSE(gAnswering);
        EXPECT_FALSE(ProgramEnded());
    }

    ProgramFixture mProgram;
};

TEST_F(ExamPracticeTest, ChapterPracticeJudgesEachAnswerAndStepsClearIt)
{
    gChapter = 2;
    OpenExam(ModeChapterPractice);
    ASSERT_TRUE(Exam().IsLoaded());
    EXPECT_FALSE(Exam().Control<PictureBox>(QStringLiteral("PicBut")).Visible());
    EXPECT_FALSE(Exam().Control<PictureBox>(QStringLiteral("PicBdTS")).Visible());
    EXPECT_TRUE(Exam().Control<Label>(QStringLiteral("LabThemeCt")).Visible());
    EXPECT_EQ(Caption(Exam(), QStringLiteral("LabThemeCt")), QStringLiteral("本类总题数：40"));
    EXPECT_EQ(Cmd(2).Caption(), QStringLiteral("结束练习"));
    EXPECT_EQ(Caption(Exam(), QStringLiteral("LabTime")), QStringLiteral("00:00:00"));
    EXPECT_FALSE(Verdict().Visible());

    // Question 21, single choice, right answer 2.
    EXPECT_TRUE(Question().startsWith(QStringLiteral("1 、单选题21")));
    ClickControl(Option(1));
    EXPECT_TRUE(Verdict().Visible());
    EXPECT_EQ(Verdict().Caption(), QStringLiteral("你答错了，正确答案为 2"));
    EXPECT_EQ(Verdict().ForeColor(), kVerdictRed);
    ClickControl(Option(2));
    EXPECT_EQ(Verdict().Caption(), QStringLiteral("恭喜你答对了"));
    EXPECT_EQ(Verdict().ForeColor(), kVerdictGreen);

    // Previous on the first question stays there, and still clears answer and verdict.
    ClickControl(Cmd(0));
    EXPECT_TRUE(Question().startsWith(QStringLiteral("1 、")));
    EXPECT_EQ(Answer(), QString());
    EXPECT_FALSE(Verdict().Visible());

    // Question 41, multiple choice, right answer 134.
    for (int i = 0; i < 20; ++i) {
        PressKey(Exam(), vbKeyNumpad0 + 9);
    }
    EXPECT_TRUE(Question().startsWith(QStringLiteral("21 、多选题41")));
    ClickControl(Option(1));
    ClickControl(Option(3));
    EXPECT_EQ(Verdict().Caption(), QStringLiteral("你答错了，正确答案为 134"));
    ClickControl(Option(4));
    EXPECT_EQ(Verdict().Caption(), QStringLiteral("恭喜你答对了"));
    SaveFormPng(Exam(), QStringLiteral("FrmExam-chapter-practice"));
    // Deleting judges again; an empty answer hides the verdict.
    PressKey(Exam(), vbKeyBack);
    EXPECT_EQ(Verdict().Caption(), QStringLiteral("你答错了，正确答案为 134"));
    PressKey(Exam(), vbKeyBack);
    PressKey(Exam(), vbKeyBack);
    EXPECT_EQ(Answer(), QString());
    EXPECT_FALSE(Verdict().Visible());

    // Nothing of a practice reaches the database.
    auto bank = mProgram.OpenBank();
    EXPECT_EQ(bank->Execute(QStringLiteral("Select Count(*) From Exam_ThemePaper Where StudentAnswer Is Not Null"))
                  ->Fields(0)
                  .ToInt(),
              0);

    // No goes on; Yes ends it.
    {
        MsgBoxAnswers boxes;
        boxes.Next(vbNo);
        ClickControl(Cmd(2));
        EXPECT_EQ(boxes.Shown().size(), 1U);
    }
    EXPECT_TRUE(Exam().IsLoaded());
    EXPECT_TRUE(Exam().Control<Timer>(QStringLiteral("Timer1")).Enabled());
    EXPECT_TRUE(gAnswering);
    EndPractice();
}

TEST_F(ExamPracticeTest, SequentialPracticeRunsOverTheTradesChapters)
{
    gChapterFilter = QString::fromUtf16(ChapterFilterPainting);
    // A slot whose key was given to another slot holds no key; the screen still loads.
    Execute(QStringLiteral("Update Sys_KeyCfg Set [KeyCode]=Null,KeyValues='' Where ID=3"));
    OpenExam(ModeSequentialPractice);
    ASSERT_TRUE(Exam().IsLoaded());
    EXPECT_EQ(Caption(Exam(), QStringLiteral("LabThemeCt")), QStringLiteral("本类总题数：24"));

    // Question 2 is true/false with right answer 2.
    ClickControl(Cmd(1));
    EXPECT_TRUE(Question().startsWith(QStringLiteral("2 、判断题2")));
    PressKey(Exam(), vbKeyNumpad0 + 1);
    EXPECT_EQ(Verdict().Caption(), QStringLiteral("你答错了，正确答案为 2"));
    PressKey(Exam(), vbKeyNumpad0 + 2);
    EXPECT_EQ(Verdict().Caption(), QStringLiteral("恭喜你答对了"));
    PressKey(Exam(), vbKeyBack);
    EXPECT_EQ(Answer(), QStringLiteral("2")) << "the delete slot has no key";

    // After chapter 1 come the chapter-3 questions, the first with a picture.
    for (int i = 0; i < 19; ++i) {
        ClickControl(Cmd(1));
    }
    EXPECT_TRUE(Question().startsWith(QStringLiteral("21 、看图题")));
    ClickControl(Option(2));
    SaveFormPng(Exam(), QStringLiteral("FrmExam-sequential-practice"));
    EndPractice();
}

TEST_F(ExamPracticeTest, WrongAnswerPracticeColoursTheNumbersByTheLastPaper)
{
    MakePaper(mProgram, {1, 21, 41, 2}, 60);
    // Right, wrong, unanswered, and a stored answer that is no longer the right one.
    Execute(QStringLiteral("Update Exam_ThemePaper Set StudentAnswer = '%1' Where ExamID= 1").arg(Stored("1")));
    Execute(QStringLiteral("Update Exam_ThemePaper Set StudentAnswer = '%1' Where ExamID= 2").arg(Stored("4")));
    Execute(QStringLiteral("Update Exam_ThemePaper Set StudentAnswer = '%1' Where ExamID= 4").arg(Stored("1")));
    OpenExam(ModeWrongPractice);
    ASSERT_TRUE(Exam().IsLoaded());
    EXPECT_TRUE(Exam().Control<PictureBox>(QStringLiteral("PicBdTS")).Visible());
    EXPECT_TRUE(Exam().Control<PictureBox>(QStringLiteral("PicBut")).Visible());
    EXPECT_FALSE(Exam().Control<Label>(QStringLiteral("LabThemeCt")).Visible());
    EXPECT_EQ(Cmd(2).Caption(), QStringLiteral("结束练习"));
    EXPECT_EQ(Number(0).BackColor(), 0x00FFFF80);
    EXPECT_EQ(Number(1).BackColor(), 0x000000FF);
    EXPECT_EQ(Number(2).BackColor(), 0x0000FFFF);
    EXPECT_EQ(Number(3).BackColor(), 0x000000FF);

    ClickControl(Number(1));
    EXPECT_TRUE(Question().startsWith(QStringLiteral("2 、单选题21")));
    EXPECT_EQ(Number(0).BackColor(), 0x0000FF00);
    EXPECT_EQ(Number(1).BackColor(), 0x00FFFF80);
    ClickControl(Option(4));
    // No blank before the right answer in this mode.
    EXPECT_EQ(Verdict().Caption(), QStringLiteral("你答错了，正确答案为2"));
    // An emptied answer leaves the verdict as it stands here.
    ClickControl(Exam().Control<QuButton>(QStringLiteral("CmdDelSAsw")));
    EXPECT_TRUE(Verdict().Visible());
    EXPECT_EQ(Verdict().Caption(), QStringLiteral("你答错了，正确答案为2"));

    ClickControl(Cmd(1));
    EXPECT_FALSE(Verdict().Visible());
    ClickControl(Option(1));
    ClickControl(Option(3));
    SaveFormPng(Exam(), QStringLiteral("FrmExam-wrong-answer-practice"));
    EXPECT_EQ(Number(1).BackColor(), 0x000000FF);
    EndPractice();
}

TEST_F(ExamPracticeTest, QuestionsShowTheirPicturesAndNoTextOfTheQuestionBefore)
{
    // Question 63: option 2 holds bytes that are no whole cipher block. Question 64 (true/false):
    // option 3 holds no hexadecimal digit, option 4 is Null.
    Execute(QStringLiteral("Update Exam_Theme Set ThemeAnswer2 = 'ABCD' Where ThemeID = 63"));
    Execute(QStringLiteral("Update Exam_Theme Set ThemeAnswer3 = 'no digits here', ThemeAnswer4 = Null "
                           "Where ThemeID = 64"));
    std::vector<std::u16string> cipherMessages;
    const CipherNotifier previous =
        SetCipherNotifier([&](std::u16string_view text) { cipherMessages.emplace_back(text); });
    gChapter = 3;
    OpenExam(ModeChapterPractice);
    ASSERT_TRUE(Exam().IsLoaded());
    auto& picture = Exam().Control<PictureBox>(QStringLiteral("PicTheme"));
    auto& text = Exam().Control<Label>(QStringLiteral("LabExamTheme"));

    // A picture: written to Tivex.dat, shown at its own size (240 x 150 pixels), options below it.
    EXPECT_TRUE(Question().startsWith(QStringLiteral("1 、看图题")));
    EXPECT_TRUE(picture.Visible());
    EXPECT_EQ(picture.Width(), 240 * 15);
    EXPECT_EQ(picture.Height(), 150 * 15);
    EXPECT_EQ(picture.Top(), text.Top() + text.Height() + 240);
    EXPECT_EQ(picture.Left(), text.Left() + 720);
    EXPECT_EQ(Option(1).Top(), picture.Top() + picture.Height() + 240);
    EXPECT_EQ(Option(2).Top(), Option(1).Top() + Option(1).Height() + 120);
    QFile tivex(mProgram.FilePath(QStringLiteral("Tivex.dat")));
    ASSERT_TRUE(tivex.open(QIODevice::ReadOnly));
    EXPECT_FALSE(QImage::fromData(tivex.readAll()).isNull());
    tivex.close();
    ClickControl(Option(1));
    EXPECT_EQ(Verdict().Caption(), QStringLiteral("你答错了，正确答案为 2"));

    // Picture bytes that are no picture: no picture, and the options start 480 twips below the text.
    ClickControl(Cmd(1));
    EXPECT_TRUE(Question().startsWith(QStringLiteral("2 、看图题：图片已损坏")));
    EXPECT_FALSE(picture.Visible());
    EXPECT_EQ(picture.Height(), 0);
    EXPECT_EQ(Option(1).Top(), text.Top() + text.Height() + 480);

    // Ampersands are shown as written; the option the cipher rejects is empty and hidden, the later
    // options are still deciphered.
    ClickControl(Cmd(1));
    EXPECT_EQ(Question(), QStringLiteral("3 、R&D 部门与 A&&B 工位的职责是？\r\n\r\n(本题为： 单选题)"));
    EXPECT_EQ(Option(1).Caption(), QStringLiteral("1 、研&发"));
    EXPECT_FALSE(Option(2).Visible());
    EXPECT_EQ(Option(3).Caption(), QStringLiteral("3 、质检&返修"));
    EXPECT_EQ(Option(4).Caption(), QStringLiteral("4 、销售"));
    EXPECT_FALSE(text.UseMnemonic());
    EXPECT_FALSE(Option(1).UseMnemonic());
    EXPECT_FALSE(Verdict().UseMnemonic());
    EXPECT_EQ(cipherMessages.size(), 1U) << "the cipher reports the broken option itself";
    SaveFormPng(Exam(), QStringLiteral("FrmExam-ampersands"));

    // A true/false question after it: its unreadable options 3 and 4 show nothing of the question before.
    ClickControl(Cmd(1));
    EXPECT_TRUE(Question().endsWith(QStringLiteral("(本题为： 判断题)")));
    EXPECT_EQ(Option(1).Caption(), QStringLiteral("1 、正确"));
    EXPECT_TRUE(Option(2).Visible());
    EXPECT_EQ(Option(3).Caption(), QStringLiteral("3 、"));
    EXPECT_EQ(Option(4).Caption(), QStringLiteral("4 、"));
    EXPECT_FALSE(Option(3).Visible());
    EXPECT_FALSE(Option(4).Visible());
    EXPECT_FALSE(ProgramEnded());
    SetCipherNotifier(previous);
}

TEST_F(ExamPracticeTest, AnEmptyModuleShowsNothingAndNothingFails)
{
    Execute(QStringLiteral("Delete From Exam_Theme Where ThemeChapter = 3"));
    gChapter = 3;
    OpenExam(ModeChapterPractice);
    ASSERT_TRUE(Exam().IsLoaded());
    EXPECT_EQ(Question(), QString());
    EXPECT_FALSE(Exam().Control<Label>(QStringLiteral("LabThemeCt")).Visible());
    EXPECT_EQ(gThemeCount, 0);
    ClickControl(Option(1));
    PressKey(Exam(), vbKeyNumpad0 + 2);
    ClickControl(Cmd(1));
    ClickControl(Cmd(0));
    PressKey(Exam(), vbKeyNumpad0 + 9);
    PressKey(Exam(), vbKeyBack);
    EXPECT_EQ(Answer(), QString());
    EXPECT_FALSE(Verdict().Visible());
    EXPECT_FALSE(ProgramEnded());
    EndPractice();
}

} // namespace
