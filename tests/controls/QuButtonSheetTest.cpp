// Renders every button style in every look into one PNG sheet beside the test executable
// (QuButtonSheet.png), for a person to look at: the faces as their windows show them (inside
// the window region), and beside them the tooltip windows of a hot button and open drop-down
// menus as they stand next to their buttons. The checks only make sure the looks differ where
// they must and that the tooltips and menus were really on screen.
#include "QuButtonTestSupport.h"

#include <QApplication>
#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace qkmbuttontest;
using QuButtonColors::ShiftColor;

namespace {

constexpr int ButtonFace = static_cast<int>(0x8000000Fu);

struct SheetRow {
    const char* Label;
    int Style;
    int BackColor;
    int ColorScheme;
    int ForeColor; // -1: the default
    const char* Caption;
    int HeightTwips;
    bool Picture = false;
    bool Themed = false;
    const char* Extra = "";
};

// Every style; the schemes of the styles that have them; the looks the program's forms store
// (exam screen and choosers 3, results 3 scheme 2, main menu 8 and its red exit, key settings 8,
// login 10, question numbers 12); pictures; drop-down symbols; style 13 with and without themes.
const SheetRow Rows[] = {
    {"0", 0, ButtonFace, 0, -1, "确定", 375},
    {"1", 1, ButtonFace, 0, -1, "确定", 375},
    {"2, scheme 0", 2, 0xE7EBEC, 0, -1, "确定", 375},
    {"2, scheme 1", 2, 0xDBEEF3, 1, -1, "确定", 375},
    {"2, scheme 2", 2, 0xFCF1F0, 2, -1, "确定", 375},
    {"2, &HFF9933", 2, 0xFF9933, 3, 0xFFFFFF, "确定", 375},
    {"2, drop-down 6", 2, 0xE7EBEC, 0, -1, "文件", 375, false, false,
     "            DropDownSymbol = 6\n            DropDownSeparator = True\n"},
    {"3, &HFF9933", 3, 0xFF9933, 3, 0xFFFFFF, "交卷", 495},
    {"3, scheme 2", 3, 0xE3E3E3, 2, -1, "确定", 375},
    {"3, picture", 3, 0xFF9933, 3, 0xFFFFFF, "删除", 900, true},
    {"4, scheme 0", 4, ButtonFace, 0, -1, "确定", 375},
    {"4, scheme 1", 4, ButtonFace, 1, -1, "确定", 375},
    {"4, scheme 2", 4, ButtonFace, 2, -1, "确定", 375},
    {"4, &HFF9933", 4, 0xFF9933, 3, -1, "确定", 375},
    {"5, scheme 0", 5, 0xFCE1CA, 0, -1, "确定", 375},
    {"5, scheme 1", 5, 0xBAD6D4, 1, -1, "确定", 375},
    {"5, scheme 2", 5, -2, 2, -1, "确定", 375},
    {"6", 6, ButtonFace, 0, -1, "确定", 375},
    {"7", 7, ButtonFace, 0, -1, "确定", 375},
    {"8, &HFF9933", 8, 0xFF9933, 3, 0xFFFFFF, "开始考试", 495},
    {"8, &HC0", 8, 0x0000C0, 3, 0xFFFFFF, "×", 375, false, false, "            ForeColorHover = &H00DB8F11&\n"},
    {"8, &HFFD1AD", 8, 0xFFD1AD, 3, -1, "导入模板", 375},
    {"8, picture", 8, 0xFF9933, 3, 0xFFFFFF, "系统设置", 900, true},
    {"8, drop-down 6", 8, 0xFF9933, 3, 0xFFFFFF, "更多", 375, false, false, "            DropDownSymbol = 6\n"},
    {"9, scheme 0", 9, 0xFFD1AD, 0, -1, "确定", 375},
    {"9, scheme 1", 9, 0xBAD6D4, 1, -1, "确定", 375},
    {"9, scheme 2", 9, 0xE1D6D5, 2, -1, "确定", 375},
    {"10, login", 10, 0xFF9933, 3, 0xFFFFFF, "登陆", 495, false, false, "            PicturePushOnHover = True\n"},
    {"10, picture", 10, 0xFF9933, 3, 0xFFFFFF, "取消", 495, true, false,
     "            PictureAlign = 0\n            PicturePushOnHover = True\n            PictureShadow = True\n"},
    {"10, scheme 0", 10, 0xFFD1AD, 0, -1, "确定", 375},
    {"11", 11, ButtonFace, 0, -1, "确定", 375},
    {"12, number", 12, 0xFFFFFF, 3, 0x808080, "12", 375},
    {"13, themed", 13, ButtonFace, 0, -1, "确定", 375, false, true},
    {"13, no theme", 13, ButtonFace, 0, -1, "确定", 375},
};

enum Column { Normal, Hot, Down, Checked, CheckedHot, Disabled, Focused, Default, Inactive, ColumnCount };
const char* const Columns[ColumnCount] = {"normal",   "hot",     "down",    "checked",        "checked hot",
                                          "disabled", "focused", "default", "focus, inactive"};

QByteArray PictureBytes()
{
    // A 24 x 24 picture with a transparent surround and a shaded disc, as the menu icons have.
    QImage image(24, 24, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(30, 140, 60));
    painter.setPen(QPen(QColor(10, 70, 30), 2));
    painter.drawEllipse(3, 3, 18, 18);
    painter.setBrush(Qt::white);
    painter.setPen(Qt::NoPen);
    painter.drawRect(10, 7, 4, 10);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QString RowBag(const SheetRow& row)
{
    const int back = row.BackColor == -2 ? ShiftColor(0xBA9EA0, 0.15f) : row.BackColor;
    QString bag = QStringLiteral("            ButtonStyle = %1\n            BackColor = %2\n"
                                 "            ColorScheme = %3\n            Caption = \"%4\"\n"
                                 "            Font = Font(\"宋体\", 9)\n            ShowFocusRect = True\n")
                      .arg(row.Style)
                      .arg(back)
                      .arg(row.ColorScheme)
                      .arg(QString::fromUtf8(row.Caption));
    if (row.ForeColor >= 0) {
        bag += QStringLiteral("            ForeColor = %1\n").arg(row.ForeColor);
    }
    const QString extra = QString::fromUtf8(row.Extra);
    if (row.Picture) {
        bag += QStringLiteral("            PictureNormal = Base64(\"%1\")\n")
                   .arg(QString::fromLatin1(PictureBytes().toBase64()));
        if (!extra.contains(QStringLiteral("PictureAlign"))) {
            bag += QStringLiteral("            PictureAlign = 5\n");
        }
    }
    return bag + extra;
}

QImage RenderCell(QuButton& button, int column)
{
    const bool checked = column == Checked || column == CheckedHot;
    const bool hot = column == Hot || column == CheckedHot;
    QuButtonTestAccess::SetParentActive(button, column != Inactive);
    QuButtonTestAccess::SetHasFocus(button, column == Focused || column == Inactive);
    QuButtonTestAccess::SetDisplayAsDefault(button, column == Default);
    QuButtonTestAccess::SetMouseOver(button, hot);
    button.SetMode(checked ? 1 : 0);
    button.SetValue(checked);
    button.SetEnabled(column != Disabled);
    QuButtonTestAccess::SetState(button, hot ? 1 : (column == Down ? 2 : 0));
    return Face(button);
}

// What the window shows: the face inside the window's region.
void DrawButton(QPainter& painter, QuButton& button, const QImage& face, QPoint at)
{
    const QRegion mask = button.hWnd()->mask();
    painter.save();
    painter.translate(at);
    if (!mask.isEmpty()) {
        painter.setClipRegion(mask);
    }
    painter.drawImage(0, 0, face);
    painter.restore();
}

// Draws the style grid from (0, 0); returns its size.
QSize DrawGrid(QPainter* painter)
{
    constexpr int cellWidth = 130;
    constexpr int labelWidth = 110;
    constexpr int headerHeight = 24;
    constexpr int rowGap = 8;
    int top = headerHeight;
    if (painter != nullptr) {
        painter->setPen(Qt::white);
        for (int c = 0; c < ColumnCount; ++c) {
            painter->drawText(QRect(labelWidth + c * cellWidth, 0, cellWidth, headerHeight), Qt::AlignCenter,
                              QString::fromLatin1(Columns[c]));
        }
    }
    for (const SheetRow& row : Rows) {
        const int height = row.HeightTwips / 15;
        if (painter != nullptr) {
            SCOPED_TRACE(row.Label);
            gdi::SetAppThemedOverride(row.Themed ? 1 : -1);
            TestForm form(
                FormDesignText(ButtonDesign(QStringLiteral("Cmd"), 0, 0, 1800, row.HeightTwips, RowBag(row))));
            form.Load();
            QuButton& button = form.Button(QStringLiteral("Cmd"));
            painter->setPen(Qt::white);
            painter->drawText(QRect(4, top, labelWidth - 8, height), Qt::AlignVCenter | Qt::AlignLeft,
                              QString::fromLatin1(row.Label));
            QImage faces[ColumnCount];
            for (int c = 0; c < ColumnCount; ++c) {
                faces[c] = RenderCell(button, c);
                DrawButton(*painter, button, faces[c], QPoint(labelWidth + c * cellWidth + 5, top));
            }
            gdi::SetAppThemedOverride(-1);
            // Styles 0, 1, 9 and 13 without a theme are, by design, the same hot and at rest.
            if (row.Style != 0 && row.Style != 1 && row.Style != 9 && !(row.Style == 13 && !row.Themed)) {
                EXPECT_NE(faces[Normal], faces[Hot]);
            }
            EXPECT_NE(faces[Hot], faces[Down]);
            EXPECT_EQ(button.ButtonStyle(), row.Style == 13 && !row.Themed ? 2 : row.Style);
        }
        top += height + rowGap;
    }
    return QSize(labelWidth + cellWidth * ColumnCount, top);
}

// A shown form with one button per tooltip kind and one per drop-down menu.
class PopupScene {
public:
    PopupScene() : mForm(Design())
    {
        mForm.Show();
        QApplication::setActiveWindow(mForm.hWnd());
        EXPECT_TRUE(QTest::qWaitForWindowActive(mForm.hWnd()));
    }

    QuButton& Button(const QString& name) { return mForm.Button(name); }
    QWidget* Window() { return mForm.hWnd(); }

private:
    static QString Design()
    {
        const char* const tips[] = {
            "ToolTip = \"下一题\"",
            "ToolTip = \"这是一段较长的提示文字，超过二百四十个像素的宽度时换行显示。\"",
            "ToolTip = \"交卷后不能再修改答案。\"|TooltipTitle = \"提示\"|TooltipIcon = 1",
            "ToolTip = \"还有题目没有作答。\"|TooltipTitle = \"注意\"|TooltipIcon = 2|TooltipType = 1",
            "ToolTip = \"题库文件无法打开。\"|TooltipTitle = \"错误\"|TooltipIcon = 3|TooltipType = 1|"
            "TooltipBackColor = &H00C0FFFF&",
            "ToolTip = \"Text read right to left\"|TooltipTitle = \"RTL\"|TooltipIcon = 1|RightToLeft = True",
            "ToolTip = \"Text read right to left\"|TooltipTitle = \"RTL\"|TooltipIcon = 2|TooltipType = 1|"
            "RightToLeft = True",
        };
        QString controls;
        int top = 150;
        for (const char* tip : tips) {
            QString bag = QStringLiteral("ButtonStyle = 3|ColorScheme = 3|BackColor = &H00FF9933&|"
                                         "ForeColor = &H00FFFFFF&|Caption = \"指向这里\"|") +
                          QString::fromUtf8(tip);
            controls += ButtonDesign(QStringLiteral("Tip%1").arg(top / 600 + 1), 150, top, 1500, 375, Lines(bag));
            top += 600;
        }
        controls += ButtonDesign(QStringLiteral("Menu1"), 4500, 150, 1500, 375,
                                 Lines(QStringLiteral("ButtonStyle = 2|Caption = \"文件\"|DropDownSymbol = 6|"
                                                      "DropDownSeparator = True")));
        controls +=
            ButtonDesign(QStringLiteral("Menu2"), 4500, 3000, 1500, 375,
                         Lines(QStringLiteral("ButtonStyle = 8|ColorScheme = 3|BackColor = &H00FF9933&|"
                                              "ForeColor = &H00FFFFFF&|Caption = \"更多\"|DropDownSymbol = 6")));
        // Centred on the screen, so that the menus fit on every side.
        return FormDesignText(controls).replace(QStringLiteral("ClientHeight = 6000\n"),
                                                QStringLiteral("ClientHeight = 6000\n    StartUpPosition = 2\n"));
    }
    // Bag lines from entries separated by "|".
    static QString Lines(const QString& entries)
    {
        QString lines;
        for (const QString& entry : entries.split(u'|')) {
            lines += QStringLiteral("            ") + entry + u'\n';
        }
        return lines;
    }
    TestForm mForm;
};

// The hot button of each tooltip kind with its tooltip popped up below the pointer (near the
// button's leading edge), one under another from (x, y); returns the bottom.
int DrawToolTips(QPainter& painter, PopupScene& scene, int x, int y)
{
    painter.setPen(Qt::white);
    painter.drawText(x, y + 14, QStringLiteral("tooltips, popped up 20 pixels below the pointer"));
    y += 22;
    for (int i = 1; i <= 7; ++i) {
        QuButton& button = scene.Button(QStringLiteral("Tip%1").arg(i));
        const bool rtl = button.RightToLeft();
        const QPoint pointer(rtl ? button.hWnd()->width() - 10 : 10, 10);
        const int left = rtl ? x + 180 : x;
        QTest::mouseMove(button.hWnd(), pointer + QPoint(1, 1));
        QTest::mouseMove(button.hWnd(), pointer);
        QuToolTipWindow* tip = QuButtonTestAccess::ToolTipWindow(button);
        EXPECT_NE(tip, nullptr) << i;
        if (tip == nullptr) {
            continue;
        }
        tip->Pop(button.hWnd()->mapToGlobal(pointer + QPoint(0, 20)));
        QApplication::processEvents();
        EXPECT_TRUE(tip->isVisible()) << i;
        const QImage face = button.Image().convertToFormat(QImage::Format_RGB32);
        DrawButton(painter, button, face, QPoint(left, y));
        // The tip where it stands beside the button, inside its window shape.
        const QPoint at = QPoint(left, y) + tip->pos() - button.hWnd()->mapToGlobal(QPoint(0, 0));
        painter.save();
        painter.translate(at);
        if (!tip->mask().isEmpty()) {
            painter.setClipRegion(tip->mask());
        }
        painter.drawPixmap(0, 0, tip->grab());
        painter.restore();
        y = at.y() + tip->height() + 12;
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(button.hWnd(), &leave);
    }
    return y;
}

// Presses a drop-down button and draws it with its open menu, the part of the form around both,
// from (x, y); returns the bottom.
int DrawOpenMenu(QPainter& painter, PopupScene& scene, const QString& name, int align, int x, int y)
{
    QuButton& button = scene.Button(name);
    QMenu menu;
    menu.addAction(QStringLiteral("新建试卷"));
    QAction* open = menu.addAction(QStringLiteral("打开题库…"));
    menu.addSeparator();
    QAction* check = menu.addAction(QStringLiteral("自动交卷"));
    check->setCheckable(true);
    check->setChecked(true);
    menu.addAction(QStringLiteral("导出成绩"))->setEnabled(false);
    QMenu* more = menu.addMenu(QStringLiteral("更多"));
    more->addAction(QStringLiteral("关于"));
    button.SetPopupMenu(&menu, align, 0, open);

    QImage shot;
    QObject::connect(&menu, &QMenu::aboutToShow, &menu, [&] {
        QTimer::singleShot(50, &menu, [&] {
            const QPoint origin = scene.Window()->mapToGlobal(QPoint(0, 0));
            shot = QImage(scene.Window()->size(), QImage::Format_RGB32);
            QPainter p(&shot);
            scene.Window()->render(&p);
            p.drawPixmap(menu.pos() - origin, menu.grab());
            p.end();
            menu.close();
        });
    });
    const QPoint inside(20, 12);
    QTest::mouseMove(button.hWnd(), inside + QPoint(1, 1));
    QTest::mouseMove(button.hWnd(), inside);
    QTest::mousePress(button.hWnd(), Qt::LeftButton, {}, inside);
    EXPECT_FALSE(shot.isNull()) << name.toStdString();
    QTest::mouseRelease(button.hWnd(), Qt::LeftButton, {}, inside);
    button.UnsetPopupMenu();
    if (shot.isNull()) {
        return y;
    }
    // The button and its menu with a margin around them.
    const QRect around = QRect(button.hWnd()->mapTo(scene.Window(), QPoint(0, 0)), button.hWnd()->size())
                             .united(QRect(menu.pos() - scene.Window()->mapToGlobal(QPoint(0, 0)), menu.size()))
                             .adjusted(-12, -12, 12, 12)
                             .intersected(shot.rect());
    painter.setPen(Qt::white);
    painter.drawText(x, y + 14, QStringLiteral("drop-down menu, alignment %1, pressed").arg(align));
    painter.drawImage(x, y + 22, shot.copy(around));
    return y + 22 + around.height() + 12;
}

} // namespace

TEST(QuButtonSheet, RendersEveryStyleInEveryState)
{
    constexpr int panelWidth = 420;
    const QSize grid = DrawGrid(nullptr);
    QImage sheet(grid.width() + panelWidth, std::max(grid.height(), 2000), QImage::Format_RGB32);
    sheet.fill(QColor(0x30, 0x30, 0x30));
    QPainter painter(&sheet);
    DrawGrid(&painter);

    PopupScene scene;
    const int x = grid.width() + 10;
    int y = DrawToolTips(painter, scene, x, 0);
    y = DrawOpenMenu(painter, scene, QStringLiteral("Menu1"), 0, x, y + 10);
    y = DrawOpenMenu(painter, scene, QStringLiteral("Menu2"), 6, x, y + 10);
    painter.end();
    sheet = sheet.copy(0, 0, sheet.width(), std::max(grid.height(), y));

    const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("QuButtonSheet.png"));
    ASSERT_TRUE(sheet.save(path)) << path.toStdString();
    std::printf("button sheet: %s\n", qPrintable(path));
}
