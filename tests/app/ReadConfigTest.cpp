#include "ReadConfig.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ReadConfigTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(mDir.isValid()); }

    QString Path(const QString& name = QStringLiteral("STheme.cfg")) const { return mDir.filePath(name); }

    void WriteBytes(const QByteArray& bytes) const
    {
        QFile file(Path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    QByteArray ReadBytes() const
    {
        QFile file(Path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir mDir;
    ReadConfig mIni;
};

TEST_F(ReadConfigTest, OpeningAMissingFileCreatesItEmptyAndReturnsFalse)
{
    EXPECT_FALSE(mIni.OpenIni(Path()));
    EXPECT_TRUE(mIni.IsOpen());
    EXPECT_EQ(ReadBytes(), QByteArray());
    EXPECT_EQ(mIni.GetString(QStringLiteral("System"), QStringLiteral("ExamPaperID"), QStringLiteral("0")),
              QStringLiteral("0"));
    EXPECT_EQ(mIni.GetLong(QStringLiteral("CompanyInfo"), QStringLiteral("Company"), 0), 0);
    EXPECT_EQ(mIni.GetAllSection(), QString());
}

TEST_F(ReadConfigTest, OpeningKeepsAnExistingFileAndASecondOpenKeepsTheFirstPath)
{
    WriteBytes("[SystemConfig]\r\nAutoKey=1\r\n");
    mIni.OpenIni(Path());
    EXPECT_FALSE(mIni.OpenIni(Path(QStringLiteral("Other.ini"))));
    EXPECT_EQ(mIni.FileName(), Path());
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("Other.ini"))));
    EXPECT_EQ(mIni.GetLong(QStringLiteral("SystemConfig"), QStringLiteral("AutoKey"), 0), 1);
}

TEST_F(ReadConfigTest, ClosedInstanceDoesNothingAndReturnsEmptyResults)
{
    WriteBytes("[S]\r\nk=5\r\n");
    EXPECT_EQ(mIni.GetLong(QStringLiteral("S"), QStringLiteral("k"), 7), 0) << "not even the default";
    EXPECT_EQ(mIni.GetString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("d")), QString());
    EXPECT_FALSE(mIni.SetString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("6")));
    EXPECT_FALSE(mIni.CloseIni());

    mIni.OpenIni(Path());
    EXPECT_TRUE(mIni.CloseIni());
    EXPECT_FALSE(mIni.CloseIni());
    EXPECT_FALSE(mIni.DelAllKeyWord(QStringLiteral("S")));
    EXPECT_EQ(ReadBytes(), "[S]\r\nk=5\r\n");

    EXPECT_FALSE(mIni.OpenIni(Path(QStringLiteral("New.ini"))));
    EXPECT_EQ(mIni.FileName(), Path(QStringLiteral("New.ini"))) << "a closed instance takes a new file";
}

TEST_F(ReadConfigTest, SetStringWritesButNotAnEmptyValue)
{
    mIni.OpenIni(Path());
    EXPECT_TRUE(mIni.SetString(QStringLiteral("SystemConfig"), QStringLiteral("AutoKey"), QStringLiteral("1")));
    EXPECT_FALSE(mIni.SetString(QStringLiteral("SystemConfig"), QStringLiteral("AutoKey"), QString()));
    EXPECT_EQ(ReadBytes(), "[SystemConfig]\r\nAutoKey=1\r\n");
    EXPECT_TRUE(mIni.DelKeyWord(QStringLiteral("systemconfig"), QStringLiteral("autokey")));
    EXPECT_EQ(ReadBytes(), "[SystemConfig]\r\n");
}

TEST_F(ReadConfigTest, ChineseValuesReadBackAsText)
{
    mIni.OpenIni(Path());
    const QString trade = QStringLiteral("涂漆（车身涂装）技术人员");
    ASSERT_TRUE(mIni.SetString(QStringLiteral("交易"), QStringLiteral("工种"), trade));
    EXPECT_EQ(mIni.GetString(QStringLiteral("交易"), QStringLiteral("工种"), QString()), trade);
    EXPECT_EQ(ReadBytes().size(), QByteArray("[]\r\n=\r\n").size() + 2 * (2 + 2 + trade.size()))
        << "two bytes per character in code page 936";
}

TEST_F(ReadConfigTest, LongValueIsCutToTheBuffer)
{
    WriteBytes("[S]\r\nk=" + QByteArray(70000, 'x') + "\r\n");
    mIni.OpenIni(Path());
    EXPECT_EQ(mIni.GetString(QStringLiteral("S"), QStringLiteral("k"), QString()).size(), 65499);
}

TEST_F(ReadConfigTest, ListsAreNulSeparated)
{
    WriteBytes("[System]\r\nExamTime=90\r\nThemeCount=50\r\n[1]\r\nThemeID=3\r\n");
    mIni.OpenIni(Path());
    EXPECT_EQ(mIni.GetAllSection(), QString::fromUtf16(u"System\u00001\u0000", 9));
    EXPECT_EQ(mIni.GetAllKeyWord(QStringLiteral("system")), QString::fromUtf16(u"ExamTime\u0000ThemeCount\u0000", 20));
}

TEST_F(ReadConfigTest, AddKeyWordAppendsAfterTheExistingKeysInOrder)
{
    WriteBytes("[S]\r\nA=1\r\nB=2\r\n[T]\r\nx=1\r\n");
    mIni.OpenIni(Path());
    EXPECT_TRUE(mIni.AddKeyWord(QStringLiteral("S"), QStringLiteral("C"), QStringLiteral("3")));
    EXPECT_EQ(ReadBytes(), "[S]\r\nA=1\r\nB=2\r\nC=3\r\n[T]\r\nx=1\r\n");
}

TEST_F(ReadConfigTest, AddKeyWordNeverChangesAnExistingKey)
{
    WriteBytes("[System]\r\nExamTime=90\r\n");
    mIni.OpenIni(Path());
    EXPECT_FALSE(mIni.AddKeyWord(QStringLiteral("System"), QStringLiteral("examtime"), QStringLiteral("60")));
    EXPECT_EQ(mIni.GetLong(QStringLiteral("System"), QStringLiteral("ExamTime"), 0), 90);
}

TEST_F(ReadConfigTest, PaperFileIsWrittenInOrderAfterDeletingItsSection)
{
    // The paper generator's sequence on a file that did not exist.
    mIni.OpenIni(Path());
    EXPECT_TRUE(mIni.DelAllKeyWord(QStringLiteral("System")));
    EXPECT_TRUE(mIni.AddKeyWord(QStringLiteral("System"), QStringLiteral("ExamTime"), QStringLiteral("90")));
    EXPECT_TRUE(mIni.AddKeyWord(QStringLiteral("System"), QStringLiteral("ThemeCount"), QStringLiteral("50")));
    EXPECT_TRUE(
        mIni.AddKeyWord(QStringLiteral("System"), QStringLiteral("ExamPaperID"), QStringLiteral("20261208191000")));
    EXPECT_TRUE(mIni.AddKeyWord(QStringLiteral("1"), QStringLiteral("ThemeID"), QStringLiteral("17")));
    EXPECT_TRUE(mIni.AddKeyWord(QStringLiteral("1"), QStringLiteral("ThemeFraction"), QStringLiteral("2")));
    EXPECT_EQ(ReadBytes(), "[System]\r\nExamTime=90\r\nThemeCount=50\r\nExamPaperID=20261208191000\r\n"
                           "[1]\r\nThemeID=17\r\nThemeFraction=2\r\n");

    // A second paper: the old [System] goes first, so the new keys are written again.
    EXPECT_TRUE(mIni.DelAllKeyWord(QStringLiteral("System")));
    EXPECT_TRUE(mIni.AddKeyWord(QStringLiteral("System"), QStringLiteral("ExamTime"), QStringLiteral("60")));
    EXPECT_EQ(mIni.GetString(QStringLiteral("System"), QStringLiteral("ExamTime"), QStringLiteral("0")),
              QStringLiteral("60"));
}

TEST_F(ReadConfigTest, AddSectionAddsOnlyASectionOfANewName)
{
    WriteBytes("[System]\r\nk=1\r\n");
    mIni.OpenIni(Path());
    EXPECT_FALSE(mIni.AddSection(QStringLiteral("SYSTEM")));
    EXPECT_TRUE(mIni.AddSection(QStringLiteral("Sys"))) << "a longer name holding it is another section";
    EXPECT_EQ(ReadBytes(), "[System]\r\nk=1\r\n[Sys]\r\n");
    EXPECT_EQ(mIni.GetAllSection(), QString::fromUtf16(u"System\u0000Sys\u0000", 11));
}

TEST_F(ReadConfigTest, AddingToAFileDeletedAfterOpeningFailsAndCreatesNothing)
{
    mIni.OpenIni(Path());
    ASSERT_TRUE(QFile::remove(Path()));
    EXPECT_FALSE(mIni.AddSection(QStringLiteral("S")));
    EXPECT_FALSE(mIni.AddKeyWord(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_FALSE(QFile::exists(Path()));
    EXPECT_TRUE(mIni.SetString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v")))
        << "other members pass the request on, and the platform creates the file";
}

TEST_F(ReadConfigTest, WindowsSeparatorInTheProgramFolderPath)
{
    mIni.OpenIni(mDir.path() + QStringLiteral("\\System.ini"));
    EXPECT_TRUE(QFile::exists(Path(QStringLiteral("System.ini"))));
    EXPECT_TRUE(mIni.SetString(QStringLiteral("SystemConfig"), QStringLiteral("AutoKey"), QStringLiteral("0")));
    EXPECT_EQ(mIni.GetLong(QStringLiteral("SystemConfig"), QStringLiteral("AutoKey"), 5), 0);
}

} // namespace
