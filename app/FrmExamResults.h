#pragma once

#include <Form.h>

// The results of a scored mock exam; its OK (or Enter, or the close box) brings back the main menu.
class FrmExamResults : public Form {
public:
    FrmExamResults();

    void Form_Load() override;
    void Form_KeyPress(int& keyAscii) override;
    void Form_QueryUnload(int& cancel, int unloadMode) override;

private:
    void CmdOK_Click();
};
