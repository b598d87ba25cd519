#pragma once

#include <Form.h>

#include <QString>

// The answer-key settings: the twelve key slots of Sys_KeyCfg (slot ID 1 to 12 is OptKey and
// TxtKey with index ID - 1), unlocked to put a key into the selected slot by pressing it, and the
// "自动打开下一题" box kept in System.ini. Every change is written at once; closing saves nothing.
class FrmKbdSet : public Form {
public:
    FrmKbdSet();

    // The display name of a virtual-key code: 100 named codes between 8 and 222, the empty name
    // for every other code. Backspace is "Backspace" here; a slot shows and stores it as "←".
    static QString KeyDisplayName(int keyCode);

    void Form_Load() override;
    void Form_KeyDown(int& keyCode, int& shift) override;

private:
    void ChekLock_Click();
    void OptKey_Click(int index);
    void CmdBacup_Click();
    void ChkAutoNext_Click();
    void CmdExit_Click();

    // ChekLock ticked (or greyed): no key or restore reaches the slots.
    bool Locked() const;
    // Dark green bold for the selected slot's text box, button text in normal weight for the others.
    void ApplyHighlight(int index);
    void LockSlots();
    // Writes one slot's key (code in decimal; the name with its single quotes doubled).
    static void StoreKey(int id, int keyCode, const QString& name);
    static void StoreNoKey(int id);
    void WriteAutoKey(const QString& value);
};
