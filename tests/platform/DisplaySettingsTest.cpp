// Screen size and display-mode switching. The in-process cases run on the shared offscreen screen;
// a smaller screen and a real X server (Xvfb, RandR) need their own process, so those cases start
// this executable again as a child that runs DisplayChildProcess.Run with a list of commands.
#include "DisplaySettings.h"
#include "CvtTiming.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QThread>
#include <QtTest/QTest>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using namespace DisplaySettings;

// ---------------------------------------------------------------------------------------------
// Timings of new modes

struct CvtCase {
    int Width, Height, Rate;
    CvtTiming Expected;
};

TEST(DisplayCvtTiming, MatchesPublishedModelines)
{
    // Source: VESA CVT 1.1 modelines as printed by the `cvt` utility, e.g. `cvt 1024 768 60`:
    // Modeline "1024x768_60.00" 63.50 1024 1072 1176 1328 768 771 775 798 -hsync +vsync
    const CvtCase cases[] = {
        {1024, 768, 60, {63500, 1024, 1072, 1176, 1328, 768, 771, 775, 798}},
        {800, 600, 60, {38250, 800, 832, 912, 1024, 600, 603, 607, 624}},
        {1280, 1024, 60, {109000, 1280, 1368, 1496, 1712, 1024, 1027, 1034, 1063}},
        {1920, 1080, 60, {173000, 1920, 2048, 2248, 2576, 1080, 1083, 1088, 1120}},
    };
    for (const CvtCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Width << "x" << c.Height);
        const CvtTiming t = MakeCvtTiming(c.Width, c.Height, c.Rate);
        EXPECT_EQ(t.Clock, c.Expected.Clock);
        EXPECT_EQ(t.HDisplay, c.Expected.HDisplay);
        EXPECT_EQ(t.HSyncStart, c.Expected.HSyncStart);
        EXPECT_EQ(t.HSyncEnd, c.Expected.HSyncEnd);
        EXPECT_EQ(t.HTotal, c.Expected.HTotal);
        EXPECT_EQ(t.VDisplay, c.Expected.VDisplay);
        EXPECT_EQ(t.VSyncStart, c.Expected.VSyncStart);
        EXPECT_EQ(t.VSyncEnd, c.Expected.VSyncEnd);
        EXPECT_EQ(t.VTotal, c.Expected.VTotal);
        EXPECT_NEAR(RefreshRate(std::uint64_t(t.Clock) * 1000, t.HTotal, t.VTotal, false, false), c.Rate, 0.5);
    }
}

TEST(DisplayCvtTiming, RefreshRateOfScanKinds)
{
    // VESA DMT 1024 x 768 at 60 Hz: 65 MHz over 1344 x 806.
    EXPECT_NEAR(RefreshRate(65000000, 1344, 806, false, false), 60.004, 0.001);
    EXPECT_NEAR(RefreshRate(65000000, 1344, 806, true, false), 120.008, 0.001);
    EXPECT_NEAR(RefreshRate(65000000, 1344, 806, false, true), 30.002, 0.001);
    EXPECT_EQ(RefreshRate(0, 0, 0, false, false), 0.); // Xvfb's first mode carries no timing
}

// ---------------------------------------------------------------------------------------------
// The shared offscreen screen (1280 x 1024)

TEST(DisplayOffscreen, ScreenSizeInPixelsAndTwips)
{
    EXPECT_EQ(ScreenPixels(), QSize(1280, 1024));
    EXPECT_EQ(TwipsPerPixelX(), 15);
    EXPECT_EQ(TwipsPerPixelY(), 15);
    EXPECT_EQ(ScreenWidth(), 19200);
    EXPECT_EQ(ScreenHeight(), 15360);

    DevMode mode;
    ASSERT_TRUE(EnumDisplaySettings(QString(), ENUM_CURRENT_SETTINGS, mode));
    EXPECT_EQ(mode.dmPelsWidth, 1280U);
    EXPECT_EQ(mode.dmPelsHeight, 1024U);
    EXPECT_EQ(mode.dmFields & (DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL),
              DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL);
    DevMode first;
    ASSERT_TRUE(EnumDisplaySettings(QString(), 0, first));
    EXPECT_EQ(first.dmPelsWidth, 1280U);
    DevMode untouched;
    untouched.dmPelsWidth = 7;
    EXPECT_FALSE(EnumDisplaySettings(QString(), 1, untouched));
    EXPECT_FALSE(EnumDisplaySettings(QStringLiteral("no such screen"), ENUM_CURRENT_SETTINGS, untouched));
    EXPECT_EQ(untouched.dmPelsWidth, 7U);
}

TEST(DisplayOffscreen, SwitchFailsClearlyAndChangesNothing)
{
    DevMode mode;
    ASSERT_TRUE(EnumDisplaySettings(QString(), 0, mode));
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
    mode.dmPelsWidth = 1024;
    mode.dmPelsHeight = 768;
    mode.dmBitsPerPel = 16;
    mode.dmDisplayFrequency = 60;
    EXPECT_EQ(ChangeDisplaySettings(&mode, CDS_FULLSCREEN), DISP_CHANGE_FAILED);
    EXPECT_TRUE(LastChangeNote().contains(QLatin1String("offscreen"))) << LastChangeNote().toStdString();
    EXPECT_EQ(ChangeDisplaySettings(&mode, CDS_TEST), DISP_CHANGE_FAILED);
    EXPECT_EQ(ScreenPixels(), QSize(1280, 1024));

    EXPECT_EQ(ChangeDisplaySettings(&mode, 0x08), DISP_CHANGE_BADFLAGS);
    EXPECT_EQ(ChangeDisplaySettings(&mode, CDS_FULLSCREEN | CDS_UPDATEREGISTRY), DISP_CHANGE_BADFLAGS);
    // Nothing was switched, so there is nothing to put back.
    EXPECT_EQ(ChangeDisplaySettings(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
}

// ---------------------------------------------------------------------------------------------
// The child: runs the commands of QKM_DISPLAY_CHILD, separated by ';', and prints one line per
// command starting with "@ ".

void Say(const QString& line)
{
    std::printf("@ %s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

QString Describe(const DevMode& mode)
{
    return QStringLiteral("%1x%2 %3 %4")
        .arg(mode.dmPelsWidth)
        .arg(mode.dmPelsHeight)
        .arg(mode.dmBitsPerPel)
        .arg(mode.dmDisplayFrequency);
}

void RunChildCommand(const QStringList& words)
{
    const QString& verb = words.at(0);
    if (verb == QLatin1String("change")) { // change W H BITS RATE FLAGS
        ASSERT_EQ(words.size(), 6);
        DevMode mode;
        ASSERT_TRUE(EnumDisplaySettings(QString(), 0, mode));
        mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | (words[3].toUInt() != 0 ? DM_BITSPERPEL : 0) |
                        (words[4].toUInt() != 0 ? DM_DISPLAYFREQUENCY : 0);
        mode.dmPelsWidth = words[1].toUInt();
        mode.dmPelsHeight = words[2].toUInt();
        mode.dmBitsPerPel = words[3].toUInt();
        mode.dmDisplayFrequency = words[4].toUInt();
        const int result = ChangeDisplaySettings(&mode, words[5].toUInt());
        Say(QStringLiteral("change %1 | %2").arg(result).arg(LastChangeNote()));
    } else if (verb == QLatin1String("restore")) {
        Say(QStringLiteral("restore %1").arg(ChangeDisplaySettings(nullptr, 0)));
    } else if (verb == QLatin1String("current")) {
        DevMode mode;
        ASSERT_TRUE(EnumDisplaySettings(QString(), ENUM_CURRENT_SETTINGS, mode));
        Say(QStringLiteral("current ") + Describe(mode));
    } else if (verb == QLatin1String("registry")) {
        DevMode mode;
        ASSERT_TRUE(EnumDisplaySettings(QString(), ENUM_REGISTRY_SETTINGS, mode));
        Say(QStringLiteral("registry ") + Describe(mode));
    } else if (verb == QLatin1String("modes")) {
        QStringList sizes;
        DevMode mode;
        for (int i = 0; EnumDisplaySettings(QString(), i, mode); ++i) {
            sizes << QStringLiteral("%1x%2").arg(mode.dmPelsWidth).arg(mode.dmPelsHeight);
        }
        Say(QStringLiteral("modes ") + sizes.join(u','));
    } else if (verb == QLatin1String("pixels")) {
        Say(QStringLiteral("pixels %1x%2 twips %3x%4")
                .arg(ScreenPixels().width())
                .arg(ScreenPixels().height())
                .arg(ScreenWidth())
                .arg(ScreenHeight()));
    } else if (verb == QLatin1String("qscreen")) { // qscreen W H: Qt learns of the new size by event
        const QSize expected(words[1].toInt(), words[2].toInt());
        QElapsedTimer clock;
        clock.start();
        while (ScreenPixels() != expected && clock.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            QThread::msleep(10);
        }
        Say(QStringLiteral("qscreen %1x%2").arg(ScreenPixels().width()).arg(ScreenPixels().height()));
    } else if (verb == QLatin1String("wait")) { // the parent ends the child with a signal
        Say(QStringLiteral("ready"));
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 20000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            QThread::msleep(10);
        }
        Say(QStringLiteral("not ended"));
    } else {
        FAIL() << "unknown child command " << verb.toStdString();
    }
}

TEST(DisplayChildProcess, Run)
{
    const QString commands = qEnvironmentVariable("QKM_DISPLAY_CHILD");
    if (commands.isEmpty()) {
        GTEST_SKIP() << "runs only as the child process of the display tests";
    }
    for (const QString& command : commands.split(u';', Qt::SkipEmptyParts)) {
        const QStringList words = command.split(u' ', Qt::SkipEmptyParts);
        ASSERT_FALSE(words.isEmpty());
        RunChildCommand(words);
        if (HasFatalFailure()) {
            return;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The parent side

struct ChildResult {
    bool Crashed = false;
    int ExitCode = -1;
    std::vector<std::string> Lines; // the "@ " lines without the prefix
    QString Output;
};

ChildResult Collect(QProcess& process)
{
    ChildResult result;
    result.Crashed = process.exitStatus() == QProcess::CrashExit;
    result.ExitCode = process.exitCode();
    result.Output =
        QString::fromUtf8(process.readAllStandardOutput()) + QString::fromUtf8(process.readAllStandardError());
    for (const QString& line : result.Output.split(u'\n')) {
        if (line.startsWith(QLatin1String("@ "))) {
            result.Lines.push_back(line.mid(2).toStdString());
        }
    }
    return result;
}

void StartChild(QProcess& process, const QString& platform, const QString& display, const QString& commands)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    env.insert(QStringLiteral("QKM_DISPLAY_CHILD"), commands);
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    if (display.isEmpty()) {
        env.remove(QStringLiteral("DISPLAY"));
    } else {
        env.insert(QStringLiteral("DISPLAY"), display);
    }
    process.setProcessEnvironment(env);
    process.setProgram(QCoreApplication::applicationFilePath());
    process.setArguments({QStringLiteral("--gtest_filter=DisplayChildProcess.Run")});
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start();
}

ChildResult RunChild(const QString& platform, const QString& display, const QString& commands)
{
    QProcess process;
    StartChild(process, platform, display, commands);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
    }
    return Collect(process);
}

TEST(DisplaySmallOffscreen, ReadsTheRealSizeAndCannotSwitch)
{
    const QString platform = QStringLiteral("offscreen:configfile=") + qkmtest::OffscreenConfigFile(800, 600);
    const ChildResult child =
        RunChild(platform, QString(), QStringLiteral("pixels;change 1024 768 16 60 4;pixels;current"));
    ASSERT_FALSE(child.Crashed) << child.Output.toStdString();
    ASSERT_EQ(child.ExitCode, 0) << child.Output.toStdString();
    ASSERT_EQ(child.Lines.size(), 4) << child.Output.toStdString();
    EXPECT_EQ(child.Lines[0], "pixels 800x600 twips 12000x9000");
    EXPECT_THAT(child.Lines[1], testing::StartsWith("change -1 | "));
    EXPECT_EQ(child.Lines[2], "pixels 800x600 twips 12000x9000");
    EXPECT_THAT(child.Lines[3], testing::StartsWith("current 800x600 "));
}

// A private Xvfb per test: its framebuffer is 1280 x 1024 (RandR cannot grow past it) and each test
// first shrinks the screen to 800 x 600, the small display that the program offers to switch.
class DisplayXvfb : public testing::Test {
protected:
    void SetUp() override
    {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        const char* argv[] = {"Xvfb",         "-displayfd", "3",   "-screen",  "0",
                              "1280x1024x24", "-nolisten",  "tcp", "-noreset", nullptr};
        const int spawned = posix_spawnp(&mPid, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        if (spawned != 0) {
            close(fds[0]);
            mPid = 0;
            GTEST_SKIP() << "Xvfb is not installed";
        }
        // Xvfb writes its display number once it accepts connections.
        std::string number;
        pollfd wait{fds[0], POLLIN, 0};
        while (poll(&wait, 1, 15000) > 0) {
            char c = 0;
            if (read(fds[0], &c, 1) != 1 || c == '\n') {
                break;
            }
            number += c;
        }
        close(fds[0]);
        ASSERT_FALSE(number.empty()) << "Xvfb did not start";
        mDisplay = QStringLiteral(":") + QString::fromStdString(number);
    }

    void TearDown() override
    {
        if (mPid > 0) {
            kill(mPid, SIGTERM);
            int status = 0;
            waitpid(mPid, &status, 0);
        }
    }

    ChildResult Run(const QString& commands) { return RunChild(QStringLiteral("xcb"), mDisplay, commands); }

    static constexpr const char* Shrink = "change 800 600 0 0 0;current;";

    pid_t mPid = 0;
    QString mDisplay;
};

TEST_F(DisplayXvfb, TemporarySwitchTo1024x768AndBack)
{
    const ChildResult child =
        Run(QString::fromLatin1(Shrink) +
            "qscreen 800 600;pixels;change 1024 768 16 60 4;current;qscreen 1024 768;registry;restore;current;"
            "qscreen 800 600;modes");
    ASSERT_EQ(child.ExitCode, 0) << child.Output.toStdString();
    ASSERT_EQ(child.Lines.size(), 12) << child.Output.toStdString();
    EXPECT_EQ(child.Lines[1], "current 800x600 32 60");
    EXPECT_EQ(child.Lines[2], "qscreen 800x600");
    EXPECT_EQ(child.Lines[3], "pixels 800x600 twips 12000x9000");
    // The depth cannot change: the switch succeeds, reports the 16 bits asked for and says so.
    EXPECT_THAT(child.Lines[4], testing::StartsWith("change 0 | "));
    EXPECT_THAT(child.Lines[4], testing::HasSubstr("depth stays at 32"));
    EXPECT_EQ(child.Lines[5], "current 1024x768 16 60");
    EXPECT_EQ(child.Lines[6], "qscreen 1024x768");
    EXPECT_EQ(child.Lines[7], "registry 800x600 32 60"); // what the end of the program puts back
    EXPECT_EQ(child.Lines[8], "restore 0");
    EXPECT_EQ(child.Lines[9], "current 800x600 32 60");
    EXPECT_EQ(child.Lines[10], "qscreen 800x600");
    // The mode made for the switch is gone again; the 800 x 600 one was made to stay.
    EXPECT_EQ(child.Lines[11], "modes 800x600,1280x1024");
}

TEST_F(DisplayXvfb, PutBackWhenTheProgramEnds)
{
    const ChildResult first = Run(QString::fromLatin1(Shrink) + "change 1024 768 16 60 4;current");
    ASSERT_EQ(first.ExitCode, 0) << first.Output.toStdString();
    ASSERT_EQ(first.Lines.size(), 4) << first.Output.toStdString();
    EXPECT_EQ(first.Lines[3], "current 1024x768 16 60");

    const ChildResult after = Run(QStringLiteral("current;modes"));
    ASSERT_EQ(after.Lines.size(), 2) << after.Output.toStdString();
    EXPECT_EQ(after.Lines[0], "current 800x600 32 60");
    EXPECT_THAT(after.Lines[1], testing::Not(testing::HasSubstr("1024x768")));
}

TEST_F(DisplayXvfb, PutBackWhenTerminatedOrInterrupted)
{
    for (int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        QProcess process;
        StartChild(process, QStringLiteral("xcb"), mDisplay,
                   QString::fromLatin1(Shrink) + "change 1024 768 16 60 4;current;wait");
        QElapsedTimer clock;
        clock.start();
        QByteArray seen;
        while (!seen.contains("@ ready") && clock.elapsed() < 30000 && process.state() != QProcess::NotRunning) {
            process.waitForReadyRead(100);
            seen += process.readAllStandardOutput();
        }
        ASSERT_TRUE(seen.contains("@ current 1024x768 16 60")) << seen.toStdString();
        kill(static_cast<pid_t>(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitStatus(), QProcess::CrashExit); // ended by the signal, as without the restorer
        seen += process.readAllStandardOutput();
        EXPECT_FALSE(seen.contains("@ not ended"));

        const ChildResult after = Run(QStringLiteral("current"));
        ASSERT_EQ(after.Lines.size(), 1) << after.Output.toStdString();
        EXPECT_EQ(after.Lines[0], "current 800x600 32 60");
    }
}

TEST_F(DisplayXvfb, ClosestRateWhenNoExactOne)
{
    // A 75 Hz 1024 x 768 mode made to stay, then back to 800 x 600: a 60 Hz request takes 75 Hz.
    const ChildResult child =
        Run(QString::fromLatin1(Shrink) + "change 1024 768 0 75 0;change 800 600 0 0 0;change 1024 768 16 60 4;current;"
                                          "restore;current");
    ASSERT_EQ(child.ExitCode, 0) << child.Output.toStdString();
    ASSERT_EQ(child.Lines.size(), 8) << child.Output.toStdString();
    EXPECT_THAT(child.Lines[4], testing::StartsWith("change 0 | "));
    EXPECT_THAT(child.Lines[4], testing::HasSubstr("closest rate, 75 Hz"));
    EXPECT_EQ(child.Lines[5], "current 1024x768 16 75");
    EXPECT_EQ(child.Lines[6], "restore 0");
    EXPECT_EQ(child.Lines[7], "current 800x600 32 60");
}

TEST_F(DisplayXvfb, RefusedAndTestedSwitchesChangeNothing)
{
    const ChildResult child =
        Run(QString::fromLatin1(Shrink) + "change 2048 1536 16 60 4;current;change 1024 768 16 60 2;current;"
                                          "change 1024 768 12 60 4;change 0 768 16 60 4;current;restore");
    ASSERT_EQ(child.ExitCode, 0) << child.Output.toStdString();
    ASSERT_EQ(child.Lines.size(), 10) << child.Output.toStdString();
    EXPECT_THAT(child.Lines[2], testing::StartsWith("change -2 | "));
    EXPECT_EQ(child.Lines[3], "current 800x600 32 60");
    EXPECT_THAT(child.Lines[4], testing::StartsWith("change 0 "));
    EXPECT_EQ(child.Lines[5], "current 800x600 32 60");
    EXPECT_THAT(child.Lines[6], testing::StartsWith("change -2 | "));
    EXPECT_THAT(child.Lines[7], testing::StartsWith("change -2 | "));
    EXPECT_EQ(child.Lines[8], "current 800x600 32 60");
    EXPECT_EQ(child.Lines[9], "restore 0");
}

} // namespace
