// The program: the forms runtime with the program's control types and errors, the cipher's message boxes,
// the splash, the message loop. Everything else happens in the forms' handlers.
#include "DefaultForms.h"
#include "ProgramRuntime.h"

#include <App.h>
#include <CipherNotifier.h>
#include <DisplaySettings.h>
#include <FolderLock.h>
#include <MsgBox.h>
#include <Runtime.h>

#include <QApplication>
#include <QDir>

#include <string_view>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    InitializeRuntime();
    InitProgramRuntime();

    // One program per folder: a second one would generate its paper over the first one's, which
    // deletes the first candidate's answers and mixes the two exams. The lock lives as long as the
    // process, past main's return; a folder that cannot be locked (missing, unreadable) is left to
    // the messages that name its missing files.
    static const FolderLock folderLock(App::Path());
    if (folderLock.Result() == FolderLock::State::HeldElsewhere) {
        RunGuarded([] {
            MsgBox(QStringLiteral("考试练习系统已在此文件夹中运行，不能再次启动：\r\n") +
                       QDir::toNativeSeparators(App::Path()),
                   vbOKOnly, QStringLiteral("提示"));
        });
        return 1;
    }

    SetCipherNotifier([](std::u16string_view text) {
        MsgBox(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
    });
    // A display switched at start-up is put back however the program ends; the display layer also
    // does it on SIGTERM, SIGINT and SIGHUP.
    SetProgramEndHook([] { DisplaySettings::ChangeDisplaySettings(nullptr, 0); });

    RunGuarded([] { Forms::FrmStart().Show(); });
    const int result = RunMessageLoop();
    Forms::DestroyAll();
    return result;
}
