// The splash's marquee bar: the block's places over timer ticks, Marquee on and off, the real
// 35 ms timer, and what a host narrower than the design shows.
#include "QuBootProgres.h"

#include <DesignData.h>
#include <Form.h>
#include <PictureBox.h>
#include <Runtime.h>
#include <Timer.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <gtest/gtest.h>

#include <vector>

namespace {

// A form holding one marquee bar of the given size in twips, loaded (not shown).
class BootForm : public Form {
public:
    BootForm(int width, int height) : Form(QStringLiteral("FrmBootProgresTest"))
    {
        SetDesign(ParseDesign(QStringLiteral("Form FrmBootProgresTest\n"
                                             "    ClientWidth = 6300\n"
                                             "    ClientHeight = 1200\n"
                                             "    Begin QuBootProgres QuBootProgres1\n"
                                             "        Left = 600\n"
                                             "        Top = 300\n"
                                             "        Width = %1\n"
                                             "        Height = %2\n"
                                             "    End\n"
                                             "End\n")
                                  .arg(width)
                                  .arg(height),
                              QStringLiteral("bootprogres.form")));
        Load();
    }
    ~BootForm() override
    {
        Unload();
        QCoreApplication::processEvents();
        ResetProgramEnded();
    }
    QuBootProgres& Bar() { return Control<QuBootProgres>(QStringLiteral("QuBootProgres1")); }
    PictureBox& Block() { return Bar().Array<PictureBox>(QStringLiteral("Pic34"), 1); }
};

QRgb Rgb(int colorRef)
{
    return qRgb(colorRef & 0xFF, (colorRef >> 8) & 0xFF, (colorRef >> 16) & 0xFF);
}

// Pixel columns of row y where the picture has the colour.
std::vector<int> ColumnsOf(const QImage& image, int y, QRgb colour)
{
    std::vector<int> columns;
    for (int x = 0; x < image.width(); ++x) {
        if (image.pixel(x, y) == colour) {
            columns.push_back(x);
        }
    }
    return columns;
}

TEST(QuBootProgresMarquee, BlockVisitsTheEightSquaresInTurn)
{
    BootForm form(1830, 150);
    QuBootProgres& bar = form.Bar();
    EXPECT_FALSE(bar.Marquee());
    EXPECT_EQ(form.Block().Left(), 0);
    std::vector<int> places;
    for (int tick = 0; tick < 10; ++tick) {
        bar.Timer1_Timer();
        places.push_back(form.Block().Left());
    }
    // From 1680 the next step gives 1920 > 135 + 1680, so the same tick puts it on the first square.
    EXPECT_EQ(places, (std::vector<int>{240, 480, 720, 960, 1200, 1440, 1680, 0, 240, 480}));
}

TEST(QuBootProgresMarquee, OffAndOnContinuesWhereTheBlockStopped)
{
    BootForm form(1830, 150);
    QuBootProgres& bar = form.Bar();
    bar.SetMarquee(true);
    EXPECT_TRUE(bar.Marquee());
    EXPECT_TRUE(bar.Control<Timer>(QStringLiteral("Timer1")).Enabled());
    EXPECT_EQ(bar.Control<Timer>(QStringLiteral("Timer1")).Interval(), 35);

    // The real timer moves the block.
    QElapsedTimer clock;
    clock.start();
    while (form.Block().Left() < 720 && clock.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    bar.SetMarquee(false);
    EXPECT_FALSE(bar.Marquee());
    const int stopped = form.Block().Left();
    EXPECT_GE(stopped, 720);
    EXPECT_EQ(stopped % 240, 0);
    clock.restart();
    while (clock.elapsed() < 150) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    EXPECT_EQ(form.Block().Left(), stopped);

    bar.SetMarquee(true);
    bar.Timer1_Timer();
    EXPECT_EQ(form.Block().Left(), stopped == 1680 ? 0 : stopped + 240);
}

TEST(QuBootProgresLook, SquaresAndBlockAtTheirDesignedPlaces)
{
    BootForm form(1830, 150);
    QuBootProgres& bar = form.Bar();
    const QImage shown = bar.hWnd()->grab().toImage();
    ASSERT_EQ(shown.size(), QSize(122, 10));
    // 135 twips squares are 9 pixels, 240 twips apart are 16: the first one is under the block.
    std::vector<int> teal;
    for (int square = 1; square < 8; ++square) {
        for (int x = 16 * square; x < 16 * square + 9; ++x) {
            teal.push_back(x);
        }
    }
    EXPECT_EQ(ColumnsOf(shown, 4, Rgb(0x9C9918)), teal);
    EXPECT_EQ(ColumnsOf(shown, 4, Rgb(0x00FF00)), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_TRUE(ColumnsOf(shown, 9, Rgb(0x00FF00)).empty()); // 9 pixels high, the control 10

    bar.Timer1_Timer();
    bar.Timer1_Timer();
    const QImage moved = bar.hWnd()->grab().toImage();
    EXPECT_EQ(ColumnsOf(moved, 4, Rgb(0x00FF00)), (std::vector<int>{32, 33, 34, 35, 36, 37, 38, 39, 40}));
    EXPECT_EQ(moved.pixel(4, 4), Rgb(0x9C9918)); // the first square shows again
}

TEST(QuBootProgresLook, NarrowHostHidesTheBlockOnTheLastSquares)
{
    BootForm form(1335, 135); // the splash's size: 89 x 9 pixels
    QuBootProgres& bar = form.Bar();
    std::vector<bool> visible;
    for (int tick = 0; tick < 9; ++tick) {
        const QImage shown = bar.hWnd()->grab().toImage();
        ASSERT_EQ(shown.width(), 89);
        visible.push_back(!ColumnsOf(shown, 4, Rgb(0x00FF00)).empty());
        bar.Timer1_Timer();
    }
    // Squares at 0, 240, ..., 1200 twips show; 1440 and 1680 lie beyond 1335; then the first again.
    EXPECT_EQ(visible, (std::vector<bool>{true, true, true, true, true, true, false, false, true}));
}

// The splash's bar over one sweep, one row per tick, beside the test executable, for a person.
TEST(QuBootProgresPicture, RendersOneSweepToPng)
{
    BootForm form(1830, 150);
    BootForm splash(1335, 135);
    QImage sheet(260, 9 * 16 + 8, QImage::Format_RGB32);
    sheet.fill(QColor(0x0B, 0x67, 0x82).lighter(300));
    QPainter painter(&sheet);
    for (int tick = 0; tick < 9; ++tick) {
        painter.drawImage(4, 4 + 16 * tick, form.Bar().hWnd()->grab().toImage());
        painter.drawImage(140, 4 + 16 * tick, splash.Bar().hWnd()->grab().toImage());
        form.Bar().Timer1_Timer();
        splash.Bar().Timer1_Timer();
    }
    painter.end();
    sheet = sheet.scaled(sheet.size() * 3);
    ASSERT_TRUE(sheet.save(QCoreApplication::applicationDirPath() + QStringLiteral("/QuBootProgres.png")));
}

} // namespace
