#include "FrmMnlx.h"

#include "DefaultForms.h"
#include "ModSystem.h"

#include <ComboBox.h>
#include <Label.h>
#include <QuButton.h>

using namespace ModSystem;

Form& Forms::FrmMnlx()
{
    return DefaultInstance<::FrmMnlx>();
}

FrmMnlx::FrmMnlx() : Form(QStringLiteral("FrmMnlx"))
{
    OnEvent(QStringLiteral("CmdYes"), &QuButton::Click, [this] { CmdYes_Click(); });
    OnEvent(QStringLiteral("CmdNo"), &QuButton::Click, [this] { CmdNo_Click(); });
}

void FrmMnlx::Form_Load()
{
    auto& comb = Control<ComboBox>(QStringLiteral("Comb"));
    comb.AddItem(QStringLiteral("职业道德、法规A模块"));
    comb.AddItem(QStringLiteral("车身修复F模块"));
    comb.AddItem(QStringLiteral("车身涂装G模块"));
    comb.SetListIndex(0);
}

void FrmMnlx::CmdYes_Click()
{
    auto& comb = Control<ComboBox>(QStringLiteral("Comb"));
    auto& message = Control<Label>(QStringLiteral("LabLxErr"));
    if (comb.Text().isEmpty()) {
        message.SetCaption(QStringLiteral("请选择章节!"));
        message.SetVisible(true);
        return;
    }
    message.SetVisible(false);
    gChapter = static_cast<std::int16_t>(comb.ListIndex() + 1);
    gExamMode = ModeChapterPractice;
    Unload();
    Forms::FrmExam().Show();
    Forms::FrmMain().Unload();
}

void FrmMnlx::CmdNo_Click()
{
    Unload();
}
