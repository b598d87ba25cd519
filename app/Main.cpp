// The program: the forms runtime with the program's control types and errors, the cipher's message boxes,
// the splash, the message loop. Everything else happens in the forms' handlers.
#include "DefaultForms.h"
#include "ProgramRuntime.h"

#include <CipherNotifier.h>
#include <DisplaySettings.h>
#include <MsgBox.h>
#include <Runtime.h>

#include <QApplication>

#include <string_view>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    InitializeRuntime();
    InitProgramRuntime();

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
