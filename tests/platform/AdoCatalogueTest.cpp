// The program's statements, as the forms and the paper generator write them, against a keyed bank:
// each must run with the meaning the program gives it.
#include "AdoTestBank.h"

#include "Connection.h"
#include "Recordset.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Ado;

namespace {

class AdoCatalogueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mDir.isValid());
        const QString path = adotest::CreateBank(mDir);
        ASSERT_FALSE(path.isEmpty());
        mConnection.SetCursorLocation(adUseClient);
        mConnection.Open(adotest::ConnectionString(path));
    }

    Recordset OpenQuery(const QString& sql)
    {
        Recordset rs;
        rs.Open(sql, mConnection, adOpenKeyset, adLockReadOnly, adOptionUnspecified);
        return rs;
    }

    // Inserts a paper entry exactly as the generator writes it: the paper id unquoted.
    void InsertEntry(int examId, const QString& paperId, int themeId, const QString& points, const QString& answer)
    {
        mConnection.Execute(QStringLiteral("Insert Into Exam_ThemePaper(ExamID,ExamPaperID,ThemeID,ThemeFraction,"
                                           "ThemeAnswer) Values (") +
                            QString::number(examId) + QLatin1Char(',') + paperId + QLatin1Char(',') +
                            QString::number(themeId) + QLatin1Char(',') + points + QStringLiteral(",'") + answer +
                            QStringLiteral("')"));
    }

    QTemporaryDir mDir;
    Connection mConnection;
};

TEST_F(AdoCatalogueTest, PaperGeneratorStatements)
{
    InsertEntry(1, QStringLiteral("20200101000000"), 1, QStringLiteral("2"), QStringLiteral("OLD"));
    mConnection.Execute(QStringLiteral("Delete From Exam_ThemePaper"));
    EXPECT_EQ(OpenQuery(QStringLiteral("Select * From Exam_ThemePaper")).RecordCount(), 0);

    Recordset model = OpenQuery(
        QStringLiteral("Select * From Exam_Model Where ApplyType='钣金（车身修复）技术人员' And ModelStatus = 1"));
    ASSERT_FALSE(model.Eof());
    EXPECT_EQ(model.Fields(QStringLiteral("Model")).ToString(), QStringLiteral("1"));
    EXPECT_EQ(model.Fields(QStringLiteral("ExamTime")).ToInt16(), 90);

    const auto sum =
        mConnection.Execute(QStringLiteral("Select Sum(SelectContent) From Exam_MContent Where Model='1'"));
    EXPECT_EQ(sum->Fields(0).ToString(), QStringLiteral("3"));
    const auto noSum =
        mConnection.Execute(QStringLiteral("Select Sum(SelectContent) From Exam_MContent Where Model='7'"));
    EXPECT_TRUE(noSum->Fields(0).IsNull()) << "a model without quotas sums to Null";

    EXPECT_EQ(OpenQuery(QStringLiteral("Select * From Exam_ThemeChapter")).RecordCount(), 3);

    Recordset quota = OpenQuery(QStringLiteral("Select Model,ThemeChapter,ThemeFraction,SelectContent From "
                                               "Exam_MContent Where [Model]='1' And ThemeChapter=2 And ThemeType = 3"));
    quota.MoveLast();
    quota.MoveFirst();
    ASSERT_EQ(quota.RecordCount(), 1);
    EXPECT_EQ(quota.Fields(QStringLiteral("SelectContent")).ToInt16(), 1);
    EXPECT_DOUBLE_EQ(quota.Fields(QStringLiteral("ThemeFraction")).ToDouble(), 1.5);

    Recordset questions = OpenQuery(QStringLiteral(
        "Select ThemeID,ThemeChapter,ThemeAnswer From Exam_Theme Where ThemeChapter = 1 And Themetype = 1"));
    EXPECT_EQ(questions.RecordCount(), 2) << "column names compare without regard to case";

    InsertEntry(OpenQuery(QStringLiteral("Select * From Exam_ThemePaper")).RecordCount() + 1,
                QStringLiteral("20261208191000"), 3, QStringLiteral("2"), QStringLiteral("B"));
    InsertEntry(OpenQuery(QStringLiteral("Select * From Exam_ThemePaper")).RecordCount() + 1,
                QStringLiteral("20261208191000"), 5, QStringLiteral("1.5"), QStringLiteral("AC"));
    Recordset paper = OpenQuery(QStringLiteral("Select * From Exam_ThemePaper"));
    ASSERT_EQ(paper.RecordCount(), 2);
    EXPECT_EQ(paper.Fields(QStringLiteral("ExamPaperID")).Type(), Variant::Kind::Text)
        << "an unquoted 14-digit id is stored as its digits in the text column";
    EXPECT_EQ(paper.Fields(QStringLiteral("ExamPaperID")).ToString(), QStringLiteral("20261208191000"));
    EXPECT_TRUE(paper.Fields(QStringLiteral("StudentAnswer")).IsNull());
    paper.MoveNext();
    EXPECT_EQ(paper.Fields(QStringLiteral("ExamID")).ToInt(), 2);
}

TEST_F(AdoCatalogueTest, ExamScreenQueries)
{
    InsertEntry(1, QStringLiteral("20261208191000"), 4, QStringLiteral("2"), QStringLiteral("A"));
    InsertEntry(2, QStringLiteral("20261208191000"), 2, QStringLiteral("2"), QStringLiteral("B"));

    Recordset mock = OpenQuery(QStringLiteral(
        "Select * From Exam_Theme,Exam_ThemePaper Where [Exam_ThemePaper.ExamPaperID] = '20261208191000' And "
        "[Exam_Theme.ThemeID] = [Exam_ThemePaper.ThemeID] Order By [Exam_ThemePaper.ExamID]"));
    ASSERT_EQ(mock.RecordCount(), 2) << "the quoted id finds the rows inserted with an unquoted one";
    EXPECT_EQ(mock.Fields(QStringLiteral("ThemeContent")).ToString(), QStringLiteral("C4"));
    mock.MoveNext();
    EXPECT_EQ(mock.Fields(QStringLiteral("ExamID")).ToInt(), 2);
    EXPECT_EQ(mock.Fields(QStringLiteral("ThemeImage")).ToBytes().size(), 10);

    EXPECT_EQ(OpenQuery(QStringLiteral("Select * From Exam_Theme,Exam_ThemePaper Where [Exam_ThemePaper.ExamPaperID] "
                                       "= '0' And [Exam_Theme.ThemeID] = [Exam_ThemePaper.ThemeID] Order By "
                                       "[Exam_ThemePaper.ExamID]"))
                  .RecordCount(),
              0)
        << "the id \"0\" read from a missing STheme.cfg matches no paper";

    Recordset wrong = OpenQuery(QStringLiteral("Select * From Exam_Theme,Exam_ThemePaper Where [Exam_Theme.ThemeID] = "
                                               "[Exam_ThemePaper.ThemeID] Order By [Exam_ThemePaper.ExamID]"));
    ASSERT_EQ(wrong.RecordCount(), 2);
    EXPECT_EQ(wrong.Fields(QStringLiteral("Exam_ThemePaper.ThemeAnswer")).ToString(), QStringLiteral("A"));

    Recordset chapter = OpenQuery(QStringLiteral("Select * From Exam_Theme Where ThemeChapter = 2 Order By ThemeID"));
    EXPECT_EQ(chapter.RecordCount(), 2);
    EXPECT_EQ(chapter.Fields(QStringLiteral("ThemeAnswer")).ToString(), QStringLiteral("A"));

    Recordset sheetMetal = OpenQuery(
        QStringLiteral("Select * From Exam_Theme Where ThemeChapter > 0 And ThemeChapter < 3 Order By ThemeID"));
    EXPECT_EQ(sheetMetal.RecordCount(), 5);
    Recordset painting = OpenQuery(
        QStringLiteral("Select * From Exam_Theme Where ThemeChapter = 1 Or ThemeChapter = 3 Order By ThemeID"));
    painting.MoveLast();
    EXPECT_EQ(painting.Fields(QStringLiteral("ThemeID")).ToInt(), 6);

    Recordset byExamId = OpenQuery(QStringLiteral("Select * From Exam_ThemePaper Order By ExamID"));
    EXPECT_EQ(byExamId.RecordCount(), 2);
}

TEST_F(AdoCatalogueTest, AnswerAndScoringStatements)
{
    InsertEntry(1, QStringLiteral("20261208191000"), 4, QStringLiteral("2"), QStringLiteral("CIPHER-A"));
    InsertEntry(2, QStringLiteral("20261208191000"), 5, QStringLiteral("1.5"), QStringLiteral("CIPHER-AC"));

    mConnection.Execute(QStringLiteral("Update Exam_ThemePaper Set StudentAnswer = 'CIPHER-A' Where ExamID= 1"));
    mConnection.Execute(QStringLiteral("Update Exam_ThemePaper Set StudentAnswer = 'CIPHER-B' Where ExamID= 2"));
    Recordset answer = OpenQuery(QStringLiteral(
        "Select StudentAnswer From Exam_ThemePaper Where ExamPaperID = '20261208191000' And ExamID = 1"));
    EXPECT_EQ(answer.Fields(0).ToString(), QStringLiteral("CIPHER-A"));
    mConnection.Execute(QStringLiteral("Update Exam_ThemePaper Set StudentAnswer = Null Where ExamID= 2"));
    answer.Close();
    answer.Open(QStringLiteral("Select StudentAnswer From Exam_ThemePaper Where ExamPaperID = '20261208191000' And "
                               "ExamID = 2"),
                mConnection, adOpenKeyset, adLockReadOnly);
    EXPECT_TRUE(answer.Fields(0).IsNull());

    const auto entry = mConnection.Execute(QStringLiteral("Select * From Exam_ThemePaper Where ExamID = 1"));
    entry->Requery(adOptionUnspecified);
    EXPECT_EQ(entry->Fields(QStringLiteral("StudentAnswer")), entry->Fields(QStringLiteral("ThemeAnswer")));
    mConnection.Execute(QStringLiteral("Update Exam_ThemePaper Set StudentDf = 1 * ThemeFraction Where ExamID= 1"));
    mConnection.Execute(QStringLiteral("Update Exam_ThemePaper Set StudentDf = 0 Where ExamID= 2"));
    const auto total = mConnection.Execute(QStringLiteral("Select Sum(StudentDf) From Exam_ThemePaper"));
    EXPECT_EQ(total->Fields(0).ToInt16(), 2);
}

TEST_F(AdoCatalogueTest, KeySettingStatements)
{
    mConnection.Execute(QStringLiteral("Update Sys_KeyCfg Set [KeyCode]='222',KeyValues='''' Where ID=7"));
    mConnection.Execute(QStringLiteral("Update Sys_KeyCfg Set [KeyCode]='219',KeyValues='[' Where ID=8"));
    mConnection.Execute(QStringLiteral("Update Sys_KeyCfg Set [KeyCode]=Null,KeyValues='' Where ID=9"));
    const auto quote = mConnection.Execute(QStringLiteral("Select * From Sys_KeyCfg Where ID=7"));
    EXPECT_EQ(quote->Fields(QStringLiteral("KeyValues")).ToString(), QStringLiteral("'"));
    EXPECT_EQ(quote->Fields(QStringLiteral("KeyCode")).ToInt(), 222);
    const auto bracket = mConnection.Execute(QStringLiteral("Select * From Sys_KeyCfg Where ID=8"));
    EXPECT_EQ(bracket->Fields(QStringLiteral("KeyValues")).ToString(), QStringLiteral("["));
    const auto none = mConnection.Execute(QStringLiteral("Select * From Sys_KeyCfg Where ID=9"));
    EXPECT_TRUE(none->Fields(QStringLiteral("KeyCode")).IsNull());
    EXPECT_EQ(none->Fields(QStringLiteral("KeyValues")).ToString(), QString());
}

} // namespace
