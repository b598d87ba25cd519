// The clock hands a short exam in by itself: a bank whose model lasts one minute, the clock turning
// olive below a third of the time and red below a sixth, the message at zero, the scoring and the
// results of the answers given.
#include "Journeys.h"

#include <QThread>
#include <gtest/gtest.h>

using namespace e2e;

namespace {

// Four true/false questions of chapter 1 and two single choice of chapter 2; a one-minute model
// drawing three and two of them.
const char kOneMinuteBank[] = R"(
[model]
trade = 钣金（车身修复）技术人员
model = 1
status = 1
time = 1
quota = 1 1 2 3
quota = 2 2 5 2

[question]
chapter = 1
type = 1
text = 打磨时应佩戴防护眼镜。
answer = 1

[question]
chapter = 1
type = 1
text = 旧件可以不告知客户自行处理。
answer = 2

[question]
chapter = 1
type = 1
text = 维修前应断开蓄电池负极。
answer = 1

[question]
chapter = 1
type = 1
text = 喷涂作业可以不通风。
answer = 2

[question]
chapter = 2
type = 2
text = 车身测量的基准是（ ）。
option = 基准面
option = 轮胎
option = 车门
option = 座椅
answer = 1

[question]
chapter = 2
type = 2
text = 点焊的主要参数不包括（ ）。
option = 电流
option = 时间
option = 压力
option = 油漆颜色
answer = 4
)";

const QRgb kGreen = qRgb(0, 0xC0, 0);    // &H0000C000&
const QRgb kOlive = qRgb(0x80, 0x80, 0); // &H00008080&
const QRgb kRed = qRgb(0xFF, 0, 0);      // &H000000FF&

} // namespace

TEST(AutoHandIn, AOneMinuteExamIsHandedInByTheClock)
{
    auto folder = std::make_unique<ProgramFolder>();
    folder->BuildBank(kOneMinuteBank);
    Session session(std::move(folder));
    ASSERT_TRUE(session.Server().Started());
    const std::optional<WindowInfo> menu = session.StartToMainMenu();
    ASSERT_TRUE(menu);
    ASSERT_TRUE(session.ChooseTrade(*menu, true, 0));
    const std::optional<WindowInfo> window = session.WaitNewScreen(menu->Id);
    ASSERT_TRUE(window) << session.Running().Log().toStdString();
    ExamScreen exam(session, *window);
    session.WaitSettled(window->Geometry);
    const QRect clock = exam.Rect(QStringLiteral("LabTime"));
    EXPECT_GT(exam.CountColour(clock, kGreen), 20);
    session.Shot(QStringLiteral("one-minute-exam"));

    BankReader bank(session.Folder().Bank());
    const std::vector<PaperRow> paper = bank.Paper();
    ASSERT_EQ(paper.size(), 5U);
    const QImage empty = exam.Grab(QStringLiteral("LabStAswS"));
    session.Keys().Key(QStringLiteral("KP_") + paper[0].RightAnswer);
    ASSERT_TRUE(exam.WaitChange(QStringLiteral("LabStAswS"), empty));

    // Olive below 20 s left, red below 10 s; the clock is never turned back.
    EXPECT_TRUE(WaitFor([&] { return exam.CountColour(clock, kOlive) > 20; }, 70000, 100)) << "never olive";
    session.Shot(QStringLiteral("clock-olive"));
    EXPECT_TRUE(WaitFor([&] { return exam.CountColour(clock, kRed) > 20; }, 15000, 100)) << "never red";
    session.Shot(QStringLiteral("clock-red"));

    const QString message = session.BoxText(kNoticeTitle, QStringLiteral("time-is-up"));
    EXPECT_TRUE(message.contains(QStringLiteral("考试时间已到，系统已自动为您提交试卷！"))) << message.toStdString();
    ASSERT_TRUE(session.AnswerBox(kNoticeTitle, QStringLiteral("Return")));
    // Once the message is answered the clock's label is hidden, and the scoring runs.
    EXPECT_TRUE(WaitFor([&] { return exam.CountColour(clock, kRed) == 0; }, 3000)) << "the clock stays";

    const std::optional<WindowInfo> results = session.WaitWindow(kResultsTitle);
    ASSERT_TRUE(results) << session.Running().Log().toStdString();
    session.WaitSettled(results->Geometry, 3000);
    session.Shot(QStringLiteral("results"));
    const std::vector<PaperRow> scored = bank.Paper();
    for (const PaperRow& row : scored) {
        ASSERT_TRUE(row.Awarded.has_value()) << "place " << row.ExamID;
        EXPECT_EQ(*row.Awarded, row.ExamID == 1 ? row.Points : 0.0) << "place " << row.ExamID;
    }

    session.Keys().MoveTo(results->Geometry.center());
    session.Keys().Key(QStringLiteral("Return"));
    const std::optional<WindowInfo> again = session.WaitNewScreen(window->Id);
    ASSERT_TRUE(again);
    EXPECT_TRUE(session.WaitWindowGone(window->Id));
    EXPECT_TRUE(session.Running().Running());
}
