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

#include <sys/stat.h>

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
              "bank.txt:7: question id 4 is given twice");
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

// qkm-bank refuses a source whose bank the program would refuse or misread, or that it could not
// read without waiting forever: status 1, the file and line at fault, and the bank that was there
// kept byte for byte. What it accepts it builds, and it warns of a trade the program offers that
// would get no paper. A build removes what builds killed midway left, but not a running one's.
TEST(BankBuildTest, ToolRefusesWhatTheProgramWouldMisreadKeepingTheOldBankAndClearsKilledBuilds)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("bank.txt"));
    const QString bank = dir.filePath(QStringLiteral("QKMExam_L.DLL"));
    const auto write = [](const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    const QString pictures = dir.filePath(QStringLiteral("pictures"));
    ASSERT_TRUE(QDir().mkdir(pictures));
    ASSERT_TRUE(QFile::copy(qkmtest::BankFixture::DataPath(QStringLiteral("pictures/weld.png")),
                            pictures + QStringLiteral("/weld.png")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pictures + QStringLiteral("/pipe.png")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(pictures + QStringLiteral("/pipe.png"), pictures + QStringLiteral("/pipelink.png")));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), pictures + QStringLiteral("/zero.png")));
    ASSERT_TRUE(QFile::link(pictures + QStringLiteral("/weld.png"), pictures + QStringLiteral("/link.png")));

    // A tool that hangs is stopped and reported rather than holding the suite.
    const auto run = [&](const std::string& text, QString* errors) {
        write(source, QByteArray::fromStdString(text));
        QProcess tool;
        tool.start(QStringLiteral(QKM_BANK_TOOL), {QStringLiteral("build"), source, bank});
        if (!tool.waitForFinished(60000)) {
            tool.kill();
            tool.waitForFinished();
            *errors = QStringLiteral("<hangs>");
            return -1;
        }
        *errors = QString::fromUtf8(tool.readAllStandardError());
        return tool.exitCode();
    };
    const auto warning = [&source](const char16_t* trade) {
        return QStringLiteral("qkm-bank: warning: %1: no active exam model for the trade %2: the program offers it, "
                              "but a mock exam of it can get no paper\n")
            .arg(source, QString::fromUtf16(trade));
    };
    const QString bothWarnings = warning(TradeSheetMetal) + warning(TradePainting);

    const std::string valid = "[chapter]\nid = 1\nname = A\n[chapter]\nid = 2\nname = B\n"  // lines 1-6
                              "[model]\ntrade = T\nmodel = 1\ntime = 60\nquota = 1 1 2 1\n" // lines 7-11
                              "[question]\nchapter = 1\ntype = 1\ntext = q\nanswer = 1\n";  // lines 12-16
    const auto with = [&valid](const std::string& from, const std::string& to) {
        std::string text = valid;
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? text : text.replace(at, from.size(), to);
    };
    const auto lineEnds = [](std::string text, const std::string& end) {
        for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + end.size())) {
            text.replace(at, 1, end);
        }
        return text;
    };
    std::string manyCharacters;
    for (int i = 0; i < 65536; ++i) {
        manyCharacters += "题";
    }

    const QString killed = bank + QStringLiteral(".building-999999999");
    const QString running = bank + QStringLiteral(".building-1");
    write(killed, QByteArray(4096, 'x'));
    write(running, QByteArray(4096, 'x'));
    QString errors;
    ASSERT_EQ(run(valid, &errors), 0) << errors.toStdString();
    EXPECT_EQ(errors, bothWarnings);
    EXPECT_FALSE(QFile::exists(killed));
    EXPECT_TRUE(QFile::exists(running));
    QByteArray built = FileBytes(bank);

    // An empty error: the source is accepted (and the bank rebuilt).
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
        {with("quota = 1 1 2 1", "quota = 1 1 20000 1\nquota = 2 1 20000 1") +
             "[question]\nchapter = 2\ntype = 1\ntext = r\nanswer = 1\n",
         "bank.txt:7: a paper of model 1 holds 40000 points, beyond the score's -32768 to 32767"},
        {with("quota = 1 1 2 1", "quota = 1 1 2 1\nquota = 1 1 1e300 1"),
         "bank.txt:12: quota points 1e+300 are beyond the score's -32768 to 32767"},
        {with("quota = 1 1 2 1\n", ""), "bank.txt:7: model 1 has no quota"},
        {with("model = 1", "model = X1"), "bank.txt:9: model id \"X1\" is not a whole number"},
        {with("time = 60", "time = 547"), "bank.txt:10: exam time 547 is not 1 to 546 minutes"},
        {with("time = 60\n", ""), "bank.txt:7: exam time 0 is not 1 to 546 minutes"},
        {valid + "[model]\ntrade = U\nmodel = 1\nstatus = 0\n",
         "bank.txt:19: model id 1 is already used by the model at line 7"},
        // An inactive model is checked as an active one: it is made active in the bank itself.
        {valid + "[model]\ntrade = U\nmodel = 2\nstatus = 0\ntime = 60\nquota = 1 1 1e300 1\n",
         "bank.txt:22: quota points 1e+300 are beyond the score's -32768 to 32767"},
        {valid + "[model]\ntrade = U\nmodel = 2\nstatus = 0\ntime = 60\nquota = 1 1 2 -5\n",
         "bank.txt:22: a quota asks for 1 question or more"},
        {valid + "[model]\ntrade = U\nmodel = 2\nstatus = 0\ntime = 60\nquota = 1 1 2 9\n",
         "bank.txt:22: the quota asks for 9 questions of chapter 1, type 1; the source has 1"},
        {with("chapter = 1\ntype", "chapter = 3\ntype"),
         "bank.txt:13: question 1: chapter 3 is not in the chapter list"},
        {with("id = 2", "id = 3"), "bank.txt:5: chapter 3 leaves a gap: chapters are numbered 1 to 2"},
        {"", "bank.txt:1: the source holds no question"},
        {with("trade = T", "trade = T\nstatus = 0"), "bank.txt:1: the source holds no active exam model"},
        {with("[question]\n", "[question]\nid = 2147483647\n"), ""},
        {with("[question]\n", "[question]\nid = 2147483648\n"),
         "bank.txt:13: question id 2147483648 is not 1 to 2147483647"},
        {with("[question]\n", "[question]\nid = 2147483647\n") + "[question]\nchapter = 1\ntype = 1\ntext = r\n"
                                                                 "answer = 1\n",
         "bank.txt:18: question id 2147483648 (the one after the highest) is not 1 to 2147483647"},
        // Pictures: only a regular file is read, also through a link.
        {valid + "picture = pictures/none.png\n", "bank.txt:17: picture pictures/none.png does not exist"},
        {valid + "picture = pictures\n", "bank.txt:17: picture pictures is a folder"},
        {valid + "picture = pictures/pipe.png\n",
         "bank.txt:17: picture pictures/pipe.png is a FIFO, not a regular file"},
        {valid + "picture = pictures/pipelink.png\n",
         "bank.txt:17: picture pictures/pipelink.png is a FIFO, not a regular file"},
        {valid + "picture = pictures/zero.png\n",
         "bank.txt:17: picture pictures/zero.png is a device, not a regular file"},
        {valid + "picture = pictures/link.png\n", ""},
        // Texts the exam screen would misread: its length limit counts the padding's NULs.
        {with("text = q", "text = 😀"), "bank.txt:15: text holds characters outside code page 936: 😀"},
        {with("text = q", "text = q\noption = 한"), "bank.txt:16: option holds characters outside code page 936: 한"},
        {with("text = q", std::string("text = q\0r", 10)),
         "bank.txt:15: the line holds a NUL character; the source must be UTF-8 text"},
        {with("text = q", "text = " + std::string(65504, 'x')), ""},
        {with("text = q", "text = " + std::string(65505, 'x')),
         "bank.txt:15: text is 65536 characters as the program reads it (padding included); it shows only texts "
         "below 65536"},
        {with("text = q", "text = q\noption = " + manyCharacters),
         "bank.txt:16: option is 65536 characters as the program reads it (padding included); it shows only texts "
         "below 65536"},
        // Line ends CR LF, LF or CR alone, counted alike.
        {lineEnds(valid, "\r"), ""},
        {lineEnds(with("quota = 1 1 2 1", "quota = 1 1 2 2"), "\r"),
         "bank.txt:11: the quota asks for 2 questions of chapter 1, type 1; the source has 1"},
        {lineEnds(with("time = 60", "time = 547"), "\r\n"), "bank.txt:10: exam time 547 is not 1 to 546 minutes"},
    };
    for (const auto& c : cases) {
        const int status = run(c.text, &errors);
        if (c.error.empty()) {
            EXPECT_EQ(status, 0) << errors.toStdString();
            EXPECT_EQ(errors, bothWarnings);
            built = FileBytes(bank);
            continue;
        }
        EXPECT_EQ(status, 1) << c.error;
        EXPECT_EQ(errors, QStringLiteral("qkm-bank: ") + dir.path() + u'/' + QString::fromStdString(c.error) + u'\n');
        EXPECT_TRUE(FileBytes(bank) == built) << "the bank changed: " << c.error;
    }

    // A source of one trade builds, with a warning naming the other.
    ASSERT_EQ(run(with("trade = T", "trade = " + QString::fromUtf16(TradeSheetMetal).toStdString()), &errors), 0);
    EXPECT_EQ(errors, warning(TradePainting));
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
