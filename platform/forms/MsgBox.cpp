#include "MsgBox.h"

#include "App.h"
#include "Form.h"
#include "Runtime.h"
#include "RuntimeEventFilter.h"

#include <QApplication>
#include <QEventLoop>
#include <QFont>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include <vector>

namespace {

MsgBoxResponder& Responder()
{
    static MsgBoxResponder responder;
    return responder;
}

struct ButtonSpec {
    int Result;
    const char16_t* Text;
};

std::vector<ButtonSpec> ButtonsOf(int buttons)
{
    switch (buttons & 7) {
    case vbOKCancel:
        return {{vbOK, u"确定"}, {vbCancel, u"取消"}};
    case vbAbortRetryIgnore:
        return {{vbAbort, u"终止(&A)"}, {vbRetry, u"重试(&R)"}, {vbIgnore, u"忽略(&I)"}};
    case vbYesNoCancel:
        return {{vbYes, u"是(&Y)"}, {vbNo, u"否(&N)"}, {vbCancel, u"取消"}};
    case vbYesNo:
        return {{vbYes, u"是(&Y)"}, {vbNo, u"否(&N)"}};
    case vbRetryCancel:
        return {{vbRetry, u"重试(&R)"}, {vbCancel, u"取消"}};
    default:
        return {{vbOK, u"确定"}};
    }
}

QMessageBox::Icon IconOf(int buttons)
{
    switch (buttons & 0x70) {
    case vbCritical:
        return QMessageBox::Critical;
    case vbQuestion:
        return QMessageBox::Question;
    case vbExclamation:
        return QMessageBox::Warning;
    case vbInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

// What a box closed without a choice answers: Cancel where it has one, else No, else its first button.
int UnansweredResult(const std::vector<ButtonSpec>& specs)
{
    for (int wanted : {vbCancel, vbNo}) {
        for (const auto& spec : specs) {
            if (spec.Result == wanted) {
                return wanted;
            }
        }
    }
    return specs.front().Result;
}

int DefaultIndex(int buttons, std::size_t count)
{
    const int index = (buttons & 0x300) >> 8;
    return index < static_cast<int>(count) ? index : 0;
}

int ShowBox(QWidget* owner, const QString& prompt, int buttons, const QString& title)
{
    const QString caption = title.isEmpty() ? App::Title() : title;
    MessageBoxOpening();
    if (Responder()) {
        const int answer = Responder()(MessageBoxRequest{prompt, caption, buttons});
        MessageBoxClosed();
        return answer;
    }
    if (owner == nullptr) {
        // Only a loaded form owns the box: the active window may be an unloaded form's, waiting to
        // be deleted, and would take the box with it.
        if (Form* active = Form::ActiveForm()) {
            owner = active->hWnd();
        }
    }
    // On the heap, a child of its owner: when the owner's form is unloaded while the box is up (the
    // exam clock hands in while the hand-in question waits), the box goes with the window, as an
    // owned box does, and answers as if closed without a choice.
    QPointer<QMessageBox> box = new QMessageBox(owner);
    box->setWindowTitle(caption);
    // The desktop's message font, a sans face, as its own boxes use: in the forms' Song face an
    // underscore falls outside its line, and "QKMExam_L.DLL" in an error would read "QKMExam L.DLL".
    box->setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 9));
    box->setText(prompt);
    box->setIcon(IconOf(buttons));
    box->setWindowModality(Qt::ApplicationModal);
    const std::vector<ButtonSpec> specs = ButtonsOf(buttons);
    std::vector<std::pair<QAbstractButton*, int>> made;
    for (const auto& spec : specs) {
        QPushButton* button = box->addButton(QString::fromUtf16(spec.Text), QMessageBox::AcceptRole);
        made.emplace_back(button, spec.Result);
        if (spec.Result == vbCancel || (specs.size() == 1 && spec.Result == vbOK)) {
            box->setEscapeButton(button);
        }
    }
    box->setDefaultButton(static_cast<QPushButton*>(made[DefaultIndex(buttons, made.size())].first));
    QEventLoop loop;
    QObject::connect(box, &QMessageBox::finished, &loop, &QEventLoop::quit);
    QObject::connect(box, &QObject::destroyed, &loop, &QEventLoop::quit);
    const QPointer<QWidget> ownerWindow = owner != nullptr ? owner->window() : nullptr;
    box->open();
    RunNestedLoop(loop);
    MessageBoxClosed();
    // The owner takes the keyboard back, as a message box's owner does when the box closes: without
    // a window manager to hand it back, the screen would not see keys until it is clicked.
    if (ownerWindow != nullptr && ownerWindow->isVisible()) {
        ownerWindow->activateWindow();
    }
    int result = UnansweredResult(specs);
    if (box != nullptr) {
        for (const auto& [button, value] : made) {
            if (box->clickedButton() == button) {
                result = value;
            }
        }
        delete box.data();
    }
    ThrowIfProgramEnded();
    return result;
}

} // namespace

int MsgBox(const QString& prompt, int buttons, const QString& title)
{
    return ShowBox(nullptr, prompt, buttons, title);
}

int MessageBoxA(QWidget* owner, const QString& text, const QString& caption, unsigned type)
{
    return ShowBox(owner, text, static_cast<int>(type), caption.isNull() ? QStringLiteral("错误") : caption);
}

MsgBoxResponder SetMsgBoxResponder(MsgBoxResponder responder)
{
    MsgBoxResponder previous = std::move(Responder());
    Responder() = std::move(responder);
    return previous;
}

int DefaultMsgBoxResult(int buttons)
{
    const std::vector<ButtonSpec> specs = ButtonsOf(buttons);
    return specs[DefaultIndex(buttons, specs.size())].Result;
}
