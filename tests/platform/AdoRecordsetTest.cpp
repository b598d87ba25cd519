#include "AdoTestBank.h"

#include "Connection.h"
#include "Recordset.h"
#include "RuntimeError.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Ado;

namespace {

class AdoRecordsetTest : public ::testing::Test {
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

    template <typename Action> long ErrorOf(Action action)
    {
        try {
            action();
        } catch (const RuntimeError& error) {
            return error.Number();
        }
        return 0;
    }

    QTemporaryDir mDir;
    Connection mConnection;
};

// --- navigation -------------------------------------------------------------------------------

TEST_F(AdoRecordsetTest, OpensOnTheFirstRowWithAnExactCount)
{
    Recordset rs = OpenQuery(QStringLiteral("Select * From Exam_Theme Where ThemeChapter = 1 Order By ThemeID"));
    EXPECT_EQ(rs.State(), adStateOpen);
    EXPECT_EQ(rs.RecordCount(), 3);
    EXPECT_EQ(rs.AbsolutePosition(), 1);
    EXPECT_FALSE(rs.Bof());
    EXPECT_FALSE(rs.Eof());
    EXPECT_EQ(rs.Fields(QStringLiteral("ThemeID")).ToInt(), 1);
}

TEST_F(AdoRecordsetTest, MovingToAndPastBothEnds)
{
    Recordset rs = OpenQuery(QStringLiteral("Select ThemeID From Exam_Theme Where ThemeChapter = 1 Order By ThemeID"));
    rs.MoveNext();
    rs.MoveNext();
    EXPECT_EQ(rs.AbsolutePosition(), 3);
    EXPECT_FALSE(rs.Eof());
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
    EXPECT_FALSE(rs.Bof());
    EXPECT_EQ(rs.AbsolutePosition(), adPosEOF);
    EXPECT_EQ(ErrorOf([&] { rs.MoveNext(); }), adErrNoCurrentRecord);
    EXPECT_EQ(ErrorOf([&] { rs.Fields(0); }), adErrNoCurrentRecord);
    rs.MovePrevious();
    EXPECT_EQ(rs.Fields(0).ToInt(), 3) << "back from EOF onto the last row";

    rs.MoveFirst();
    rs.MovePrevious();
    EXPECT_TRUE(rs.Bof());
    EXPECT_EQ(rs.AbsolutePosition(), adPosBOF);
    EXPECT_EQ(ErrorOf([&] { rs.MovePrevious(); }), adErrNoCurrentRecord);
    rs.MoveNext();
    EXPECT_EQ(rs.Fields(0).ToInt(), 1);

    rs.MoveLast();
    EXPECT_EQ(rs.AbsolutePosition(), 3);
    rs.Move(-1);
    EXPECT_EQ(rs.Fields(0).ToInt(), 2);
    rs.Move(10);
    EXPECT_TRUE(rs.Eof());
    rs.Move(-10);
    EXPECT_TRUE(rs.Bof());
    EXPECT_EQ(ErrorOf([&] { rs.Move(-1); }), adErrNoCurrentRecord);
}

TEST_F(AdoRecordsetTest, AbsolutePositionJumpsWithinOneToRecordCount)
{
    Recordset rs = OpenQuery(QStringLiteral("Select ThemeID From Exam_Theme Order By ThemeID"));
    rs.SetAbsolutePosition(5);
    EXPECT_EQ(rs.Fields(0).ToInt(), 5);
    EXPECT_EQ(rs.AbsolutePosition(), 5);
    rs.MoveNext();
    EXPECT_EQ(rs.AbsolutePosition(), 6);
    EXPECT_EQ(ErrorOf([&] { rs.SetAbsolutePosition(0); }), adErrInvalidArgument);
    EXPECT_EQ(ErrorOf([&] { rs.SetAbsolutePosition(7); }), adErrInvalidArgument);
    EXPECT_EQ(rs.AbsolutePosition(), 6) << "a refused jump leaves the position";
    rs.MoveNext();
    rs.SetAbsolutePosition(1);
    EXPECT_FALSE(rs.Eof()) << "a jump leaves EOF";
}

TEST_F(AdoRecordsetTest, EmptyResultIsAtBothEnds)
{
    Recordset rs = OpenQuery(QStringLiteral("Select * From Exam_Theme Where ThemeChapter = 9"));
    EXPECT_EQ(rs.State(), adStateOpen);
    EXPECT_TRUE(rs.Eof());
    EXPECT_TRUE(rs.Bof());
    EXPECT_EQ(rs.RecordCount(), 0);
    EXPECT_EQ(rs.AbsolutePosition(), adPosUnknown);
    EXPECT_EQ(ErrorOf([&] { rs.MoveFirst(); }), adErrNoCurrentRecord);
    EXPECT_EQ(ErrorOf([&] { rs.MoveLast(); }), adErrNoCurrentRecord);
    EXPECT_EQ(ErrorOf([&] { rs.MoveNext(); }), adErrNoCurrentRecord);
    EXPECT_EQ(ErrorOf([&] { rs.SetAbsolutePosition(1); }), adErrInvalidArgument);
    EXPECT_EQ(rs.FieldCount(), 10) << "the columns are known without rows";
}

TEST_F(AdoRecordsetTest, RequerySeesNewRowsAndStandsOnTheFirst)
{
    Recordset rs = OpenQuery(QStringLiteral("Select * From Exam_ThemePaper Order By ExamID"));
    EXPECT_EQ(rs.RecordCount(), 0);
    mConnection.Execute(QStringLiteral("Insert Into Exam_ThemePaper(ExamID,ExamPaperID,ThemeID,ThemeFraction,"
                                       "ThemeAnswer) Values (2,20261208191000,1,2,'A')"));
    mConnection.Execute(QStringLiteral("Insert Into Exam_ThemePaper(ExamID,ExamPaperID,ThemeID,ThemeFraction,"
                                       "ThemeAnswer) Values (1,20261208191000,4,2,'A')"));
    EXPECT_EQ(rs.RecordCount(), 0) << "rows were read at open";
    rs.Requery(adOptionUnspecified);
    EXPECT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs.AbsolutePosition(), 1);
    EXPECT_EQ(rs.Fields(QStringLiteral("ExamID")).ToInt(), 1);
}

TEST_F(AdoRecordsetTest, RowsOutliveTheirConnectionButRequeryDoesNot)
{
    Recordset rs = OpenQuery(QStringLiteral("Select * From Sys_KeyCfg Order By ID"));
    mConnection.Close();
    rs.MoveLast();
    EXPECT_EQ(rs.Fields(QStringLiteral("ID")).ToInt(), 12);
    EXPECT_EQ(ErrorOf([&] { rs.Requery(); }), adErrObjectClosed);
}

TEST_F(AdoRecordsetTest, ClosedRecordsetRefusesEverything)
{
    Recordset rs;
    EXPECT_EQ(rs.State(), adStateClosed);
    EXPECT_EQ(ErrorOf([&] { rs.Eof(); }), adErrObjectClosed);
    EXPECT_EQ(ErrorOf([&] { rs.RecordCount(); }), adErrObjectClosed);
    EXPECT_EQ(ErrorOf([&] { rs.Fields(0); }), adErrObjectClosed);
    EXPECT_EQ(ErrorOf([&] { rs.Close(); }), adErrObjectClosed);
    rs.Open(QStringLiteral("Select * From Sys_KeyCfg"), mConnection, adOpenKeyset, adLockReadOnly);
    EXPECT_EQ(ErrorOf([&] { rs.Open(QStringLiteral("Select 1"), mConnection); }), adErrObjectOpen);
    rs.Close();
    EXPECT_EQ(rs.State(), adStateClosed);
    rs.Open(QStringLiteral("Select * From Exam_Theme"), mConnection);
    EXPECT_EQ(rs.RecordCount(), 6) << "a closed recordset opens again";
}

TEST_F(AdoRecordsetTest, OpenOnAClosedConnectionRaises)
{
    Connection closed;
    Recordset rs;
    EXPECT_EQ(ErrorOf([&] { rs.Open(QStringLiteral("Select 1"), closed); }), adErrObjectClosed);
    EXPECT_EQ(rs.State(), adStateClosed);
}

// --- fields -----------------------------------------------------------------------------------

TEST_F(AdoRecordsetTest, FieldsByNameWithoutCaseAndByIndex)
{
    Recordset rs = OpenQuery(QStringLiteral("Select * From Sys_KeyCfg Where ID=7"));
    EXPECT_EQ(rs.Fields(QStringLiteral("keyvalues")).ToString(), QStringLiteral("K7"));
    EXPECT_EQ(rs.Fields(0).ToInt(), 7);
    EXPECT_EQ(rs.Fields(2), rs.Fields(QStringLiteral("KeyValues")));
    EXPECT_EQ(rs.FieldName(1), QStringLiteral("KeyCode"));
    EXPECT_EQ(ErrorOf([&] { rs.Fields(QStringLiteral("Nothing")); }), adErrItemNotFound);
    EXPECT_EQ(ErrorOf([&] { rs.Fields(3); }), adErrItemNotFound);
    EXPECT_EQ(ErrorOf([&] { rs.Fields(-1); }), adErrItemNotFound);
}

TEST_F(AdoRecordsetTest, ColumnsOfTheSameNameInAJoinAreReachedThroughTheirTable)
{
    mConnection.Execute(QStringLiteral("Insert Into Exam_ThemePaper(ExamID,ExamPaperID,ThemeID,ThemeFraction,"
                                       "ThemeAnswer) Values (1,20261208191000,5,1.5,'PAPER')"));
    Recordset rs = OpenQuery(QStringLiteral("Select * From Exam_Theme,Exam_ThemePaper Where "
                                            "[Exam_Theme.ThemeID] = [Exam_ThemePaper.ThemeID] Order By "
                                            "[Exam_ThemePaper.ExamID]"));
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields(QStringLiteral("Exam_ThemePaper.ThemeAnswer")).ToString(), QStringLiteral("PAPER"));
    EXPECT_EQ(rs.Fields(QStringLiteral("exam_theme.themeanswer")).ToString(), QStringLiteral("AC"));
    EXPECT_EQ(rs.Fields(QStringLiteral("Exam_Theme.ThemeID")).ToInt(), 5);
    EXPECT_EQ(ErrorOf([&] { rs.Fields(QStringLiteral("ThemeAnswer")); }), adErrItemNotFound)
        << "an ambiguous name must not silently pick one table's column";
    EXPECT_EQ(rs.Fields(QStringLiteral("ThemeContent")).ToString(), QStringLiteral("C5"));
    EXPECT_EQ(rs.Fields(QStringLiteral("Exam_ThemePaper.StudentAnswer")), rs.Fields(QStringLiteral("StudentAnswer")));
    EXPECT_EQ(rs.FieldName(0), QStringLiteral("Exam_Theme.ThemeID"));
    EXPECT_EQ(rs.FieldName(1), QStringLiteral("ThemeChapter"));
}

TEST_F(AdoRecordsetTest, ValuesComeBackAsTheirKinds)
{
    Recordset rs = OpenQuery(QStringLiteral("Select * From Exam_Theme Where ThemeID = 2"));
    EXPECT_EQ(rs.Fields(QStringLiteral("ThemeType")).Type(), Variant::Kind::Integer);
    EXPECT_EQ(rs.Fields(QStringLiteral("ThemeContent")).Type(), Variant::Kind::Text);
    EXPECT_EQ(rs.Fields(QStringLiteral("ThemeAnswer3")).ToString(), QStringLiteral("C2"));
    const Variant picture = rs.Fields(QStringLiteral("ThemeImage"));
    ASSERT_EQ(picture.Type(), Variant::Kind::Bytes);
    EXPECT_EQ(picture.ToBytes(), QByteArray("\x89PNG\r\n\x1A\n\x00\xFF", 10)) << "NUL bytes survive";

    rs.Close();
    rs.Open(QStringLiteral("Select * From Exam_Theme Where ThemeID = 1"), mConnection);
    EXPECT_TRUE(rs.Fields(QStringLiteral("ThemeImage")).IsNull());
    EXPECT_EQ(rs.Fields(QStringLiteral("ThemeAnswer3")).ToString(), QString()) << "empty text, not Null";
    EXPECT_FALSE(rs.Fields(QStringLiteral("ThemeAnswer3")).IsNull());

    rs.Close();
    rs.Open(QStringLiteral("Select * From Exam_MContent Where ThemeType = 3"), mConnection);
    EXPECT_EQ(rs.Fields(QStringLiteral("ThemeFraction")).Type(), Variant::Kind::Double);
    EXPECT_EQ(rs.Fields(QStringLiteral("ThemeFraction")).ToString(), QStringLiteral("1.5"));
}

TEST_F(AdoRecordsetTest, ChineseTextRoundTrips)
{
    Recordset rs = OpenQuery(QStringLiteral("Select * From Exam_Model Where ApplyType='钣金（车身修复）技术人员' "
                                            "And ModelStatus = 1"));
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields(QStringLiteral("ApplyType")).ToString(), QStringLiteral("钣金（车身修复）技术人员"));
}

} // namespace
