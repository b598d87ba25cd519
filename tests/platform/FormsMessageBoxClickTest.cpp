// A message box shown while a mouse button is down takes that click: the press that moved the focus
// out of a field whose LostFocus asked something never clicks the control it was aimed at, and the
// next press is an ordinary one again.
#include <ControlRegistry.h>
#include <DesignData.h>
#include <Form.h>
#include <IntrinsicControl.h>
#include <MsgBox.h>
#include <Runtime.h>
#include <TextBox.h>
#include <UserControl.h>

#include <QApplication>
#include <QCoreApplication>
#include <QFontInfo>
#include <QMessageBox>
#include <QTimer>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class ClickCounter : public UserControl {
public:
    QString TypeName() const override { return QStringLiteral("FormsClickCounter"); }
    void UserControl_MouseDown(int, int, float, float) override { ++Presses; }
    void UserControl_MouseUp(int, int, float, float) override { ++Clicks; }
    int Presses = 0;
    int Clicks = 0;
};

const bool kRegistered = [] {
    RegisterControlType(QStringLiteral("FormsClickCounter"), [] { return std::make_unique<ClickCounter>(); });
    return true;
}();

} // namespace

TEST(FormsMessageBoxClick, ABoxShownDuringAPressTakesItsClick)
{
    Form form(QStringLiteral("FrmClick"));
    form.SetDesign(ParseDesign(QStringLiteral("Form FrmClick\n ClientWidth = 3000\n ClientHeight = 2000\n"
                                              " Begin TextBox TxtNumber\n  Width = 1500\n  Height = 330\n End\n"
                                              " Begin FormsClickCounter CmdLogin\n  Top = 900\n  Width = 1200\n"
                                              "  Height = 495\n End\nEnd\n"),
                               QStringLiteral("click.form")));
    int asked = 0;
    bool ask = true;
    form.OnEvent(QStringLiteral("TxtNumber"), &IntrinsicControl::LostFocus, [&] {
        if (ask) {
            ++asked;
            MsgBox(QStringLiteral("号码不对"));
        }
    });
    form.Show();
    QApplication::setActiveWindow(form.hWnd());
    auto& field = form.Control<TextBox>(QStringLiteral("TxtNumber"));
    auto& button = form.Control<ClickCounter>(QStringLiteral("CmdLogin"));
    field.SetFocus();
    ASSERT_TRUE(field.HasFocus());

    QTest::mouseClick(button.hWnd(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(button.Presses, 0);
    EXPECT_EQ(button.Clicks, 0);

    // Nothing is asked now: the click reaches the button whole.
    ask = false;
    field.SetFocus();
    QTest::mouseClick(button.hWnd(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(button.Presses, 1);
    EXPECT_EQ(button.Clicks, 1);
    form.Unload();
    QCoreApplication::processEvents();
    ResetProgramEnded();
}

TEST(FormsMessageBoxFont, ABoxShowsItsTextInTheDesktopsSansFace)
{
    ResetProgramEnded();
    const MsgBoxResponder previous = SetMsgBoxResponder(nullptr);
    QString family;
    QTimer::singleShot(50, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            family = QFontInfo(box->font()).family();
            box->done(0);
        }
    });
    MsgBox(QStringLiteral("文件未找到: QKMExam_L.DLL"));
    SetMsgBoxResponder(previous);
    EXPECT_EQ(family, QStringLiteral("WenQuanYi Micro Hei"));
}
