#pragma once

#include <QString>

#include <functional>

class QWidget;

// MsgBox Buttons argument: one button set, one icon and one default button added together.
enum MsgBoxStyleConstants : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton1 = 0,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
    vbApplicationModal = 0,
    vbSystemModal = 4096,
};

// MsgBox results.
enum MsgBoxResult : int { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

// The same values under the MessageBoxA names.
constexpr unsigned MB_OK = 0, MB_OKCANCEL = 1, MB_ABORTRETRYIGNORE = 2, MB_YESNOCANCEL = 3, MB_YESNO = 4,
                   MB_RETRYCANCEL = 5, MB_ICONHAND = 16, MB_ICONERROR = 16, MB_ICONQUESTION = 32,
                   MB_ICONEXCLAMATION = 48, MB_ICONWARNING = 48, MB_ICONASTERISK = 64, MB_ICONINFORMATION = 64,
                   MB_DEFBUTTON1 = 0, MB_DEFBUTTON2 = 256, MB_DEFBUTTON3 = 512;
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;

// A modal message box owned by the active form, with Chinese button texts ("确定", "取消",
// "是(&Y)", "否(&N)", "终止(&A)", "重试(&R)", "忽略(&I)"); the title is App::Title() when
// none is given. Returns the vb result of the button chosen; closing the box counts as Cancel
// where there is one (OK for vbOKOnly). Throws ProgramEnding when the program ended while the
// box was shown.
int MsgBox(const QString& prompt, int buttons = vbOKOnly, const QString& title = QString());

// The MessageBoxA call: owned by the given window (nullptr: the active form).
int MessageBoxA(QWidget* owner, const QString& text, const QString& caption, unsigned type);

// What a box showed, for responders.
struct MessageBoxRequest {
    QString Prompt;
    QString Title;
    int Buttons = 0;
};

// While set, boxes are not shown: the responder answers each one (tests). Returns the previous one.
using MsgBoxResponder = std::function<int(const MessageBoxRequest&)>;
MsgBoxResponder SetMsgBoxResponder(MsgBoxResponder responder);

// The result of a box's default button (what Enter chooses), for responders.
int DefaultMsgBoxResult(int buttons);
