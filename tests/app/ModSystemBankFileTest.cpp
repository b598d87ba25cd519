// Question-bank files as qkm-bank builds them: the source format's checks, the all-or-nothing
// build, the deciphered listing, and the demo bank with a mock-exam paper of each trade.
#include "BankFixture.h"

#include "BankBuilder.h"
#include "BankSource.h"
#include "ModSystem.h"
#include "ReadConfig.h"
#include "Recordset.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace ModSystem;

std::string ParseError(const std::string& text)
{
    try {
        Bank::ParseSource(text, ".", "bank.txt");
    } catch (const Bank::BankError& e) {
        return e.what();
    }
    return "no error";
}

TEST(BankSourceTest, MistakesAreReportedWithTheirLine)
{
    EXPECT_EQ(ParseError("[question]\nchapter = 1\ntype = 2\ntext = x\noption = a\noption = b\nanswer = 3\n"),
              "bank.txt:1: answer digit 3 names no option");
    EXPECT_EQ(ParseError("[question]\nchapter = 1\ntype = 2\ntext = x\noption = a\noption = b\nanswer = 12\n"),
              "bank.txt:1: the answer must be one option digit");
    EXPECT_EQ(ParseError("\n[model]\ntrade = t\nmodel = 1\nquota = 1 1 x 5\n"),
              "bank.txt:5: quota points is not a number: \"x\"");
    EXPECT_EQ(ParseError("[key]\nid = 13\n"), "bank.txt:1: key slot id must be 1 to 12");
    EXPECT_EQ(ParseError("chapter = 1\n"), "bank.txt:1: \"chapter\" outside a section");
    EXPECT_EQ(ParseError("[questions]\n"), "bank.txt:1: unknown section [questions]");
    EXPECT_EQ(ParseError("[question]\nid = 4\nchapter = 1\ntype = 1\ntext = a\nanswer = 1\n"
                         "[question]\nid = 4\nchapter = 1\ntype = 1\ntext = b\nanswer = 1\n"),
              "bank.txt:7: question id 4 is not positive or given twice");
}

// What the program would refuse or misread, refused before anything is written, at the line at fault.
std::string CheckError(const std::string& text)
{
    try {
        Bank::CheckSource(Bank::ParseSource(
            text, QFile::encodeName(qkmtest::BankFixture::DataPath(QString())).toStdString(), "bank.txt"));
    } catch (const Bank::BankError& e) {
        return e.what();
    }
    return "no error";
}

TEST(BankSourceTest, SourcesTheProgramWouldRefuseOrMisreadAreRefusedAtTheirLine)
{
    const std::string valid = "[chapter]\nid = 1\nname = A\n[chapter]\nid = 2\nname = B\n"  // lines 1-6
                              "[model]\ntrade = T\nmodel = 1\ntime = 60\nquota = 1 1 2 1\n" // lines 7-11
                              "[question]\nchapter = 1\ntype = 1\ntext = q\nanswer = 1\n";  // lines 12-16
    const auto with = [&valid](const std::string& from, const std::string& to) {
        std::string text = valid;
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? text : text.replace(at, from.size(), to);
    };
    EXPECT_EQ(CheckError(valid), "no error");
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {with("quota = 1 1 2 1", "quota = 3 1 2 1"), "bank.txt:11: quota chapter 3 is not in the chapter list"},
        {with("quota = 1 1 2 1", "quota = 1 4 2 1"), "bank.txt:11: quota type 4 is not 1, 2 or 3"},
        {with("quota = 1 1 2 1", "quota = 1 1 2 2"),
         "bank.txt:11: the quota asks for 2 questions of chapter 1, type 1; the source has 1"},
        {with("quota = 1 1 2 1", "quota = 1 1 2 0"), "bank.txt:11: a quota asks for 1 question or more"},
        {with("quota = 1 1 2 1", "quota = 1 1 inf 1"), "bank.txt:11: quota points is not a number: \"inf\""},
        {with("quota = 1 1 2 1", "quota = 1 1 40000 1"),
         "bank.txt:7: a paper of model 1 holds 40000 points, beyond the score's -32768 to 32767"},
        {with("quota = 1 1 2 1\n", ""), "bank.txt:7: model 1 has no quota"},
        {with("model = 1", "model = X1"), "bank.txt:9: model id \"X1\" is not a whole number"},
        {with("time = 60", "time = 547"), "bank.txt:10: exam time 547 is not 1 to 546 minutes"},
        {with("time = 60\n", ""), "bank.txt:7: exam time 0 is not 1 to 546 minutes"},
        {valid + "[model]\ntrade = U\nmodel = 1\nstatus = 0\n",
         "bank.txt:19: model id 1 is already used by the model at line 7"},
        {with("chapter = 1\ntype", "chapter = 3\ntype"),
         "bank.txt:13: question 1: chapter 3 is not in the chapter list"},
        {with("id = 2", "id = 3"), "bank.txt:5: chapter 3 leaves a gap: chapters are numbered 1 to 2"},
        {"", "bank.txt:1: the source holds no question"},
        {with("trade = T", "trade = T\nstatus = 0"), "bank.txt:1: the source holds no active exam model"},
        {valid + "picture = pictures/none.png\n", "bank.txt:17: picture pictures/none.png does not exist"},
        {valid + "picture = pictures\n", "bank.txt:17: picture pictures is a folder"},
        {with("text = q", "text = 😀"), "bank.txt:15: text holds characters outside code page 936: 😀"},
        {with("text = q", "text = q\noption = 한"), "bank.txt:16: option holds characters outside code page 936: 한"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CheckError(c.text), c.error) << c.text;
    }
}

TEST(BankSourceTest, DefaultsFillWhatTheSourceLeavesOut)
{
    const Bank::Source source = Bank::ParseSource("[question]\nchapter = 2\ntype = 3\ntext = q\noption = a\n"
                                                  "option = b\noption = c\nanswer = 31\n"
                                                  "[question]\nchapter = 1\ntype = 1\ntext = t\nanswer = 2\n"
                                                  "[key]\nid = 5\ncode =\nname = x\n",
                                                  ".");
    ASSERT_EQ(source.Questions.size(), 2u);
    EXPECT_EQ(source.Questions[0].Id, 1);
    EXPECT_EQ(source.Questions[0].Answer, "13");
    EXPECT_EQ(source.Questions[1].Options, (std::vector<std::string>{"正确", "错误"}));
    ASSERT_EQ(source.Chapters.size(), 3u);
    EXPECT_EQ(source.Chapters[2].Name, "车身涂装G模块");
    ASSERT_EQ(source.Keys.size(), 12u);
    EXPECT_FALSE(source.Keys[4].Code.has_value());
    EXPECT_EQ(source.Keys[4].Name, "");
    EXPECT_EQ(source.Keys[2].Name, "←");
    EXPECT_EQ(source.Keys[2].Code, 8);
}

TEST(BankBuildTest, FailedBuildKeepsTheExistingBank)
{
    qkmtest::BankFixture fixture;
    fixture.BuildFromData();
    const QByteArray before = [&] {
        QFile file(fixture.BankPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    ASSERT_FALSE(before.isEmpty());

    EXPECT_THROW(fixture.BuildFromText("[question]\nchapter = 1\ntype = 1\ntext = t\nanswer = 1\n"
                                       "picture = pictures/missing.png\n"),
                 Bank::BankError);
    EXPECT_THROW(fixture.BuildFromText("[question]\nchapter = 1\ntype = 1\ntext = 한국어\nanswer = 1\n"),
                 Bank::BankError);
    QFile after(fixture.BankPath());
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
    EXPECT_EQ(QDir(fixture.Dir()).entryList(QDir::Files), QStringList{QStringLiteral("QKMExam_L.DLL")});
}

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// qkm-bank itself: a source it refuses ends it with status 1 and the file and line at fault, keeping
// the bank that was there; a build removes what builds killed midway left, but not a running one's.
TEST(BankBuildTest, ToolRefusesKeepingTheOldBankAndClearsKilledBuilds)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("bank.txt"));
    const QString bank = dir.filePath(QStringLiteral("QKMExam_L.DLL"));
    const auto write = [](const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    const auto run = [&](QString* errors) {
        QProcess tool;
        tool.start(QStringLiteral(QKM_BANK_TOOL), {QStringLiteral("build"), source, bank});
        EXPECT_TRUE(tool.waitForFinished(60000));
        *errors = QString::fromUtf8(tool.readAllStandardError());
        return tool.exitCode();
    };
    const QByteArray valid = "[model]\ntrade = T\nmodel = 1\ntime = 60\nquota = 1 1 2 1\n"
                             "[question]\nchapter = 1\ntype = 1\ntext = q\nanswer = 1\n";
    write(source, valid);
    const QString killed = bank + QStringLiteral(".building-999999999");
    const QString running = bank + QStringLiteral(".building-1");
    write(killed, QByteArray(4096, 'x'));
    write(running, QByteArray(4096, 'x'));
    QString errors;
    ASSERT_EQ(run(&errors), 0) << errors.toStdString();
    EXPECT_FALSE(QFile::exists(killed));
    EXPECT_TRUE(QFile::exists(running));
    const QByteArray built = FileBytes(bank);

    write(source, QByteArray(valid).replace("quota = 1 1 2 1", "quota = 1 1 2 5"));
    EXPECT_EQ(run(&errors), 1);
    EXPECT_EQ(errors, QStringLiteral("qkm-bank: %1:5: the quota asks for 5 questions of chapter 1, type 1; the source "
                                     "has 1\n")
                          .arg(source));
    write(source, QByteArray());
    EXPECT_EQ(run(&errors), 1);
    EXPECT_EQ(errors, QStringLiteral("qkm-bank: %1:1: the source holds no question\n").arg(source));
    EXPECT_EQ(FileBytes(bank), built);
}

TEST(BankBuildTest, ListingDecipherssTextsAndRefusesOtherFiles)
{
    qkmtest::BankFixture fixture;
    fixture.BuildFromData();
    const std::string listing = Bank::List(fixture.BankPath().toStdString());
    EXPECT_NE(listing.find("第二章判断题：这道题的题目文字比一个密码块长，需要两个块存放。"), std::string::npos);
    EXPECT_NE(listing.find("  [116] 章节 2 多选题\n    第二章多选题1\n    1 、甲\n    2 、乙\n    3 、丙\n    4 、丁\n"
                           "    答案: 134\n"),
              std::string::npos);
    EXPECT_NE(listing.find("图片: "), std::string::npos);
    EXPECT_NE(listing.find("  模板 2 涂漆（车身涂装）技术人员 启用 考试时间 90 分钟\n"), std::string::npos);
    EXPECT_NE(listing.find("  3 8 ←\n"), std::string::npos);
    EXPECT_EQ(listing.find("无法解密"), std::string::npos);

    EXPECT_THROW(Bank::List(fixture.FilePath(QStringLiteral("none.DLL")).toStdString()), Bank::BankError);
    QFile text(fixture.FilePath(QStringLiteral("System.ini")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(QByteArray(4096, 'x'));
    text.close();
    EXPECT_THROW(Bank::List(text.fileName().toStdString()), Bank::BankError);
}

class DemoBankTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mSource = Bank::ParseSourceFile(qkmtest::BankFixture::DemoSourcePath().toStdString());
        mFixture.BuildFromSource(mSource);
    }

    qkmtest::BankFixture mFixture;
    Bank::Source mSource;
};

TEST_F(DemoBankTest, EveryModuleHasEnoughQuestionsOfEveryType)
{
    std::map<std::pair<int, int>, int> counts;
    int pictures = 0;
    for (const Bank::Question& q : mSource.Questions) {
        ++counts[{q.Chapter, q.Type}];
        pictures += q.Picture.empty() ? 0 : 1;
    }
    for (int chapter = 1; chapter <= 3; ++chapter) {
        for (int type = 1; type <= 3; ++type) {
            EXPECT_GE((counts[{chapter, type}]), 15) << chapter << "/" << type;
        }
    }
    EXPECT_GE(pictures, 4);
    EXPECT_LE(pictures, 6);

    int active = 0;
    for (const Bank::ExamModel& model : mSource.Models) {
        if (model.Status != 1) {
            continue;
        }
        ++active;
        int questions = 0;
        double points = 0;
        for (const Bank::Quota& quota : model.Quotas) {
            questions += quota.Count;
            points += quota.Count * quota.Points;
            EXPECT_LT(quota.Count, (counts[{quota.Chapter, quota.Type}])) << "draw would not be random";
        }
        EXPECT_EQ(questions, 50) << model.Trade;
        EXPECT_EQ(points, 100) << model.Trade;
    }
    EXPECT_EQ(active, 2);

    const std::string listing = Bank::List(mFixture.BankPath().toStdString());
    EXPECT_NE(listing.find("    1 、正确\n    2 、错误\n"), std::string::npos);
    EXPECT_NE(listing.find("车身修复F模块"), std::string::npos);
    EXPECT_NE(listing.find(mSource.Questions.back().Text), std::string::npos);
    EXPECT_EQ(listing.find("无法解密"), std::string::npos);
}

TEST_F(DemoBankTest, EachTradeGetsAFiftyQuestionPaper)
{
    const struct {
        const char16_t* trade;
        int examTime;
        int trainingChapter;
    } trades[] = {{TradeSheetMetal, 60, 2}, {TradePainting, 90, 3}};
    for (const auto& t : trades) {
        gApplyType = QString::fromUtf16(t.trade);
        PaperRandom random(2015);
        ASSERT_EQ(CreateExamPaper(random), PaperStatus::Created);
        EXPECT_EQ(gExamTime, t.examTime);

        auto bank = mFixture.OpenBank();
        auto rs = bank->Execute(QStringLiteral("Select * From Exam_Theme,Exam_ThemePaper Where "
                                               "[Exam_ThemePaper.ExamPaperID] = '%1' And [Exam_Theme.ThemeID] = "
                                               "[Exam_ThemePaper.ThemeID] Order By [Exam_ThemePaper.ExamID]")
                                    .arg(gExamPaperID));
        ASSERT_EQ(rs->RecordCount(), 50);
        int examId = 0;
        int points = 0;
        std::pair<int, int> previous{0, 0};
        for (; !rs->Eof(); rs->MoveNext()) {
            EXPECT_EQ(rs->Fields(QStringLiteral("ExamID")).ToInt(), ++examId);
            const int type = rs->Fields(QStringLiteral("ThemeType")).ToInt();
            const int chapter = rs->Fields(QStringLiteral("ThemeChapter")).ToInt();
            EXPECT_TRUE(chapter == 1 || chapter == t.trainingChapter);
            EXPECT_GE(std::make_pair(type, chapter), previous);
            previous = {type, chapter};
            EXPECT_EQ(rs->Fields(QStringLiteral("Exam_ThemePaper.ThemeFraction")).ToInt(), type);
            points += rs->Fields(QStringLiteral("Exam_ThemePaper.ThemeFraction")).ToInt();
        }
        EXPECT_EQ(points, 100);

        QFile cfg(mFixture.FilePath(QStringLiteral("STheme.cfg")));
        ASSERT_TRUE(cfg.open(QIODevice::ReadOnly));
        const QByteArray expected = "[System]\r\nExamTime=" + QByteArray::number(t.examTime) +
                                    "\r\nThemeCount=50\r\nExamPaperID=" + gExamPaperID.toLatin1() + "\r\n";
        EXPECT_TRUE(cfg.readAll().replace("\r\n", "\n").contains(QByteArray(expected).replace("\r\n", "\n")));
    }
}

} // namespace
