// Where the picture, the caption and the drop-down symbol go on the face, and the two picture
// extras drawn around the picture (shadow, lift on hover). Buttons are 80 pixels wide, style 8
// (which moves nothing when down); rectangles are pixels of the control, right and bottom
// exclusive.
#include "QuButtonTestSupport.h"

#include <QBuffer>
#include <QImage>
#include <gtest/gtest.h>

using namespace qkmbuttontest;

namespace {

constexpr std::int32_t Blue = 0xFF9933; // the main-menu face

// A plain bitmap of one colour (not the mask colour), w x h pixels.
QString PictureLine(int w, int h, QRgb color)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return QStringLiteral("            PictureNormal = Base64(\"%1\")\n").arg(QString::fromLatin1(bytes.toBase64()));
}

QString CaptionLine(const QString& caption)
{
    return QStringLiteral("            Caption = \"%1\"\n").arg(caption);
}

} // namespace

TEST(QuButtonLayout, DropDownStripAndCaptionCentredLeftOfIt)
{
    for (const int height : {30, 29}) {
        SCOPED_TRACE(height);
        OneButton host(8, height, Blue,
                       CaptionLine(QStringLiteral("确定")) + QStringLiteral("            DropDownSymbol = 6\n"));
        QuButton& b = host.Button();
        const QImage face = host.Draw(0);
        const gdi::RECT caption = QuButtonTestAccess::CaptionRect(b);
        // Centred on 80 / 2 - 8 = 32 (odd widths leave half a pixel to the left).
        EXPECT_NEAR((caption.Left + caption.Right) / 2.0, 32.0, 1.0);
        // The symbol strip: the right 15 columns, rows round(h / 2 - 7) to round(h / 2 + 8), halves to even.
        const gdi::RECT strip = QuButtonTestAccess::DropDownRect(b);
        EXPECT_EQ(strip.Left, 65);
        EXPECT_EQ(strip.Right, 80);
        EXPECT_EQ(strip.Top, 8);
        EXPECT_EQ(strip.Bottom, height == 30 ? 23 : 22);

        b.SetDropDownSymbol(0);
        const QImage plain = host.Draw(0);
        int symbolPixels = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < 80; ++x) {
                if (Pixel(face, x, y) != Pixel(plain, x, y) && x >= 65 && y >= 8 && y < strip.Bottom) {
                    ++symbolPixels;
                }
            }
        }
        EXPECT_GT(symbolPixels, 0);
        EXPECT_NEAR((QuButtonTestAccess::CaptionRect(b).Left + QuButtonTestAccess::CaptionRect(b).Right) / 2.0, 40.0,
                    1.0);
    }
}

TEST(QuButtonLayout, LongCaptionWrapsInsideTheMargin)
{
    const QString words = CaptionLine(QStringLiteral("one two three four five six seven"));
    OneButton plain(8, 60, Blue, words + QStringLiteral("            CaptionAlign = 3\n"));
    plain.Draw(0);
    const gdi::RECT wide = QuButtonTestAccess::CaptionRect(plain.Button());
    EXPECT_LE(wide.Right, 72);
    EXPECT_GT(wide.Right, 52); // lines use most of the width (how much depends on the face's metrics)
    EXPECT_GT(wide.Bottom, 20); // more than one line

    OneButton separated(8, 60, Blue, words + QStringLiteral("            CaptionAlign = 3\n"
                                                            "            DropDownSeparator = True\n"));
    separated.Draw(0);
    EXPECT_LE(QuButtonTestAccess::CaptionRect(separated.Button()).Right, 64);
}

TEST(QuButtonLayout, PictureIsCentredOnlyWithoutCaptionOrWithAlign4)
{
    const QString picture = PictureLine(10, 8, qRgb(20, 120, 40));
    // A caption of spaces only is no caption.
    OneButton spaces(8, 30, Blue, picture + CaptionLine(QStringLiteral("   ")));
    spaces.Draw(0);
    gdi::RECT r = QuButtonTestAccess::PictureRect(spaces.Button());
    EXPECT_EQ(r.Left, 35);
    EXPECT_EQ(r.Top, 11);
    EXPECT_EQ(r.Right, 45);
    EXPECT_EQ(r.Bottom, 19);

    // Other blank characters are a caption: the picture stays left of it (PictureAlign 1).
    for (const QString& blank : {QStringLiteral("\u3000"), QStringLiteral(" \t ")}) {
        OneButton captioned(8, 30, Blue, picture + CaptionLine(QStringLiteral("x")));
        captioned.Button().SetCaption(blank);
        captioned.Draw(0);
        const gdi::RECT caption = QuButtonTestAccess::CaptionRect(captioned.Button());
        EXPECT_EQ(QuButtonTestAccess::PictureRect(captioned.Button()).Left, caption.Left - 10 - 4);
    }

    // Align 4 centres beside a caption too, 8 pixels further left with a drop-down.
    OneButton centred(8, 30, Blue,
                      picture + CaptionLine(QStringLiteral("确定")) +
                          QStringLiteral("            PictureAlign = 4\n            DropDownSymbol = 6\n"));
    centred.Draw(0);
    r = QuButtonTestAccess::PictureRect(centred.Button());
    EXPECT_EQ(r.Left, 27);
    EXPECT_EQ(r.Top, 11);
}

TEST(QuButtonLayout, ShadowAndLiftOnHover)
{
    // A 6 x 6 picture, empty caption: it sits at (37, 12)..(42, 17).
    const QRgb green = qRgb(20, 120, 40);
    const std::int32_t pictureColour = 0x287814;
    const QString picture = PictureLine(6, 6, green) + CaptionLine(QString()) +
                            QStringLiteral("            PictureEffectOnOver = 0\n");
    OneButton without(8, 30, Blue, CaptionLine(QString()));

    OneButton shadowed(8, 30, Blue, picture + QStringLiteral("            PictureShadow = True\n"));
    QImage face = shadowed.Draw(0);
    const std::int32_t base = QuButtonColors::AverageColors(0x808080, Blue);
    EXPECT_EQ(Pixel(face, 42, 17), pictureColour);
    EXPECT_EQ(Pixel(face, 43, 18), QuButtonColors::ShiftColor(base, -0.1f));
    EXPECT_EQ(Pixel(face, 44, 19), QuButtonColors::ShiftColor(base, 0.05f));
    EXPECT_EQ(Pixel(face, 45, 20), Pixel(without.Draw(0), 45, 20));

    // Hot with the lift: a grey silhouette in the picture's place, the picture 2 pixels up and
    // left, and no shadow.
    OneButton lifted(8, 30, Blue,
                     picture + QStringLiteral("            PictureShadow = True\n"
                                              "            PicturePushOnHover = True\n"));
    face = lifted.Draw(1);
    const QImage hotWithout = without.Draw(1);
    EXPECT_EQ(Pixel(face, 35, 10), pictureColour);
    EXPECT_EQ(Pixel(face, 40, 15), pictureColour);
    EXPECT_EQ(Pixel(face, 41, 16), 0xC0C0C0);
    EXPECT_EQ(Pixel(face, 42, 17), 0xC0C0C0);
    EXPECT_EQ(Pixel(face, 43, 18), Pixel(hotWithout, 43, 18));
    EXPECT_EQ(Pixel(face, 44, 19), Pixel(hotWithout, 44, 19));
}
