// Pictures composed onto the face: exact copies at full opacity (also for a 24-bit bitmap whose
// rows are padded), the mask colour, opacity blends (divided by 256), the disabled looks, icons
// over their transparent colour, and alpha bitmaps. The button is 80 x 30 pixels with an empty
// caption, so a picture of w x h sits at ((80 - w) \ 2, (30 - h) \ 2).
#include "QuButtonTestSupport.h"

#include <QBuffer>
#include <QImage>
#include <cmath>
#include <gtest/gtest.h>

using namespace qkmbuttontest;

namespace {

QByteArray Encode(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// 5 x 4 pixels, each its own colour (none of them the mask colour &HE0E0E0).
QImage Pattern()
{
    QImage image(5, 4, QImage::Format_RGB32);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            image.setPixel(x, y, qRgb(40 * x + 10, 50 * y + 20, 200 - 30 * x));
        }
    }
    return image;
}

std::int32_t Ref(QRgb rgb)
{
    return qRed(rgb) | (qGreen(rgb) << 8) | (qBlue(rgb) << 16);
}

int Blend(int over, int under, int opacity)
{
    return (over * opacity + under * (255 - opacity)) / 256;
}

std::int32_t BlendColor(std::int32_t over, std::int32_t under, int opacity)
{
    return QuButtonColors::Rgb(Blend(QuButtonColors::Red(over), QuButtonColors::Red(under), opacity),
                               Blend(QuButtonColors::Green(over), QuButtonColors::Green(under), opacity),
                               Blend(QuButtonColors::Blue(over), QuButtonColors::Blue(under), opacity));
}

QString PictureBag(const QByteArray& picture, const QString& extra = QString())
{
    return QStringLiteral("            PictureNormal = Base64(\"%1\")\n%2")
        .arg(QString::fromLatin1(picture.toBase64()), extra);
}

// The face with and without the picture, drawn in the same state.
struct Pair {
    QImage With;
    QImage Without;
};

Pair Render(const QByteArray& picture, const QString& extra = QString(), int state = 0)
{
    OneButton with(8, 30, 0xFF9933, PictureBag(picture, extra));
    OneButton without(8, 30, 0xFF9933, extra);
    return {with.Draw(state), without.Draw(state)};
}

} // namespace

TEST(QuButtonPictures, BitmapIsCopiedExactlyWithoutShearing)
{
    const QImage pattern = Pattern();
    const Pair faces = Render(Encode(pattern, "BMP"));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(Pixel(faces.With, 37 + x, 13 + y), Ref(pattern.pixel(x, y))) << x << "," << y;
        }
    }
    EXPECT_EQ(Pixel(faces.With, 36, 13), Pixel(faces.Without, 36, 13));
    EXPECT_EQ(Pixel(faces.With, 42, 17), Pixel(faces.Without, 42, 17));
}

TEST(QuButtonPictures, MaskColourAndOpacity)
{
    QImage pattern = Pattern();
    pattern.setPixel(2, 1, qRgb(0xE0, 0xE0, 0xE0));
    const QByteArray bytes = Encode(pattern, "BMP");

    const Pair masked = Render(bytes);
    EXPECT_EQ(Pixel(masked.With, 39, 14), Pixel(masked.Without, 39, 14));
    const Pair unmasked = Render(bytes, QStringLiteral("            UseMaskColor = False\n"));
    EXPECT_EQ(Pixel(unmasked.With, 39, 14), 0xE0E0E0);

    const Pair half = Render(bytes, QStringLiteral("            PictureOpacity = 128\n"));
    EXPECT_EQ(Pixel(half.With, 37, 13), BlendColor(Ref(pattern.pixel(0, 0)), Pixel(half.Without, 37, 13), 128));
    const Pair none = Render(bytes, QStringLiteral("            PictureOpacity = 0\n"));
    EXPECT_EQ(none.With, none.Without);
}

TEST(QuButtonPictures, DisabledLooks)
{
    const QImage pattern = Pattern();
    const QByteArray bytes = Encode(pattern, "BMP");
    const QString disabled = QStringLiteral("            Enabled = False\n");

    const Pair faded = Render(bytes, disabled);
    EXPECT_EQ(Pixel(faded.With, 38, 14), BlendColor(Ref(pattern.pixel(1, 1)), Pixel(faded.Without, 38, 14), 52));

    const Pair grey = Render(bytes, disabled + QStringLiteral("            DisabledPictureMode = 1\n"));
    const QRgb source = pattern.pixel(1, 1);
    const int g = static_cast<int>(
        std::nearbyint(std::nearbyint(0.3 * qRed(source)) + 0.59 * qGreen(source) + 0.11 * qBlue(source)));
    EXPECT_EQ(Pixel(grey.With, 38, 14), BlendColor(QuButtonColors::Rgb(g, g, g), Pixel(grey.Without, 38, 14), 191));

    const Pair hidden = Render(bytes, disabled + QStringLiteral("            DisabledPictureMode = 2\n"));
    EXPECT_EQ(hidden.With, hidden.Without);
}

TEST(QuButtonPictures, HotAndDownEffects)
{
    const QImage pattern = Pattern();
    const QByteArray bytes = Encode(pattern, "BMP");
    const Pair lighter = Render(bytes, QStringLiteral("            PictureEffectOnOver = 1\n"), 1);
    const QRgb p = pattern.pixel(3, 2);
    EXPECT_EQ(Pixel(lighter.With, 40, 15),
              QuButtonColors::Rgb(QuButtonColors::LightenChannel(qRed(p)), QuButtonColors::LightenChannel(qGreen(p)),
                                  QuButtonColors::LightenChannel(qBlue(p))));
    const Pair darker = Render(bytes, QString(), 2); // PictureEffectOnDown defaults to 2
    EXPECT_EQ(Pixel(darker.With, 40, 15),
              QuButtonColors::Rgb(QuButtonColors::DarkenChannel(qRed(p)), QuButtonColors::DarkenChannel(qGreen(p)),
                                  QuButtonColors::DarkenChannel(qBlue(p))));
}

TEST(QuButtonPictures, IconTransparencyIsTheGreyC0C0C0)
{
    QImage icon(4, 4, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    icon.setPixel(1, 1, qRgba(0xC0, 0xC0, 0xC0, 255));
    icon.setPixel(2, 2, qRgba(0x10, 0x80, 0x20, 255));
    const QByteArray bytes = Encode(icon, "ICO");
    ASSERT_FALSE(bytes.isEmpty());

    const Pair masked = Render(bytes);
    // 4 x 4 at (38, 13).
    EXPECT_EQ(Pixel(masked.With, 40, 15), 0x208010);
    EXPECT_EQ(Pixel(masked.With, 39, 14), Pixel(masked.Without, 39, 14)); // exactly &HC0C0C0
    EXPECT_EQ(Pixel(masked.With, 38, 13), Pixel(masked.Without, 38, 13)); // the icon's transparent area

    const Pair grey = Render(bytes, QStringLiteral("            UseMaskColor = False\n"));
    EXPECT_EQ(Pixel(grey.With, 38, 13), 0xC0C0C0);
}

TEST(QuButtonPictures, AlphaBitmapBlendsByItsAlpha)
{
    QImage alpha(4, 4, QImage::Format_ARGB32);
    alpha.fill(qRgba(0, 0, 0, 0));
    alpha.setPixel(1, 1, qRgba(0xFF, 0x00, 0x00, 128));
    alpha.setPixel(2, 2, qRgba(0x00, 0x00, 0xFF, 255));
    const Pair faces = Render(Encode(alpha, "PNG"));
    EXPECT_EQ(Pixel(faces.With, 38, 13), Pixel(faces.Without, 38, 13));
    EXPECT_EQ(Pixel(faces.With, 40, 15), 0xFF0000);
    EXPECT_EQ(Pixel(faces.With, 39, 14), BlendColor(0x0000FF, Pixel(faces.Without, 39, 14), 128));
}
