#include "FrmExamResults.h"

#include "DefaultForms.h"
#include "ModSystem.h"

#include <Label.h>
#include <QuButton.h>

Form& Forms::FrmExamResults()
{
    return DefaultInstance<::FrmExamResults>();
}

using namespace ModSystem;

FrmExamResults::FrmExamResults() : Form(QStringLiteral("FrmExamResults"))
{
    OnEvent(QStringLiteral("CmdOK"), &QuButton::Click, [this] { CmdOK_Click(); });
}

void FrmExamResults::Form_Load()
{
    Array<Label>(QStringLiteral("Label1"), 2).SetCaption(QStringLiteral("题目总数：") + QString::number(gThemeCount));
    Array<Label>(QStringLiteral("Labdf"), 0).SetCaption(gTimeUsed);
    Array<Label>(QStringLiteral("Labdf"), 1).SetCaption(QString::number(gScore));
}

void FrmExamResults::CmdOK_Click()
{
    Unload();
    Forms::FrmMain().Show();
}

void FrmExamResults::Form_KeyPress(int& keyAscii)
{
    if (keyAscii == 13) {
        CmdOK_Click();
        keyAscii = 0;
    }
}

void FrmExamResults::Form_QueryUnload(int& cancel, int unloadMode)
{
    // Closed by its close box it does what OK does: without the main menu the exam screen's unload
    // that follows would end the program.
    if (unloadMode == vbFormControlMenu) {
        cancel = 1;
        CmdOK_Click();
    }
}
