// Renders the button styles in every state into one PNG sheet beside the test
// executable (QuButtonSheet.png), for a person to look at. The checks only make sure each state
// gives its own face.
#include "QuButtonTestSupport.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QPainter>
#include <gtest/gtest.h>

using namespace qkmbuttontest;

namespace {

struct SheetRow {
    const char* Label;
    int Style;
    int BackColor;
    int ColorScheme;
    int ForeColor; // -1: the default
    const char* Caption;
    int HeightTwips;
    bool Picture;
};

// The looks the program's forms use: exam screen and choosers (3, own blue), results (3, scheme
// 2), main menu (8, blue and the red exit), key settings (8, light blue), a picture button.
constexpr int ButtonFace = static_cast<int>(0x8000000Fu);

const SheetRow Rows[] = {
    {"style 3, &HFF9933", 3, 0xFF9933, 3, 0xFFFFFF, "交卷", 495, false},
    {"style 3, scheme 2", 3, 0xE3E3E3, 2, -1, "确定", 375, false},
    {"style 8, &HFF9933", 8, 0xFF9933, 3, 0xFFFFFF, "开始考试", 495, false},
    {"style 8, &HC0", 8, 0x0000C0, 3, 0xFFFFFF, "×", 375, false},
    {"style 8, &HFFD1AD", 8, 0xFFD1AD, 3, -1, "导入模板", 375, false},
    {"style 8, picture", 8, 0xFF9933, 3, 0xFFFFFF, "系统设置", 900, true},
    {"style 3, picture", 3, 0xFF9933, 3, 0xFFFFFF, "删除", 900, true},
    {"style 10, login", 10, 0xFF9933, 3, 0xFFFFFF, "登陆", 495, false},
    {"style 12, number", 12, 0xFFFFFF, 3, 0x808080, "12", 375, false},
    {"style 0", 0, ButtonFace, 0, -1, "确定", 375, false},
    {"style 1", 1, ButtonFace, 0, -1, "确定", 375, false},
    {"style 11", 11, ButtonFace, 0, -1, "确定", 375, false},
    {"style 2, scheme 0", 2, 0xE7EBEC, 0, -1, "确定", 375, false},
    {"style 2, scheme 2", 2, 0xFCF1F0, 2, -1, "确定", 375, false},
    {"style 4, scheme 0", 4, ButtonFace, 0, -1, "确定", 375, false},
    {"style 5, scheme 0", 5, 0xFCE1CA, 0, -1, "确定", 375, false},
    {"style 6", 6, ButtonFace, 0, -1, "确定", 375, false},
    {"style 7", 7, ButtonFace, 0, -1, "确定", 375, false},
    {"style 9, scheme 0", 9, 0xFFD1AD, 0, -1, "确定", 375, false},
};

const char* const Columns[] = {"normal", "hot", "down", "checked", "disabled", "focused"};

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
    QString bag = QStringLiteral("            ButtonStyle = %1\n            BackColor = %2\n"
                                 "            ColorScheme = %3\n            Caption = \"%4\"\n"
                                 "            Font = Font(\"宋体\", 9)\n")
                      .arg(row.Style)
                      .arg(row.BackColor)
                      .arg(row.ColorScheme)
                      .arg(QString::fromUtf8(row.Caption));
    if (row.ForeColor >= 0) {
        bag +=
            QStringLiteral("            ForeColor = %1\n            ForeColorHover = &H00DB8F11&\n").arg(row.ForeColor);
    }
    if (row.Picture) {
        bag += QStringLiteral("            PictureNormal = Base64(\"%1\")\n            PictureAlign = 5\n")
                   .arg(QString::fromLatin1(PictureBytes().toBase64()));
    }
    return bag;
}

QImage RenderCell(QuButton& button, int column)
{
    QuButtonTestAccess::SetParentActive(button, true);
    QuButtonTestAccess::SetHasFocus(button, false);
    QuButtonTestAccess::SetMouseOver(button, column == 1);
    button.SetMode(column == 3 ? 1 : 0);
    button.SetValue(column == 3);
    button.SetEnabled(column != 4);
    int state = 0;
    if (column == 1) {
        state = 1;
    } else if (column == 2) {
        state = 2;
    } else if (column == 5) {
        QuButtonTestAccess::SetHasFocus(button, true);
        button.SetShowFocusRect(true);
    }
    QuButtonTestAccess::SetState(button, state);
    return Face(button);
}

} // namespace

TEST(QuButtonSheet, RendersEveryStyleInEveryState)
{
    constexpr int cellWidth = 130;
    constexpr int labelWidth = 130;
    constexpr int headerHeight = 24;
    constexpr int rowGap = 10;

    int sheetHeight = headerHeight;
    for (const SheetRow& row : Rows) {
        sheetHeight += row.HeightTwips / 15 + rowGap;
    }
    QImage sheet(labelWidth + cellWidth * 6, sheetHeight, QImage::Format_RGB32);
    sheet.fill(QColor(0x30, 0x30, 0x30));
    QPainter painter(&sheet);
    painter.setPen(Qt::white);
    for (int c = 0; c < 6; ++c) {
        painter.drawText(QRect(labelWidth + c * cellWidth, 0, cellWidth, headerHeight), Qt::AlignCenter,
                         QString::fromLatin1(Columns[c]));
    }

    int top = headerHeight;
    for (const SheetRow& row : Rows) {
        TestForm form(FormDesignText(ButtonDesign(QStringLiteral("Cmd"), 0, 0, 1800, row.HeightTwips, RowBag(row))));
        form.Load();
        QuButton& button = form.Button(QStringLiteral("Cmd"));
        const int height = row.HeightTwips / 15;
        painter.setPen(Qt::white);
        painter.drawText(QRect(4, top, labelWidth - 8, height), Qt::AlignVCenter | Qt::AlignLeft,
                         QString::fromLatin1(row.Label));
        QImage faces[6];
        for (int c = 0; c < 6; ++c) {
            faces[c] = RenderCell(button, c);
            // What the window shows: the face inside the window's region.
            const QRegion mask = button.hWnd()->mask();
            painter.save();
            painter.translate(labelWidth + c * cellWidth + 5, top);
            if (!mask.isEmpty()) {
                painter.setClipRegion(mask);
            }
            painter.drawImage(0, 0, faces[c]);
            painter.restore();
        }
        // Some looks are the same hot and at rest by design (styles 0, 1 and 9).
        if (row.Style == 3 || row.Style == 8) {
            EXPECT_NE(faces[0], faces[1]) << row.Label;
        }
        EXPECT_NE(faces[1], faces[2]) << row.Label;
        EXPECT_NE(faces[0], faces[4]) << row.Label;
        if (row.Style == 3) {
            EXPECT_NE(faces[0], faces[5]) << row.Label; // focus rectangle and default frame
        }
        top += height + rowGap;
    }
    painter.end();

    const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("QuButtonSheet.png"));
    ASSERT_TRUE(sheet.save(path)) << path.toStdString();
    std::printf("button sheet: %s\n", qPrintable(path));
}
