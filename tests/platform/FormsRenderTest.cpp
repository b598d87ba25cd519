// Renders a form with Chinese labels, a picture box and a region-masked user control to a PNG in
// the build tree (tests/platform/forms-render.png) for a person to look at, and checks what can be
// checked without eyes: glyphs are drawn (not empty boxes), the mask cuts the corners.
#include <ControlRegistry.h>
#include <DesignData.h>
#include <Form.h>
#include <Label.h>
#include <Runtime.h>
#include <UserControl.h>

#include <QCoreApplication>
#include <QDir>
#include <QFontInfo>
#include <QPainter>
#include <QRegion>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class RoundedBlock : public UserControl {
public:
    QString TypeName() const override { return QStringLiteral("FormsRoundedBlock"); }
    void UserControl_Resize() override
    {
        // A window region with cut corners, as the progress bar makes one.
        const int w = TwipsToPixels(Width());
        const int h = TwipsToPixels(Height());
        QRegion region(0, 0, w, h);
        region -= QRegion(0, 0, 3, 3);
        region -= QRegion(w - 3, 0, 3, 3);
        region -= QRegion(0, h - 3, 3, 3);
        region -= QRegion(w - 3, h - 3, 3, 3);
        hWnd()->setMask(region);
    }
    void UserControl_Paint() override
    {
        QImage& image = Image();
        image.fill(QColor(0x33, 0x99, 0xFF));
        QPainter painter(&image);
        painter.setPen(Qt::white);
        painter.setFont(QFont(QStringLiteral("宋体"), 9));
        painter.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("开始考试"));
    }
};

const bool kRegistered = [] {
    RegisterControlType(QStringLiteral("FormsRoundedBlock"), [] { return std::make_unique<RoundedBlock>(); });
    return true;
}();

const char* kDesign = R"design(Form FrmRender
    Caption = "渲染"
    BackColor = &H00FFF0E0&
    BorderStyle = 0
    ClientWidth = 6000
    ClientHeight = 3600
    Begin Label LabSysName(1)
        Left = 315
        Top = 195
        Width = 5400
        Height = 600
        BackStyle = 0
        ForeColor = &H00808080&
        Font = Font("宋体", 18, Bold)
        Caption = "车身修复与涂装理论考试"
    End
    Begin Label LabSysName(0)
        Left = 300
        Top = 180
        Width = 5400
        Height = 600
        BackStyle = 0
        ForeColor = &H00C00000&
        Font = Font("宋体", 18, Bold)
        Caption = "车身修复与涂装理论考试"
    End
    Begin PictureBox PicExam
        Left = 300
        Top = 900
        Width = 3300
        Height = 2400
        BackColor = &H00FFFFFF&
        Begin Label LabTheme
            Left = 120
            Top = 120
            Width = 3000
            Height = 255
            AutoSize = True
            WordWrap = True
            Caption = "1. 钣金件整形前应先对损伤部位进行检查和测量，确定损伤的范围和程度。(Tahoma: ABC 123)"
        End
    End
    Begin FormsRoundedBlock CmdMnExam
        Left = 3900
        Top = 1200
        Width = 1800
        Height = 600
    End
End
)design";

TEST(FormsRender, AFormWithChineseLabelsPictureBoxAndMaskedControlRendersToPng)
{
    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("宋体"))).family(), QStringLiteral("AR PL UMing CN"));
    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("Tahoma"))).family(), QStringLiteral("DejaVu Sans"));

    Form form(QStringLiteral("FrmRender"));
    form.SetDesign(ParseDesign(QString::fromUtf8(kDesign), QStringLiteral("render.form")));
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.hWnd()));
    auto& block = form.Control<RoundedBlock>(QStringLiteral("CmdMnExam"));
    block.Refresh();
    const QImage image = form.hWnd()->grab().toImage();
    const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("forms-render.png"));
    EXPECT_TRUE(image.save(path));

    // The title's glyphs put many dark-red pixels on the form (boxes would put few and thin).
    int titlePixels = 0;
    for (int y = 12; y < 52; ++y) {
        for (int x = 20; x < 380; ++x) {
            const QColor c = image.pixelColor(x, y);
            titlePixels += (c.blue() > 150 && c.red() < 80 && c.green() < 80) ? 1 : 0;
        }
    }
    EXPECT_GT(titlePixels, 800);
    // The masked corner shows the form behind, the inside the control's own colour.
    const QPoint corner = block.hWnd()->mapTo(form.hWnd(), QPoint(0, 0));
    EXPECT_EQ(image.pixelColor(corner), QColor(0xE0, 0xF0, 0xFF));
    EXPECT_EQ(image.pixelColor(corner + QPoint(4, 4)), QColor(0x33, 0x99, 0xFF));
    // The wrapped question text made its label taller than one line.
    EXPECT_GT(form.Control<Label>(QStringLiteral("LabTheme")).Height(), 2 * 255);

    form.Unload();
    QCoreApplication::processEvents();
    ResetProgramEnded();
}

} // namespace
