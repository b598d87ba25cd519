#include "FrmKbdSet.h"

#include "DefaultForms.h"
#include "ModSystem.h"

#include <App.h>
#include <CheckBox.h>
#include <KeyCodes.h>
#include <MsgBox.h>
#include <OptionButton.h>
#include <QuButton.h>
#include <TextBox.h>

#include <array>
#include <initializer_list>

namespace {

constexpr int SlotCount = 12;
constexpr int DarkGreen = 0x008000;
constexpr int ButtonText = static_cast<int>(0x80000012);

// What a slot holding Backspace shows and stores instead of the key's name.
const QString BackspaceName = QStringLiteral("←");

struct DefaultKey {
    int Code;
    const char16_t* Name;
};
// Slot ID 1 to 12 in order: 开始, 结束, 清除, 上一题, 下一题, 未答题, 答案 1 to 答案 6.
constexpr DefaultKey kDefaultKeys[SlotCount] = {
    {65, u"A"},     {66, u"B"},     {8, u"←"},      {103, u"Num 7"}, {105, u"Num 9"}, {104, u"Num 8"},
    {97, u"Num 1"}, {98, u"Num 2"}, {99, u"Num 3"}, {100, u"Num 4"}, {101, u"Num 5"}, {102, u"Num 6"},
};

// Every user of the shared connection finds an object there: a closed one when it was released, so
// that a statement on it fails as a run-time error rather than on a missing object.
Ado::Connection& SharedConnection()
{
    if (!ModSystem::gConn) {
        ModSystem::gConn = std::make_unique<Ado::Connection>();
    }
    return *ModSystem::gConn;
}

QString SystemIniPath()
{
    return App::Path() + QStringLiteral("/System.ini");
}

} // namespace

Form& Forms::FrmKbdSet()
{
    return DefaultInstance<::FrmKbdSet>();
}

FrmKbdSet::FrmKbdSet() : Form(QStringLiteral("FrmKbdSet"))
{
    OnEvent(QStringLiteral("ChekLock"), &CheckBox::Click, [this] { ChekLock_Click(); });
    OnArrayEvent(QStringLiteral("OptKey"), &OptionButton::Click, [this](int index) { OptKey_Click(index); });
    OnEvent(QStringLiteral("CmdBacup"), &QuButton::Click, [this] { CmdBacup_Click(); });
    OnEvent(QStringLiteral("ChkAutoNext"), &CheckBox::Click, [this] { ChkAutoNext_Click(); });
    OnEvent(QStringLiteral("CmdExit"), &QuButton::Click, [this] { CmdExit_Click(); });
}

QString FrmKbdSet::KeyDisplayName(int keyCode)
{
    // Indexed by key code 0 to 222; codes not set here, and every code beyond, have the empty name.
    static const std::array<QString, 223> names = [] {
        std::array<QString, 223> table;
        const auto put = [&table](int first, std::initializer_list<const char16_t*> run) {
            for (const char16_t* name : run) {
                table[first++] = QString::fromUtf16(name);
            }
        };
        put(8, {u"Backspace", u"Tab"});
        put(13, {u"Enter"});
        put(16, {u"Shift", u"Ctrl", u"Alt", u"Pause", u"Caps Lock"});
        put(27, {u"Esc"});
        put(32, {u"Space", u"Page Up", u"Page Down", u"End", u"Home", u"Left", u"Up", u"Right", u"Down"});
        put(44, {u"Prnt Scrn", u"Insert", u"Delete"});
        for (int code = '0'; code <= '9'; ++code) {
            table[code] = QString(QChar(code));
        }
        for (int code = 'A'; code <= 'Z'; ++code) {
            table[code] = QString(QChar(code));
        }
        put(91, {u"Left Windows", u"Right Windows", u"Application"});
        for (int digit = 0; digit <= 9; ++digit) {
            table[vbKeyNumpad0 + digit] = QStringLiteral("Num %1").arg(digit);
        }
        put(106, {u"Num *", u"Num +"});
        put(109, {u"Num -", u"Num Del", u"Num /"});
        for (int number = 1; number <= 12; ++number) {
            table[vbKeyF1 + number - 1] = QStringLiteral("F%1").arg(number);
        }
        put(144, {u"Num Lock", u"Scroll Lock"});
        put(186, {u";", u"=", u",", u"-", u".", u"/", u"`"});
        put(219, {u"[", u"\\", u"]", u"'"});
        return table;
    }();
    return keyCode >= 0 && keyCode < static_cast<int>(names.size()) ? names[keyCode] : QString();
}

void FrmKbdSet::Form_Load()
{
    using namespace ModSystem;
    // A fresh connection, as the exam screen makes one too: nothing read on an earlier one is reused.
    if (gConn && gConn->State() == Ado::adStateOpen) {
        CloseDatabase();
        gConn.reset();
    }
    OpenDatabase();
    for (int id = 1; id <= SlotCount; ++id) {
        const auto slot = gConn->Execute(QStringLiteral("Select * From Sys_KeyCfg Where ID=") + QString::number(id));
        Array<TextBox>(QStringLiteral("TxtKey"), id - 1).SetText(slot->Fields(QStringLiteral("KeyValues")).ToString());
    }
    if (!gSysIni) {
        gSysIni = std::make_unique<ReadConfig>();
    }
    gSysIni->OpenIni(SystemIniPath());
    const std::int32_t autoKey = gSysIni->GetLong(QStringLiteral("SystemConfig"), QStringLiteral("AutoKey"), 0);
    gSysIni->CloseIni();
    // A change of the box writes the same value back through its Click.
    Control<CheckBox>(QStringLiteral("ChkAutoNext")).SetValue(autoKey != 0 ? 1 : 0);
}

bool FrmKbdSet::Locked() const
{
    return Control<CheckBox>(QStringLiteral("ChekLock")).Value() != 0;
}

void FrmKbdSet::ChekLock_Click()
{
    if (Locked()) {
        LockSlots();
        return;
    }
    Control<CheckBox>(QStringLiteral("ChekLock")).SetCaption(QStringLiteral("锁 定"));
    Control<QuButton>(QStringLiteral("CmdBacup")).SetEnabled(true);
    for (int index = 0; index < SlotCount; ++index) {
        Array<OptionButton>(QStringLiteral("OptKey"), index).SetEnabled(true);
    }
    // Its Click highlights slot 1, also when it stayed selected while the form was locked.
    Array<OptionButton>(QStringLiteral("OptKey"), 0).SetValue(true);
}

void FrmKbdSet::LockSlots()
{
    Control<CheckBox>(QStringLiteral("ChekLock")).SetCaption(QStringLiteral("解 锁"));
    Control<QuButton>(QStringLiteral("CmdBacup")).SetEnabled(false);
    for (int index = 0; index < SlotCount; ++index) {
        Array<OptionButton>(QStringLiteral("OptKey"), index).SetEnabled(false);
        auto& text = Array<TextBox>(QStringLiteral("TxtKey"), index);
        text.SetFontBold(false);
        text.SetForeColor(ButtonText);
        text.SetEnabled(false);
    }
}

void FrmKbdSet::OptKey_Click(int index)
{
    // The selection is read from the options, whichever raised the event.
    (void)index;
    for (int slot = 0; slot < SlotCount; ++slot) {
        ApplyHighlight(slot);
    }
}

void FrmKbdSet::ApplyHighlight(int index)
{
    const bool selected = Array<OptionButton>(QStringLiteral("OptKey"), index).Value();
    auto& text = Array<TextBox>(QStringLiteral("TxtKey"), index);
    text.SetForeColor(selected ? DarkGreen : ButtonText);
    text.SetFontBold(selected);
}

void FrmKbdSet::Form_KeyDown(int& keyCode, int& shift)
{
    (void)shift;
    if (Locked()) {
        return;
    }
    const QString name = KeyDisplayName(keyCode);
    // A key belongs to one slot at a time: whichever held it gives it up. A key without a name
    // matches every slot without one, and those are written empty again.
    for (int id = 1; id <= SlotCount; ++id) {
        ApplyHighlight(id - 1);
        auto& text = Array<TextBox>(QStringLiteral("TxtKey"), id - 1);
        if (text.Text() == name || (keyCode == vbKeyBack && text.Text() == BackspaceName)) {
            text.SetText(QString());
            StoreNoKey(id);
        }
    }
    for (int index = 0; index < SlotCount; ++index) {
        if (Array<OptionButton>(QStringLiteral("OptKey"), index).Value()) {
            auto& text = Array<TextBox>(QStringLiteral("TxtKey"), index);
            text.SetText(keyCode == vbKeyBack ? BackspaceName : name);
            StoreKey(index + 1, keyCode, text.Text());
            break;
        }
    }
}

void FrmKbdSet::StoreKey(int id, int keyCode, const QString& name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    SharedConnection().Execute(QStringLiteral("Update Sys_KeyCfg Set [KeyCode]='%1',KeyValues='%2' Where ID=%3")
                                   .arg(QString::number(keyCode), quoted, QString::number(id)));
}

void FrmKbdSet::StoreNoKey(int id)
{
    SharedConnection().Execute(QStringLiteral("Update Sys_KeyCfg Set [KeyCode]=Null,KeyValues='' Where ID=") +
                               QString::number(id));
}

void FrmKbdSet::CmdBacup_Click()
{
    if (Locked()) {
        return;
    }
    if (MsgBox(QStringLiteral("您真的要恢复系统默认的键盘设置吗？"), vbYesNo, QStringLiteral("提示")) != vbYes) {
        return;
    }
    for (int index = 0; index < SlotCount; ++index) {
        Array<TextBox>(QStringLiteral("TxtKey"), index).SetText(QString::fromUtf16(kDefaultKeys[index].Name));
    }
    for (int id = 1; id <= SlotCount; ++id) {
        StoreKey(id, kDefaultKeys[id - 1].Code, Array<TextBox>(QStringLiteral("TxtKey"), id - 1).Text());
    }
    LockSlots();
    Control<CheckBox>(QStringLiteral("ChekLock")).SetValue(1);
    Control<CheckBox>(QStringLiteral("ChkAutoNext")).SetValue(1);
    WriteAutoKey(QStringLiteral("1"));
    MsgBox(QStringLiteral("恢复设置成功!"), vbOKOnly, QStringLiteral("提示"));
}

void FrmKbdSet::ChkAutoNext_Click()
{
    // A greyed box counts as unticked.
    WriteAutoKey(Control<CheckBox>(QStringLiteral("ChkAutoNext")).Value() == 1 ? QStringLiteral("1")
                                                                               : QStringLiteral("0"));
}

void FrmKbdSet::WriteAutoKey(const QString& value)
{
    using ModSystem::gSysIni;
    if (!gSysIni) {
        gSysIni = std::make_unique<ReadConfig>();
    }
    gSysIni->OpenIni(SystemIniPath());
    gSysIni->SetString(QStringLiteral("SystemConfig"), QStringLiteral("AutoKey"), value);
    gSysIni->CloseIni();
}

void FrmKbdSet::CmdExit_Click()
{
    Unload();
}
