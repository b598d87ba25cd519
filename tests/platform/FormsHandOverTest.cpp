// Forms handing over to each other from their own timers and keys, as the hand-in does: the exam
// screen's clock tick shows the scoring form modally; the scoring form's timer unloads it, shows
// the results modally, and then unloads the exam screen whose tick is still running below; Enter
// on the results unloads them and shows the main menu. Also timers changed inside their handlers.
#include <ControlRegistry.h>
#include <DesignData.h>
#include <Form.h>
#include <Label.h>
#include <Runtime.h>
#include <Timer.h>
#include <UserControl.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// A button as the exam screen's hand-in button: Click on the release, then its own code goes on
// with the control (redrawing its state) after the handler has returned.
class HandInButton : public UserControl {
public:
    QString TypeName() const override { return QStringLiteral("FormsHandInButton"); }
    Event<> Click;
    void UserControl_MouseUp(int, int, float, float) override
    {
        mDown = false;
        Click();
        // Touches the control after the handler, as a redraw does.
        mDrawnAfterClick = !mDown;
        Refresh();
    }
    void UserControl_Paint() override { Image().fill(mDown ? Qt::darkGray : Qt::lightGray); }
    void UserControl_MouseDown(int, int, float, float) override { mDown = true; }

private:
    bool mDown = false;
    bool mDrawnAfterClick = false;
};

const bool kRegistered = [] {
    RegisterControlType(QStringLiteral("FormsHandInButton"), [] { return std::make_unique<HandInButton>(); });
    return true;
}();

FormDesign DesignOf(const char* text)
{
    return ParseDesign(QString::fromUtf8(text), QStringLiteral("handover.form"));
}

struct Flow {
    QStringList Events;
};

class MainForm : public Form {
public:
    explicit MainForm(Flow& flow) : Form(QStringLiteral("FrmMain")), mFlow(flow)
    {
        SetDesign(DesignOf("Form FrmMain\n ClientWidth = 3000\n ClientHeight = 2000\nEnd\n"));
    }
    void Form_Load() override { mFlow.Events << QStringLiteral("Main.Load"); }

private:
    Flow& mFlow;
};

class ResultsForm : public Form {
public:
    ResultsForm(Flow& flow, MainForm& main) : Form(QStringLiteral("FrmExamResults")), mFlow(flow), mMain(main)
    {
        SetDesign(DesignOf(R"(Form FrmExamResults
    KeyPreview = True
    BorderStyle = 3
    ClientWidth = 4800
    ClientHeight = 2685
    Begin Label Labdf(0)
        Left = 2280
        Top = 840
        Width = 1000
        Height = 255
    End
End
)"));
    }
    void Form_Load() override { mFlow.Events << QStringLiteral("Results.Load"); }
    void Form_Unload(int&) override { mFlow.Events << QStringLiteral("Results.Unload"); }
    void Form_KeyPress(int& keyAscii) override
    {
        if (keyAscii == 13) {
            Unload();
            mMain.Show();
            keyAscii = 0;
        }
    }

private:
    Flow& mFlow;
    MainForm& mMain;
};

class ExamForm;

class ScoringForm : public Form {
public:
    ScoringForm(Flow& flow, ResultsForm& results) : Form(QStringLiteral("FrmJsdf")), mFlow(flow), mResults(results)
    {
        SetDesign(DesignOf(R"(Form FrmJsdf
    BorderStyle = 0
    ShowInTaskbar = False
    ClientWidth = 5475
    ClientHeight = 720
    Begin Timer Timer1
        Interval = 150
        Enabled = False
    End
    Begin Timer Timer2
        Interval = 1000
    End
End
)"));
        OnEvent(QStringLiteral("Timer1"), &Timer::Tick, [this] { Timer1_Timer(); });
        OnEvent(QStringLiteral("Timer2"), &Timer::Tick, [this] { ++mWaitCount; });
    }
    void SetExam(ExamForm* exam) { mExam = exam; }

    void Form_Load() override
    {
        mFlow.Events << QStringLiteral("Scoring.Load");
        Control<Timer>(QStringLiteral("Timer1")).SetEnabled(true);
        Control<Timer>(QStringLiteral("Timer2")).SetInterval(15);
    }
    void Form_Unload(int&) override { mFlow.Events << QStringLiteral("Scoring.Unload"); }
    void Timer1_Timer();

    int mWaitCount = 0;
    int mWaitCountAtScoring = 0;

private:
    Flow& mFlow;
    ResultsForm& mResults;
    ExamForm* mExam = nullptr;
};

class ExamForm : public Form {
public:
    ExamForm(Flow& flow, ScoringForm& scoring) : Form(QStringLiteral("FrmExam")), mFlow(flow), mScoring(scoring)
    {
        SetDesign(DesignOf(R"(Form FrmExam
    KeyPreview = True
    ClientWidth = 6000
    ClientHeight = 4000
    Begin Label LabTime
        Left = 120
        Top = 120
        Width = 1500
        Height = 255
    End
    Begin Timer Timer1
        Interval = 20
    End
    Begin FormsHandInButton CmdExam(2)
        Left = 3000
        Top = 3000
        Width = 1095
        Height = 495
    End
End
)"));
        OnEvent(QStringLiteral("Timer1"), &Timer::Tick, [this] { Timer1_Timer(); });
        OnArrayEvent(QStringLiteral("CmdExam"), &HandInButton::Click, [this](int) { HandIn(); });
    }
    void SetClockRunning(bool running) { mClockRunning = running; }
    void Form_Load() override
    {
        mFlow.Events << QStringLiteral("Exam.Load");
        Control<Timer>(QStringLiteral("Timer1")).SetEnabled(mClockRunning);
    }
    void Form_Unload(int&) override { mFlow.Events << QStringLiteral("Exam.Unload"); }

    void Timer1_Timer()
    {
        // The clock ran out: stop it and hand in.
        Control<Timer>(QStringLiteral("Timer1")).SetEnabled(false);
        Control<Label>(QStringLiteral("LabTime")).SetVisible(false);
        HandIn();
    }
    void HandIn()
    {
        mFlow.Events << QStringLiteral("Exam.HandIn");
        mScoring.Show(vbModal);
        mFlow.Events << (IsLoaded() ? QStringLiteral("Exam.AfterScoring loaded")
                                    : QStringLiteral("Exam.AfterScoring unloaded"));
    }

private:
    Flow& mFlow;
    ScoringForm& mScoring;
    bool mClockRunning = true;
};

void ScoringForm::Timer1_Timer()
{
    mWaitCountAtScoring = mWaitCount;
    Control<Timer>(QStringLiteral("Timer1")).SetEnabled(false);
    Unload();
    mResults.Show(vbModal);
    mWaitCount = 1;
    mExam->Unload();
}

// Answers the results form with a real Enter once it is up.
void PressEnterOnceShown(ResultsForm& results)
{
    auto* poll = new QTimer();
    QObject::connect(poll, &QTimer::timeout, poll, [poll, &results] {
        if (results.Visible()) {
            poll->deleteLater();
            QTest::keyClick(results.hWnd(), Qt::Key_Return);
        }
    });
    poll->start(5);
}

class FormsHandOver : public ::testing::Test {
protected:
    FormsHandOver() : mMain(mFlow), mResults(mFlow, mMain), mScoring(mFlow, mResults), mExam(mFlow, mScoring)
    {
        mScoring.SetExam(&mExam);
    }
    void TearDown() override
    {
        Form::DiscardAll();
        QCoreApplication::processEvents();
        ResetProgramEnded();
        SetProgramEndHook({});
    }

    void HandInAndWaitForTheMainMenu()
    {
        PressEnterOnceShown(mResults);
        RunGuarded([this] { mExam.Show(); });
        QTRY_VERIFY_WITH_TIMEOUT(mMain.IsLoaded() && !mExam.IsLoaded(), 5000);
        // Let the unwound ticks finish and the unloaded controls go.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    Flow mFlow;
    MainForm mMain;
    ResultsForm mResults;
    ScoringForm mScoring;
    ExamForm mExam;
};

TEST_F(FormsHandOver, TheScoringFormHandsOverToTheResultsAndUnloadsTheExamScreenBelowIt)
{
    int ends = 0;
    SetProgramEndHook([&] { ++ends; });
    HandInAndWaitForTheMainMenu();

    const QStringList expected{
        QStringLiteral("Exam.Load"),      QStringLiteral("Exam.HandIn"),  QStringLiteral("Scoring.Load"),
        QStringLiteral("Scoring.Unload"), QStringLiteral("Results.Load"), QStringLiteral("Results.Unload"),
        QStringLiteral("Main.Load"),      QStringLiteral("Exam.Unload"),  QStringLiteral("Exam.AfterScoring unloaded")};
    EXPECT_EQ(mFlow.Events, expected);
    EXPECT_FALSE(ProgramEnded());
    EXPECT_EQ(ends, 0);
    EXPECT_TRUE(mMain.Visible());
    EXPECT_EQ(Form::Forms(), std::vector<Form*>{&mMain});
    // The 15 ms bar timer ran while the 150 ms scoring timer waited.
    EXPECT_GE(mScoring.mWaitCountAtScoring, 2);
    EXPECT_EQ(mScoring.mWaitCount, 1);
}

TEST_F(FormsHandOver, ASecondHandInInTheSameRunGoesTheSameWayOnFreshControls)
{
    HandInAndWaitForTheMainMenu();
    mMain.Unload();
    mFlow.Events.clear();
    HandInAndWaitForTheMainMenu();
    EXPECT_EQ(mFlow.Events.size(), 9);
    EXPECT_EQ(mFlow.Events.last(), QStringLiteral("Exam.AfterScoring unloaded"));
    EXPECT_FALSE(ProgramEnded());
    // Disabled at design, the scoring timer was enabled again by the new load.
    EXPECT_TRUE(mFlow.Events.contains(QStringLiteral("Results.Load")));
}

TEST_F(FormsHandOver, HandingInByTheButtonUnloadsTheScreenWhoseButtonIsStillReleasing)
{
    mExam.SetClockRunning(false);
    PressEnterOnceShown(mResults);
    RunGuarded([this] { mExam.Show(); });
    QWidget* button = mExam.Array<HandInButton>(QStringLiteral("CmdExam"), 2).hWnd();
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTRY_VERIFY_WITH_TIMEOUT(mMain.IsLoaded() && !mExam.IsLoaded(), 5000);
    QCoreApplication::processEvents();
    EXPECT_EQ(mFlow.Events.last(), QStringLiteral("Exam.AfterScoring unloaded"));
    EXPECT_EQ(mFlow.Events.count(QStringLiteral("Exam.HandIn")), 1);
    EXPECT_FALSE(ProgramEnded());
}

TEST_F(FormsHandOver, UnloadingTheLastFormFromItsOwnTimerEndsTheProgramOnce)
{
    int ends = 0;
    SetProgramEndHook([&] { ++ends; });
    // The splash's last step: its own timer unloads it and nothing else is shown.
    Form splash(QStringLiteral("FrmStart"));
    splash.SetDesign(DesignOf("Form FrmStart\n Begin Timer Timer5\n  Interval = 20\n End\nEnd\n"));
    splash.OnEvent(QStringLiteral("Timer5"), &Timer::Tick, [&splash] {
        splash.Control<Timer>(QStringLiteral("Timer5")).SetEnabled(false);
        splash.Unload();
    });
    splash.Show();
    QTRY_VERIFY_WITH_TIMEOUT(ProgramEnded(), 2000);
    QCoreApplication::processEvents();
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(splash.IsLoaded());

    // An end hook that fails (the display cannot be put back) does not take Qt down with it.
    ResetProgramEnded();
    SetProgramEndHook([&] {
        ++ends;
        throw std::runtime_error("display");
    });
    splash.Show();
    QTRY_VERIFY_WITH_TIMEOUT(ProgramEnded(), 2000);
    EXPECT_EQ(ends, 2);
}

TEST(FormsTimers, IntervalAndEnabledChangedInsideTheHandlerTakeEffectFromThatTick)
{
    Form form(QStringLiteral("FrmTimers"));
    form.SetDesign(DesignOf("Form FrmTimers\n Begin Timer Timer1\n  Interval = 20\n End\nEnd\n"));
    QElapsedTimer clock;
    std::vector<qint64> ticks;
    form.OnEvent(QStringLiteral("Timer1"), &Timer::Tick, [&] {
        ticks.push_back(clock.elapsed());
        auto& timer = form.Control<Timer>(QStringLiteral("Timer1"));
        if (ticks.size() == 1) {
            // A longer interval from the first tick on.
            timer.SetInterval(300);
        } else if (ticks.size() == 2) {
            // Off and on again inside the handler keeps it running.
            timer.SetEnabled(false);
            timer.SetEnabled(true);
        } else if (ticks.size() == 3) {
            timer.SetInterval(0);
        }
    });
    clock.start();
    form.Show();
    QTRY_COMPARE_WITH_TIMEOUT(ticks.size(), std::size_t{3}, 3000);
    QTest::qWait(400);
    ASSERT_EQ(ticks.size(), 3u);
    // Never early: a tick comes a whole interval after the one before.
    EXPECT_GE(ticks[1] - ticks[0], 300);
    EXPECT_GE(ticks[2] - ticks[1], 300);
    // Interval 0 stops the timer but leaves it enabled.
    EXPECT_TRUE(form.Control<Timer>(QStringLiteral("Timer1")).Enabled());
    form.Unload();
    QCoreApplication::processEvents();
    ResetProgramEnded();
}

TEST(FormsTimers, ATimerOfAnUnloadedFormNeverFiresAgainAndStartsAfreshWithTheNextLoad)
{
    Form form(QStringLiteral("FrmTicks"));
    form.SetDesign(DesignOf("Form FrmTicks\n Begin Timer Timer1\n  Interval = 10\n End\nEnd\n"));
    int ticks = 0;
    form.OnEvent(QStringLiteral("Timer1"), &Timer::Tick, [&] { ++ticks; });
    form.Show();
    QTRY_VERIFY_WITH_TIMEOUT(ticks >= 2, 2000);
    form.Unload();
    const int atUnload = ticks;
    QTest::qWait(60);
    EXPECT_EQ(ticks, atUnload);
    form.Show();
    QTRY_VERIFY_WITH_TIMEOUT(ticks > atUnload, 2000);
    form.Unload();
    QCoreApplication::processEvents();
    ResetProgramEnded();
}

} // namespace
