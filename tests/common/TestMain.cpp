// The one main of the Qt-based test executables. gtest_discover_tests runs the binaries at
// build time without the tests' ENVIRONMENT, so the platform is chosen here as well.
#include "TestSupport.h"

#include <Runtime.h>

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string_view>
#include <unistd.h>

namespace qkmtest {
void InstallFallbackMsgBoxResponder();
}

int main(int argc, char** argv)
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform == nullptr || *platform == '\0' || std::string_view(platform) == "offscreen") {
        const QByteArray value = "offscreen:configfile=" + qkmtest::OffscreenConfigFile().toLocal8Bit();
        setenv("QT_QPA_PLATFORM", value.constData(), 1);
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    // Fonts are substituted before any widget exists; no test ever waits on a message box.
    InitializeRuntime();
    qkmtest::InstallFallbackMsgBoxResponder();
    return RUN_ALL_TESTS();
}
