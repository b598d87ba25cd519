// Form lifecycle: default instances keep their fields across Unload, Load makes fresh controls,
// an unloaded form leaves nothing of its window behind, modal Show blocks until the form is hidden
// or unloaded, the last Unload ends the program, and the error guard reports untrapped errors and
// ends the program.
#include "MsgBoxAnswers.h"

#include <DesignData.h>
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
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPixmapCache>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <stdexcept>

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
// nothing the style cached for the destroyed controls (a combo box's pixmaps, keyed by its palette).
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
    for (int round = 1; round <= 3; ++round) {
        chooser.Show();
        QCoreApplication::processEvents();
        EXPECT_GT(QApplication::allWidgets().size(), widgets);
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

} // namespace
