#pragma once

#include <Form.h>

// The trade chooser: before a mock exam it starts the paper generation on the main menu, before a
// sequential practice it opens the exam screen.
class FrmZjcx : public Form {
public:
    FrmZjcx();

    void Form_Load() override;

private:
    void OptSlcCX_Click(int index);
    void CmdYes_Click();
    void CmdNo_Click();

    // The trade picked so far; "无" while none is.
    QString mChosenTrade;
};
