// Every statement the program runs on the question bank, run on a bank built by the bank builder,
// with the meaning the forms rely on.
#include "BankFixture.h"

#include "ClQuAK.h"
#include "ModSystem.h"
#include "QuestionText.h"
#include "Recordset.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace ModSystem;

std::unique_ptr<Ado::Recordset> Query(const QString& sql)
{
    auto rs = std::make_unique<Ado::Recordset>();
    rs->Open(sql, *gConn, Ado::adOpenKeyset, Ado::adLockReadOnly, Ado::adOptionUnspecified);
    return rs;
}

QString Plain(const Ado::Variant& stored)
{
    ClQuAK cipher;
    std::u16string plain;
    if (!DecipherQuestionText(cipher, GetQuestionKey(), stored.ToString().toStdU16String(), plain)) {
        return QStringLiteral("<not deciphered>");
    }
    return QString::fromStdU16String(plain).remove(QChar(u'\0'));
}

class ModSystemDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mFixture.BuildFromData();
        OpenDatabase();
    }

    // A paper of three entries as the generator writes it, with the paper id unquoted.
    void InsertPaper()
    {
        gConn->Execute(QStringLiteral("Delete From Exam_ThemePaper"));
        const struct {
            int examId;
            int themeId;
        } entries[] = {{1, 112}, {2, 113}, {3, 118}};
        for (const auto& e : entries) {
            const QString answer =
                Query(QStringLiteral("Select ThemeAnswer From Exam_Theme Where ThemeID = %1").arg(e.themeId))
                    ->Fields(0)
                    .ToString();
            gConn->Execute(QStringLiteral("Insert Into Exam_ThemePaper(ExamID,ExamPaperID,ThemeID,ThemeFraction,"
                                          "ThemeAnswer) Values (%1,%2,%3,%4,'%5')")
                               .arg(e.examId)
                               .arg(kPaperId)
                               .arg(e.themeId)
                               .arg(e.examId + 1)
                               .arg(answer));
        }
    }

    static constexpr const char* kPaperId = "20261208093015";
    qkmtest::BankFixture mFixture;
};

TEST_F(ModSystemDatabaseTest, GeneratorReadsModelQuotasChaptersAndQuestions)
{
    auto model = Query(QStringLiteral("Select * From Exam_Model Where ApplyType='钣金（车身修复）技术人员' And "
                                      "ModelStatus = 1"));
    ASSERT_EQ(model->RecordCount(), 1);
    EXPECT_EQ(model->Fields(QStringLiteral("Model")).ToString(), QStringLiteral("1"));
    EXPECT_EQ(model->Fields(QStringLiteral("ExamTime")).ToInt16(), 60);

    auto sum = gConn->Execute(QStringLiteral("Select Sum(SelectContent) From Exam_MContent Where Model='1'"));
    EXPECT_EQ(sum->Fields(0).ToInt(), 15);
    auto none = gConn->Execute(QStringLiteral("Select Sum(SelectContent) From Exam_MContent Where Model='4'"));
    ASSERT_FALSE(none->Eof());
    EXPECT_TRUE(none->Fields(0).IsNull());

    EXPECT_EQ(Query(QStringLiteral("Select * From Exam_ThemeChapter"))->RecordCount(), 3);

    auto quota = Query(QStringLiteral("Select Model,ThemeChapter,ThemeFraction,SelectContent From Exam_MContent "
                                      "Where [Model]='2' And ThemeChapter=1 And ThemeType = 2"));
    quota->MoveLast();
    quota->MoveFirst();
    ASSERT_EQ(quota->RecordCount(), 2);
    EXPECT_EQ(quota->Fields(QStringLiteral("ThemeFraction")).Type(), Ado::Variant::Kind::Integer);
    EXPECT_EQ(quota->Fields(QStringLiteral("ThemeFraction")).ToInt(), 3);
    EXPECT_EQ(quota->Fields(QStringLiteral("SelectContent")).ToInt16(), 3);

    auto questions =
        Query(QStringLiteral("Select ThemeID,ThemeChapter,ThemeAnswer From Exam_Theme Where ThemeChapter = 2 And "
                             "Themetype = 3"));
    ASSERT_EQ(questions->RecordCount(), 6);
    EXPECT_EQ(questions->Fields(QStringLiteral("ThemeID")).ToInt(), 116);
    EXPECT_EQ(Plain(questions->Fields(QStringLiteral("ThemeAnswer"))), QStringLiteral("134"));
}

TEST_F(ModSystemDatabaseTest, PaperIdGoesInUnquotedAndIsKeptAsItsDigits)
{
    InsertPaper();
    auto paper = Query(QStringLiteral("Select * From Exam_ThemePaper Order By ExamID"));
    ASSERT_EQ(paper->RecordCount(), 3);
    const Ado::Variant paperId = paper->Fields(QStringLiteral("ExamPaperID"));
    EXPECT_EQ(paperId.Type(), Ado::Variant::Kind::Text);
    EXPECT_EQ(paperId.ToString(), QString::fromLatin1(kPaperId));
    EXPECT_TRUE(paper->Fields(QStringLiteral("StudentAnswer")).IsNull());
    EXPECT_EQ(paper->Fields(QStringLiteral("StudentDf")), Ado::Variant(0));

    auto unordered = gConn->Execute(QStringLiteral("Select * From Exam_ThemePaper"));
    for (int examId = 1; examId <= 3; ++examId, unordered->MoveNext()) {
        EXPECT_EQ(unordered->Fields(QStringLiteral("ExamID")).ToInt(), examId);
    }

    gConn->Execute(QStringLiteral("Delete From Exam_ThemePaper"));
    EXPECT_EQ(Query(QStringLiteral("Select * From Exam_ThemePaper"))->RecordCount(), 0);
}

TEST_F(ModSystemDatabaseTest, ExamScreenQueriesJoinQuestionsAndPaper)
{
    InsertPaper();
    auto mock = Query(QStringLiteral("Select * From Exam_Theme,Exam_ThemePaper Where [Exam_ThemePaper.ExamPaperID] = "
                                     "'%1' And [Exam_Theme.ThemeID] = [Exam_ThemePaper.ThemeID] Order By "
                                     "[Exam_ThemePaper.ExamID]")
                          .arg(kPaperId));
    ASSERT_EQ(mock->RecordCount(), 3);
    const int expectedThemes[] = {112, 113, 118};
    for (int examId = 1; examId <= 3; ++examId, mock->MoveNext()) {
        EXPECT_EQ(mock->Fields(QStringLiteral("ExamID")).ToInt(), examId);
        EXPECT_EQ(mock->Fields(QStringLiteral("Exam_Theme.ThemeID")).ToInt(), expectedThemes[examId - 1]);
        EXPECT_EQ(mock->Fields(QStringLiteral("Exam_ThemePaper.ThemeFraction")).ToInt(), examId + 1);
        EXPECT_TRUE(mock->Fields(QStringLiteral("StudentAnswer")).IsNull());
        EXPECT_TRUE(mock->Fields(QStringLiteral("ThemeImage")).IsNull());
    }
    mock->MoveFirst();
    EXPECT_EQ(Plain(mock->Fields(QStringLiteral("ThemeContent"))),
              QStringLiteral("第一章判断题12：安全生产人人有责。"));
    EXPECT_EQ(Plain(mock->Fields(QStringLiteral("ThemeAnswer1"))), QStringLiteral("正确"));
    EXPECT_EQ(mock->Fields(QStringLiteral("ThemeType")).ToInt16(), 1);
    // Both tables have ThemeAnswer: each is reached by its table name, and the paper holds a copy.
    EXPECT_EQ(Plain(mock->Fields(QStringLiteral("Exam_ThemePaper.ThemeAnswer"))), QStringLiteral("2"));
    EXPECT_EQ(mock->Fields(QStringLiteral("Exam_Theme.ThemeAnswer")),
              mock->Fields(QStringLiteral("Exam_ThemePaper.ThemeAnswer")));

    EXPECT_EQ(Query(QStringLiteral("Select * From Exam_Theme,Exam_ThemePaper Where [Exam_ThemePaper.ExamPaperID] = "
                                   "'0' And [Exam_Theme.ThemeID] = [Exam_ThemePaper.ThemeID] Order By "
                                   "[Exam_ThemePaper.ExamID]"))
                  ->RecordCount(),
              0);

    auto wrong = Query(QStringLiteral("Select * From Exam_Theme,Exam_ThemePaper Where [Exam_Theme.ThemeID] = "
                                      "[Exam_ThemePaper.ThemeID] Order By [Exam_ThemePaper.ExamID]"));
    ASSERT_EQ(wrong->RecordCount(), 3);
    wrong->MoveLast();
    EXPECT_EQ(wrong->Fields(QStringLiteral("ExamID")).ToInt(), 3);
}

TEST_F(ModSystemDatabaseTest, PracticeQueriesSelectByChapterAndTradeCondition)
{
    auto chapter = Query(QStringLiteral("Select * From Exam_Theme Where ThemeChapter = 3 Order By ThemeID"));
    ASSERT_EQ(chapter->RecordCount(), 4);
    EXPECT_EQ(chapter->Fields(QStringLiteral("ThemeID")).ToInt(), 122);
    // A true/false question's empty options 3 and 4 decipher to padding only.
    ClQuAK cipher;
    std::u16string plain;
    ASSERT_TRUE(DecipherQuestionText(
        cipher, GetQuestionKey(), chapter->Fields(QStringLiteral("ThemeAnswer3")).ToString().toStdU16String(), plain));
    EXPECT_EQ(plain, std::u16string(32, u'\0'));
    EXPECT_EQ(Plain(chapter->Fields(QStringLiteral("ThemeAnswer2"))), QStringLiteral("错误"));

    auto sheetMetal = Query(QStringLiteral("Select * From Exam_Theme Where ") +
                            QString::fromUtf16(ChapterFilterSheetMetal) + QStringLiteral(" Order By ThemeID"));
    EXPECT_EQ(sheetMetal->RecordCount(), 12 + 3 + 6 + 1);
    auto painting = Query(QStringLiteral("Select * From Exam_Theme Where ") +
                          QString::fromUtf16(ChapterFilterPainting) + QStringLiteral(" Order By ThemeID"));
    EXPECT_EQ(painting->RecordCount(), 12 + 3 + 4);
    painting->MoveLast();
    EXPECT_EQ(painting->Fields(QStringLiteral("ThemeChapter")).ToInt(), 3);

    auto withPicture = Query(QStringLiteral("Select * From Exam_Theme Where ThemeChapter = 2 Order By ThemeID"));
    withPicture->MoveNext();
    const Ado::Variant picture = withPicture->Fields(QStringLiteral("ThemeImage"));
    ASSERT_EQ(picture.Type(), Ado::Variant::Kind::Bytes);
    EXPECT_TRUE(picture.ToBytes().startsWith("\x89PNG"));
}

TEST_F(ModSystemDatabaseTest, AnswersAreStoredClearedReadAndScored)
{
    InsertPaper();
    gConn->Execute(QStringLiteral("Update Exam_ThemePaper Set StudentAnswer = 'ABCD' Where ExamID= 2"));
    gConn->Execute(QStringLiteral("Update Exam_ThemePaper Set StudentAnswer = 'EF' Where ExamID= 3"));
    gConn->Execute(QStringLiteral("Update Exam_ThemePaper Set StudentAnswer = Null Where ExamID= 3"));

    auto answer = gConn->Execute(QStringLiteral("Select StudentAnswer From Exam_ThemePaper Where ExamPaperID = '%1' "
                                                "And ExamID = 2")
                                     .arg(kPaperId));
    EXPECT_EQ(answer->Fields(0).ToString(), QStringLiteral("ABCD"));
    EXPECT_TRUE(gConn->Execute(QStringLiteral("Select * From Exam_ThemePaper Where ExamID = 3"))
                    ->Fields(QStringLiteral("StudentAnswer"))
                    .IsNull());

    gConn->Execute(QStringLiteral("Update Exam_ThemePaper Set StudentDf = 1 * ThemeFraction Where ExamID= 2"));
    gConn->Execute(QStringLiteral("Update Exam_ThemePaper Set StudentDf = 1 * ThemeFraction Where ExamID= 3"));
    gConn->Execute(QStringLiteral("Update Exam_ThemePaper Set StudentDf = 0 Where ExamID= 3"));
    auto score = gConn->Execute(QStringLiteral("Select Sum(StudentDf) From Exam_ThemePaper"));
    EXPECT_EQ(score->Fields(0), Ado::Variant(3));

    gConn->Execute(QStringLiteral("Delete From Exam_ThemePaper"));
    EXPECT_TRUE(gConn->Execute(QStringLiteral("Select Sum(StudentDf) From Exam_ThemePaper"))->Fields(0).IsNull());
}

TEST_F(ModSystemDatabaseTest, KeySlotsHoldTheDefaultsAndTakeChanges)
{
    const char* codes[] = {"65", "66", "8", "103", "105", "104", "97", "98", "99", "100", "101", "102"};
    const char16_t* names[] = {u"A",     u"B",     u"←",     u"Num 7", u"Num 9", u"Num 8",
                               u"Num 1", u"Num 2", u"Num 3", u"Num 4", u"Num 5", u"Num 6"};
    for (int id = 1; id <= 12; ++id) {
        auto slot = gConn->Execute(QStringLiteral("Select * From Sys_KeyCfg Where ID=") + QString::number(id));
        ASSERT_EQ(slot->RecordCount(), 1);
        EXPECT_EQ(slot->Fields(QStringLiteral("KeyCode")).Type(), Ado::Variant::Kind::Text);
        EXPECT_EQ(slot->Fields(QStringLiteral("KeyCode")).ToString(), QLatin1String(codes[id - 1]));
        EXPECT_EQ(slot->Fields(QStringLiteral("KeyValues")).ToString(), QString::fromUtf16(names[id - 1]));
    }

    gConn->Execute(QStringLiteral("Update Sys_KeyCfg Set [KeyCode]='222',KeyValues='''' Where ID=4"));
    gConn->Execute(QStringLiteral("Update Sys_KeyCfg Set [KeyCode]=Null,KeyValues='' Where ID=1"));
    auto changed = gConn->Execute(QStringLiteral("Select * From Sys_KeyCfg Where ID=4"));
    EXPECT_EQ(changed->Fields(QStringLiteral("KeyCode")).ToInt(), 222);
    EXPECT_EQ(changed->Fields(QStringLiteral("KeyValues")).ToString(), QStringLiteral("'"));
    auto emptied = gConn->Execute(QStringLiteral("Select * From Sys_KeyCfg Where ID=1"));
    EXPECT_TRUE(emptied->Fields(QStringLiteral("KeyCode")).IsNull());
    EXPECT_EQ(emptied->Fields(QStringLiteral("KeyValues")), Ado::Variant(QString()));
}

} // namespace
