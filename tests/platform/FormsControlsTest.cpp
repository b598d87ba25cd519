// The intrinsic controls as the forms use them: growing labels, control arrays, containers,
// value changes that raise Click, combo lists, and the design-data loader.
#include <CheckBox.h>
#include <ComboBox.h>
#include <DesignData.h>
#include <Form.h>
#include <Frame.h>
#include <Label.h>
#include <Line.h>
#include <OleColor.h>
#include <OptionButton.h>
#include <PictureBox.h>
#include <Runtime.h>
#include <TextBox.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const char* kDesign = R"(# The exam screen's kind of controls.
Form FrmControls
    Caption = "控件"
    BackColor = &H00FFFFFF&
    ClientWidth = 9000
    ClientHeight = 6000
    Begin PictureBox PicExam
        Left = 150
        Top = 150
        Width = 6000
        Height = 4500
        BackColor = &H00FFFFFF&
        Begin Label LabTheme
            Left = 150
            Top = 150
            Width = 3000
            Height = 255
            AutoSize = True
            WordWrap = True
            Font = Font("宋体", 10.5)
            Caption = "短"
        End
        Begin Label LabStInfo(0)
            Left = 150
            Top = 900
            Width = 1200
            Height = 255
            Caption = "第一题"
            ForeColor = &H000000FF&
        End
        Begin Line Line1
            X1 = 0
            Y1 = 1500
            X2 = 5700
            Y2 = 1500
            BorderColor = &H00C0C0C0&
        End
        Begin Frame Frame1
            Left = 150
            Top = 1800
            Width = 5000
            Height = 1500
            Caption = "答案"
            Begin OptionButton OptA
                Left = 150
                Top = 300
                Width = 1200
                Height = 255
                Caption = "A"
            End
            Begin OptionButton OptB
                Left = 1500
                Top = 300
                Width = 1200
                Height = 255
                Caption = "B"
            End
            Begin CheckBox ChkA
                Left = 150
                Top = 800
                Width = 1200
                Height = 255
                Caption = "多选"
            End
        End
    End
    Begin OptionButton OptOutside
        Left = 6500
        Top = 150
        Width = 1200
        Height = 255
        Caption = "外面"
        Value = True
    End
    Begin ComboBox CboTrade
        Left = 6500
        Top = 600
        Width = 2000
        Height = 300
        Style = 2
    End
End
)";

class ControlsForm : public Form {
public:
    ControlsForm() : Form(QStringLiteral("FrmControls"))
    {
        SetDesign(ParseDesign(QString::fromUtf8(kDesign), QStringLiteral("controls.form")));
        OnEvent(QStringLiteral("OptA"), &OptionButton::Click, [this] { Clicks << QStringLiteral("OptA"); });
        OnEvent(QStringLiteral("OptB"), &OptionButton::Click, [this] { Clicks << QStringLiteral("OptB"); });
        OnEvent(QStringLiteral("OptOutside"), &OptionButton::Click, [this] { Clicks << QStringLiteral("Outside"); });
        OnEvent(QStringLiteral("ChkA"), &CheckBox::Click, [this] { Clicks << QStringLiteral("ChkA"); });
        OnEvent(QStringLiteral("CboTrade"), &ComboBox::Click, [this] { Clicks << QStringLiteral("CboTrade"); });
        OnArrayEvent(QStringLiteral("LabStInfo"), &Label::Click,
                     [this](int index) { Clicks << QStringLiteral("LabStInfo(%1)").arg(index); });
    }
    QStringList Clicks;
};

class FormsControls : public ::testing::Test {
protected:
    void SetUp() override { mForm.Show(); }
    void TearDown() override
    {
        mForm.Unload();
        QCoreApplication::processEvents();
        ResetProgramEnded();
    }
    ControlsForm mForm;
};

TEST_F(FormsControls, AWordWrappingLabelGrowsDownwardWithItsText)
{
    auto& label = mForm.Control<Label>(QStringLiteral("LabTheme"));
    const int oneLine = label.Height();
    EXPECT_EQ(label.Width(), 3000);
    EXPECT_GT(oneLine, 0);
    label.SetCaption(QStringLiteral("车身修复中，钣金件整形前应先对损伤部位进行检查和测量，确定损伤的范围和程度，"
                                    "然后制定合理的修复方案，再按照方案逐步修复。"));
    const int wrapped = label.Height();
    EXPECT_EQ(label.Width(), 3000);
    EXPECT_GE(wrapped, 3 * oneLine);
    EXPECT_EQ(wrapped % 15, 0);
    label.SetCaption(QStringLiteral("短"));
    EXPECT_EQ(label.Height(), oneLine);
}

TEST_F(FormsControls, AnAutoSizedLabelWithoutWrapTakesItsTextsWidth)
{
    auto& label = mForm.Control<Label>(QStringLiteral("LabTheme"));
    label.SetWordWrap(false);
    label.SetCaption(QStringLiteral("一二三四五六七八九十"));
    const int ten = label.Width();
    label.SetCaption(QStringLiteral("一二三四五"));
    EXPECT_LT(label.Width(), ten);
    EXPECT_NEAR(label.Width() * 2, ten, 60);
}

TEST_F(FormsControls, CarriageReturnAndLineFeedBreakAnAutoSizedLabelsLine)
{
    // The splash's publisher lines are joined by CR LF.
    auto& label = mForm.Control<Label>(QStringLiteral("LabTheme"));
    label.SetWordWrap(false);
    label.SetCaption(QStringLiteral("一二三四"));
    const int width = label.Width();
    const int height = label.Height();
    label.SetCaption(QStringLiteral("一二三四\r\n五六"));
    EXPECT_EQ(label.Width(), width);
    // Two lines; the second starts one line spacing down, which a face may set a pixel tighter.
    EXPECT_GT(label.Height(), height * 3 / 2);
    EXPECT_LE(label.Height(), 2 * height);
}

TEST_F(FormsControls, ArrayElementsLoadedAtRunTimeCopyElementZero)
{
    auto labels = mForm.Array<Label>(QStringLiteral("LabStInfo"));
    auto& second = labels.Load(1);
    EXPECT_EQ(second.Caption(), QStringLiteral("第一题"));
    EXPECT_EQ(second.ForeColor(), 0x0000FF);
    EXPECT_EQ(second.Container(), labels(0).Container());
    EXPECT_EQ(second.hWnd()->parentWidget(), labels(0).hWnd()->parentWidget());
    EXPECT_FALSE(second.Visible());
    second.SetTop(1200);
    second.SetVisible(true);
    QTest::mouseClick(second.hWnd(), Qt::LeftButton);
    EXPECT_EQ(mForm.Clicks, QStringList{QStringLiteral("LabStInfo(1)")});
    EXPECT_THROW(labels.Load(1), RuntimeError);
}

TEST_F(FormsControls, ControlsInAContainerSitInsideItAndZOrderRaisesThem)
{
    auto& picture = mForm.Control<PictureBox>(QStringLiteral("PicExam"));
    auto& frame = mForm.Control<Frame>(QStringLiteral("Frame1"));
    auto& option = mForm.Control<OptionButton>(QStringLiteral("OptA"));
    EXPECT_EQ(frame.Container(), &picture);
    EXPECT_EQ(option.Container(), &frame);
    // The picture box's 2-pixel border: its controls start inside it.
    EXPECT_EQ(frame.hWnd()->mapTo(mForm.hWnd(), QPoint(0, 0)), QPoint(10 + 2 + 10, 10 + 2 + 120));
    EXPECT_EQ(picture.ScaleWidth(), (400 - 4) * 15);
    auto& line = mForm.Control<Line>(QStringLiteral("Line1"));
    EXPECT_EQ(line.hWnd()->parentWidget(), picture.ClientWindow());
    line.ZOrder(0);
    EXPECT_EQ(picture.ClientWindow()->children().last(), line.hWnd());
}

TEST_F(FormsControls, OptionButtonsGroupByContainerAndRaiseClickWhenSetByCode)
{
    auto& a = mForm.Control<OptionButton>(QStringLiteral("OptA"));
    auto& b = mForm.Control<OptionButton>(QStringLiteral("OptB"));
    auto& outside = mForm.Control<OptionButton>(QStringLiteral("OptOutside"));
    EXPECT_TRUE(outside.Value());
    a.SetValue(true);
    EXPECT_EQ(mForm.Clicks, QStringList{QStringLiteral("OptA")});
    QTest::mouseClick(b.hWnd(), Qt::LeftButton, Qt::NoModifier, QPoint(5, b.hWnd()->height() / 2));
    EXPECT_TRUE(b.Value());
    EXPECT_FALSE(a.Value());
    EXPECT_TRUE(outside.Value());
    EXPECT_EQ(mForm.Clicks, (QStringList{QStringLiteral("OptA"), QStringLiteral("OptB")}));
    a.SetValue(false);
    EXPECT_EQ(mForm.Clicks.size(), 2);
}

TEST_F(FormsControls, AnOptionButtonRaisesClickEachTimeItIsSelectedAlsoWhenItAlreadyWas)
{
    // The key settings unlock by selecting their first slot again and rely on its Click to
    // highlight it, whether or not it was selected before.
    auto& a = mForm.Control<OptionButton>(QStringLiteral("OptA"));
    auto& b = mForm.Control<OptionButton>(QStringLiteral("OptB"));
    EXPECT_TRUE(mForm.Clicks.isEmpty()); // a design value selects without Click
    a.SetValue(true);
    a.SetValue(true);
    EXPECT_EQ(mForm.Clicks, QStringList(2, QStringLiteral("OptA")));
    const QPoint inside(5, a.hWnd()->height() / 2);
    QTest::mouseClick(a.hWnd(), Qt::LeftButton, Qt::NoModifier, inside);
    EXPECT_EQ(mForm.Clicks, QStringList(3, QStringLiteral("OptA")));
    ASSERT_TRUE(QTest::qWaitForWindowActive(mForm.hWnd()));
    a.SetFocus();
    QTest::keyClick(a.hWnd(), Qt::Key_Space);
    EXPECT_EQ(mForm.Clicks, QStringList(4, QStringLiteral("OptA")));
    // An arrow key moves the selection through the group: Click of the newly selected one only.
    QTest::keyClick(a.hWnd(), Qt::Key_Right);
    EXPECT_TRUE(b.Value());
    EXPECT_FALSE(a.Value());
    EXPECT_EQ(mForm.Clicks.size(), 5);
    EXPECT_EQ(mForm.Clicks.last(), QStringLiteral("OptB"));
    b.SetValue(false);
    EXPECT_FALSE(b.Value());
    EXPECT_EQ(mForm.Clicks.size(), 5);
}

TEST_F(FormsControls, DisabledOptionButtonsAndCheckBoxesGreyTheirCaption)
{
    // Dark pixels right of the box, where the caption is drawn.
    const auto darkCaptionPixels = [](::Control& control) {
        const QImage image = control.hWnd()->grab().toImage();
        int dark = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 20; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                dark += pixel.red() + pixel.green() + pixel.blue() < 3 * 90 ? 1 : 0;
            }
        }
        return dark;
    };
    auto& option = mForm.Control<OptionButton>(QStringLiteral("OptA"));
    auto& check = mForm.Control<CheckBox>(QStringLiteral("ChkA"));
    for (::Control* control : {static_cast<::Control*>(&option), static_cast<::Control*>(&check)}) {
        EXPECT_GT(darkCaptionPixels(*control), 0) << control->Name().toStdString();
        control->SetEnabled(false);
        EXPECT_EQ(darkCaptionPixels(*control), 0) << control->Name().toStdString();
        control->SetEnabled(true);
        EXPECT_GT(darkCaptionPixels(*control), 0) << control->Name().toStdString();
    }
}

TEST_F(FormsControls, CheckBoxValueChangesRaiseClickAndAUserClickTogglesZeroAndOne)
{
    auto& check = mForm.Control<CheckBox>(QStringLiteral("ChkA"));
    check.SetValue(1);
    check.SetValue(1);
    check.SetValue(2);
    EXPECT_EQ(mForm.Clicks, (QStringList{QStringLiteral("ChkA"), QStringLiteral("ChkA")}));
    QTest::mouseClick(check.hWnd(), Qt::LeftButton, Qt::NoModifier, QPoint(5, check.hWnd()->height() / 2));
    EXPECT_EQ(check.Value(), 0);
    QTest::mouseClick(check.hWnd(), Qt::LeftButton, Qt::NoModifier, QPoint(5, check.hWnd()->height() / 2));
    EXPECT_EQ(check.Value(), 1);
    EXPECT_EQ(mForm.Clicks.size(), 4);
    EXPECT_THROW(check.SetValue(3), RuntimeError);
}

TEST_F(FormsControls, AComboListSelectsOnlyWhenToldAndRaisesClickForEachChange)
{
    auto& combo = mForm.Control<ComboBox>(QStringLiteral("CboTrade"));
    combo.AddItem(QStringLiteral("车身修复"));
    combo.AddItem(QStringLiteral("车身涂装"));
    EXPECT_EQ(combo.ListIndex(), -1);
    EXPECT_EQ(combo.ListCount(), 2);
    EXPECT_TRUE(mForm.Clicks.isEmpty());
    combo.SetListIndex(1);
    EXPECT_EQ(combo.Text(), QStringLiteral("车身涂装"));
    EXPECT_EQ(combo.List(0), QStringLiteral("车身修复"));
    EXPECT_EQ(mForm.Clicks, QStringList{QStringLiteral("CboTrade")});
    combo.AddItem(QStringLiteral("首项"), 0);
    EXPECT_EQ(combo.ListIndex(), 2);
    EXPECT_THROW(combo.SetListIndex(3), RuntimeError);
    // With nothing selected a drop-down list shows no text (the module chooser's "no text" check).
    combo.RemoveItem(2);
    EXPECT_EQ(combo.ListIndex(), -1);
    EXPECT_EQ(combo.Text(), QString());
    combo.SetListIndex(0);
    combo.SetListIndex(-1);
    EXPECT_EQ(combo.Text(), QString());
    // Text fields start in the window colours, not the button face (the login fields are white).
    EXPECT_EQ(combo.BackColor(), static_cast<int>(0x80000005));
    EXPECT_EQ(combo.ForeColor(), static_cast<int>(0x80000008));
    EXPECT_EQ(TextBox().BackColor(), static_cast<int>(0x80000005));
    EXPECT_EQ(combo.hWnd()->palette().color(QPalette::Base), OleColorToQColor(static_cast<int>(0x80000005)));
}

TEST(FormsTextBox, ChangeFollowsEveryEditAndMaxLengthAndSelectionHold)
{
    Form form(QStringLiteral("FrmText"));
    form.SetDesign(ParseDesign(QStringLiteral("Form FrmText\n Begin TextBox TxtL(0)\n  Width = 2600\n  Height = 330\n"
                                              "  MaxLength = 5\n End\nEnd\n"),
                               QStringLiteral("text.form")));
    QStringList log;
    form.OnArrayEvent(QStringLiteral("TxtL"), &TextBox::Change, [&](int index) { log << QString::number(index); });
    form.OnArrayEvent(QStringLiteral("TxtL"), &TextBox::GotFocus, [&](int) { log << QStringLiteral("GotFocus"); });
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.hWnd()));
    auto& text = form.Array<TextBox>(QStringLiteral("TxtL"), 0);
    text.SetFocus();
    QTest::keyClicks(text.hWnd(), QStringLiteral("1234567"));
    EXPECT_EQ(text.Text(), QStringLiteral("12345"));
    text.SetText(QStringLiteral("abc"));
    EXPECT_EQ(log, (QStringList{QStringLiteral("GotFocus"), QStringLiteral("0"), QStringLiteral("0"),
                                QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")}));
    text.SetSelStart(1);
    text.SetSelLength(5);
    EXPECT_EQ(text.SelLength(), 2);
    EXPECT_EQ(text.SelText(), QStringLiteral("bc"));
    form.Unload();
    QCoreApplication::processEvents();
    ResetProgramEnded();
}

TEST(FormsTextBox, MaxLengthLimitsTypingButNotTextSetByCode)
{
    // The key settings show key names of up to 13 characters ("Right Windows") in boxes of at
    // most 10, and read the names back from the boxes.
    Form form(QStringLiteral("FrmKeyText"));
    form.SetDesign(ParseDesign(QStringLiteral("Form FrmKeyText\n Begin TextBox TxtKey(0)\n  Width = 735\n"
                                              "  Height = 270\n  MaxLength = 10\n End\nEnd\n"),
                               QStringLiteral("keytext.form")));
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.hWnd()));
    auto& box = form.Array<TextBox>(QStringLiteral("TxtKey"), 0);
    box.SetText(QStringLiteral("Right Windows"));
    EXPECT_EQ(box.Text(), QStringLiteral("Right Windows"));
    EXPECT_EQ(box.MaxLength(), 10);
    box.SetFocus();
    QTest::keyClicks(box.hWnd(), QStringLiteral("x"));
    EXPECT_EQ(box.Text(), QStringLiteral("Right Windows"));

    box.SetText(QString());
    QTest::keyClicks(box.hWnd(), QStringLiteral("Scroll Lock"));
    EXPECT_EQ(box.Text(), QStringLiteral("Scroll Loc"));

    auto& copy = form.Array<TextBox>(QStringLiteral("TxtKey")).Load(1);
    copy.SetText(QStringLiteral("Application"));
    EXPECT_EQ(copy.Text(), QStringLiteral("Application"));
    form.Unload();
    QCoreApplication::processEvents();
    ResetProgramEnded();
}

TEST(FormsDesignData, FilesAreFoundInTheDesignFolderAndBadDataIsReportedWithItsLine)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile picture(dir.filePath(QStringLiteral("dot.svg")));
    ASSERT_TRUE(picture.open(QIODevice::WriteOnly));
    picture.write("<svg xmlns='http://www.w3.org/2000/svg' width='4' height='3'><rect width='4' height='3' "
                  "fill='red'/></svg>");
    picture.close();
    QFile file(dir.filePath(QStringLiteral("FrmFile.form")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Form FrmFile\n    Caption = \"文件\"\n    Begin PictureBox Pic1\n        Picture = File(\"dot.svg\")\n"
               "        AutoSize = True\n        BorderStyle = 0\n    End\nEnd\n");
    file.close();

    Form::SetDesignFolder(dir.path());
    Form form(QStringLiteral("FrmFile"));
    form.Load();
    EXPECT_EQ(form.Caption(), QStringLiteral("文件"));
    EXPECT_EQ(form.Control<PictureBox>(QStringLiteral("Pic1")).Width(), 4 * 15);
    form.Unload();
    Form::SetDesignFolder(QStringLiteral(":/forms"));

    auto errorOf = [](const char* text) {
        try {
            ParseDesign(QString::fromUtf8(text), QStringLiteral("bad.form"));
        } catch (const RuntimeError& error) {
            return QStringLiteral("%1 %2").arg(error.Number()).arg(error.Description());
        }
        return QString();
    };
    EXPECT_TRUE(errorOf("Form F\n  Caption = \"open\nEnd\n").contains(QStringLiteral("第 2 行")));
    EXPECT_TRUE(errorOf("Form F\n  Begin Label L(x)\n  End\nEnd\n").startsWith(QStringLiteral("380")));
    EXPECT_TRUE(errorOf("Form F\n  Begin Label L\n").contains(QStringLiteral("缺少 End")));
    EXPECT_TRUE(errorOf("Form F\n  Width = &HZZ\nEnd\n").contains(QStringLiteral("第 2 行")));

    Form unknown(QStringLiteral("FrmUnknown"));
    unknown.SetDesign(ParseDesign(QStringLiteral("Form F\n Begin NoSuchThing X\n End\nEnd\n"), QStringLiteral("u")));
    EXPECT_THROW(unknown.Load(), RuntimeError);
    Form::DiscardAll();
    Form missing(QStringLiteral("FrmMissing"));
    missing.SetDesignFile(dir.filePath(QStringLiteral("nothing.form")));
    try {
        missing.Load();
        FAIL() << "loaded without design data";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.Number(), 53);
    }
    QCoreApplication::processEvents();
    ResetProgramEnded();
}

} // namespace
