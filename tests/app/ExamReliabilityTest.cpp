// Every answer is in the database the moment it is given: a mock exam run in a second process of
// this executable is killed (SIGKILL) half way, and the answers given so far are in Exam_ThemePaper
// and in the wrong-answer practice of the next run.
#include "ExamTestSupport.h"

#include "DefaultForms.h"
#include "ModSystem.h"
#include "ProgramRuntime.h"

#include <Label.h>
#include <QuButton.h>
#include <Runtime.h>
#include <Screen.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>

namespace {

using namespace ModSystem;
using namespace qkmtest;

constexpr char kChildVariable[] = "QKM_EXAM_CHILD";

// The child: a mock exam in the program folder the parent names, three questions answered by mouse,
// then it waits for its end.
TEST(ExamChildProcess, Run)
{
    const QString folder = qEnvironmentVariable(kChildVariable);
    if (folder.isEmpty()) {
        GTEST_SKIP() << "runs only as the child process of the reliability test";
    }
    setenv("QKMEXAM_DIR", QFile::encodeName(folder).constData(), 1);
    InitProgramRuntime();
    gScreenWidth = Screen::Width();
    gScreenHeight = Screen::Height();
    gApplyType = QString::fromUtf16(TradeSheetMetal);
    Form& exam = OpenExam(ModeMockExam);
    ASSERT_TRUE(exam.IsLoaded());
    const auto option = [&exam](int k) -> ::Control& { return exam.Array<Label>(QStringLiteral("LabAnserd"), k); };
    ::Control& next = exam.Array<QuButton>(QStringLiteral("CmdExam"), 1);
    ClickControl(option(1));
    ClickControl(next);
    ClickControl(option(4));
    ClickControl(next);
    ClickControl(option(1));
    ClickControl(option(3));
    std::printf("@ answered\n");
    std::fflush(stdout);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 30000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
    std::printf("@ not ended\n");
}

TEST(ExamReliabilityTest, AnswersGivenBeforeAKillAreStoredAndShownInWrongAnswerPractice)
{
    ProgramFixture program;
    program.BuildFromSource(ExamBankSource());
    // True/false (right 1), single choice (right 2), multiple choice (right 134), two more.
    MakePaper(program, {1, 21, 41, 2, 22}, 60);

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kChildVariable), program.Dir());
    child.setProcessEnvironment(env);
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments({QStringLiteral("--gtest_filter=ExamChildProcess.Run")});
    child.start();
    ASSERT_TRUE(child.waitForStarted());
    QByteArray output;
    QElapsedTimer clock;
    clock.start();
    while (!output.contains("@ answered") && clock.elapsed() < 60000 && child.state() == QProcess::Running) {
        child.waitForReadyRead(100);
        output += child.readAllStandardOutput();
    }
    ASSERT_TRUE(output.contains("@ answered")) << output.toStdString() << child.readAllStandardError().toStdString();
    ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
    ASSERT_TRUE(child.waitForFinished(10000));
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);

    EXPECT_EQ(StudentAnswerOf(program, 1), Stored(QStringLiteral("1")));
    EXPECT_EQ(StudentAnswerOf(program, 2), Stored(QStringLiteral("4")));
    EXPECT_EQ(StudentAnswerOf(program, 3), Stored(QStringLiteral("13")));
    EXPECT_EQ(StudentAnswerOf(program, 4), QStringLiteral("<Null>"));
    EXPECT_EQ(StudentAnswerOf(program, 5), QStringLiteral("<Null>"));

    // The next run: wrong-answer practice shows right, wrong, wrong, unanswered, unanswered.
    gApplyType = QString::fromUtf16(TradeSheetMetal);
    Form& exam = OpenExam(ModeWrongPractice);
    ASSERT_TRUE(exam.IsLoaded());
    ClickControl(exam.Array<QuButton>(QStringLiteral("CmdExam"), 1));
    const int expected[] = {0x0000FF00, 0x00FFFF80, 0x000000FF, 0x0000FFFF, 0x0000FFFF};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(exam.Array<QuButton>(QStringLiteral("CmdSelect"), i).BackColor(), expected[i]) << i;
    }
    ClickControl(exam.Array<QuButton>(QStringLiteral("CmdExam"), 1));
    EXPECT_EQ(exam.Array<QuButton>(QStringLiteral("CmdSelect"), 1).BackColor(), 0x000000FF);
}

} // namespace
