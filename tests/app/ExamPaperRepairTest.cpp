// The exam screen opens the paper the bank holds even when STheme.cfg names another one, as a
// program killed between the two, or a second program generating at the same moment, leaves it.
#include "ExamTestSupport.h"
#include "BankSource.h"
#include "ModSystem.h"

#include <Label.h>
#include <QuButton.h>

#include <QFile>
#include <gtest/gtest.h>

using namespace ModSystem;

class ExamPaperRepair : public qkmtest::ProgramFixture, public ::testing::Test {};

TEST_F(ExamPaperRepair, AStaleConfigIsMendedFromTheBankBeforeTheScreenReadsIt)
{
    BuildFromSource(Bank::ParseSourceFile(QFile::encodeName(DemoSourcePath()).toStdString()));
    gApplyType = QString::fromUtf16(TradeSheetMetal);
    ASSERT_EQ(CreateExamPaper(), PaperStatus::Created);
    const QString paperId = gExamPaperID;
    // Another program's paper id, and no exam time.
    QFile file(FilePath(QStringLiteral("STheme.cfg")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[System]\r\nExamPaperID=20990101000000\r\n");
    file.close();

    Form& exam = qkmtest::OpenExam(ModeMockExam);
    ASSERT_TRUE(exam.IsLoaded());
    EXPECT_EQ(exam.Array<QuButton>(QStringLiteral("CmdSelect"), 49).Caption(), QStringLiteral("50"));
    EXPECT_TRUE(exam.Array<QuButton>(QStringLiteral("CmdSelect"), 49).Visible());
    EXPECT_EQ(qkmtest::Caption(exam, QStringLiteral("LabTime")), QStringLiteral("01:00:00"));
    EXPECT_TRUE(qkmtest::Caption(exam, QStringLiteral("LabExamTheme")).startsWith(QStringLiteral("1 、")));
    ReadConfig config;
    config.OpenIni(FilePath(QStringLiteral("STheme.cfg")));
    EXPECT_EQ(config.GetString(QStringLiteral("System"), QStringLiteral("ExamPaperID"), QString()), paperId);
    exam.Unload();
}
