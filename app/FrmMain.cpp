#include "FrmMain.h"

#include "DefaultForms.h"
#include "ModSystem.h"

#include <App.h>
#include <CheckBox.h>
#include <ComboBox.h>
#include <Image.h>
#include <KeyCodes.h>
#include <Label.h>
#include <MsgBox.h>
#include <PictureBox.h>
#include <QuButton.h>
#include <QuXPProgress.h>
#include <TextBox.h>
#include <Timer.h>

#include <QDate>

#include <cmath>

using namespace ModSystem;

Form& Forms::FrmMain()
{
    return DefaultInstance<::FrmMain>();
}

namespace {

// The sample candidate whose data the simulated station looks up.
const QString kSampleName = QStringLiteral("李华");

int Half(std::int32_t twips)
{
    return static_cast<int>(std::nearbyint(twips / 2.0));
}

} // namespace

bool IdentityNumberAccepted(const QString& text)
{
    // Only blanks around it are left out, as the number was typed.
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == u' ') {
        ++first;
    }
    while (last > first && text[last - 1] == u' ') {
        --last;
    }
    const qsizetype length = last - first;
    return length == 15 || length == 17 || length == 18;
}

FrmMain::FrmMain() : Form(QStringLiteral("FrmMain"))
{
    OnEvent(QStringLiteral("CmdMnExam"), &QuButton::Click, [this] { CmdMnExam_Click(); });
    OnEvent(QStringLiteral("CmdStdy"), &QuButton::Click, [this] { CmdStdy_Click(); });
    OnEvent(QStringLiteral("CmdExamStr"), &QuButton::Click, [this] { CmdExamStr_Click(); });
    OnEvent(QStringLiteral("CmdErrStdy"), &QuButton::Click, [this] { CmdErrStdy_Click(); });
    OnEvent(QStringLiteral("QuButton1"), &QuButton::Click, [this] { QuButton1_Click(); });
    OnEvent(QStringLiteral("CmdStatXh"), &QuButton::Click, [this] { CmdStatXh_Click(); });
    OnEvent(QStringLiteral("CmdExit"), &QuButton::Click, [this] { CmdExit_Click(); });
    OnEvent(QStringLiteral("CmdEndSys"), &QuButton::Click, [this] { CmdEndSys_Click(); });
    OnEvent(QStringLiteral("Timer1"), &Timer::Tick, [this] { Timer1_Timer(); });
    OnEvent(QStringLiteral("Timer2"), &Timer::Tick, [this] { Timer2_Timer(); });
    OnEvent(QStringLiteral("Check1"), &CheckBox::Click, [this] { Check1_Click(); });
    OnArrayEvent(QStringLiteral("TxtL"), &TextBox::KeyDown,
                 [this](int index, int& keyCode, int& shift) { TxtL_KeyDown(index, keyCode, shift); });
    OnArrayEvent(QStringLiteral("TxtL"), &TextBox::LostFocus, [this](int index) { TxtL_LostFocus(index); });
    OnArrayEvent(QStringLiteral("Cmd"), &QuButton::Click, [this](int index) { Cmd_Click(index); });
    OnArrayEvent(QStringLiteral("Cmd"), &QuButton::MouseMove,
                 [this](int index, short&, short&, float&, float&) { Cmd_MouseMove(index); });
}

void FrmMain::Form_Load()
{
    // The login simulation's trade list, and the simulation off.
    auto& cmbL = Control<ComboBox>(QStringLiteral("CmbL"));
    cmbL.AddItem(QString::fromUtf16(TradeSheetMetal));
    cmbL.AddItem(QString::fromUtf16(TradePainting));
    cmbL.SetListIndex(0);
    mLoginSimOn = false;
    Control<CheckBox>(QStringLiteral("Check1")).SetValue(0);

    SetCaption(App::EXEName());
    Move(0, 0, gScreenWidth, gScreenHeight);
    Control<Image>(QStringLiteral("ImgBd")).Move(0, 0, gScreenWidth, gScreenHeight);
    Array<Label>(QStringLiteral("LabStInfo"), 2).SetCaption(gApplyType);

    auto& picExam = Control<PictureBox>(QStringLiteral("PicExam"));
    picExam.Move(Half(gScreenWidth - picExam.Width()), Half(gScreenHeight - picExam.Height()));

    auto& title = Array<Label>(QStringLiteral("LabSysName"), 0);
    title.SetCaption(GetSystemTitle());
    Array<Label>(QStringLiteral("LabSysName"), 1).SetCaption(title.Caption());
    auto& label8 = Control<Label>(QStringLiteral("Label8"));
    label8.SetCaption(gDealerLine);
    Control<Label>(QStringLiteral("Label6")).SetCaption(label8.Caption());

    // The suffix follows the title directly, as the same shadow pair.
    auto& suffixLight = Array<Label>(QStringLiteral("LabSysJXS"), 1);
    auto& suffixDark = Array<Label>(QStringLiteral("LabSysJXS"), 0);
    suffixLight.Move(title.Left() + title.Width(), 180);
    suffixDark.Move(suffixLight.Left() + 10, 190);
    suffixDark.SetCaption(gTitleSuffix);
    suffixLight.SetCaption(suffixDark.Caption());
}

void FrmMain::Form_Unload(int& /*cancel*/)
{
    Control<Timer>(QStringLiteral("Timer1")).SetEnabled(false);
    Control<Timer>(QStringLiteral("Timer2")).SetEnabled(false);
}

bool FrmMain::Generating() const
{
    return Control<PictureBox>(QStringLiteral("PicCrtEp")).Visible();
}

void FrmMain::CmdMnExam_Click()
{
    if (Generating()) {
        return;
    }
    auto& bar = Control<QuXPProgress>(QStringLiteral("QuXPProgWait"));
    bar.SetMax(100);
    bar.SetMin(1);
    bar.SetShowText(true);
    Control<Timer>(QStringLiteral("Timer2")).SetInterval(15);
    gExamMode = ModeMockExam;
    Forms::FrmZjcx().Show(vbModal);
}

void FrmMain::CmdStdy_Click()
{
    if (Generating()) {
        return;
    }
    gExamMode = ModeChapterPractice;
    Forms::FrmMnlx().Show(vbModal);
}

void FrmMain::CmdExamStr_Click()
{
    if (Generating()) {
        return;
    }
    gExamMode = ModeSequentialPractice;
    Forms::FrmZjcx().Show(vbModal);
}

void FrmMain::CmdErrStdy_Click()
{
    if (Generating()) {
        return;
    }
    if (gConn && gConn->State() == Ado::adStateOpen) {
        CloseDatabase();
        gConn.reset();
    }
    OpenDatabase();
    mPaperRs = gConn->Execute(QStringLiteral("Select * From Exam_ThemePaper Order By ExamID"));
    if (mPaperRs->Eof()) {
        mPaperRs.reset();
        MsgBox(QStringLiteral("当前系统没有经过模拟考试，请在模拟考试以后再进行错题练习"), vbOKOnly,
               QStringLiteral("提示"));
        return;
    }
    gExamMode = ModeWrongPractice;
    Forms::FrmExam().Show();
    Unload();
    mPaperRs.reset();
}

void FrmMain::QuButton1_Click()
{
    if (Generating()) {
        return;
    }
    Forms::FrmKbdSet().Show(vbModal);
}

void FrmMain::CmdStatXh_Click()
{
    if (Generating()) {
        return;
    }
    SetWindowState(vbMinimized);
}

void FrmMain::CmdExit_Click()
{
    if (Generating()) {
        return;
    }
    if (MsgBox(QStringLiteral("确定要退出系统吗？"), vbYesNo, QStringLiteral("提示")) != vbYes) {
        return;
    }
    for (Form* form : Form::Forms()) {
        if (form != this) {
            form->Unload();
        }
    }
    Unload();
}

void FrmMain::CmdEndSys_Click()
{
    CmdExit_Click();
}

void FrmMain::Timer1_Timer()
{
    const PaperStatus status = CreateExamPaper();
    auto& bar = Control<QuXPProgress>(QStringLiteral("QuXPProgWait"));
    if (status != PaperStatus::Created) {
        // The last paper is kept; the menu goes back to idle and says why.
        StopGeneration();
        MsgBox(PaperStatusText(status), vbOKOnly, QStringLiteral("提示"));
        return;
    }
    bar.SetValue(100);
    Control<Timer>(QStringLiteral("Timer1")).SetEnabled(false);
    mProgress = bar.Min();
    Forms::FrmExam().Show();
    Unload();
}

void FrmMain::StopGeneration()
{
    Control<Timer>(QStringLiteral("Timer1")).SetEnabled(false);
    Control<Timer>(QStringLiteral("Timer2")).SetEnabled(false);
    Control<PictureBox>(QStringLiteral("PicCrtEp")).SetVisible(false);
    mProgress = Control<QuXPProgress>(QStringLiteral("QuXPProgWait")).Min();
}

void FrmMain::Timer2_Timer()
{
    ++mProgress;
    Control<QuXPProgress>(QStringLiteral("QuXPProgWait")).SetValue(mProgress);
}

// ---- the login simulation ----

void FrmMain::Check1_Click()
{
    mLoginSimOn = Control<CheckBox>(QStringLiteral("Check1")).Value() == 1;
}

void FrmMain::TxtL_KeyDown(int index, int& keyCode, int& /*shift*/)
{
    // No question may wait while a paper is generated: the menu is replaced under it when the
    // generation ends.
    if (Generating()) {
        return;
    }
    if (keyCode == vbKeyReturn) {
        if (index == 0) {
            Array<TextBox>(QStringLiteral("TxtL"), 1).SetFocus();
        } else if (index == 1) {
            Array<TextBox>(QStringLiteral("TxtL"), 2).SetFocus();
        } else if (index == 2) {
            Array<QuButton>(QStringLiteral("Cmd"), 0).SetFocus();
        }
        keyCode = 0;
        return;
    }
    if (keyCode == vbKeyA + ('X' - 'A') && index == 0) {
        keyCode = 0;
        MsgBox(QStringLiteral("身份证尾号尾号为“X”的不需输入“X”,请去掉所输入的“X”！"), vbExclamation,
               QStringLiteral("提示"));
        mLoginSimOn = false;
        Control<CheckBox>(QStringLiteral("Check1")).SetValue(0);
    }
}

void FrmMain::TxtL_LostFocus(int index)
{
    if (!mLoginSimOn || Generating()) {
        return;
    }
    auto& number = Array<TextBox>(QStringLiteral("TxtL"), 0);
    const bool accepted = IdentityNumberAccepted(number.Text());
    if (index == 0) {
        if (!accepted) {
            MsgBox(QStringLiteral("信息不完整，请核实身份证号以及准考证号都已正确输入！"), vbExclamation,
                   QStringLiteral("提示"));
            MsgBox(QStringLiteral("正确的登陆方法如下：\r\n"
                                  "1、身份证号为15位或18位的数字，尾号为X的不需输入X，请按规则输入！\r\n"
                                  "2、输入身份证号后依次单击“准考证号、姓名”\r\n"
                                  "3、待准考证号和姓名显示出来以后，单击“登陆”按钮"),
                   vbExclamation, QStringLiteral("正确登陆方法"));
            // Off before the focus moves back, so that the field the focus leaves asks nothing more.
            mLoginSimOn = false;
            Control<CheckBox>(QStringLiteral("Check1")).SetValue(0);
            number.SetFocus();
            return;
        }
        Array<TextBox>(QStringLiteral("TxtL"), 1)
            .SetText(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) + QStringLiteral("001008"));
    } else if (index == 1) {
        if (!accepted) {
            MsgBox(QStringLiteral("没有考生信息，请与管理员联系！"), vbExclamation, QStringLiteral("提示"));
            // Off before the focus moves back, so that the field the focus leaves asks nothing more.
            mLoginSimOn = false;
            Control<CheckBox>(QStringLiteral("Check1")).SetValue(0);
            number.SetFocus();
            return;
        }
        Array<TextBox>(QStringLiteral("TxtL"), 2).SetText(kSampleName);
        Control<ComboBox>(QStringLiteral("CmbL")).SetListIndex(1);
    }
}

void FrmMain::Cmd_Click(int index)
{
    if (Generating()) {
        return;
    }
    if (index == 0) {
        if (Array<TextBox>(QStringLiteral("TxtL"), 2).Text().isEmpty()) {
            return;
        }
        MsgBox(QStringLiteral("登陆方法正确！"), vbOKOnly, QStringLiteral("提示"));
        ResetLogin();
    } else if (index == 1) {
        ResetLogin();
    }
}

void FrmMain::Cmd_MouseMove(int index)
{
    // Leaving a text field to press "取消" must not run the field's checks first.
    if (index == 1) {
        mLoginSimOn = false;
    }
}

void FrmMain::ResetLogin()
{
    for (int i = 0; i <= 2; ++i) {
        Array<TextBox>(QStringLiteral("TxtL"), i).SetText(QString());
    }
    Control<ComboBox>(QStringLiteral("CmbL")).SetListIndex(0);
    Array<TextBox>(QStringLiteral("TxtL"), 0).SetFocus();
    mLoginSimOn = false;
}
