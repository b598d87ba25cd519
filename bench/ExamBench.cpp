// The exam screen's costs on an offscreen display: a move between questions of a 50-question paper
// (step or jump: five deciphers, the layout, the grid refresh, the stored-answer read), the load of
// the screen (key, paper, 50 number buttons) beside the keyed open it starts with, and the scoring of
// a 50- and a 500-question paper from the tick of its timer until the results are up; and what a
// station keeps of each round it runs all day (a practice, a mock exam) in resident memory and heap.
#include "BenchApplication.h"
#include "BenchSupport.h"
#include <App.h>
#include "AppResources.h"
#include "BankBuilder.h"
#include "DefaultForms.h"
#include "ModSystem.h"
#include "ReadConfig.h"

#include <ClQuAK.h>
#include <Connection.h>
#include <MsgBox.h>
#include <OptionButton.h>
#include <QuBootProgres.h>
#include <QuButton.h>
#include <QuXPProgress.h>
#include <QuestionText.h>
#include <Recordset.h>
#include <Runtime.h>
#include <Screen.h>
#include <Timer.h>

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace {

using namespace ModSystem;

void EnsureApplication()
{
    EnsureBenchApplication();
}

// A program folder with 600 questions of every type (texts of demo length) and a paper of `paperSize`
// entries, half of them answered right, a quarter wrong.
class ExamFolder {
public:
    explicit ExamFolder(int paperSize)
    {
        Bank::Source source;
        source.Chapters = Bank::DefaultChapters();
        source.Keys = Bank::DefaultKeySlots();
        for (int id = 1; id <= 600; ++id) {
            Bank::Question q;
            q.Id = id;
            q.Chapter = 1 + id % 3;
            q.Type = 1 + id % 3;
            q.Text =
                "第" + std::to_string(id) + "题：车身修复作业中关于焊接、测量和涂装的一道练习题，请选出正确的答案。";
            q.Options = q.Type == 1 ? std::vector<std::string>{"正确", "错误"}
                                    : std::vector<std::string>{"选项一：按规范操作", "选项二：先测量后校正",
                                                               "选项三：使用防护用品", "选项四：以上都不对"};
            q.Answer = q.Type == 3 ? "124" : "2";
            source.Questions.push_back(std::move(q));
        }
        Bank::Build(source, QFile::encodeName(mDir.filePath(QStringLiteral("QKMExam_L.DLL"))).toStdString());
        Use();
        Ado::Connection bank;
        bank.Open(QStringLiteral("Data Source=") + mDir.filePath(QStringLiteral("QKMExam_L.DLL")) +
                  QStringLiteral(";Jet OLEDB:Database Password=") + QString::fromUtf16(kQuestionBankPassword));
        ClQuAK cipher;
        const ByteArray key = GetQuestionKey();
        bank.BeginTrans();
        for (int i = 1; i <= paperSize; ++i) {
            const QString answer = i % 4 == 0 ? QStringLiteral("3") : i % 4 == 1 ? QString() : QStringLiteral("2");
            const QString stored =
                answer.isEmpty()
                    ? QStringLiteral("Null")
                    : u'\'' + QString::fromStdU16String(EncipherQuestionText(cipher, key, answer.toStdU16String())) +
                          u'\'';
            bank.Execute(
                QStringLiteral("Insert Into Exam_ThemePaper(ExamID,ExamPaperID,ThemeID,ThemeFraction,"
                               "ThemeAnswer,StudentAnswer) Select %1,'20240102030405',ThemeID,1,ThemeAnswer,%2 "
                               "From Exam_Theme Where ThemeID = %3")
                    .arg(i)
                    .arg(stored)
                    .arg(i));
        }
        bank.CommitTrans();
        bank.Close();
        ReadConfig cfg;
        cfg.OpenIni(mDir.filePath(QStringLiteral("STheme.cfg")));
        cfg.SetString(QStringLiteral("System"), QStringLiteral("ExamTime"), QStringLiteral("60"));
        cfg.SetString(QStringLiteral("System"), QStringLiteral("ExamPaperID"), QStringLiteral("20240102030405"));
        cfg.CloseIni();
    }
    // Points the program folder here (other benchmarks point it elsewhere).
    void Use() const { setenv("QKMEXAM_DIR", QFile::encodeName(mDir.path()).constData(), 1); }

private:
    QTemporaryDir mDir;
};

ExamFolder& Folder(int paperSize)
{
    static std::map<int, std::unique_ptr<ExamFolder>> folders;
    auto& folder = folders[paperSize];
    if (!folder) {
        folder = std::make_unique<ExamFolder>(paperSize);
    }
    folder->Use();
    return *folder;
}

// Leaves no form loaded and no connection open on this folder's bank for the benchmarks after.
void Finish()
{
    Form::DiscardAll();
    QCoreApplication::processEvents();
    ResetProgramEnded();
    gConn.reset();
}

Form& ShowMockExam()
{
    gExamMode = ModeMockExam;
    gExamTime = 60;
    gApplyType = QString::fromUtf16(TradeSheetMetal);
    Form& exam = Forms::FrmExam();
    RunGuarded([&exam] { exam.Show(); });
    exam.Control<Timer>(QStringLiteral("Timer1")).SetEnabled(false);
    QCoreApplication::processEvents();
    return exam;
}

void Raise(Form& form, const QString& name, int index)
{
    auto& button = form.Array<QuButton>(name, index);
    ControlHost::Dispatch([&button] { button.Click(); });
}

// Steps through the paper and back with 下一题 and 上一题; `state.range(0)` 1 lets the window paint
// after each move as well.
void ExamStep50(benchmark::State& state)
{
    EnsureApplication();
    Folder(50);
    Form& exam = ShowMockExam();
    int position = 1;
    int direction = 1;
    for (auto _ : state) {
        if ((direction > 0 && position == 50) || (direction < 0 && position == 1)) {
            direction = -direction;
        }
        Raise(exam, QStringLiteral("CmdExam"), direction > 0 ? 1 : 0);
        position += direction;
        if (state.range(0) != 0) {
            QCoreApplication::processEvents();
        }
    }
    Finish();
}
BENCHMARK(ExamStep50)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void ExamJump50(benchmark::State& state)
{
    EnsureApplication();
    Folder(50);
    Form& exam = ShowMockExam();
    int index = 0;
    for (auto _ : state) {
        index = (index + 17) % 50;
        Raise(exam, QStringLiteral("CmdSelect"), index);
        if (state.range(0) != 0) {
            QCoreApplication::processEvents();
        }
    }
    Finish();
}
BENCHMARK(ExamJump50)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The whole load of the screen, the keyed open of the shared connection included; the open alone is
// OpenDatabaseKeyed below, on the same bank.
void ExamLoad50(benchmark::State& state)
{
    EnsureApplication();
    Folder(50);
    for (auto _ : state) {
        Form& exam = ShowMockExam();
        state.PauseTiming();
        exam.Unload();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    Finish();
}
BENCHMARK(ExamLoad50)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// A cold open: the bank changed since the last connection closed, so its key is derived again.
void ExamOpenDatabaseKeyed(benchmark::State& state)
{
    EnsureApplication();
    Folder(50);
    gConn.reset();
    for (auto _ : state) {
        OpenDatabase();
        state.PauseTiming();
        CloseDatabase();
        qkmbench::TouchFile((App::Path() + QStringLiteral("/QKMExam_L.DLL")).toStdString());
        state.ResumeTiming();
    }
}
BENCHMARK(ExamOpenDatabaseKeyed)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// From the scoring timer's tick to the results on screen: the reopen of the shared connection, a
// select and an update per entry, the sum, the hand-over. state.range(0) is the paper's length.
void ExamScoring(benchmark::State& state)
{
    EnsureApplication();
    const int size = static_cast<int>(state.range(0));
    Folder(size);
    Form& main = Forms::FrmMain();
    RunGuarded([&main] { main.Show(); });
    for (auto _ : state) {
        gThemeCount = static_cast<std::int16_t>(size);
        gSecondsLeft = 600;
        Form& scoring = Forms::FrmJsdf();
        RunGuarded([&scoring] { scoring.Load(); });
        auto& timer = scoring.Control<Timer>(QStringLiteral("Timer1"));
        timer.SetEnabled(false);
        std::chrono::steady_clock::time_point shown;
        QTimer::singleShot(0, [&shown] {
            shown = std::chrono::steady_clock::now();
            Forms::FrmExamResults().Unload();
        });
        const auto start = std::chrono::steady_clock::now();
        ControlHost::Dispatch([&timer] { timer.Tick(); });
        state.SetIterationTime(std::chrono::duration<double>(shown - start).count());
        QCoreApplication::processEvents();
    }
    Finish();
}
BENCHMARK(ExamScoring)->Arg(50)->Arg(500)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Resident memory and live heap of this process, in kB, after what malloc can give back has gone.
struct MemoryUse {
    double ResidentKiB = 0;
    double HeapKiB = 0;
};

MemoryUse MeasureMemory()
{
    malloc_trim(0);
    MemoryUse use;
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long residentPages = 0;
    if (statm >> pages >> residentPages) {
        use.ResidentKiB = static_cast<double>(residentPages) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1024.0;
    }
    const struct mallinfo2 heap = mallinfo2();
    use.HeapKiB = static_cast<double>(heap.uordblks + heap.hblkhd) / 1024.0;
    return use;
}

void Click(Form& form, const QString& name, int index = -1)
{
    auto& button = index < 0 ? form.Control<QuButton>(name) : form.Array<QuButton>(name, index);
    ControlHost::Dispatch([&button] { button.Click(); });
}

void Tick(Form& form, const QString& name)
{
    auto& timer = form.Control<Timer>(name);
    ControlHost::Dispatch([&timer] { timer.Tick(); });
}

// Runs `action` in the next event loop that turns: the modal loop of the form about to be shown.
void InTheModalLoop(std::function<void()> action)
{
    QTimer::singleShot(0, [action = std::move(action)] { action(); });
}

// Main menu -> module chooser -> chapter practice -> 结束练习 (the box answers 是) -> a new main menu.
void PracticeRound()
{
    InTheModalLoop([] { Click(Forms::FrmMnlx(), QStringLiteral("CmdYes")); });
    Click(Forms::FrmMain(), QStringLiteral("CmdStdy"));
    Click(Forms::FrmExam(), QStringLiteral("CmdExam"), 2);
}

// Main menu -> trade -> paper (the menu's timer ticked at once) -> exam -> 交卷 -> scoring (its timer
// ticked at once) -> results -> 确定 -> a new main menu.
void MockExamRound()
{
    InTheModalLoop([] {
        Form& trades = Forms::FrmZjcx();
        auto& option = trades.Array<OptionButton>(QStringLiteral("OptSlcCX"), 0);
        ControlHost::Dispatch([&option] { option.SetValue(true); });
        Click(trades, QStringLiteral("CmdYes"));
    });
    Click(Forms::FrmMain(), QStringLiteral("CmdMnExam"));
    Tick(Forms::FrmMain(), QStringLiteral("Timer1"));
    InTheModalLoop([] {
        InTheModalLoop([] { Click(Forms::FrmExamResults(), QStringLiteral("CmdOK")); });
        Tick(Forms::FrmJsdf(), QStringLiteral("Timer1"));
    });
    Click(Forms::FrmExam(), QStringLiteral("CmdExam"), 2);
}

// Lets the main loop run as it does between two rounds: deferred deletions and repaints.
void Settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

// Growth per round of resident memory and live heap, over rounds 6 to 105 and over rounds 106 to 305.
// The first window still holds what the random papers fill once: the pages of the font files that
// new characters of new questions read in (about 1 MB with the demo bank, complete by round 150 at
// the latest), so it says how fast a station fills up; the second, after every question has been
// shown, is what a station keeps per round for good. state.range(0): 0 chapter practice, 1 mock
// exam. The goal is under 5 kB a round after the first few. Run it also with QT_QPA_PLATFORM=xcb
// under a private X server to see the X11 platform's share.
void MemoryPerRound(benchmark::State& state)
{
    constexpr int kWarmUpRounds = 5;
    constexpr int kRounds = 100;
    constexpr int kSettledRounds = 200;
    EnsureApplication();
    UseDemoFolder();
    gApplyType = QString::fromUtf16(TradeNone);
    const std::function<void()> round = state.range(0) == 0 ? PracticeRound : MockExamRound;
    const auto rounds = [&round](int count) {
        for (int i = 0; i < count; ++i) {
            round();
            Settle();
        }
        return MeasureMemory();
    };
    RunGuarded([] { Forms::FrmMain().Show(); });
    MemoryUse before;
    MemoryUse after;
    MemoryUse settled;
    for (auto _ : state) {
        rounds(kWarmUpRounds);
        before = MeasureMemory();
        after = rounds(kRounds);
        settled = rounds(kSettledRounds);
    }
    if (!Forms::FrmMain().IsLoaded() || ProgramEnded()) {
        state.SkipWithError("the rounds did not come back to the main menu");
    }
    state.counters["resident_kB_per_round_6_105"] = (after.ResidentKiB - before.ResidentKiB) / kRounds;
    state.counters["heap_kB_per_round_6_105"] = (after.HeapKiB - before.HeapKiB) / kRounds;
    state.counters["resident_kB_per_round_106_305"] = (settled.ResidentKiB - after.ResidentKiB) / kSettledRounds;
    state.counters["heap_kB_per_round_106_305"] = (settled.HeapKiB - after.HeapKiB) / kSettledRounds;
    state.counters["resident_MiB_at_end"] = settled.ResidentKiB / 1024.0;
    Finish();
}
BENCHMARK(MemoryPerRound)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
