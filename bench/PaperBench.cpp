// The paper generator on a large bank, and the cost of opening the shared connection, which derives
// the database key from its password at every open.
#include "BankBuilder.h"
#include "BenchSupport.h"
#include "App.h"
#include "ModSystem.h"

#include <QByteArray>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace {

constexpr int kQuestions = 20000;

// A program folder with a bank of 20 000 questions spread over three chapters and three types, an
// active 100-question model of one trade drawing from chapters 1 and 2 and an active 1 000-question
// model of the other drawing from chapters 1 and 3; built once per run.
const QTemporaryDir& ProgramFolder()
{
    static const QTemporaryDir folder = [] {
        QTemporaryDir dir;
        Bank::Source source;
        source.Chapters = Bank::DefaultChapters();
        source.Keys = Bank::DefaultKeySlots();
        Bank::ExamModel model;
        model.Trade = "钣金（车身修复）技术人员";
        model.Model = "1";
        model.ExamTime = 60;
        model.Quotas = {{1, 1, 1, 10}, {2, 1, 1, 20}, {1, 2, 1, 15}, {2, 2, 1, 30}, {1, 3, 1, 10}, {2, 3, 1, 15}};
        source.Models.push_back(model);
        model.Trade = "涂漆（车身涂装）技术人员";
        model.Model = "2";
        model.Quotas = {{1, 1, 1, 200}, {3, 1, 1, 200}, {1, 2, 1, 200}, {3, 2, 1, 200}, {1, 3, 1, 100}, {3, 3, 1, 100}};
        source.Models.push_back(model);
        for (int id = 1; id <= kQuestions; ++id) {
            Bank::Question q;
            q.Id = id;
            q.Chapter = 1 + id % 3;
            q.Type = 1 + (id / 3) % 3;
            q.Text = "第" + std::to_string(id) + "题：车身修复作业中关于焊接、测量和涂装的一道练习题。";
            q.Options = q.Type == 1 ? std::vector<std::string>{"正确", "错误"}
                                    : std::vector<std::string>{"选项一", "选项二", "选项三", "选项四"};
            q.Answer = q.Type == 3 ? "124" : "2";
            source.Questions.push_back(std::move(q));
        }
        Bank::Build(source, (dir.path() + QStringLiteral("/QKMExam_L.DLL")).toStdString());
        setenv("QKMEXAM_DIR", dir.path().toLocal8Bit().constData(), 1);
        return dir;
    }();
    return folder;
}

// Each generation opens the shared connection (OpenDatabaseKeyed below) and closes it: the
// generator's own work is the difference.
void CreateExamPaper(benchmark::State& state, const char16_t* trade)
{
    ProgramFolder();
    ModSystem::gApplyType = QString::fromUtf16(trade);
    ModSystem::PaperRandom random(1);
    for (auto _ : state) {
        if (ModSystem::CreateExamPaper(random) != ModSystem::PaperStatus::Created) {
            state.SkipWithError("no paper");
            break;
        }
    }
}

void CreateExamPaper100Of20000(benchmark::State& state)
{
    CreateExamPaper(state, ModSystem::TradeSheetMetal);
}
BENCHMARK(CreateExamPaper100Of20000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void CreateExamPaper1000Of20000(benchmark::State& state)
{
    CreateExamPaper(state, ModSystem::TradePainting);
}
BENCHMARK(CreateExamPaper1000Of20000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// A cold open: the bank changed since the last connection closed, so its key is derived again.
void OpenDatabaseKeyed(benchmark::State& state)
{
    ProgramFolder();
    for (auto _ : state) {
        ModSystem::OpenDatabase();
        state.PauseTiming();
        ModSystem::CloseDatabase();
        qkmbench::TouchFile((App::Path() + QStringLiteral("/QKMExam_L.DLL")).toStdString());
        state.ResumeTiming();
    }
}
BENCHMARK(OpenDatabaseKeyed)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace
