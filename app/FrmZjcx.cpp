#include "FrmZjcx.h"

#include "DefaultForms.h"
#include "ModSystem.h"

#include <Label.h>
#include <OptionButton.h>
#include <PictureBox.h>
#include <QuButton.h>
#include <Timer.h>

using namespace ModSystem;

Form& Forms::FrmZjcx()
{
    return DefaultInstance<::FrmZjcx>();
}

namespace {

const char16_t* const kTrades[] = {TradeSheetMetal, TradePainting};
const char16_t* const kFilters[] = {ChapterFilterSheetMetal, ChapterFilterPainting};

} // namespace

FrmZjcx::FrmZjcx() : Form(QStringLiteral("FrmZjcx"))
{
    OnArrayEvent(QStringLiteral("OptSlcCX"), &OptionButton::Click, [this](int index) { OptSlcCX_Click(index); });
    OnEvent(QStringLiteral("CmdYes"), &QuButton::Click, [this] { CmdYes_Click(); });
    OnEvent(QStringLiteral("CmdNo"), &QuButton::Click, [this] { CmdNo_Click(); });
}

void FrmZjcx::Form_Load()
{
    for (int i = 0; i < 2; ++i) {
        auto& option = Array<OptionButton>(QStringLiteral("OptSlcCX"), i);
        option.SetCaption(QString::fromUtf16(kTrades[i]));
        option.SetValue(false);
    }
    mChosenTrade = QString::fromUtf16(TradeNone);
    Control<Label>(QStringLiteral("LabLxErr")).SetVisible(false);
    const auto& picExam = Forms::FrmMain().Control<PictureBox>(QStringLiteral("PicExam"));
    Move(picExam.Left() + 2350, picExam.Top() + 5650);
}

void FrmZjcx::OptSlcCX_Click(int index)
{
    if (index < 0 || index > 1 || !Array<OptionButton>(QStringLiteral("OptSlcCX"), index).Value()) {
        return;
    }
    mChosenTrade = QString::fromUtf16(kTrades[index]);
    gChapterFilter = QString::fromUtf16(kFilters[index]);
    auto& message = Control<Label>(QStringLiteral("LabLxErr"));
    message.SetCaption(mChosenTrade);
    message.SetVisible(true);
}

void FrmZjcx::CmdYes_Click()
{
    auto& message = Control<Label>(QStringLiteral("LabLxErr"));
    if (mChosenTrade == QString::fromUtf16(TradeNone)) {
        message.SetCaption(QStringLiteral("请选考试车型！"));
        message.SetVisible(true);
        return;
    }
    gApplyType = mChosenTrade;
    if (gExamMode == ModeMockExam) {
        Form& main = Forms::FrmMain();
        main.Control<PictureBox>(QStringLiteral("PicCrtEp")).SetVisible(true);
        main.Control<Timer>(QStringLiteral("Timer1")).SetEnabled(true);
        main.Control<Timer>(QStringLiteral("Timer2")).SetEnabled(true);
        main.Array<Label>(QStringLiteral("LabStInfo"), 2).SetCaption(gApplyType);
        Unload();
        return;
    }
    Unload();
    Forms::FrmExam().Show();
    Forms::FrmMain().Unload();
}

void FrmZjcx::CmdNo_Click()
{
    Unload();
}
