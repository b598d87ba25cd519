// Form lifecycle: default instances keep their fields across Unload, Load makes fresh controls,
// an unloaded form leaves nothing of its window behind, modal Show blocks until the form is hidden
// or unloaded, the last Unload ends the program, and the error guard reports untrapped errors and
// ends the program; one process at a time holds the program folder.
#include "MsgBoxAnswers.h"

#include <ComboBox.h>
#include <ComboBoxStyle.h>
#include <DesignData.h>
#include <FolderLock.h>
#include <Form.h>
#include <Label.h>
#include <MsgBox.h>
#include <Runtime.h>
#include <Screen.h>
#include <Timer.h>
#include <WindowApi.h>
#include <WindowHooks.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QPixmapCache>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <optional>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char* kCounterDesign = R"(Form FrmCounter
    Caption = "计数"
    ClientWidth = 4500
    ClientHeight = 3000
    StartUpPosition = 2
    Begin Label LabCount
        Left = 120
        Top = 120
        Width = 2000
        Height = 300
        Caption = "0"
    End
    Begin Timer Timer1
        Interval = 20
        Enabled = False
    End
End
)";

class CounterForm : public Form {
public:
    CounterForm() : Form(QStringLiteral("FrmCounter"))
    {
        SetDesign(ParseDesign(QString::fromUtf8(kCounterDesign), QStringLiteral("counter.form")));
        OnEvent(QStringLiteral("Timer1"), &Timer::Tick, [this] { Timer1_Timer(); });
    }

    void Form_Load() override
    {
        ++mLoads;
        Control<Label>(QStringLiteral("LabCount")).SetCaption(QString::number(mLoads));
    }
    void Form_QueryUnload(int& cancel, int unloadMode) override
    {
        Events << QStringLiteral("QueryUnload %1").arg(unloadMode);
        cancel = mRefuse ? 1 : 0;
    }
    void Form_Unload(int&) override { Events << QStringLiteral("Unload"); }

    void Timer1_Timer()
    {
        ++mTicks;
        if (mTicks == 3) {
            Control<Timer>(QStringLiteral("Timer1")).SetEnabled(false);
            Unload();
        }
    }

    int mLoads = 0;
    int mTicks = 0;
    bool mRefuse = false;
    QStringList Events;
};

// Another process that tries the folder and, when it got it, holds it until it is ended or killed.
class FolderHolder {
public:
    explicit FolderHolder(const QString& folder)
    {
        int report[2];
        int hold[2];
        if (::pipe(report) != 0 || ::pipe(hold) != 0) {
            return;
        }
        mPid = ::fork();
        if (mPid == 0) {
            ::close(report[0]);
            ::close(hold[1]);
            const FolderLock lock(folder);
            const char state = static_cast<char>(lock.Result());
            char ignored = 0;
            // Held until the parent closes its end of the pipe or kills this process.
            const bool told = ::write(report[1], &state, 1) == 1;
            _exit(told && ::read(hold[0], &ignored, 1) >= 0 ? 0 : 1);
        }
        ::close(report[1]);
        ::close(hold[0]);
        mHold = hold[1];
        char state = 0;
        if (mPid > 0 && ::read(report[0], &state, 1) == 1) {
            mState = static_cast<FolderLock::State>(state);
        }
        ::close(report[0]);
    }
    ~FolderHolder() { End(SIGKILL); }

    std::optional<FolderLock::State> State() const { return mState; }

    // 0: the holder ends by itself; otherwise it gets this signal. Returns once it is gone.
    void End(int signal = 0)
    {
        if (mPid <= 0) {
            return;
        }
        if (signal != 0) {
            ::kill(mPid, signal);
        }
        ::close(mHold);
        int status = 0;
        ::waitpid(mPid, &status, 0);
        mPid = 0;
    }

private:
    pid_t mPid = 0;
    int mHold = -1;
    std::optional<FolderLock::State> mState;
};

class FormsLifecycle : public ::testing::Test {
protected:
    void TearDown() override
    {
        Form::DiscardAll();
        QCoreApplication::processEvents();
        ResetProgramEnded();
        SetProgramEndHook({});
    }
};

TEST_F(FormsLifecycle, FieldsSurviveUnloadAndLoadBuildsFreshControls)
{
    CounterForm form;
    form.Load();
    Label* first = &form.Control<Label>(QStringLiteral("LabCount"));
    first->SetCaption(QStringLiteral("changed"));
    EXPECT_EQ(form.Caption(), QStringLiteral("计数"));
    EXPECT_TRUE(form.Unload());
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_EQ(form.FindControl(QStringLiteral("LabCount")), nullptr);
    EXPECT_EQ(form.Events, (QStringList{QStringLiteral("QueryUnload 1"), QStringLiteral("Unload")}));

    form.Load();
    EXPECT_EQ(form.mLoads, 2);
    EXPECT_EQ(form.Control<Label>(QStringLiteral("LabCount")).Caption(), QStringLiteral("2"));
    form.Unload();
}

// A station loads and unloads its forms all day: each round must leave no window, no widget and
// nothing the style cached for the destroyed controls (a combo box's pixmaps, keyed by its palette),
// and a fresh combo box must draw under the names its predecessor drew under: the pixmap cache
// forgets the pixmaps when it is emptied but keeps every name.
TEST_F(FormsLifecycle, ARoundOfLoadShowUnloadLeavesNothingOfTheFormBehind)
{
    CounterForm menu;
    menu.Show();
    Form chooser(QStringLiteral("FrmMnlx"));
    chooser.SetDesign(ParseDesign(QStringLiteral("Form FrmMnlx\n BackColor = &H00FF9933&\n"
                                                 " Begin PictureBox PicBox\n  Width = 3000\n  Height = 1500\n"
                                                 "  Begin ComboBox Comb\n   Left = 120\n   Top = 120\n"
                                                 "   Width = 2000\n   BackColor = &H00FFFFFF&\n  End\n"
                                                 " End\n Begin Label LabLxErr\n  Top = 1700\n  Caption = \"x\"\n"
                                                 " End\nEnd\n"),
                                  QStringLiteral("chooser.form")));
    const auto settle = [] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    };
    settle();
    const qsizetype widgets = QApplication::allWidgets().size();
    const qsizetype windows = QApplication::topLevelWidgets().size();
    QPixmap cached(16, 16);
    cached.fill(Qt::red);
    const QString key = QStringLiteral("drawn while the chooser was up");
    std::optional<qint64> drawnWith;
    std::optional<qint64> ownPalette;
    for (int round = 1; round <= 3; ++round) {
        chooser.Show();
        QCoreApplication::processEvents();
        EXPECT_GT(QApplication::allWidgets().size(), widgets);
        auto* combo = chooser.Control<ComboBox>(QStringLiteral("Comb")).hWnd();
        ASSERT_NE(combo, nullptr);
        ASSERT_EQ(combo->style(), ComboBoxStyle::Instance()) << "round " << round;
        const qint64 shared = ComboBoxStyle::Instance()->SharedPalette(combo->palette()).cacheKey();
        EXPECT_EQ(drawnWith.value_or(shared), shared) << "round " << round;
        EXPECT_NE(ownPalette, combo->palette().cacheKey()) << "round " << round;
        drawnWith = shared;
        ownPalette = combo->palette().cacheKey();
        ASSERT_TRUE(QPixmapCache::insert(key, cached));
        EXPECT_TRUE(chooser.Unload());
        settle();
        EXPECT_EQ(QApplication::allWidgets().size(), widgets) << "round " << round;
        EXPECT_EQ(QApplication::topLevelWidgets().size(), windows) << "round " << round;
        QPixmap found;
        EXPECT_FALSE(QPixmapCache::find(key, &found)) << "round " << round;
    }
    EXPECT_TRUE(menu.IsLoaded());
    EXPECT_FALSE(ProgramEnded());
}

TEST_F(FormsLifecycle, QueryUnloadCanRefuseAndClosingTheWindowAsksIt)
{
    CounterForm form;
    form.Show();
    form.mRefuse = true;
    form.hWnd()->close();
    EXPECT_TRUE(form.IsLoaded());
    EXPECT_EQ(form.Events, QStringList{QStringLiteral("QueryUnload 0")});
    form.mRefuse = false;
    EXPECT_TRUE(form.Unload());
}

TEST_F(FormsLifecycle, ModalShowReturnsOnlyAfterTheFormIsUnloaded)
{
    CounterForm form;
    CounterForm other;
    other.Show();
    bool unloadedWhileShown = false;
    QTimer::singleShot(0, [&] {
        unloadedWhileShown = form.Visible();
        form.Control<Timer>(QStringLiteral("Timer1")).SetEnabled(true);
    });
    QElapsedTimer clock;
    clock.start();
    form.Show(vbModal);
    EXPECT_TRUE(unloadedWhileShown);
    EXPECT_EQ(form.mTicks, 3);
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_GE(clock.elapsed(), 40);
    EXPECT_FALSE(ProgramEnded());
    other.Unload();
}

TEST_F(FormsLifecycle, ModalShowReturnsWhenTheFormIsHidden)
{
    CounterForm form;
    QTimer::singleShot(0, [&] { form.Hide(); });
    form.Show(vbModal);
    EXPECT_TRUE(form.IsLoaded());
    EXPECT_FALSE(form.Visible());
    form.Unload();
}

TEST_F(FormsLifecycle, StartUpPositionCentresTheFormOnTheScreen)
{
    CounterForm form;
    form.Show();
    // 4500 x 3000 twips = 300 x 200 pixels on the 1280 x 1024 test screen.
    EXPECT_EQ(form.hWnd()->size(), QSize(300, 200));
    EXPECT_EQ(form.Left(), (1280 - 300) / 2 * 15);
    EXPECT_EQ(form.Top(), (1024 - 200) / 2 * 15);
    form.Unload();
}

TEST_F(FormsLifecycle, TheLastUnloadEndsTheProgramOnceTheHandlerHasReturned)
{
    CounterForm first;
    CounterForm second;
    int ends = 0;
    SetProgramEndHook([&] { ++ends; });
    first.Show();
    RunGuarded([&] {
        // Unloading the only form and showing another in the same handler keeps the program.
        first.Unload();
        second.Show();
    });
    QCoreApplication::processEvents();
    EXPECT_FALSE(ProgramEnded());
    second.Unload();
    EXPECT_FALSE(ProgramEnded());
    QCoreApplication::processEvents();
    EXPECT_TRUE(ProgramEnded());
    EXPECT_EQ(ends, 1);
}

TEST_F(FormsLifecycle, AnUntrappedErrorShowsTheStandardBoxAndEndsTheProgram)
{
    qkmtest::MsgBoxAnswers answers;
    CounterForm form;
    form.Show();
    bool after = false;
    const bool completed = RunGuarded([&] {
        throw RuntimeError(3021, QStringLiteral("BOF 或 EOF 中有一个是“真”"));
        after = true;
    });
    EXPECT_FALSE(completed);
    EXPECT_FALSE(after);
    ASSERT_EQ(answers.Shown().size(), 1u);
    EXPECT_EQ(answers.Shown()[0].Prompt, QStringLiteral("运行时错误 '3021':\n\nBOF 或 EOF 中有一个是“真”"));
    EXPECT_EQ(answers.Shown()[0].Title, QStringLiteral("QKMExam"));
    EXPECT_TRUE(ProgramEnded());
    EXPECT_FALSE(form.IsLoaded());
}

TEST_F(FormsLifecycle, ErrorsInTimerHandlersAndOtherExceptionTypesReachTheGuard)
{
    struct CipherFault {
        int Code;
    };
    RegisterErrorTranslator([](const std::exception_ptr& error) -> std::optional<TrappedError> {
        try {
            std::rethrow_exception(error);
        } catch (const CipherFault& fault) {
            return TrappedError{fault.Code, QStringLiteral("cRijndael.Fault")};
        } catch (...) {
            return std::nullopt;
        }
    });
    qkmtest::MsgBoxAnswers answers;
    CounterForm form;
    form.Show();
    form.OnEvent(QStringLiteral("Timer1"), &Timer::Tick, [] { throw CipherFault{1}; });
    form.Control<Timer>(QStringLiteral("Timer1")).SetEnabled(true);
    QTRY_VERIFY_WITH_TIMEOUT(ProgramEnded(), 2000);
    ASSERT_EQ(answers.Shown().size(), 1u);
    EXPECT_EQ(answers.Shown()[0].Prompt, QStringLiteral("运行时错误 '1':\n\ncRijndael.Fault"));

    ResetProgramEnded();
    RunGuarded([] { throw std::runtime_error("disk full"); });
    ASSERT_EQ(answers.Shown().size(), 2u);
    EXPECT_TRUE(answers.Shown()[1].Prompt.endsWith(QStringLiteral("disk full")));
}

TEST_F(FormsLifecycle, EndUnwindsTheHandlerAndTheModalShowThatWaitsBelowIt)
{
    CounterForm form;
    bool afterShow = false;
    bool afterEnd = false;
    QTimer::singleShot(0, [&] {
        RunGuarded([&] {
            End();
            afterEnd = true;
        });
    });
    const bool completed = RunGuarded([&] {
        form.Show(vbModal);
        afterShow = true;
    });
    EXPECT_FALSE(completed);
    EXPECT_FALSE(afterEnd);
    EXPECT_FALSE(afterShow);
    EXPECT_TRUE(ProgramEnded());
    EXPECT_FALSE(form.IsLoaded());
}

TEST_F(FormsLifecycle, ActivatingAnotherFormDeactivatesTheFirstAndTellsItsHooks)
{
    struct Watcher : CounterForm {
        void Form_Activate() override { Events << QStringLiteral("Activate"); }
        void Form_Deactivate() override { Events << QStringLiteral("Deactivate"); }
    };
    Watcher first;
    Watcher second;
    first.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(first.hWnd()));
    std::vector<quintptr> hooked;
    const int owner = 0;
    WindowHooks::Install(first.hWnd(), &owner,
                         [&](bool, bool&, long&, QWidget*, unsigned message, quintptr wParam, qintptr) {
                             if (message == WM_ACTIVATE) {
                                 hooked.push_back(wParam);
                             }
                         });
    WindowHooks::AddMessage(first.hWnd(), &owner, WM_ACTIVATE, 1);
    second.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(second.hWnd()));
    EXPECT_EQ(first.Events, (QStringList{QStringLiteral("Activate"), QStringLiteral("Deactivate")}));
    EXPECT_EQ(second.Events, QStringList{QStringLiteral("Activate")});
    EXPECT_EQ(Form::ActiveForm(), &second);
    ASSERT_FALSE(hooked.empty());
    EXPECT_EQ(hooked.back(), static_cast<quintptr>(WA_INACTIVE));
    WindowHooks::RemoveAll(&owner);
    second.Unload();
    first.Unload();
}

TEST_F(FormsLifecycle, ABorderlessMaximisedFormOutsideTheTaskBarCoversTheScreen)
{
    Form form(QStringLiteral("FrmExam"));
    form.SetDesign(ParseDesign(QStringLiteral("Form FrmExam\n BorderStyle = 0\n ShowInTaskbar = False\n"
                                              " WindowState = 2\n ClientWidth = 16245\n ClientHeight = 12555\nEnd\n"),
                               QStringLiteral("exam.form")));
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.hWnd()));
    const Qt::WindowFlags flags = form.hWnd()->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    QTRY_COMPARE_WITH_TIMEOUT(form.hWnd()->size(), QSize(1280, 1024), 2000);
    EXPECT_EQ(form.ScaleWidth(), 1280 * 15);
    form.Unload();
}

TEST_F(FormsLifecycle, AFixedDialogHasNeitherMinimiseNorMaximiseButton)
{
    // The results form: caption "评分", fixed dialog border.
    Form form(QStringLiteral("FrmExamResults"));
    form.SetDesign(ParseDesign(QStringLiteral("Form FrmExamResults\n Caption = \"评分\"\n BorderStyle = 3\n"
                                              " ClientWidth = 4800\n ClientHeight = 2685\nEnd\n"),
                               QStringLiteral("results.form")));
    form.Show();
    const Qt::WindowFlags flags = form.hWnd()->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(form.hWnd()->size(), QSize(320, 179));
    EXPECT_EQ(form.hWnd()->windowTitle(), QStringLiteral("评分"));
    // Code may still resize it.
    form.Move(form.Left(), form.Top(), 6000, 3000);
    EXPECT_EQ(form.hWnd()->size(), QSize(400, 200));
    form.Unload();
}

TEST_F(FormsLifecycle, ScreenAndCursorsComeFromTheDisplay)
{
    EXPECT_EQ(Screen::Width(), 1280 * 15);
    EXPECT_EQ(Screen::Height(), 1024 * 15);
    EXPECT_EQ(Screen::TwipsPerPixelX(), 15);
    ASSERT_NE(LoadCursor(QStringLiteral("#32649")), nullptr);
    EXPECT_EQ(LoadCursor(QStringLiteral("#32649")), LoadCursor(IDC_HAND));
    EXPECT_EQ(LoadCursor(IDC_HAND)->shape(), Qt::PointingHandCursor);
    EXPECT_EQ(LoadCursor(12345), nullptr);
}

TEST_F(FormsLifecycle, MsgBoxAnswersComeFromTheResponderWithTheTitleOfTheProgram)
{
    qkmtest::MsgBoxAnswers answers;
    answers.Next(vbNo);
    EXPECT_EQ(MsgBox(QStringLiteral("确定要交卷吗?"), vbYesNo + vbQuestion), vbNo);
    EXPECT_EQ(MsgBox(QStringLiteral("默认"), vbYesNo + vbDefaultButton2, QStringLiteral("提示")), vbNo);
    EXPECT_EQ(MessageBoxA(nullptr, QStringLiteral("退出?"), QStringLiteral("系统"), MB_YESNO | MB_ICONQUESTION), IDYES);
    ASSERT_EQ(answers.Shown().size(), 3u);
    EXPECT_EQ(answers.Shown()[0].Title, QStringLiteral("QKMExam"));
    EXPECT_EQ(answers.Shown()[0].Buttons, vbYesNo + vbQuestion);
    EXPECT_EQ(answers.Shown()[1].Title, QStringLiteral("提示"));
    EXPECT_EQ(answers.Shown()[2].Prompt, QStringLiteral("退出?"));
}

TEST_F(FormsLifecycle, ARealMessageBoxCarriesChineseButtonsAndIsModal)
{
    const MsgBoxResponder saved = SetMsgBoxResponder({});
    QStringList texts;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        modal = box->isModal();
        for (QAbstractButton* button : box->buttons()) {
            texts << button->text();
        }
        box->buttons().at(1)->click();
    });
    const int result = MsgBox(QStringLiteral("保存吗?"), vbYesNoCancel);
    SetMsgBoxResponder(saved);
    EXPECT_TRUE(modal);
    EXPECT_EQ(texts, (QStringList{QStringLiteral("是(&Y)"), QStringLiteral("否(&N)"), QStringLiteral("取消")}));
    EXPECT_EQ(result, vbNo);
}

TEST_F(FormsLifecycle, ABoxWhoseFormIsUnloadedMeanwhileGoesWithItAndAnswersNo)
{
    // The hand-in question waits while the exam clock runs out and the scoring unloads the screen.
    const MsgBoxResponder saved = SetMsgBoxResponder({});
    CounterForm form;
    CounterForm next;
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.hWnd()));
    bool boxWasUp = false;
    QTimer::singleShot(0, [&] {
        boxWasUp = QApplication::activeModalWidget() != nullptr;
        RunGuarded([&] {
            next.Show();
            form.Unload();
        });
    });
    int answer = 0;
    const bool completed = RunGuarded([&] { answer = MsgBox(QStringLiteral("确定要交卷吗?"), vbYesNo + vbQuestion); });
    SetMsgBoxResponder(saved);
    EXPECT_TRUE(completed);
    EXPECT_TRUE(boxWasUp);
    EXPECT_EQ(answer, vbNo);
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(ProgramEnded());
    next.Unload();
}

TEST_F(FormsLifecycle, TheProgramFolderIsHeldByOneProcessUntilItEnds)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString folder = root.filePath(QStringLiteral("exam"));
    const QString other = root.filePath(QStringLiteral("other"));
    const QString link = root.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QDir().mkdir(folder) && QDir().mkdir(other));
    ASSERT_TRUE(QFile::link(folder, link));

    FolderHolder first(folder);
    ASSERT_EQ(first.State(), FolderLock::State::Held);
    EXPECT_EQ(FolderHolder(folder).State(), FolderLock::State::HeldElsewhere);
    EXPECT_EQ(FolderHolder(link).State(), FolderLock::State::HeldElsewhere) << "a link to the folder escapes the lock";
    EXPECT_EQ(FolderHolder(folder + QStringLiteral("/")).State(), FolderLock::State::HeldElsewhere);
    EXPECT_EQ(FolderLock(folder).Result(), FolderLock::State::HeldElsewhere);
    EXPECT_EQ(FolderHolder(other).State(), FolderLock::State::Held);
    EXPECT_EQ(FolderHolder(root.filePath(QStringLiteral("missing"))).State(), FolderLock::State::NotLockable);
    EXPECT_TRUE(QDir(folder).isEmpty()) << "the lock left a file behind";

    first.End();
    FolderHolder second(link);
    EXPECT_EQ(second.State(), FolderLock::State::Held) << "still held after its holder ended";
    second.End(SIGKILL);
    EXPECT_EQ(FolderHolder(folder).State(), FolderLock::State::Held) << "still held after its holder was killed";

    // A program started by the holder does not keep the folder once the holder lets go.
    pid_t sleeper = 0;
    {
        const FolderLock lock(folder);
        ASSERT_EQ(lock.Result(), FolderLock::State::Held);
        // The pipe closes at the child's exec: from then on it holds only what exec let through.
        int execed[2];
        ASSERT_EQ(::pipe2(execed, O_CLOEXEC), 0);
        sleeper = ::fork();
        if (sleeper == 0) {
            ::execl("/bin/sleep", "sleep", "60", static_cast<char*>(nullptr));
            _exit(127);
        }
        ::close(execed[1]);
        char ignored = 0;
        EXPECT_EQ(::read(execed[0], &ignored, 1), 0);
        ::close(execed[0]);
        ASSERT_GT(sleeper, 0);
    }
    EXPECT_EQ(FolderHolder(folder).State(), FolderLock::State::Held) << "a child program inherited the lock";
    ::kill(sleeper, SIGKILL);
    int status = 0;
    ::waitpid(sleeper, &status, 0);
}

} // namespace
