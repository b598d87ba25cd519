#include "BenchApplication.h"

#include "BankBuilder.h"
#include "BankSource.h"
#include "DefaultForms.h"
#include "ModSystem.h"
#include "ProgramRuntime.h"

#include <Form.h>
#include <MsgBox.h>
#include <Runtime.h>
#include <Screen.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

// Deleted by EndBenchApplication while Qt's own globals still live; a static application object
// would be destroyed after some of them, with windows the benchmarks left to it.
std::unique_ptr<QApplication> gApplication;

} // namespace

void EnsureBenchApplication()
{
    if (QCoreApplication::instance() == nullptr) {
        const QString config = QDir::temp().filePath(QStringLiteral("qkm-bench-screen.json"));
        QFile file(config);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            file.write("{\"screens\":[{\"name\":\"bench\",\"x\":0,\"y\":0,\"width\":1280,\"height\":1024,"
                       "\"logicalDpi\":96,\"logicalBaseDpi\":96,\"dpr\":1}]}");
        }
        file.close();
        // An X server given on purpose (QT_QPA_PLATFORM=xcb) is kept: the memory rounds differ there.
        if (qgetenv("QT_QPA_PLATFORM") != "xcb") {
            setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config.toStdString()).c_str(), 1);
        }
        static int argc = 1;
        static char name[] = "qkm_bench";
        static char* argv[] = {name, nullptr};
        gApplication = std::make_unique<QApplication>(argc, argv);
        InitializeRuntime();
        InitProgramRuntime();
        // No box may wait for a person here.
        SetMsgBoxResponder([](const MessageBoxRequest& request) { return DefaultMsgBoxResult(request.Buttons); });
    }
    ModSystem::gScreenWidth = Screen::Width();
    ModSystem::gScreenHeight = Screen::Height();
}

void EndBenchApplication()
{
    if (!gApplication) {
        return;
    }
    Form::DiscardAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Forms::DestroyAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ResetProgramEnded();
    ModSystem::gConn.reset();
    gApplication.reset();
}

void UseDemoFolder()
{
    static const QTemporaryDir folder = [] {
        QTemporaryDir dir;
        const std::string source = std::string(QKM_SOURCE_DIR) + "/tools/demo/DemoBank.txt";
        Bank::Build(Bank::ParseSourceFile(source), (dir.path() + QStringLiteral("/QKMExam_L.DLL")).toStdString());
        return dir;
    }();
    setenv("QKMEXAM_DIR", folder.path().toLocal8Bit().constData(), 1);
}
