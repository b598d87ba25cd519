#pragma once

#include <Form.h>

#include <Recordset.h>

#include <cstdint>
#include <memory>

// The main menu: the mode buttons, the generation of a mock-exam paper behind its progress panel,
// and the login simulation on the picture of the station's login screen.
class FrmMain : public Form {
public:
    FrmMain();

    void Form_Load() override;
    void Form_Unload(int& cancel) override;

private:
    void CmdMnExam_Click();
    void CmdStdy_Click();
    void CmdExamStr_Click();
    void CmdErrStdy_Click();
    void QuButton1_Click();
    void CmdStatXh_Click();
    void CmdExit_Click();
    void CmdEndSys_Click();
    void Timer1_Timer();
    void Timer2_Timer();

    // The login simulation.
    void Check1_Click();
    void TxtL_KeyDown(int index, int& keyCode, int& shift);
    void TxtL_LostFocus(int index);
    void Cmd_Click(int index);
    void Cmd_MouseMove(int index);
    void ResetLogin();

    // While a paper is being generated the menu takes no other command: a second chooser or the key
    // settings opened under the generation would start another exam or run it behind the dialog.
    bool Generating() const;
    void StopGeneration();

    // Advanced by Timer2; keeps its value while the form is unloaded and shown again.
    std::int32_t mProgress = 0;
    bool mLoginSimOn = false;
    std::unique_ptr<Ado::Recordset> mPaperRs;
};

// The identity-card number rule of the login screen: 15, 17 or 18 characters once the blanks around
// it are gone (a trailing "X" is typed without the X, so 17 stands for an 18-character number).
bool IdentityNumberAccepted(const QString& text);
