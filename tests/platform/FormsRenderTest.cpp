// Renders a form with Chinese labels, a picture box, a region-masked user control and a check box and
// option button on blue to a PNG in the build tree (tests/platform/forms-render.png) for a person to look
// at, and checks what can be checked without eyes: glyphs are drawn (not empty boxes), the mask cuts the
// corners, small Song text reaches its colour, boxes show white on blue, the "×" is a full-width cross.
#include <CheckBox.h>
#include <ControlRegistry.h>
#include <DesignData.h>
#include <Form.h>
#include <Gdi.h>
#include <Label.h>
#include <OptionButton.h>
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
    Begin CheckBox ChekLock
        Left = 3900
        Top = 2040
        Width = 1215
        Height = 255
        BackColor = &H00FF9933&
        ForeColor = &H00FFFFFF&
        Caption = "锁 定"
    End
    Begin OptionButton OptSlc
        Left = 3900
        Top = 2400
        Width = 1215
        Height = 300
        BackColor = &H00FF9933&
        ForeColor = &H00FFFFFF&
        Font = Font("宋体", 10.5, Bold)
        Caption = "钣金"
    End
    Begin Label LabZjh
        Left = 3900
        Top = 2880
        AutoSize = True
        BackStyle = 0
        ForeColor = &H00AC5E28&
        Font = Font("宋体", 9)
        Caption = "证 件 号："
    End
End
)design";

// Pixels of one colour inside a rectangle of the picture.
int CountColor(const QImage& image, const QRect& area, const QColor& color)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += image.pixelColor(x, y) == color ? 1 : 0;
        }
    }
    return count;
}

// Bounding box of the pixels that differ from the background.
QRect Ink(const QImage& image, const QColor& background)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) != background) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

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

    // On a blue form the check box square and the option circle are white inside a sunken edge (dark
    // shadow 64,64,64 inside the shadow 128,128,128); only the caption's background is blue.
    const QColor blue(51, 153, 255);
    const QColor white(255, 255, 255);
    for (::Control* box : {static_cast<::Control*>(&form.Control<CheckBox>(QStringLiteral("ChekLock"))),
                           static_cast<::Control*>(&form.Control<OptionButton>(QStringLiteral("OptSlc")))}) {
        SCOPED_TRACE(box->Name().toStdString());
        const QRect window(box->hWnd()->mapTo(form.hWnd(), QPoint(0, 0)), box->hWnd()->size());
        const QRect indicator(window.left(), window.top(), 14, window.height());
        EXPECT_GE(CountColor(image, indicator, white), 40);
        EXPECT_GT(CountColor(image, indicator, QColor(64, 64, 64)), 8);
        EXPECT_GT(CountColor(image, indicator, QColor(128, 128, 128)), 8);
        EXPECT_GT(CountColor(image, QRect(window.right() - 8, window.top(), 8, window.height()), blue), 0);
    }

    // Small Song text is drawn crisp, so its strokes reach the exact text colour (rgb 40,94,172).
    auto& zjh = form.Control<Label>(QStringLiteral("LabZjh"));
    const QRect zjhArea(zjh.hWnd()->mapTo(form.hWnd(), QPoint(0, 0)), zjh.hWnd()->size());
    EXPECT_GT(CountColor(image, zjhArea, QColor(40, 94, 172)), 40);

    // The "×" of a 9-point bold Song caption is the full-width cross, about 8 pixels across.
    QImage cross(40, 24, QImage::Format_RGB32);
    cross.fill(Qt::white);
    const gdi::HDC dc = gdi::CreateImageDC(&cross);
    QFont bold(QStringLiteral("宋体"), 9);
    bold.setBold(true);
    const gdi::HFONT font = gdi::CreateFontFromQFont(bold);
    const gdi::HFONT old = gdi::SelectObject(dc, font);
    gdi::SetBkMode(dc, gdi::TRANSPARENT);
    gdi::SetTextColor(dc, 0);
    gdi::RECT measured{0, 0, 40, 0};
    gdi::DrawText(dc, QStringLiteral("×"), -1, &measured, gdi::DT_SINGLELINE | gdi::DT_CALCRECT);
    EXPECT_EQ(measured.Right - measured.Left, 12) << "as wide as a Chinese character";
    gdi::RECT all{0, 0, 40, 24};
    gdi::DrawText(dc, QStringLiteral("×"), -1, &all, gdi::DT_SINGLELINE | gdi::DT_CENTER | gdi::DT_VCENTER);
    gdi::SelectObject(dc, old);
    gdi::DeleteObject(font);
    gdi::DeleteDC(dc);
    const QRect ink = Ink(cross, Qt::white);
    EXPECT_GE(ink.width(), 7);
    EXPECT_LE(ink.width(), 10);
    EXPECT_GE(ink.height(), 7);
    EXPECT_LE(ink.height(), 10);
    EXPECT_GT(CountColor(cross, ink, Qt::black), 10) << "crisp strokes in the text colour";

    form.Unload();
    QCoreApplication::processEvents();
    ResetProgramEnded();
}

} // namespace
