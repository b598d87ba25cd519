// The button's persisted properties: what a new button and an empty bag give, what is written,
// the setter side effects that other properties depend on, access keys, Mode and Value, pictures.
#include "QuButtonTestSupport.h"

#include <Gdi.h>
#include <PropertyBag.h>
#include <RuntimeError.h>

#include <QBuffer>
#include <QImage>
#include <gtest/gtest.h>

using namespace qkmbuttontest;

namespace {

QByteArray PngBytes(QColor color, int size = 8)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

class FormWithButton : public ::testing::Test {
protected:
    void Load(const QString& bag)
    {
        mForm = std::make_unique<TestForm>(FormDesignText(ButtonDesign(QStringLiteral("Cmd"), 0, 0, 1200, 375, bag)));
        mForm->Load();
    }
    QuButton& Button() { return mForm->Button(QStringLiteral("Cmd")); }
    std::unique_ptr<TestForm> mForm;
};

} // namespace

TEST_F(FormWithButton, EmptyBagGivesTheDefaultsAndWritesNothingBack)
{
    Load(QString());
    QuButton& b = Button();
    EXPECT_EQ(b.ButtonStyle(), 1);
    EXPECT_EQ(b.Caption(), QStringLiteral("QuButton"));
    EXPECT_EQ(b.PictureEffectOnOver(), 1);
    EXPECT_EQ(b.PictureEffectOnDown(), 2);
    EXPECT_EQ(b.TooltipBackColor(), static_cast<int>(gdi::GetSysColor(gdi::COLOR_INFOBK)));
    EXPECT_EQ(b.ForeColor(), static_cast<int>(gdi::GetSysColor(gdi::COLOR_BTNTEXT)));
    EXPECT_EQ(b.BackColor(), static_cast<int>(gdi::GetSysColor(gdi::COLOR_BTNFACE)));
    EXPECT_EQ(b.MaskColor(), 0xE0E0E0);
    EXPECT_TRUE(b.UseMaskColor());
    EXPECT_TRUE(b.Enabled());
    EXPECT_FALSE(b.ShowFocusRect());
    EXPECT_EQ(b.PictureOpacity(), 255);
    EXPECT_TRUE(b.SaveProperties().IsEmpty());
}

TEST_F(FormWithButton, StoredInstanceReadsWithoutRunningSetters)
{
    // The exam screen's hand-in button: style 3, own colour, white text.
    Load(QStringLiteral("            ButtonStyle = 3\n            ColorScheme = 3\n"
                        "            BackColor = &H00FF9933&\n            ForeColor = &H00FFFFFF&\n"
                        "            Caption = \"交卷 \"\n            CaptionEffects = 0\n"
                        "            PictureEffectOnOver = 0\n            PictureEffectOnDown = 0\n"
                        "            TooltipBackColor = 0\n"));
    QuButton& b = Button();
    EXPECT_EQ(b.ButtonStyle(), 3);
    EXPECT_EQ(b.ColorScheme(), 3);
    EXPECT_EQ(b.BackColor(), 0xFF9933);
    EXPECT_EQ(b.ForeColor(), 0xFFFFFF);
    EXPECT_EQ(b.TooltipBackColor(), 0);
    EXPECT_TRUE(b.ChangedProperties().isEmpty());

    const PropertyBag saved = b.SaveProperties();
    EXPECT_EQ(saved.ReadProperty(QStringLiteral("ButtonStyle")).toInt(), 3);
    EXPECT_EQ(saved.ReadProperty(QStringLiteral("BackColor")).toInt(), 0xFF9933);
    EXPECT_EQ(saved.ReadProperty(QStringLiteral("PictureEffectOnOver")).toInt(), 0);
    EXPECT_TRUE(saved.Contains(QStringLiteral("TooltipBackColor")));
    EXPECT_FALSE(saved.Contains(QStringLiteral("CaptionEffects"))); // 0 is its default
    EXPECT_FALSE(saved.Contains(QStringLiteral("MaskColor")));

    // The login pair of the main menu (style 10, scheme 3) keeps the main-menu blue as well.
    Load(QStringLiteral("            ButtonStyle = 10\n            ColorScheme = 3\n"
                        "            BackColor = &H00FF9933&\n            PicturePushOnHover = True\n"));
    QuButtonTestAccess::Redraw(Button());
    EXPECT_EQ(Button().BackColor(), 0xFF9933);
    EXPECT_EQ(Button().ColorScheme(), 3);
    EXPECT_TRUE(Button().PicturePushOnHover());
}

TEST_F(FormWithButton, StyleAndBackColorSettersDeriveTheScheme)
{
    Load(QString());
    QuButton& b = Button();
    b.SetButtonStyle(3);
    EXPECT_EQ(b.ColorScheme(), 2);
    EXPECT_EQ(b.BackColor(), 0xE3E3E3); // ShiftColor(&HD4D4D4, 0.06)
    EXPECT_FALSE(b.ShowFocusRect());
    b.SetButtonStyle(8);
    EXPECT_EQ(b.ColorScheme(), 0);
    EXPECT_EQ(b.BackColor(), 0xFFD1AD);
    b.SetBackColor(0xFF9933);
    EXPECT_EQ(b.ColorScheme(), 3);
    b.SetColorScheme(1);
    EXPECT_EQ(b.BackColor(), 0xBAD6D4);
    b.SetColorScheme(7);
    EXPECT_EQ(b.BackColor(), 0xBAD6D4); // outside 0..2 the colour stays
    b.SetButtonStyle(9);
    EXPECT_TRUE(b.ShowFocusRect());
    b.SetButtonStyle(4);
    EXPECT_TRUE(b.PicturePushOnHover());
    const int scheme = b.ColorScheme();
    b.SetBackColor(0x123456);
    EXPECT_EQ(b.ColorScheme(), scheme); // style 4 keeps its scheme
    EXPECT_TRUE(b.ChangedProperties().contains(QStringLiteral("ButtonStyle")));
    EXPECT_TRUE(b.ChangedProperties().contains(QStringLiteral("BackColor")));
}

TEST(QuButtonNewControl, InitPropertiesAndTheStyle13FallBack)
{
    for (const int themed : {1, 0}) {
        SCOPED_TRACE(themed);
        gdi::SetAppThemedOverride(themed);
        TestForm form(FormDesignText(QString()));
        form.Load();
        auto& b = dynamic_cast<QuButton&>(form.AddControl(std::make_unique<QuButton>(), QStringLiteral("QuButton1")));
        EXPECT_EQ(b.Caption(), QStringLiteral("QuButton1"));
        EXPECT_EQ(b.Font().family(), QStringLiteral("Tahoma"));
        EXPECT_EQ(b.PictureEffectOnOver(), 0);
        EXPECT_EQ(b.PictureEffectOnDown(), 0);
        EXPECT_EQ(b.TooltipBackColor(), 0);
        const PropertyBag saved = b.SaveProperties();
        EXPECT_EQ(saved.ReadProperty(QStringLiteral("PictureEffectOnOver"), 1).toInt(), 0);
        EXPECT_EQ(saved.ReadProperty(QStringLiteral("TooltipBackColor"), 1).toInt(), 0);
        if (themed == 1) {
            EXPECT_EQ(b.ButtonStyle(), 13);
            EXPECT_EQ(saved.ReadProperty(QStringLiteral("ButtonStyle")).toInt(), 13);
            EXPECT_FALSE(b.ShowFocusRect());
        } else {
            // Without visual styles the first paint turns the button into style 2, scheme 0.
            EXPECT_EQ(b.ButtonStyle(), 2);
            EXPECT_EQ(b.ColorScheme(), 0);
            EXPECT_EQ(b.BackColor(), 0xE7EBEC);
            EXPECT_EQ(saved.ReadProperty(QStringLiteral("ButtonStyle")).toInt(), 2);
        }
    }
    gdi::SetAppThemedOverride(-1);
}

TEST_F(FormWithButton, AccessKeysFromTheCaption)
{
    Load(QString());
    QuButton& b = Button();
    const struct {
        const char* caption;
        const char* key;
    } cases[] = {{"&Open", "o"},     {"Save&", ""}, {"&&Save", ""}, {"A&&B&c", "c"},
                 {"Save&&Exit", ""}, {"&", ""},     {"x&Y", "y"},   {"&&&&x", ""}};
    for (const auto& c : cases) {
        b.SetCaption(QString::fromUtf8(c.caption));
        EXPECT_EQ(b.AccessKeys(), QString::fromUtf8(c.key)) << c.caption;
    }
}

TEST_F(FormWithButton, ModeAndValue)
{
    Load(QStringLiteral("            ButtonStyle = 8\n"));
    QuButton& b = Button();
    QuButtonTestAccess::SetState(b, 1);
    b.SetValue(true); // push button: only the drawing state changes
    EXPECT_FALSE(b.Value());
    EXPECT_EQ(QuButtonTestAccess::State(b), 0);

    b.SetMode(1);
    b.SetValue(true);
    EXPECT_TRUE(b.Value());
    QuButtonTestAccess::Redraw(b);
    EXPECT_EQ(QuButtonTestAccess::State(b), 2); // a checked button is drawn down
    b.SetValue(false);
    EXPECT_EQ(QuButtonTestAccess::State(b), 0);

    b.SetValue(true);
    b.SetMode(0); // the value stays, the state is reset
    EXPECT_TRUE(b.Value());
    EXPECT_EQ(QuButtonTestAccess::State(b), 0);
    EXPECT_TRUE(b.ChangedProperties().contains(QStringLiteral("Mode")));
}

TEST_F(FormWithButton, PictureRules)
{
    Load(QStringLiteral("            ButtonStyle = 8\n"));
    QuButton& b = Button();
    const QByteArray red = PngBytes(Qt::red);
    const QByteArray blue = PngBytes(Qt::blue);
    b.SetPictureHot(red);
    EXPECT_EQ(b.PictureNormal(), red);
    EXPECT_TRUE(b.PictureHot().isEmpty());
    b.SetPictureHot(blue);
    b.SetPictureDown(blue);
    EXPECT_EQ(b.PictureHot(), blue);
    EXPECT_EQ(b.PictureDown(), blue);
    b.SetPictureNormal(QByteArray());
    EXPECT_TRUE(b.PictureHot().isEmpty());
    EXPECT_TRUE(b.PictureDown().isEmpty());

    b.SetMouseIcon(red);
    EXPECT_EQ(b.MousePointer(), 99);
    EXPECT_FALSE(b.HandPointer());
    b.SetMouseIcon(QByteArray());
    EXPECT_EQ(b.MousePointer(), 0);

    // The pointer code is a 16-bit Integer: 70000 does not fit and must not wrap to 4464.
    b.SetMousePointer(11);
    EXPECT_EQ(b.MousePointer(), 11);
    EXPECT_THROW(b.SetMousePointer(70000), RuntimeError);
    EXPECT_THROW(b.SetMousePointer(-32769), RuntimeError);
    EXPECT_EQ(b.MousePointer(), 11);
}

TEST_F(FormWithButton, EnabledReachesTheWindowAndFontChangesRedraw)
{
    Load(QStringLiteral("            ButtonStyle = 8\n            Caption = \"确定\"\n"));
    QuButton& b = Button();
    const QImage plain = Face(b);
    b.SetFontBold(true);
    EXPECT_TRUE(b.Font().bold());
    EXPECT_NE(b.Image().convertToFormat(QImage::Format_RGB32), plain);

    b.SetEnabled(false);
    EXPECT_FALSE(b.hWnd()->isEnabled());
    b.SetEnabled(true);
    EXPECT_TRUE(b.hWnd()->isEnabled());
}
