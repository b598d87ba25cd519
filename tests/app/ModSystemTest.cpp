// Shared program state, title texts and the opening discipline of the shared connection.
#include "BankFixture.h"

#include "App.h"
#include "ModSystem.h"
#include "QuestionText.h"
#include "Recordset.h"
#include "RuntimeError.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

using namespace ModSystem;

TEST(ModSystemTest, SafeAssignStringTakesTextsBelow65536Characters)
{
    QString target = QStringLiteral("old");
    SafeAssignString(target, QString(65535, u'x'));
    EXPECT_EQ(target.size(), 65535);

    SafeAssignString(target, QString(65536, u'y'));
    EXPECT_EQ(target, QString(65535, u'x'));

    SafeAssignString(target, QString());
    EXPECT_TRUE(target.isEmpty());
}

TEST(ModSystemTest, TitleIsProductYearAndRunTogetherVersion)
{
    EXPECT_EQ(GetProductTitle(), App::ProductName() + QStringLiteral(" 2015"));
    // Version 1.0.0: minor and revision run together without a separator.
    EXPECT_EQ(GetVersionText(), QStringLiteral(" V1.00"));
    EXPECT_EQ(GetSystemTitle(), QStringLiteral("车身修复与涂装理论考试练习系统 2015 V1.00"));
}

TEST(ModSystemTest, ValueSetsMatchTheBankTexts)
{
    EXPECT_EQ(QString::fromUtf16(TradeSheetMetal), QStringLiteral("钣金（车身修复）技术人员"));
    EXPECT_EQ(QString::fromUtf16(TradePainting), QStringLiteral("涂漆（车身涂装）技术人员"));
    EXPECT_EQ(QString::fromUtf16(TradeNone), QStringLiteral("无"));
    EXPECT_EQ(ModeSequentialPractice, 4);
}

TEST(ModSystemTest, ConnectionStringNamesTheBankInTheProgramFolder)
{
    qkmtest::BankFixture fixture;
    EXPECT_EQ(ConnectionString(), QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source= ") + fixture.Dir() +
                                      QStringLiteral("\\QKMExam_L.DLL;jet oledb:database password=pRKm*4xTv7^3q^;"
                                                     "Persist Security Info=False"));
}

class ModSystemConnectionTest : public ::testing::Test {
protected:
    qkmtest::BankFixture mFixture;
};

TEST_F(ModSystemConnectionTest, OpeningTwiceOpensOnceAndCloseReleases)
{
    mFixture.BuildFromData();
    OpenDatabase();
    ASSERT_NE(gConn, nullptr);
    Ado::Connection* first = gConn.get();
    EXPECT_EQ(gConn->State(), Ado::adStateOpen);
    EXPECT_EQ(gConn->CursorLocation(), Ado::adUseClient);

    gConn->SetCursorLocation(Ado::adUseServer);
    OpenDatabase();
    EXPECT_EQ(gConn.get(), first);
    EXPECT_EQ(gConn->State(), Ado::adStateOpen);
    EXPECT_EQ(gConn->CursorLocation(), Ado::adUseClient);

    CloseDatabase();
    EXPECT_EQ(gConn, nullptr);

    // The next user gets a fresh connection on the same bank.
    OpenDatabase();
    ASSERT_NE(gConn, nullptr);
    EXPECT_EQ(gConn->Execute(QStringLiteral("Select * From Exam_ThemeChapter"))->RecordCount(), 3);
}

TEST_F(ModSystemConnectionTest, ClosingWithoutAConnectionLeavesAClosedObject)
{
    CloseDatabase();
    ASSERT_NE(gConn, nullptr);
    EXPECT_EQ(gConn->State(), Ado::adStateClosed);
    CloseDatabase();
    EXPECT_NE(gConn, nullptr);
}

TEST_F(ModSystemConnectionTest, MissingOrForeignFilesRaiseRuntimeErrors)
{
    EXPECT_THROW(OpenDatabase(), RuntimeError);
    ASSERT_NE(gConn, nullptr);
    EXPECT_EQ(gConn->State(), Ado::adStateClosed);

    QFile notABank(mFixture.BankPath());
    ASSERT_TRUE(notABank.open(QIODevice::WriteOnly));
    notABank.write("[System]\r\nExamTime=60\r\n");
    notABank.close();
    EXPECT_THROW(OpenDatabase(), RuntimeError);

    // An empty file would open as an empty database and fail later on a missing table, without
    // naming the file; it is refused at the open, by name.
    ASSERT_TRUE(notABank.open(QIODevice::WriteOnly | QIODevice::Truncate));
    notABank.close();
    try {
        OpenDatabase();
        ADD_FAILURE() << "an empty bank file opens";
    } catch (const RuntimeError& e) {
        EXPECT_TRUE(e.Description().startsWith(QStringLiteral("file is empty, not a question bank: ")))
            << e.Description().toStdString();
        EXPECT_TRUE(e.Description().endsWith(QStringLiteral("/QKMExam_L.DLL"))) << e.Description().toStdString();
    }
    EXPECT_EQ(gConn->State(), Ado::adStateClosed);
    EXPECT_EQ(QFileInfo(mFixture.BankPath()).size(), 0);
}

TEST_F(ModSystemConnectionTest, WrongPasswordRaisesRuntimeError)
{
    mFixture.BuildFromData();
    QString connectionString = ConnectionString();
    connectionString.replace(QString::fromUtf16(kQuestionBankPassword), QStringLiteral("pRKm*4xTv7^3q!"));
    Ado::Connection connection;
    EXPECT_THROW(connection.Open(connectionString), RuntimeError);
    EXPECT_EQ(connection.State(), Ado::adStateClosed);
}

} // namespace
