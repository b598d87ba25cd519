#include "FrmJsdf.h"

#include "DefaultForms.h"
#include "ModSystem.h"
#include "ReadConfig.h"

#include <App.h>
#include <Connection.h>
#include <QuXPProgress.h>
#include <Recordset.h>
#include <RuntimeError.h>
#include <Timer.h>
#include <TransactionGuard.h>

#include <algorithm>
#include <cmath>
#include <limits>

Form& Forms::FrmJsdf()
{
    return DefaultInstance<::FrmJsdf>();
}

using namespace ModSystem;

FrmJsdf::FrmJsdf() : Form(QStringLiteral("FrmJsdf"))
{
    OnEvent(QStringLiteral("Timer1"), &Timer::Tick, [this] { Timer1_Timer(); });
    OnEvent(QStringLiteral("Timer2"), &Timer::Tick, [this] { Timer2_Timer(); });
}

FrmJsdf::~FrmJsdf() = default;

void FrmJsdf::Form_Load()
{
    if (!mThemeCfg) {
        mThemeCfg = std::make_unique<ReadConfig>();
    }
    mThemeCfg->OpenIni(App::Path() + QStringLiteral("\\STheme.cfg"));
    mExamTime =
        Ado::Variant(mThemeCfg->GetString(QStringLiteral("System"), QStringLiteral("ExamTime"), QStringLiteral("0")))
            .ToInt16();
    auto& bar = Control<QuXPProgress>(QStringLiteral("QuXPProgWait"));
    bar.SetMax(100);
    bar.SetMin(1);
    bar.SetShowText(true);
    Control<Timer>(QStringLiteral("Timer1")).SetEnabled(true);
    auto& timer2 = Control<Timer>(QStringLiteral("Timer2"));
    timer2.SetEnabled(true);
    timer2.SetInterval(15);
}

void FrmJsdf::Timer2_Timer()
{
    ++mWaitCount;
    Control<QuXPProgress>(QStringLiteral("QuXPProgWait")).SetValue(mWaitCount);
}

void FrmJsdf::Timer1_Timer()
{
    if (gConn && gConn->State() == Ado::adStateOpen) {
        CloseDatabase();
        gConn.reset();
    }
    OpenDatabase();

    {
        // One transaction for the whole paper: the points are written together or not at all.
        Ado::TransactionGuard transaction(*gConn);
        for (int i = 1; i <= gThemeCount; ++i) {
            auto entry =
                gConn->Execute(QStringLiteral("Select * From Exam_ThemePaper Where ExamID = ") + QString::number(i));
            entry->Requery();
            bool match = false;
            if (!entry->Eof()) {
                const Ado::Variant student = entry->Fields(QStringLiteral("StudentAnswer"));
                const Ado::Variant right = entry->Fields(QStringLiteral("ThemeAnswer"));
                match = !student.IsNull() && !right.IsNull() && student.ToString() == right.ToString();
            }
            gConn->Execute(match ? QStringLiteral("Update Exam_ThemePaper Set StudentDf = 1 * ThemeFraction Where "
                                                  "ExamID= ") +
                                       QString::number(i)
                                 : QStringLiteral("Update Exam_ThemePaper Set StudentDf = 0 Where ExamID= ") +
                                       QString::number(i));
        }
        transaction.Commit();
    }

    auto sum = gConn->Execute(QStringLiteral("Select Sum(StudentDf) From Exam_ThemePaper"));
    const Ado::Variant total = sum->Fields(0);
    gScore = total.IsNull() ? 0 : total.ToInt16();

    // Whole minutes and seconds: a paper that took 70 minutes shows "70:00", not the minutes past
    // the hour. A time left beyond the exam time (a damaged STheme.cfg) counts as none used.
    const std::int32_t used = std::max<std::int32_t>(0, static_cast<std::int32_t>(mExamTime) * 60 - gSecondsLeft);
    gTimeUsed = QStringLiteral("%1:%2").arg(used / 60, 2, 10, QLatin1Char('0')).arg(used % 60, 2, 10, QLatin1Char('0'));

    Control<QuXPProgress>(QStringLiteral("QuXPProgWait")).SetValue(100);
    Control<Timer>(QStringLiteral("Timer1")).SetEnabled(false);
    Unload();
    Forms::FrmExamResults().Show(vbModal);
    mWaitCount = 1;
    Forms::FrmExam().Unload();
}
