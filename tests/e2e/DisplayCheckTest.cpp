// The display check on a screen of 800 x 600 pixels: refused, the program ends and the screen stays;
// accepted, the screen is 1024 x 768 while the program runs and 800 x 600 again once it has ended,
// by its own "退出系统" or by SIGTERM.
#include "Journeys.h"

#include <gtest/gtest.h>

#include <csignal>

using namespace e2e;

namespace {

const QSize kSmall(800, 600);
const QSize kSwitched(1024, 768);

class DisplayCheck : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mSession.Server().Started());
        ASSERT_TRUE(mSession.Server().SetScreenSize(kSmall));
        mSession.Start();
        // The question comes from the splash's first step, over the splash.
        ASSERT_TRUE(mSession.WaitWindow(kProgramTitle, kSplashSize));
        const QString question = mSession.BoxText(kNoticeTitle, QStringLiteral("display-question"));
        EXPECT_TRUE(question.contains(QStringLiteral("系统需要至少1024*640的屏幕分辨率支持，")) &&
                    question.contains(QStringLiteral("同意后系统会将为您更改分辨率为1024*768!")))
            << question.toStdString();
        EXPECT_EQ(mSession.Server().ScreenSize(), kSmall);
    }

    // 确定, then the main menu on the switched screen.
    void Accept()
    {
        ASSERT_TRUE(mSession.AnswerBox(kNoticeTitle, QStringLiteral("Return")));
        ASSERT_TRUE(WaitFor([&] { return mSession.Server().ScreenSize() == kSwitched; }, 10000))
            << "the screen stays " << mSession.Server().ScreenSize().width() << " x "
            << mSession.Server().ScreenSize().height();
        const std::optional<WindowInfo> menu = mSession.WaitNewScreen(0);
        ASSERT_TRUE(menu) << mSession.Running().Log().toStdString();
        EXPECT_EQ(menu->Geometry, QRect(QPoint(0, 0), kSwitched));
        mSession.WaitSettled(menu->Geometry);
        mSession.Shot(QStringLiteral("main-menu-1024x768"));
        // The panel of 15390 x 11550 twips on 15360 x 11520 sits at -15, -15 twips: one pixel off
        // the screen on the left and top, so the screen's corner shows the panel, not the background.
        mMenu = *menu;
    }

    void ExpectScreenPutBack()
    {
        EXPECT_TRUE(WaitFor([&] { return mSession.Server().ScreenSize() == kSmall; }, 10000))
            << "the screen stays " << mSession.Server().ScreenSize().width() << " x "
            << mSession.Server().ScreenSize().height();
        EXPECT_FALSE(mSession.Running().CoreDumped());
        EXPECT_TRUE(mSession.Server().Windows().empty());
    }

    Session mSession;
    WindowInfo mMenu;
};

} // namespace

TEST_F(DisplayCheck, RefusedTheProgramEndsAndTheScreenStays)
{
    ASSERT_TRUE(mSession.AnswerBox(kNoticeTitle, QStringLiteral("Escape")));
    ASSERT_TRUE(mSession.Running().WaitForExit(10000)) << "the program goes on after 取消";
    EXPECT_EQ(mSession.Running().ExitCode(), 0) << mSession.Running().Log().toStdString();
    EXPECT_EQ(mSession.Server().ScreenSize(), kSmall);
    EXPECT_TRUE(mSession.Server().Windows().empty());
}

TEST_F(DisplayCheck, AcceptedSwitchedWhileRunningAndPutBackAtTheEnd)
{
    Accept();
    if (HasFatalFailure()) {
        return;
    }
    const FormLayout main(QStringLiteral("FrmMain"));
    mSession.Click(mSession.PanelPoint(main, QStringLiteral("CmdEndSys"), mMenu));
    ASSERT_TRUE(mSession.AnswerBox(kNoticeTitle, QStringLiteral("Return")));
    ASSERT_TRUE(mSession.Running().WaitForExit(10000));
    EXPECT_EQ(mSession.Running().ExitCode(), 0) << mSession.Running().Log().toStdString();
    ExpectScreenPutBack();
}

TEST_F(DisplayCheck, AcceptedAndPutBackWhenTerminated)
{
    Accept();
    if (HasFatalFailure()) {
        return;
    }
    mSession.Running().Signal(SIGTERM);
    ASSERT_TRUE(mSession.Running().WaitForExit(10000)) << "SIGTERM does not end the program";
    EXPECT_EQ(mSession.Running().TermSignal(), SIGTERM);
    ExpectScreenPutBack();
}
