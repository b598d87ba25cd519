// The real program's timings as a person sees them, on a private Xvfb with the demo bank: launch to
// the main menu shown, the trade confirmed to the exam screen shown, one step between questions
// (key press to the last repaint), hand-in to the results shown, and the resident memory at the exam
// screen. The waits the program makes on purpose (the splash's four half-second steps, the
// generation's and the scoring's 1.5 s) are taken off, so what remains is the program's own work.
//
// usage: qkm_program_timings [rounds]      (bench/program-timings builds and runs it)
//        qkm_program_timings --memory practice|mock [rounds]
//            one program runs that many chapter practices or mock exams from its main menu back to a
//            new one; the growth of its resident memory per round after the first five is printed
#include "Journeys.h"
#include "ScreenTiming.h"

#include <QGuiApplication>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

using namespace e2e;

namespace {

constexpr double kSplashSteps = 4 * 500.0;
constexpr double kGenerationWait = 1500.0;
constexpr double kScoringWait = 1500.0;

struct Figures {
    std::map<std::string, std::vector<double>> Values;
    void Add(const std::string& name, double value) { Values[name].push_back(value); }
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The exam screen's clock ticks every second; its label is left out of the repaints that count.
QRect ClockArea(const FormLayout& exam, const WindowInfo& screen, Session& session)
{
    const QPoint centre = session.PanelPoint(exam, QStringLiteral("LabTime"), screen);
    const QRect r = exam.Pixels(QStringLiteral("LabTime"));
    return QRect(centre - QPoint(r.width() / 2 + 4, r.height() / 2 + 4), r.size() + QSize(8, 8));
}

bool Round(Figures& figures)
{
    Session session;
    if (!session.Server().Started()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return false;
    }
    ScreenTiming timing(session.Server());
    timing.Move(QPoint(1279, 1023));

    // Launch to the main menu shown.
    Program& program = session.Start(QStringLiteral("timings"));
    std::optional<WindowInfo> menu;
    WaitFor(
        [&] {
            menu = session.Server().FindWindow(kProgramTitle, session.Server().ScreenSize());
            return menu.has_value() || !program.Running();
        },
        30000, 1);
    if (!menu) {
        std::fprintf(stderr, "no main menu\n");
        return false;
    }
    const double menuShown = timing.LastChange(300, 10000);
    figures.Add("launch to main menu shown", menuShown - program.StartedAtMs());
    figures.Add("  of it the program's own work (less 4 x 500 ms)", menuShown - program.StartedAtMs() - kSplashSteps);
    figures.Add("resident memory at the main menu (MiB)", double(program.ResidentKiB()) / 1024.0);

    // The trade confirmed to the exam screen shown.
    const FormLayout main(QStringLiteral("FrmMain"));
    const FormLayout trade(QStringLiteral("FrmZjcx"));
    timing.Click(session.PanelPoint(main, QStringLiteral("CmdMnExam"), *menu));
    const std::optional<WindowInfo> chooser = session.WaitWindow(kTradeChooserTitle);
    if (!chooser) {
        return false;
    }
    timing.Click(session.DialogPoint(trade, QStringLiteral("OptSlcCX(0)"), *chooser));
    QThread::msleep(200);
    const double confirmed = timing.Click(session.DialogPoint(trade, QStringLiteral("CmdYes"), *chooser));
    timing.Move(QPoint(0, 0));
    std::optional<WindowInfo> exam;
    WaitFor(
        [&] {
            exam = session.Server().FindWindow(kProgramTitle, session.Server().ScreenSize());
            if (exam && exam->Id == menu->Id) {
                exam.reset();
            }
            return exam.has_value() || !program.Running();
        },
        30000, 1);
    if (!exam) {
        std::fprintf(stderr, "no exam screen\n");
        return false;
    }
    const FormLayout examLayout(QStringLiteral("FrmExam"));
    const std::vector<QRect> clock{ClockArea(examLayout, *exam, session)};
    const double examShown = timing.LastChange(300, 10000, clock);
    figures.Add("trade confirmed to exam screen shown", examShown - confirmed);
    figures.Add("  of it the program's own work (less the 1.5 s wait)", examShown - confirmed - kGenerationWait);
    figures.Add("resident memory at the exam screen (MiB)", double(program.ResidentKiB()) / 1024.0);

    // Steps: Num 9 forward through the paper and Num 7 back, each to its last repaint.
    timing.Move(session.PanelPoint(examLayout, QStringLiteral("LabStAswS"), *exam));
    QThread::msleep(200);
    timing.LastChange(150, 2000, clock);
    std::vector<double> steps;
    for (int i = 0; i < 30; ++i) {
        const double pressed = timing.Key(i < 20 ? "KP_9" : "KP_7");
        const double repainted = timing.LastChange(120, 3000, clock);
        if (repainted > 0) {
            steps.push_back(repainted - pressed);
        }
    }
    for (double step : steps) {
        figures.Add("one step between questions (key to last repaint)", step);
    }
    if (!steps.empty()) {
        figures.Add("  slowest step of the round", *std::max_element(steps.begin(), steps.end()));
    }

    // Hand-in: B asks, Enter answers 是; then the scoring bar and the results.
    timing.Key("b");
    const std::optional<WindowInfo> confirm = session.WaitBox(kExamNoticeTitle);
    if (!confirm) {
        std::fprintf(stderr, "no hand-in question\n");
        return false;
    }
    QThread::msleep(200);
    const double handedIn = timing.Key("Return");
    const std::optional<WindowInfo> results = session.WaitWindow(kResultsTitle, {}, 30000);
    if (!results) {
        std::fprintf(stderr, "no results\n");
        return false;
    }
    const double resultsShown = timing.LastChange(300, 10000, clock);
    figures.Add("hand-in to results shown", resultsShown - handedIn);
    figures.Add("  of it the program's own work (less the 1.5 s scoring wait)", resultsShown - handedIn - kScoringWait);
    return true;
}

// One chapter practice (module chooser, 结束练习, 是) or mock exam (trade, 交卷, 是, results 确定), from
// the main menu to the new one.
std::optional<WindowInfo> MemoryRound(Session& session, const WindowInfo& menu, bool mock)
{
    const FormLayout main(QStringLiteral("FrmMain"));
    if (mock) {
        if (!session.ChooseTrade(menu, true, 0)) {
            return std::nullopt;
        }
    } else {
        session.Click(session.PanelPoint(main, QStringLiteral("CmdStdy"), menu));
        const std::optional<WindowInfo> chooser = session.WaitWindow(kModuleChooserTitle);
        if (!chooser) {
            return std::nullopt;
        }
        session.Click(session.DialogPoint(FormLayout(QStringLiteral("FrmMnlx")), QStringLiteral("CmdYes"), *chooser));
    }
    const std::optional<WindowInfo> exam = session.WaitNewScreen(menu.Id);
    if (!exam) {
        return std::nullopt;
    }
    session.WaitSettled(exam->Geometry, 3000);
    session.Click(session.PanelPoint(FormLayout(QStringLiteral("FrmExam")), QStringLiteral("CmdExam(2)"), *exam));
    if (!session.AnswerBox(kExamNoticeTitle, QStringLiteral("Return"))) {
        return std::nullopt;
    }
    if (mock) {
        const std::optional<WindowInfo> results = session.WaitWindow(kResultsTitle);
        if (!results) {
            return std::nullopt;
        }
        session.WaitSettled(results->Geometry, 3000);
        session.Click(
            session.DialogPoint(FormLayout(QStringLiteral("FrmExamResults")), QStringLiteral("CmdOK"), *results));
    }
    const std::optional<WindowInfo> next = session.WaitNewScreen(exam->Id);
    if (next) {
        session.WaitWindowGone(exam->Id);
        session.WaitSettled(next->Geometry, 3000);
    }
    return next;
}

int MemoryRounds(bool mock, int rounds)
{
    constexpr int kWarmUpRounds = 5;
    Session session;
    std::optional<WindowInfo> menu = session.StartToMainMenu();
    if (!menu) {
        std::fprintf(stderr, "no main menu\n");
        return 1;
    }
    long first = 0;
    for (int i = 1; i <= kWarmUpRounds + rounds; ++i) {
        menu = MemoryRound(session, *menu, mock);
        if (!menu) {
            std::fprintf(stderr, "round %d did not come back to the main menu\n", i);
            return 1;
        }
        const long resident = session.Running().ResidentKiB();
        if (i == kWarmUpRounds) {
            first = resident;
        }
        std::fprintf(stderr, "round %d: %ld KiB resident\n", i, resident);
    }
    const long last = session.Running().ResidentKiB();
    std::printf("%d %s rounds after %d: resident %.1f -> %.1f MiB, %.1f kB per round\n", rounds,
                mock ? "mock-exam" : "chapter-practice", kWarmUpRounds, first / 1024.0, last / 1024.0,
                double(last - first) * 1.024 / rounds);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // The design data read for the positions holds fonts, which want an application object; the
    // measured program runs in its own process on the private server.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc > 2 && std::string(argv[1]) == "--memory") {
        const bool mock = std::string(argv[2]) == "mock";
        return MemoryRounds(mock, argc > 3 ? std::max(1, std::atoi(argv[3])) : 100);
    }
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    Figures figures;
    int done = 0;
    for (int i = 0; i < rounds; ++i) {
        if (Round(figures)) {
            ++done;
        }
        std::fprintf(stderr, "round %d of %d\n", i + 1, rounds);
    }
    std::printf("%d rounds; milliseconds unless marked; median (min - max)\n", done);
    const char* order[] = {"launch to main menu shown",
                           "  of it the program's own work (less 4 x 500 ms)",
                           "resident memory at the main menu (MiB)",
                           "trade confirmed to exam screen shown",
                           "  of it the program's own work (less the 1.5 s wait)",
                           "resident memory at the exam screen (MiB)",
                           "one step between questions (key to last repaint)",
                           "  slowest step of the round",
                           "hand-in to results shown",
                           "  of it the program's own work (less the 1.5 s scoring wait)"};
    for (const char* name : order) {
        const auto it = figures.Values.find(name);
        if (it == figures.Values.end() || it->second.empty()) {
            continue;
        }
        const auto [lo, hi] = std::minmax_element(it->second.begin(), it->second.end());
        std::printf("%-52s %8.1f  (%.1f - %.1f)\n", name, Median(it->second), *lo, *hi);
    }
    return done == rounds ? 0 : 1;
}
