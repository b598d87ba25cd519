#pragma once

#include <Form.h>

// The module chooser of the chapter practice.
class FrmMnlx : public Form {
public:
    FrmMnlx();

    void Form_Load() override;

private:
    void CmdYes_Click();
    void CmdNo_Click();
};
