// The program from its splash to the main menu, the main menu's modes and choosers, the paper
// generation behind its panel, the display check (in child processes with screens of their own
// sizes), and the rendered forms for a person to look at.
#include "DefaultForms.h"
#include "FormTestSupport.h"
#include "FrmMain.h"
#include "FrmStart.h"
#include "ModSystem.h"
#include "MsgBoxAnswers.h"
#include "TestSupport.h"

#include <CheckBox.h>
#include <ClQuAK.h>
#include <ComboBox.h>
#include <KeyCodes.h>
#include <Label.h>
#include <OptionButton.h>
#include <PictureBox.h>
#include <QuButton.h>
#include <QuXPProgress.h>
#include <Recordset.h>
#include <Runtime.h>
#include <TextBox.h>
#include <Timer.h>

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <cstdlib>

using namespace ModSystem;
using qkmtest::ClickControl;
using qkmtest::MsgBoxAnswers;
using qkmtest::ProgramFixture;
using qkmtest::SaveFormPng;
using qkmtest::WaitUntil;
using qkmtest::WhenShown;

namespace {

void WriteFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

long PaperRows(const qkmtest::BankFixture& bank)
{
    auto conn = bank.OpenBank();
    return conn->Execute(QStringLiteral("Select * From Exam_ThemePaper"))->RecordCount();
}

QuButton& Button(Form& form, const char* name)
{
    return form.Control<QuButton>(QString::fromLatin1(name));
}

// Shows the main menu as the splash hands over to it.
Form& ShowMainMenu()
{
    gApplyType = QString::fromUtf16(TradeNone);
    Form& main = Forms::FrmMain();
    main.Show();
    return main;
}

} // namespace

class StartUp : public ProgramFixture, public ::testing::Test {};

TEST_F(StartUp, TheSplashRunsItsStepsHalfASecondApartAndHandsOverToTheMainMenu)
{
    WriteFile(FilePath(QStringLiteral("System.ini")), "[CompanyInfo]\r\nCompany=3\r\n");
    gScreenWidth = 0;
    gScreenHeight = 0;
    gExamMode = ModeMockExam;

    Form& splash = Forms::FrmStart();
    splash.Show();
    ASSERT_TRUE(splash.IsLoaded());
    EXPECT_EQ(splash.Caption(), QStringLiteral("QKMExam"));
    EXPECT_EQ(splash.Control<Label>(QStringLiteral("Label1")).Caption(), PublisherLines());

    QStringList steps;
    std::vector<qint64> times;
    QElapsedTimer clock;
    clock.start();
    auto& status = splash.Control<Label>(QStringLiteral("LabStart"));
    ASSERT_TRUE(WaitUntil(
        [&] {
            if (!splash.IsLoaded()) {
                return true;
            }
            if (steps.isEmpty() || steps.back() != status.Caption()) {
                if (!status.Caption().isEmpty()) {
                    steps << status.Caption();
                    times.push_back(clock.elapsed());
                }
                if (steps.size() == 2) {
                    SaveFormPng(splash, QStringLiteral("FrmStart"));
                }
            }
            return false;
        },
        6000));
    times.push_back(clock.elapsed());
    EXPECT_EQ(steps, (QStringList{QStringLiteral("正在初始化系统配置..."), QStringLiteral("正在检测数据环境..."),
                                  QStringLiteral("准备载入系统...")}));
    // Each step comes at least most of half a second after the one before (a lower bound only).
    ASSERT_EQ(times.size(), 4U);
    for (std::size_t i = 1; i < times.size(); ++i) {
        EXPECT_GE(times[i] - times[i - 1], 400) << "step " << i;
    }

    Form& main = Forms::FrmMain();
    ASSERT_TRUE(WaitUntil([&] { return main.IsLoaded(); }));
    EXPECT_FALSE(splash.IsLoaded());
    EXPECT_EQ(gApplyType, QStringLiteral("无"));
    EXPECT_EQ(gExamMode, ModeNone);
    EXPECT_EQ(gScreenWidth, 19200);
    EXPECT_EQ(gScreenHeight, 15360);
    EXPECT_EQ(gDealerLine, DealerLine(3));
    EXPECT_EQ(gTitleSuffix, QStringLiteral("-  ") + DealerLine(3));

    // The main menu fills the screen and centres its panel; the title and suffix stand as shadow pairs.
    EXPECT_EQ(main.Width(), 19200);
    EXPECT_EQ(main.Height(), 15360);
    const auto& panel = main.Control<PictureBox>(QStringLiteral("PicExam"));
    EXPECT_EQ(panel.Left(), (19200 - 15390) / 2);
    EXPECT_EQ(panel.Top(), (15360 - 11550) / 2);
    const auto& title = main.Array<Label>(QStringLiteral("LabSysName"), 0);
    EXPECT_EQ(title.Caption(), GetSystemTitle());
    EXPECT_EQ(main.Array<Label>(QStringLiteral("LabSysName"), 1).Caption(), GetSystemTitle());
    const auto& suffixLight = main.Array<Label>(QStringLiteral("LabSysJXS"), 1);
    const auto& suffixDark = main.Array<Label>(QStringLiteral("LabSysJXS"), 0);
    EXPECT_EQ(suffixLight.Left(), title.Left() + title.Width());
    EXPECT_EQ(suffixLight.Top(), 180);
    EXPECT_EQ(suffixDark.Left(), suffixLight.Left() + 10);
    EXPECT_EQ(suffixDark.Top(), 190);
    EXPECT_EQ(suffixDark.Caption(), gTitleSuffix);
    EXPECT_EQ(main.Control<Label>(QStringLiteral("Label8")).Caption(), gDealerLine);
    EXPECT_FALSE(main.Control<Label>(QStringLiteral("Label8")).Visible());
    EXPECT_EQ(main.Array<Label>(QStringLiteral("LabStInfo"), 2).Caption(), QStringLiteral("无"));
    const QImage idle = SaveFormPng(main, QStringLiteral("FrmMain-idle"));
    // The card's last line has white card below it before the card's border.
    const auto& lastLine = main.Array<Label>(QStringLiteral("LabStInfo"), 3);
    const int lineLeft = (panel.Left() + lastLine.Left()) / 15;
    const int lineBottom = (panel.Top() + lastLine.Top() + lastLine.Height()) / 15;
    for (int y = lineBottom; y < lineBottom + 4; ++y) {
        for (int x = lineLeft; x < lineLeft + lastLine.Width() / 15; ++x) {
            ASSERT_EQ(idle.pixel(x, y), qRgb(255, 255, 255)) << x << ", " << y;
        }
    }
    EXPECT_TRUE(qkmtest::TakeUnexpectedBoxes().empty());
}

TEST_F(StartUp, TheCompanyNumberSelectsOneOfThreeDistributorLines)
{
    const QString ini = FilePath(QStringLiteral("System.ini"));
    // No file at all: it is made, and there is no line.
    LoadCompanyInfo();
    EXPECT_TRUE(QFile::exists(ini));
    EXPECT_EQ(gDealerLine, QString());
    EXPECT_EQ(gTitleSuffix, QStringLiteral("-  "));
    for (int company : {1, 2, 3, 4, 5}) {
        WriteFile(ini, QStringLiteral("[CompanyInfo]\r\nCompany=%1\r\n").arg(company).toLatin1());
        LoadCompanyInfo();
        const bool hasLine = company == 2 || company == 3 || company == 5;
        EXPECT_EQ(!gDealerLine.isEmpty(), hasLine) << company;
        EXPECT_EQ(gTitleSuffix, QStringLiteral("-  ") + gDealerLine) << company;
    }
    EXPECT_NE(DealerLine(2), DealerLine(3));
    EXPECT_NE(DealerLine(3), DealerLine(5));
}

// ---- the display check, each screen size in a child process of its own ----

namespace {

struct ChildRun {
    QString Output;
    int ExitCode = -1;
    QString Value(const QString& key) const
    {
        for (const QString& line : Output.split(u'\n')) {
            if (line.startsWith(key + u'=')) {
                return line.mid(key.size() + 1).trimmed();
            }
        }
        return QStringLiteral("<none>");
    }
};

// scale: the desktop's scale factor (device pixels per logical pixel).
ChildRun RunStartUpChild(int width, int height, int answer, double scale = 1)
{
    const QString config = qkmtest::OffscreenConfigFile(width, height);
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (scale != 1) {
        env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
    }
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + config);
    env.insert(QStringLiteral("QKM_CHILD_ANSWER"), QString::number(answer));
    process.setProcessEnvironment(env);
    process.setProgram(QCoreApplication::applicationFilePath());
    process.setArguments({QStringLiteral("--gtest_filter=StartUpChildProcess.Run")});
    process.start();
    EXPECT_TRUE(process.waitForFinished(30000));
    ChildRun run;
    run.Output = QString::fromUtf8(process.readAllStandardOutput());
    run.ExitCode = process.exitCode();
    return run;
}

} // namespace

// The child: runs the splash on its screen, answers the display question as told, and reports.
TEST(StartUpChildProcess, Run)
{
    ProgramFixture program;
    MsgBoxAnswers answers;
    answers.Next(std::atoi(std::getenv("QKM_CHILD_ANSWER") != nullptr ? std::getenv("QKM_CHILD_ANSWER") : "1"));
    QElapsedTimer clock;
    clock.start();
    Forms::FrmStart().Show();
    Form& main = Forms::FrmMain();
    WaitUntil([&] { return main.IsLoaded() || ProgramEnded(); }, 10000);
    const qint64 elapsed = clock.elapsed();
    std::printf("asked=%d\nended=%d\nmain=%d\nwidth=%d\nheight=%d\nelapsed=%lld\n", int(answers.Shown().size()),
                int(ProgramEnded()), int(main.IsLoaded()), int(gScreenWidth), int(gScreenHeight),
                static_cast<long long>(elapsed));
    if (!answers.Shown().empty()) {
        std::printf("prompt=%s\ntitle=%s\nbuttons=%d\n", answers.Shown()[0].Prompt.toUtf8().constData(),
                    answers.Shown()[0].Title.toUtf8().constData(), answers.Shown()[0].Buttons);
    }
    if (main.IsLoaded()) {
        const auto& panel = main.Control<PictureBox>(QStringLiteral("PicExam"));
        std::printf("picLeft=%d\npicTop=%d\npixelLeft=%d\n", panel.Left(), panel.Top(), panel.hWnd()->x());
    }
    std::fflush(stdout);
}

TEST(StartUpDisplay, TheScreenIsCheckedMeasuredAndTheMainMenuCentredOnIt)
{
    // Exactly 1024 x 768 passes without a question; the panel sits 15 twips over each edge.
    ChildRun run = RunStartUpChild(1024, 768, vbCancel);
    EXPECT_EQ(run.Value(QStringLiteral("asked")), QStringLiteral("0")) << run.Output.toStdString();
    EXPECT_EQ(run.Value(QStringLiteral("width")), QStringLiteral("15360"));
    EXPECT_EQ(run.Value(QStringLiteral("picLeft")), QStringLiteral("-15"));
    EXPECT_EQ(run.Value(QStringLiteral("picTop")), QStringLiteral("-15"));

    // One line short asks; refusing ends the program at once, with no main menu.
    run = RunStartUpChild(1024, 767, vbCancel);
    EXPECT_EQ(run.Value(QStringLiteral("asked")), QStringLiteral("1")) << run.Output.toStdString();
    // The first of its two lines (the report is read line by line).
    EXPECT_EQ(run.Value(QStringLiteral("prompt")), QStringLiteral("系统需要至少1024*640的屏幕分辨率支持，"));
    EXPECT_EQ(run.Value(QStringLiteral("title")), QStringLiteral("提示"));
    EXPECT_EQ(run.Value(QStringLiteral("buttons")), QString::number(vbOKCancel));
    EXPECT_EQ(run.Value(QStringLiteral("ended")), QStringLiteral("1"));
    EXPECT_EQ(run.Value(QStringLiteral("main")), QStringLiteral("0"));

    // Agreeing where the display cannot switch (no X server here): what is stored is the screen the
    // forms are really shown on, not 1024 x 768.
    run = RunStartUpChild(1024, 767, vbOK);
    EXPECT_EQ(run.Value(QStringLiteral("main")), QStringLiteral("1")) << run.Output.toStdString();
    EXPECT_EQ(run.Value(QStringLiteral("width")), QStringLiteral("15360"));
    EXPECT_EQ(run.Value(QStringLiteral("height")), QStringLiteral("11505"));

    // A screen wider than 16-bit twips hold.
    run = RunStartUpChild(2560, 1440, vbCancel);
    EXPECT_EQ(run.Value(QStringLiteral("width")), QStringLiteral("38400")) << run.Output.toStdString();
    EXPECT_EQ(run.Value(QStringLiteral("height")), QStringLiteral("21600"));
    EXPECT_EQ(run.Value(QStringLiteral("picLeft")), QString::number((38400 - 15390) / 2));

    // A 2560 x 1440 desktop scaled by 1.25 shows 2048 x 1152 pixels: the check and the layout count
    // those, so the panel is centred on what is shown.
    run = RunStartUpChild(2560, 1440, vbCancel, 1.25);
    EXPECT_EQ(run.Value(QStringLiteral("asked")), QStringLiteral("0")) << run.Output.toStdString();
    EXPECT_EQ(run.Value(QStringLiteral("width")), QStringLiteral("30720"));
    EXPECT_EQ(run.Value(QStringLiteral("picLeft")), QString::number((30720 - 15390) / 2));
    EXPECT_EQ(run.Value(QStringLiteral("pixelLeft")), QString::number((30720 - 15390) / 2 / 15));
}

// ---- the main menu ----

class MainMenu : public ProgramFixture, public ::testing::Test {
protected:
    void SetUp() override { BuildFromData(); }
};

TEST_F(MainMenu, EachModeButtonSetsItsModeAndOpensItsChooserOrMessage)
{
    Form& main = ShowMainMenu();
    Form& trades = Forms::FrmZjcx();
    Form& modules = Forms::FrmMnlx();
    MsgBoxAnswers answers;

    // Chapter practice: the module chooser starts on the first module; cancelling keeps the menu.
    int moduleCount = 0;
    WhenShown(modules, [&] {
        auto& comb = modules.Control<ComboBox>(QStringLiteral("Comb"));
        moduleCount = comb.ListCount();
        EXPECT_EQ(comb.Text(), QStringLiteral("职业道德、法规A模块"));
        EXPECT_EQ(modules.Caption(), QStringLiteral("选择章节"));
        SaveFormPng(modules, QStringLiteral("FrmMnlx"));
        ClickControl(Button(modules, "CmdNo"));
    });
    ClickControl(Button(main, "CmdStdy"));
    EXPECT_EQ(gExamMode, ModeChapterPractice);
    EXPECT_EQ(moduleCount, 3);
    EXPECT_FALSE(modules.IsLoaded());

    // Sequential practice: a clicked trade sets its chapter condition at once, even when cancelled.
    WhenShown(trades, [&] {
        EXPECT_EQ(trades.Left(), main.Control<PictureBox>(QStringLiteral("PicExam")).Left() + 2350);
        EXPECT_EQ(trades.Top(), main.Control<PictureBox>(QStringLiteral("PicExam")).Top() + 5650);
        ClickControl(trades.Array<OptionButton>(QStringLiteral("OptSlcCX"), 1));
        EXPECT_EQ(trades.Control<Label>(QStringLiteral("LabLxErr")).Caption(), QString::fromUtf16(TradePainting));
        SaveFormPng(trades, QStringLiteral("FrmZjcx"));
        ClickControl(Button(trades, "CmdNo"));
    });
    ClickControl(Button(main, "CmdExamStr"));
    EXPECT_EQ(gExamMode, ModeSequentialPractice);
    EXPECT_EQ(gApplyType, QStringLiteral("无"));
    EXPECT_EQ(gChapterFilter, QString::fromUtf16(ChapterFilterPainting));

    // Mock exam: confirming without a trade is answered on the chooser; cancelling leaves the menu idle.
    QString refusal;
    WhenShown(trades, [&] {
        ClickControl(Button(trades, "CmdYes"));
        refusal = trades.Control<Label>(QStringLiteral("LabLxErr")).Caption();
        EXPECT_TRUE(trades.IsLoaded());
        ClickControl(Button(trades, "CmdNo"));
    });
    ClickControl(Button(main, "CmdMnExam"));
    EXPECT_EQ(refusal, QStringLiteral("请选考试车型！"));
    EXPECT_EQ(gExamMode, ModeMockExam);
    EXPECT_FALSE(main.Control<PictureBox>(QStringLiteral("PicCrtEp")).Visible());
    EXPECT_FALSE(main.Control<Timer>(QStringLiteral("Timer1")).Enabled());

    // Wrong-answer practice before any mock exam: a message, and the menu stays.
    ClickControl(Button(main, "CmdErrStdy"));
    ASSERT_EQ(answers.Shown().size(), 1U);
    EXPECT_EQ(answers.Shown()[0].Prompt, QStringLiteral("当前系统没有经过模拟考试，请在模拟考试以后再进行错题练习"));
    EXPECT_EQ(answers.Shown()[0].Title, QStringLiteral("提示"));
    EXPECT_TRUE(main.IsLoaded());
    EXPECT_FALSE(Forms::FrmExam().IsLoaded());

    // The key settings open modally.
    Form& keys = Forms::FrmKbdSet();
    bool keysShown = false;
    WhenShown(keys, [&] {
        keysShown = true;
        keys.Unload();
    });
    ClickControl(Button(main, "QuButton1"));
    EXPECT_TRUE(keysShown);

    // Both exit buttons ask the same question; No keeps everything, Yes ends the program.
    answers.Next(vbNo).Next(vbYes);
    ClickControl(Button(main, "CmdExit"));
    EXPECT_TRUE(main.IsLoaded());
    EXPECT_FALSE(ProgramEnded());
    ClickControl(Button(main, "CmdEndSys"));
    ASSERT_EQ(answers.Shown().size(), 3U);
    EXPECT_EQ(answers.Shown()[1].Prompt, QStringLiteral("确定要退出系统吗？"));
    EXPECT_EQ(answers.Shown()[2].Prompt, QStringLiteral("确定要退出系统吗？"));
    EXPECT_EQ(answers.Shown()[2].Buttons, vbYesNo);
    EXPECT_FALSE(main.IsLoaded());
    EXPECT_TRUE(WaitUntil([] { return ProgramEnded(); }));
}

TEST_F(MainMenu, AMockExamIsGeneratedBehindItsPanelAndTheExamScreenReplacesTheMenu)
{
    Form* main = &ShowMainMenu();
    Form& trades = Forms::FrmZjcx();
    QStringList openedUnderGeneration;

    for (int round = 1; round <= 2; ++round) {
        // The value the bar shows after the first tick of this generation.
        int firstTick = -1;
        main->Control<Timer>(QStringLiteral("Timer2")).Tick.Connect([&firstTick, main] {
            if (firstTick < 0) {
                firstTick = main->Control<QuXPProgress>(QStringLiteral("QuXPProgWait")).Value();
            }
        });
        WhenShown(trades, [&] {
            // Painting, then sheet metal: the last one clicked is the one confirmed.
            ClickControl(trades.Array<OptionButton>(QStringLiteral("OptSlcCX"), 1));
            ClickControl(trades.Array<OptionButton>(QStringLiteral("OptSlcCX"), 0));
            ClickControl(Button(trades, "CmdYes"));
        });
        ClickControl(Button(*main, "CmdMnExam"));
        EXPECT_FALSE(trades.IsLoaded());
        EXPECT_EQ(gApplyType, QString::fromUtf16(TradeSheetMetal));
        EXPECT_EQ(gChapterFilter, QString::fromUtf16(ChapterFilterSheetMetal));
        ASSERT_TRUE(main->Control<PictureBox>(QStringLiteral("PicCrtEp")).Visible());
        EXPECT_EQ(main->Array<Label>(QStringLiteral("LabStInfo"), 2).Caption(), QString::fromUtf16(TradeSheetMetal));

        // While the panel is up the menu takes no other command, and the login asks nothing.
        MsgBoxAnswers answers;
        ClickControl(main->Control<CheckBox>(QStringLiteral("Check1")));
        ClickControl(main->Array<TextBox>(QStringLiteral("TxtL"), 0));
        qkmtest::TypeText(*main, QStringLiteral("12X"));
        ClickControl(main->Array<TextBox>(QStringLiteral("TxtL"), 1));
        ClickControl(main->Array<QuButton>(QStringLiteral("Cmd"), 0));
        EXPECT_TRUE(answers.Shown().empty());
        ClickControl(Button(*main, "CmdMnExam"));
        ClickControl(Button(*main, "QuButton1"));
        ClickControl(Button(*main, "CmdStdy"));
        if (trades.IsLoaded() || Forms::FrmKbdSet().IsLoaded() || Forms::FrmMnlx().IsLoaded()) {
            openedUnderGeneration << QString::number(round);
        }
        if (round == 1) {
            WaitUntil([&] { return main->Control<QuXPProgress>(QStringLiteral("QuXPProgWait")).Value() > 20; });
            SaveFormPng(*main, QStringLiteral("FrmMain-generating"));
        }

        ASSERT_TRUE(WaitUntil([&] { return Forms::FrmExam().IsLoaded() && !main->IsLoaded(); }));
        // The counter starts at 0 with the program and is 1 after a generation.
        EXPECT_EQ(firstTick, round) << "round " << round;
        EXPECT_EQ(PaperRows(*this), 15);
        EXPECT_EQ(gExamTime, 60);

        // Back to a new main menu, as the results do.
        Forms::FrmExam().Unload();
        main = &Forms::FrmMain();
        main->Show();
    }
    EXPECT_TRUE(openedUnderGeneration.isEmpty()) << openedUnderGeneration.join(u',').toStdString();
}

TEST_F(MainMenu, TheChoosersOpenTheExamScreenForPractice)
{
    Form& main = ShowMainMenu();
    Form& modules = Forms::FrmMnlx();
    // The list starts on the first module, so a plain confirmation always has one.
    WhenShown(modules, [&] { ClickControl(Button(modules, "CmdYes")); });
    ClickControl(Button(main, "CmdStdy"));
    EXPECT_EQ(gChapter, 1);
    EXPECT_EQ(gExamMode, ModeChapterPractice);
    ASSERT_TRUE(Forms::FrmExam().IsLoaded());
    EXPECT_FALSE(main.IsLoaded());
    Forms::FrmExam().Unload();

    Form& again = ShowMainMenu();
    Form& trades = Forms::FrmZjcx();
    WhenShown(trades, [&] {
        ClickControl(trades.Array<OptionButton>(QStringLiteral("OptSlcCX"), 1));
        ClickControl(Button(trades, "CmdYes"));
    });
    ClickControl(Button(again, "CmdExamStr"));
    EXPECT_EQ(gApplyType, QString::fromUtf16(TradePainting));
    EXPECT_EQ(gExamMode, ModeSequentialPractice);
    EXPECT_TRUE(Forms::FrmExam().IsLoaded());
    EXPECT_FALSE(again.IsLoaded());
}

TEST_F(MainMenu, AGenerationThatCannotMakeAPaperSaysWhyAndKeepsTheLastPaper)
{
    // The painting trade has no active model in this bank; the sheet-metal paper made first stays.
    gApplyType = QString::fromUtf16(TradeSheetMetal);
    ASSERT_EQ(CreateExamPaper(), PaperStatus::Created);
    const QByteArray config = [&] {
        QFile file(FilePath(QStringLiteral("STheme.cfg")));
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();
    auto conn = OpenBank();
    conn->Execute(QStringLiteral("Update Exam_Model Set ModelStatus = 0 Where ApplyType='") +
                  QString::fromUtf16(TradePainting) + QStringLiteral("'"));
    conn->Close();

    Form& main = ShowMainMenu();
    Form& trades = Forms::FrmZjcx();
    MsgBoxAnswers answers;
    WhenShown(trades, [&] {
        ClickControl(trades.Array<OptionButton>(QStringLiteral("OptSlcCX"), 1));
        ClickControl(Button(trades, "CmdYes"));
    });
    ClickControl(Button(main, "CmdMnExam"));
    ASSERT_TRUE(WaitUntil([&] { return !answers.Shown().empty(); }));
    EXPECT_EQ(answers.Shown()[0].Prompt, PaperStatusText(PaperStatus::NoValidModel));
    EXPECT_EQ(answers.Shown()[0].Title, QStringLiteral("提示"));
    EXPECT_TRUE(main.IsLoaded());
    EXPECT_FALSE(main.Control<PictureBox>(QStringLiteral("PicCrtEp")).Visible());
    EXPECT_FALSE(main.Control<Timer>(QStringLiteral("Timer1")).Enabled());
    EXPECT_FALSE(main.Control<Timer>(QStringLiteral("Timer2")).Enabled());
    EXPECT_FALSE(Forms::FrmExam().IsLoaded());
    EXPECT_EQ(PaperRows(*this), 15);
    QFile file(FilePath(QStringLiteral("STheme.cfg")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), config);
    file.close();

    // An error the cipher raises in a handler while a paper is generated ends the program with the
    // cipher's own number and text; the last paper stays.
    main.Control<Timer>(QStringLiteral("Timer2")).Tick.Connect([] {
        ClQuAK cipher;
        cipher.SetCipherKey(ByteArray(32), 256, 100);
    });
    WhenShown(trades, [&] {
        ClickControl(trades.Array<OptionButton>(QStringLiteral("OptSlcCX"), 0));
        ClickControl(Button(trades, "CmdYes"));
    });
    ClickControl(Button(main, "CmdMnExam"));
    ASSERT_TRUE(WaitUntil([] { return ProgramEnded(); }));
    ASSERT_EQ(answers.Shown().size(), 2u);
    EXPECT_EQ(answers.Shown()[1].Prompt,
              QStringLiteral("运行时错误 '1':\n\ncRijndael.SetCipherKey - Illegal BlockBits Value"));
    EXPECT_EQ(answers.Shown()[1].Title, QStringLiteral("QKMExam"));
    EXPECT_FALSE(main.IsLoaded());
    EXPECT_EQ(PaperRows(*this), 15);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), config);
}

// ---- the login simulation ----

class LoginSimulation : public ProgramFixture, public ::testing::Test {
protected:
    void SetUp() override
    {
        mMain = &ShowMainMenu();
        mMain->hWnd()->activateWindow();
        WaitUntil([&] { return Form::ActiveForm() == mMain; }, 1000);
    }
    TextBox& Field(int index) { return mMain->Array<TextBox>(QStringLiteral("TxtL"), index); }
    CheckBox& Switch() { return mMain->Control<CheckBox>(QStringLiteral("Check1")); }
    QuButton& Cmd(int index) { return mMain->Array<QuButton>(QStringLiteral("Cmd"), index); }
    void TurnOn()
    {
        if (Switch().Value() == 1) {
            ClickControl(Switch());
        }
        ClickControl(Switch());
        ASSERT_EQ(Switch().Value(), 1);
    }
    void Type(int index, const QString& text)
    {
        ClickControl(Field(index));
        qkmtest::TypeText(*mMain, text);
    }
    Form* mMain = nullptr;
};

TEST(LoginNumberRule, FifteenSeventeenAndEighteenCharactersAreAcceptedBlanksAroundNotCounted)
{
    for (int length = 13; length <= 19; ++length) {
        const bool accepted = length == 15 || length == 17 || length == 18;
        EXPECT_EQ(IdentityNumberAccepted(QString(length, u'1')), accepted) << length;
        EXPECT_EQ(IdentityNumberAccepted(u' ' + QString(length, u'2') + u' '), accepted) << length;
        // Only blanks are left out: a full-width space typed with the number counts.
        EXPECT_EQ(IdentityNumberAccepted(QString(length, u'2') + QChar(0x3000)), length + 1 == 15 || length + 1 == 17 || length + 1 == 18) << length;
    }
}

TEST_F(LoginSimulation, ACorrectRunFillsTheCandidateConfirmsAndResets)
{
    MsgBoxAnswers answers;
    TurnOn();
    Type(0, QStringLiteral(" 110101199001011 "));
    // Enter moves on through the fields to "登陆".
    qkmtest::PressKey(*mMain, vbKeyReturn);
    EXPECT_TRUE(Field(1).HasFocus());
    const QString admission = QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) + QStringLiteral("001008");
    EXPECT_EQ(Field(1).Text(), admission);
    qkmtest::PressKey(*mMain, vbKeyReturn);
    EXPECT_TRUE(Field(2).HasFocus());
    EXPECT_FALSE(Field(2).Text().isEmpty());
    EXPECT_EQ(mMain->Control<ComboBox>(QStringLiteral("CmbL")).ListIndex(), 1);
    qkmtest::PressKey(*mMain, vbKeyReturn);
    EXPECT_TRUE(Cmd(0).HasFocus());
    SaveFormPng(*mMain, QStringLiteral("FrmMain-login"));
    EXPECT_TRUE(answers.Shown().empty());

    ClickControl(Cmd(0));
    ASSERT_EQ(answers.Shown().size(), 1U);
    EXPECT_EQ(answers.Shown()[0].Prompt, QStringLiteral("登陆方法正确！"));
    EXPECT_EQ(answers.Shown()[0].Title, QStringLiteral("提示"));
    EXPECT_EQ(answers.Shown()[0].Buttons, vbOKOnly);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(Field(i).Text().isEmpty()) << i;
    }
    EXPECT_EQ(mMain->Control<ComboBox>(QStringLiteral("CmbL")).ListIndex(), 0);
    EXPECT_TRUE(Field(0).HasFocus());
    // The box keeps its tick, but the next run needs it ticked anew: leaving a bad number says nothing.
    EXPECT_EQ(Switch().Value(), 1);
    Type(0, QStringLiteral("123"));
    ClickControl(Field(1));
    EXPECT_EQ(answers.Shown().size(), 1U);
    // "登陆" with an empty name does nothing.
    ClickControl(Cmd(0));
    EXPECT_EQ(answers.Shown().size(), 1U);
}

TEST_F(LoginSimulation, ABadNumberIsRefusedTheXKeyIsTurnedAwayAndCancelSwitchesItselfOff)
{
    MsgBoxAnswers answers;
    TurnOn();
    Type(0, QString(16, u'3'));
    ClickControl(Field(1));
    ASSERT_EQ(answers.Shown().size(), 2U);
    EXPECT_EQ(answers.Shown()[0].Prompt, QStringLiteral("信息不完整，请核实身份证号以及准考证号都已正确输入！"));
    EXPECT_EQ(answers.Shown()[0].Buttons, vbExclamation);
    EXPECT_EQ(answers.Shown()[1].Title, QStringLiteral("正确登陆方法"));
    EXPECT_TRUE(answers.Shown()[1].Prompt.startsWith(QStringLiteral("正确的登陆方法如下：\r\n1、")));
    EXPECT_TRUE(Field(0).HasFocus());
    EXPECT_EQ(Switch().Value(), 0);
    EXPECT_TRUE(Field(1).Text().isEmpty());

    // The X key in the number field is refused whether or not the simulation runs, not typed, and
    // switches the simulation off.
    Field(0).SetText(QString(17, u'4'));
    TurnOn();
    ClickControl(Field(0));
    qkmtest::TypeText(*mMain, QStringLiteral("X"));
    ASSERT_EQ(answers.Shown().size(), 3U);
    EXPECT_EQ(answers.Shown()[2].Prompt, QStringLiteral("身份证尾号尾号为“X”的不需输入“X”,请去掉所输入的“X”！"));
    EXPECT_EQ(answers.Shown()[2].Title, QStringLiteral("提示"));
    EXPECT_EQ(answers.Shown()[2].Buttons, vbExclamation);
    EXPECT_EQ(Field(0).Text(), QString(17, u'4'));
    EXPECT_EQ(Switch().Value(), 0);

    // A number changed to a bad one after the admission number came: leaving that field refuses.
    TurnOn();
    ClickControl(Field(0));
    ClickControl(Field(1));
    EXPECT_FALSE(Field(1).Text().isEmpty());
    Field(0).SetText(QString(14, u'7'));
    ClickControl(Field(2));
    ASSERT_EQ(answers.Shown().size(), 4U);
    EXPECT_EQ(answers.Shown()[3].Prompt, QStringLiteral("没有考生信息，请与管理员联系！"));
    EXPECT_TRUE(Field(0).HasFocus());
    EXPECT_EQ(Switch().Value(), 0);
    EXPECT_TRUE(Field(2).Text().isEmpty());

    // A 16-character number, then the pointer onto "取消": its click empties the fields silently.
    TurnOn();
    Field(0).SetText(QString(16, u'5'));
    ClickControl(Field(0));
    qkmtest::MovePointerOnto(Cmd(1));
    ClickControl(Cmd(1));
    EXPECT_EQ(answers.Shown().size(), 4U);
    EXPECT_TRUE(Field(0).Text().isEmpty());
    EXPECT_TRUE(Field(0).HasFocus());
}

TEST_F(LoginSimulation, APressWhoseFieldCheckAskedSomethingDoesNotAlsoClickTheButton)
{
    MsgBoxAnswers answers;
    // A name is in its field and a refused number in the first: the press on "登陆" moves the focus,
    // the number is refused, and the box takes the click, so no confirmation follows.
    Field(2).SetText(QStringLiteral("李华"));
    TurnOn();
    Type(0, QString(16, u'6'));
    ClickControl(Cmd(0));
    ASSERT_EQ(answers.Shown().size(), 2U);
    EXPECT_EQ(answers.Shown()[0].Prompt, QStringLiteral("信息不完整，请核实身份证号以及准考证号都已正确输入！"));
    EXPECT_TRUE(Field(0).HasFocus());
    // The next click is an ordinary one again.
    ClickControl(Cmd(0));
    ASSERT_EQ(answers.Shown().size(), 3U);
    EXPECT_EQ(answers.Shown()[2].Prompt, QStringLiteral("登陆方法正确！"));
}
