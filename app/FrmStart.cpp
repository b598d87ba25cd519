#include "FrmStart.h"

#include "DefaultForms.h"
#include "ModSystem.h"

#include <App.h>
#include <Label.h>
#include <QuBootProgres.h>
#include <Timer.h>

#include <cmath>
#include <string_view>

using namespace ModSystem;

Form& Forms::FrmStart()
{
    return DefaultInstance<::FrmStart>();
}

QString PublisherLines()
{
    return QStringLiteral("编制：汽车维修技能竞赛理论练习编写组\r\n技术支持：车身修复与涂装实训教研室");
}

FrmStart::FrmStart() : Form(QStringLiteral("FrmStart"))
{
    OnEvent(QStringLiteral("Timer1"), &Timer::Tick, [this] { Timer1_Timer(); });
    OnEvent(QStringLiteral("Timer3"), &Timer::Tick, [this] { Timer3_Timer(); });
    OnEvent(QStringLiteral("Timer4"), &Timer::Tick, [this] { Timer4_Timer(); });
    OnEvent(QStringLiteral("Timer5"), &Timer::Tick, [this] { Timer5_Timer(); });
}

void FrmStart::Form_Load()
{
    SetCaption(App::EXEName());
    Control<QuBootProgres>(QStringLiteral("QuBootProgres1")).SetMarquee(true);
    Control<Label>(QStringLiteral("Label1")).SetCaption(PublisherLines());
    for (const char* name : {"Timer1", "Timer3", "Timer4", "Timer5"}) {
        auto& timer = Control<Timer>(QString::fromLatin1(name));
        timer.SetEnabled(std::string_view(name) == "Timer1");
        timer.SetInterval(500);
    }
}

void FrmStart::Step(const QString& done, const QString& next)
{
    Control<Timer>(done).SetEnabled(false);
    Control<Timer>(next).SetEnabled(true);
}

void FrmStart::Timer1_Timer()
{
    // Stopped before the work: the display check may wait on a question, and the step must not run
    // again underneath it.
    Control<Timer>(QStringLiteral("Timer1")).SetEnabled(false);
    Control<Label>(QStringLiteral("LabStart")).SetCaption(QStringLiteral("正在初始化系统配置..."));
    LoadCompanyInfo();
    CheckScreenResolution();
    Move(static_cast<int>(std::nearbyint((gScreenWidth - Width()) / 2.0)),
         static_cast<int>(std::nearbyint((gScreenHeight - Height()) / 2.0)));
    Step(QStringLiteral("Timer1"), QStringLiteral("Timer3"));
}

void FrmStart::Timer3_Timer()
{
    Control<Label>(QStringLiteral("LabStart")).SetCaption(QStringLiteral("正在检测数据环境..."));
    Step(QStringLiteral("Timer3"), QStringLiteral("Timer4"));
}

void FrmStart::Timer4_Timer()
{
    Control<Label>(QStringLiteral("LabStart")).SetCaption(QStringLiteral("准备载入系统..."));
    gApplyType = QString::fromUtf16(TradeNone);
    gExamMode = ModeNone;
    Step(QStringLiteral("Timer4"), QStringLiteral("Timer5"));
}

void FrmStart::Timer5_Timer()
{
    Control<Timer>(QStringLiteral("Timer5")).SetEnabled(false);
    Unload();
    Forms::FrmMain().Show();
}
