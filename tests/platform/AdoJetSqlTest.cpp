#include "JetSql.h"

#include <gtest/gtest.h>

using Ado::JetToSqlite;

namespace {

TEST(AdoJetSql, BracketedTableDotColumnBecomesAQualifiedName)
{
    EXPECT_EQ(JetToSqlite(QStringLiteral("Select * From Exam_Theme,Exam_ThemePaper Where [Exam_ThemePaper.ExamPaperID] "
                                         "= '20261208191000' And [Exam_Theme.ThemeID] = [Exam_ThemePaper.ThemeID] "
                                         "Order By [Exam_ThemePaper.ExamID]")),
              QStringLiteral("Select * From Exam_Theme,Exam_ThemePaper Where [Exam_ThemePaper].[ExamPaperID] = "
                             "'20261208191000' And [Exam_Theme].[ThemeID] = [Exam_ThemePaper].[ThemeID] Order By "
                             "[Exam_ThemePaper].[ExamID]"));
}

TEST(AdoJetSql, EverythingSQLiteReadsAlikeIsLeftAsWritten)
{
    // Statements of the program that need no change, as they are written there.
    for (const char16_t* text : {
             u"Delete From Exam_ThemePaper",
             u"Select * From Exam_Model Where ApplyType='涂漆（车身涂装）技术人员' And ModelStatus = 1",
             u"Select Sum(SelectContent) From Exam_MContent Where Model='1'",
             u"Select Model,ThemeChapter,ThemeFraction,SelectContent From Exam_MContent Where [Model]='1' And "
             u"ThemeChapter=2 And ThemeType = 3",
             u"Select ThemeID,ThemeChapter,ThemeAnswer From Exam_Theme Where ThemeChapter = 1 And Themetype = 2",
             u"Insert Into Exam_ThemePaper(ExamID,ExamPaperID,ThemeID,ThemeFraction,ThemeAnswer) Values "
             u"(1,20261208191000,17,1.5,'AB12  CD')",
             u"Select * From Exam_Theme Where ThemeChapter > 0 And ThemeChapter < 3 Order By ThemeID",
             u"Update Exam_ThemePaper Set StudentDf = 1 * ThemeFraction Where ExamID= 3",
             u"Update Sys_KeyCfg Set [KeyCode]=Null,KeyValues='' Where ID=4",
         }) {
        const QString sql = QString::fromUtf16(text);
        EXPECT_EQ(JetToSqlite(sql), sql);
    }
}

TEST(AdoJetSql, TextLiteralsAreNeverChanged)
{
    const QString sql = QStringLiteral("Update Sys_KeyCfg Set [KeyCode]='219',KeyValues='[a.b]' Where ID=7");
    EXPECT_EQ(JetToSqlite(sql), sql);
    const QString doubled = QStringLiteral("Update Sys_KeyCfg Set [KeyCode]='222',KeyValues=''' [x.y] ''' Where ID=7");
    EXPECT_EQ(JetToSqlite(doubled), doubled);
    EXPECT_EQ(JetToSqlite(QStringLiteral("Select 'it''s' , [T.C]")), QStringLiteral("Select 'it''s' , [T].[C]"));
}

TEST(AdoJetSql, UnfinishedTextIsCopiedForTheEngineToRefuse)
{
    EXPECT_EQ(JetToSqlite(QStringLiteral("Select 'open [a.b]")), QStringLiteral("Select 'open [a.b]"));
    EXPECT_EQ(JetToSqlite(QStringLiteral("Select [a.b")), QStringLiteral("Select [a.b"));
    EXPECT_EQ(JetToSqlite(QString()), QString());
}

} // namespace
