// The paper in the bank and STheme.cfg under faults: two programs generating at once, another
// program reading the bank meanwhile, kills at random moments and between the database and the
// file, a failing rename and a failing commit. After each, the bank and STheme.cfg must name the
// same whole paper, as the exam screen finds them. The other programs are child processes of this
// executable running PaperChildProcess.Run.
#include "BankFixture.h"

#include "BankSource.h"
#include "ModSystem.h"
#include "PrivateProfile.h"
#include "Recordset.h"
#include "RuntimeError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>

namespace {

using namespace ModSystem;

// Rounds of the loops: 40 unless QKM_FAULT_ROUNDS asks for more (or fewer).
int Rounds()
{
    bool ok = false;
    const int rounds = qEnvironmentVariableIntValue("QKM_FAULT_ROUNDS", &ok);
    return ok && rounds > 0 ? rounds : 40;
}

// ---------------------------------------------------------------------------------------------
// The child: another program on the same program folder (QKMEXAM_DIR is inherited)

void Say(const std::string& line)
{
    std::printf("@ %s\n", line.c_str());
    std::fflush(stdout);
}

std::string Generate(std::uint64_t seed)
{
    PaperRandom random(seed);
    try {
        return std::to_string(static_cast<int>(CreateExamPaper(random)));
    } catch (const RuntimeError& error) {
        return "error " + error.Description().toStdString();
    }
}

TEST(PaperChildProcess, Run)
{
    const std::string command = qEnvironmentVariable("QKM_PAPER_CHILD").toStdString();
    if (command.empty()) {
        GTEST_SKIP() << "runs only as the child process of the paper fault tests";
    }
    gApplyType = QString::fromUtf16(TradeSheetMetal);
    std::istringstream words(command);
    std::string verb;
    words >> verb;
    if (verb == "serve") {
        // A line "gen <seed> <delay ms>" on stdin generates a paper after the delay and answers its status.
        std::string line;
        while (std::getline(std::cin, line)) {
            std::istringstream in(line);
            std::string request;
            std::uint64_t seed = 0;
            int delay = 0;
            in >> request >> seed >> delay;
            if (request != "gen") {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(delay));
            Say(Generate(seed));
        }
    } else if (verb == "loop") {
        // Papers one after another until killed, each step told as it is reached. Each step then takes
        // 10 ms, as on a slow disk, so that random kills land between every two steps.
        gPaperStepHook = [](PaperStep step) {
            Say("step " + std::to_string(static_cast<int>(step)));
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        };
        Say("ready");
        for (std::uint64_t seed = 1;; ++seed) {
            Say("generating");
            Generate(seed);
        }
    } else if (verb == "kill-at") {
        int step = 0;
        words >> step;
        gPaperStepHook = [step](PaperStep at) {
            if (static_cast<int>(at) == step) {
                std::raise(SIGKILL);
            }
        };
        Say(Generate(5));
    } else if (verb == "hold-read") {
        // A program showing a question: a read of the bank that holds its shared lock for a while.
        int milliseconds = 0;
        words >> milliseconds;
        OpenDatabase();
        gConn->Execute(QStringLiteral("BEGIN"));
        gConn->Execute(QStringLiteral("Select * From Exam_Theme"));
        Say("locked");
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        gConn->Execute(QStringLiteral("COMMIT"));
        Say("released");
    } else {
        FAIL() << "unknown child command " << command;
    }
}

// ---------------------------------------------------------------------------------------------
// The parent side

class ChildProgram {
public:
    explicit ChildProgram(const QString& command)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QKM_PAPER_CHILD"), command);
        mProcess.setProcessEnvironment(env);
        mProcess.setProgram(QCoreApplication::applicationFilePath());
        mProcess.setArguments({QStringLiteral("--gtest_filter=PaperChildProcess.Run")});
        mProcess.setProcessChannelMode(QProcess::SeparateChannels);
        mProcess.start();
    }
    ~ChildProgram()
    {
        mProcess.closeWriteChannel();
        if (!mProcess.waitForFinished(10000)) {
            Kill();
        }
    }
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    // Written at once: QProcess would otherwise hold the line until the next wait on this child.
    void Send(const std::string& line)
    {
        mProcess.write(QByteArray::fromStdString(line + "\n"));
        mProcess.waitForBytesWritten(10000);
    }

    // The child's next "@ " line without the prefix; "<none>" when it ends or falls silent first.
    std::string NextLine(int timeoutMs = 30000)
    {
        for (;;) {
            const qsizetype end = mBuffer.indexOf('\n');
            if (end >= 0) {
                const QByteArray line = mBuffer.left(end);
                mBuffer.remove(0, end + 1);
                if (line.startsWith("@ ")) {
                    return line.mid(2).toStdString();
                }
                continue;
            }
            if (!mProcess.waitForReadyRead(timeoutMs)) {
                mBuffer += mProcess.readAllStandardOutput();
                if (mBuffer.indexOf('\n') < 0) {
                    return "<none>";
                }
                continue;
            }
            mBuffer += mProcess.readAllStandardOutput();
        }
    }

    void Kill()
    {
        mProcess.kill();
        mProcess.waitForFinished(10000);
    }

    // The last "@ " line the child wrote before it ended.
    std::string LastLine()
    {
        std::string last;
        for (std::string line = NextLine(0); line != "<none>"; line = NextLine(0)) {
            last = line;
        }
        return last;
    }

    QProcess& Process() { return mProcess; }

private:
    QProcess mProcess;
    QByteArray mBuffer;
};

struct ExpectedPaper {
    int Rows;
    int ExamTime;
    int ThemeCount;
};

// Empty when the bank holds one whole paper (ExamID 1 to n of one paper id, as many rows as the model
// draws) and STheme.cfg names exactly it: its id, the model's exam time and question count, and each
// entry's question and points; otherwise what is wrong.
std::string PairProblem(const qkmtest::BankFixture& fixture, const ExpectedPaper& expected)
{
    std::unique_ptr<Ado::Connection> bank = fixture.OpenBank();
    std::unique_ptr<Ado::Recordset> paper =
        bank->Execute(QStringLiteral("Select * From Exam_ThemePaper Order By ExamID"));
    const Profile::ProfileDocument cfg(fixture.FilePath(QStringLiteral("STheme.cfg")));
    const auto value = [&cfg](const QString& section, const char* key) {
        return cfg.Value(section, QLatin1String(key)).value_or(QStringLiteral("<missing>"));
    };
    if (paper->RecordCount() != expected.Rows) {
        return "the bank holds " + std::to_string(paper->RecordCount()) + " paper rows";
    }
    const QString paperId = paper->Fields(QStringLiteral("ExamPaperID")).ToString();
    if (value(QStringLiteral("System"), "ExamPaperID") != paperId) {
        return "STheme.cfg names paper " + value(QStringLiteral("System"), "ExamPaperID").toStdString() +
               ", the bank holds " + paperId.toStdString();
    }
    if (value(QStringLiteral("System"), "ExamTime") != QString::number(expected.ExamTime) ||
        value(QStringLiteral("System"), "ThemeCount") != QString::number(expected.ThemeCount)) {
        return "STheme.cfg has exam time " + value(QStringLiteral("System"), "ExamTime").toStdString() +
               " and question count " + value(QStringLiteral("System"), "ThemeCount").toStdString();
    }
    for (int examId = 1; !paper->Eof(); ++examId, paper->MoveNext()) {
        const QString section = QString::number(examId);
        if (paper->Fields(QStringLiteral("ExamID")).ToInt() != examId ||
            paper->Fields(QStringLiteral("ExamPaperID")).ToString() != paperId) {
            return "paper row " + std::to_string(examId) + " belongs to another paper or place";
        }
        if (value(section, "ThemeID") != paper->Fields(QStringLiteral("ThemeID")).ToString() ||
            value(section, "ThemeFraction") != paper->Fields(QStringLiteral("ThemeFraction")).ToString()) {
            return "STheme.cfg section [" + section.toStdString() + "] names another question";
        }
    }
    if (cfg.Value(QString::number(expected.Rows + 1), QStringLiteral("ThemeID"))) {
        return "STheme.cfg names more questions than the paper holds";
    }
    return {};
}

// Files the generators left beside the bank and STheme.cfg. The engine's own journal is not one: a
// killed transaction's is rolled back by the next reader, and one that a kill left without a header
// stays (ignored) until the next write.
QStringList Leftovers(const qkmtest::BankFixture& fixture)
{
    QStringList files = QDir(fixture.Dir()).entryList(QDir::Files | QDir::Hidden);
    files.removeAll(QStringLiteral("QKMExam_L.DLL"));
    files.removeAll(QStringLiteral("QKMExam_L.DLL-journal"));
    files.removeAll(QStringLiteral("STheme.cfg"));
    return files;
}

constexpr ExpectedPaper kSmallBankPaper{15, 60, 15};

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The paper in the bank, row by row, to tell whether it changed.
QStringList BankPaper(const qkmtest::BankFixture& fixture)
{
    std::unique_ptr<Ado::Recordset> paper =
        fixture.OpenBank()->Execute(QStringLiteral("Select * From Exam_ThemePaper Order By ExamID"));
    QStringList rows;
    for (; !paper->Eof(); paper->MoveNext()) {
        rows << paper->Fields(QStringLiteral("ExamID")).ToString() + u' ' +
                    paper->Fields(QStringLiteral("ExamPaperID")).ToString() + u' ' +
                    paper->Fields(QStringLiteral("ThemeID")).ToString();
    }
    return rows;
}

// What the exam screen's load does first: mend STheme.cfg from the bank. The connection it leaves
// open is closed again, as the next program would not share it.
bool Repair()
{
    const bool repaired = RepairPaperConfig();
    CloseDatabase();
    gConn.reset();
    return repaired;
}

class PaperFaultTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mFixture.BuildFromData();
        gApplyType = QString::fromUtf16(TradeSheetMetal);
        ASSERT_EQ(Generate(1), "0");
        mPaperBefore = BankPaper(mFixture);
        mConfigBefore = FileBytes(ConfigPath());
    }
    void TearDown() override { gPaperStepHook = nullptr; }

    QString ConfigPath() const { return mFixture.FilePath(QStringLiteral("STheme.cfg")); }

    qkmtest::BankFixture mFixture;
    QStringList mPaperBefore;
    QByteArray mConfigBefore;
};

// A program killed at each step between the bank and STheme.cfg: before the commit the bank keeps the
// earlier paper and the exam screen's repair puts the earlier file back byte for byte; after it the
// two agree at once. Either way the next repair or generation clears the killed program's files.
TEST_F(PaperFaultTest, KilledBetweenTheBankAndTheFileIsMendedByTheNextLoad)
{
    for (const PaperStep step : {PaperStep::ConfigWritten, PaperStep::ConfigReplaced, PaperStep::Committed}) {
        SCOPED_TRACE(static_cast<int>(step));
        ChildProgram child(QStringLiteral("kill-at %1").arg(static_cast<int>(step)));
        EXPECT_EQ(child.NextLine(), "<none>");
        EXPECT_EQ(child.Process().exitStatus(), QProcess::CrashExit);
        EXPECT_FALSE(Leftovers(mFixture).isEmpty()) << "the killed program's scratch files";
        if (step == PaperStep::ConfigReplaced) {
            EXPECT_NE(PairProblem(mFixture, kSmallBankPaper), "") << "the window the repair is for";
        }
        EXPECT_TRUE(Repair());
        EXPECT_EQ(PairProblem(mFixture, kSmallBankPaper), "");
        if (step == PaperStep::Committed) {
            EXPECT_NE(BankPaper(mFixture), mPaperBefore);
        } else {
            EXPECT_EQ(BankPaper(mFixture), mPaperBefore);
            EXPECT_EQ(FileBytes(ConfigPath()), mConfigBefore);
        }
        EXPECT_EQ(Leftovers(mFixture), QStringList());
        mPaperBefore = BankPaper(mFixture);
        mConfigBefore = FileBytes(ConfigPath());
    }
}

// A rename that fails changes nothing, and says so; a commit that fails after STheme.cfg was replaced
// puts the earlier file back and raises the error. No scratch file stays behind.
TEST_F(PaperFaultTest, FailedRenameOrCommitKeepsTheEarlierPaperInBoth)
{
    const QString moved = ConfigPath() + QStringLiteral(".moved");
    gPaperStepHook = [&](PaperStep step) {
        // A folder now stands where STheme.cfg is to go.
        if (step == PaperStep::ConfigWritten) {
            ASSERT_TRUE(QFile::rename(ConfigPath(), moved));
            ASSERT_TRUE(QDir().mkpath(ConfigPath() + QStringLiteral("/in-use")));
        }
    };
    EXPECT_EQ(Generate(2), std::to_string(static_cast<int>(PaperStatus::ConfigNotWritable)));
    gPaperStepHook = nullptr;
    EXPECT_EQ(BankPaper(mFixture), mPaperBefore);
    ASSERT_TRUE(QDir(ConfigPath()).removeRecursively());
    ASSERT_TRUE(QFile::rename(moved, ConfigPath()));
    EXPECT_EQ(Leftovers(mFixture), QStringList());

    gPaperStepHook = [](PaperStep step) {
        if (step == PaperStep::ConfigReplaced) {
            throw RuntimeError(Ado::ProviderError, QStringLiteral("disk I/O error"));
        }
    };
    EXPECT_EQ(Generate(3), "error disk I/O error");
    EXPECT_EQ(gConn, nullptr);
    EXPECT_EQ(BankPaper(mFixture), mPaperBefore);
    EXPECT_EQ(FileBytes(ConfigPath()), mConfigBefore);
    EXPECT_EQ(Leftovers(mFixture), QStringList());
    EXPECT_EQ(PairProblem(mFixture, kSmallBankPaper), "");
}

// Without a file of the killed program to put back (STheme.cfg lost or edited), the file is written
// afresh from the bank's paper, the exam time and question count from the model that drew it, even
// when the trade now being practised is another; other sections stay.
TEST_F(PaperFaultTest, RepairWithoutAScratchFileRebuildsTheFileFromTheBank)
{
    gApplyType = QString::fromUtf16(TradePainting);
    ASSERT_EQ(Generate(4), "0");
    const QByteArray generated = FileBytes(ConfigPath());
    gApplyType = QString::fromUtf16(TradeSheetMetal);
    ASSERT_TRUE(QFile::remove(ConfigPath()));
    EXPECT_TRUE(Repair());
    EXPECT_EQ(FileBytes(ConfigPath()), generated);
    EXPECT_EQ(PairProblem(mFixture, {7, 90, 56}), "");

    QFile file(ConfigPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Keep]\r\nA=1\r\n[System]\r\nExamPaperID=1\r\nExamTime=5\r\n[3]\r\nThemeID=1\r\n[40]\r\nThemeID=2\r\n");
    file.close();
    EXPECT_TRUE(Repair());
    EXPECT_EQ(FileBytes(ConfigPath()), "[Keep]\r\nA=1\r\n" + generated);
    EXPECT_TRUE(Repair()) << "a file that names the paper is left as it is";
    EXPECT_EQ(FileBytes(ConfigPath()), "[Keep]\r\nA=1\r\n" + generated);

    // No model of the bank drew this paper any more: the exam time the file gives is kept; without
    // one the file is left alone.
    mFixture.OpenBank()->Execute(QStringLiteral("Update Exam_MContent Set ThemeFraction = 9 Where Model='2'"));
    const QByteArray edited = "[System]\r\nExamTime=75\r\nExamPaperID=1\r\n";
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(edited);
    file.close();
    EXPECT_TRUE(Repair());
    EXPECT_EQ(PairProblem(mFixture, {7, 75, 7}), "");
    ASSERT_TRUE(QFile::remove(ConfigPath()));
    EXPECT_FALSE(Repair());
    EXPECT_FALSE(QFile::exists(ConfigPath()));
}

TEST(PaperTwoProgramsTest, GeneratingAtOnceLeavesBothNamingTheSamePaper)
{
    qkmtest::BankFixture fixture;
    fixture.BuildFromData();
    ChildProgram first(QStringLiteral("serve"));
    ChildProgram second(QStringLiteral("serve"));
    std::mt19937 jitter(13);
    const int rounds = Rounds();
    int disagreeing = 0;
    int failed = 0;
    for (int round = 1; round <= rounds; ++round) {
        // Both start together, one of them up to 30 ms later, so that every phase of one generation
        // meets the other.
        const int delay = std::uniform_int_distribution<int>(0, 30)(jitter);
        first.Send("gen " + std::to_string(2 * round) + " 0");
        second.Send("gen " + std::to_string(2 * round + 1) + " " + std::to_string(delay));
        const std::string a = first.NextLine();
        const std::string b = second.NextLine();
        if (a != "0" || b != "0") {
            ++failed;
            ADD_FAILURE() << "round " << round << ": statuses " << a << " and " << b;
        }
        const std::string problem = PairProblem(fixture, kSmallBankPaper);
        if (!problem.empty()) {
            ++disagreeing;
            ADD_FAILURE() << "round " << round << ": " << problem;
        }
    }
    std::printf("[ rounds   ] %d rounds of two programs generating at once: %d failed, %d left the bank and "
                "STheme.cfg disagreeing\n",
                rounds, failed, disagreeing);
    EXPECT_EQ(Leftovers(fixture), QStringList());
}

// A bank whose model draws 300 of 1200 questions, so that a generation spends most of its time
// writing the paper: kills at random moments then land inside the transaction as well.
Bank::Source KillLoopBank()
{
    Bank::Source source;
    source.Chapters = Bank::DefaultChapters();
    source.Keys = Bank::DefaultKeySlots();
    Bank::ExamModel model;
    model.Trade = QString::fromUtf16(TradeSheetMetal).toStdString();
    model.Model = "1";
    model.ExamTime = 60;
    model.Quotas = {{1, 1, 1, 60}, {2, 1, 1, 60}, {1, 2, 2, 60}, {2, 2, 2, 60}, {1, 3, 2, 30}, {2, 3, 2, 30}};
    source.Models.push_back(model);
    for (int id = 1; id <= 1200; ++id) {
        Bank::Question question;
        question.Id = id;
        question.Chapter = 1 + id % 3;
        question.Type = 1 + (id / 3) % 3;
        question.Text = "第" + std::to_string(id) + "题";
        question.Options = {"甲", "乙", "丙", "丁"};
        question.Answer = question.Type == 3 ? "13" : "2";
        source.Questions.push_back(question);
    }
    return source;
}

TEST(PaperKillLoopTest, KillsAtRandomMomentsLeaveOnePaperAfterTheNextLoad)
{
    qkmtest::BankFixture fixture;
    fixture.BuildFromSource(KillLoopBank());
    gApplyType = QString::fromUtf16(TradeSheetMetal);
    ASSERT_EQ(Generate(1), "0");
    const ExpectedPaper expected{300, 60, 300};
    std::mt19937 moments(29);
    const int rounds = Rounds();
    std::map<std::string, int> killedAt; // the last step the killed program had reached
    int disagreedBeforeRepair = 0;
    int disagreeing = 0;
    for (int round = 1; round <= rounds; ++round) {
        {
            ChildProgram child(QStringLiteral("loop"));
            ASSERT_EQ(child.NextLine(), "ready");
            std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<int>(0, 250)(moments)));
            child.Kill();
            ++killedAt[child.LastLine()];
        }
        disagreedBeforeRepair += PairProblem(fixture, expected).empty() ? 0 : 1;
        EXPECT_TRUE(Repair()) << "round " << round;
        const std::string problem = PairProblem(fixture, expected);
        if (!problem.empty()) {
            ++disagreeing;
            ADD_FAILURE() << "round " << round << ": " << problem;
        }
        EXPECT_EQ(Leftovers(fixture), QStringList()) << "round " << round;
    }
    // "generating": reading, drawing or writing rows; step 0: new file written; step 1: file replaced,
    // not committed; step 2: committed.
    std::printf("[ rounds   ] %d kills at random moments, after:", rounds);
    for (const auto& [step, count] : killedAt) {
        std::printf(" %s %d;", step.c_str(), count);
    }
    std::printf(" %d left the two disagreeing until the next load's repair, %d disagreeing after it\n",
                disagreedBeforeRepair, disagreeing);
}

TEST(PaperTwoProgramsTest, AnotherProgramsShortReadIsWaitedFor)
{
    qkmtest::BankFixture fixture;
    fixture.BuildFromData();
    gApplyType = QString::fromUtf16(TradeSheetMetal);
    ChildProgram reader(QStringLiteral("hold-read 1000"));
    ASSERT_EQ(reader.NextLine(), "locked");
    EXPECT_EQ(Generate(3), "0");
    EXPECT_EQ(reader.NextLine(), "released");
    EXPECT_EQ(PairProblem(fixture, kSmallBankPaper), "");
}

} // namespace
