// The start-up procedures of ModSystem: the distributor line and the display check.
#include "ModSystem.h"

#include "App.h"
#include "DisplaySettings.h"
#include "MsgBox.h"
#include "Runtime.h"
#include "Screen.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cmath>

namespace ModSystem {

namespace {

// The screen in whole pixels, from its size in twips and the twips per pixel, as the check reads it.
void ScreenPixels(std::int32_t& width, std::int32_t& height)
{
    const auto tppX = static_cast<std::int32_t>(std::nearbyint(double(Screen::TwipsPerPixelX())));
    const auto tppY = static_cast<std::int32_t>(std::nearbyint(double(Screen::TwipsPerPixelY())));
    width = static_cast<std::int32_t>(std::nearbyint(double(Screen::Width()))) / tppX;
    height = static_cast<std::int32_t>(std::nearbyint(double(Screen::Height()))) / tppY;
}

// The window system tells the program of a new screen size by an event of its own; until it has
// arrived the old size is still reported. Waits for it a short while, so that what is stored is the
// size the forms will really be shown on.
void WaitForScreenChange(std::int32_t oldWidth, std::int32_t oldHeight)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 2000) {
        std::int32_t width = 0;
        std::int32_t height = 0;
        ScreenPixels(width, height);
        if (width != oldWidth || height != oldHeight) {
            return;
        }
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
        QThread::msleep(10);
    }
}

} // namespace

QString DealerLine(std::int32_t company)
{
    switch (company) {
    case 2:
        return QStringLiteral("经销：东湖职业技能实训服务站  服务热线：000-0000-0002");
    case 3:
        return QStringLiteral("经销：北岭汽车维修培训中心  服务热线：000-0000-0003");
    case 5:
        return QStringLiteral("经销：南江车身技术教学服务部  服务热线：000-0000-0005");
    default:
        return QString();
    }
}

void LoadCompanyInfo()
{
    ReadConfig ini;
    ini.OpenIni(App::Path() + QStringLiteral("/System.ini"));
    const std::int32_t company = ini.GetLong(QStringLiteral("CompanyInfo"), QStringLiteral("Company"), 0);
    const QString line = DealerLine(company);
    gTitleSuffix = QStringLiteral("-  ") + line;
    gDealerLine = line;
    ini.CloseIni();
}

void CheckScreenResolution()
{
    std::int32_t width = 0;
    std::int32_t height = 0;
    ScreenPixels(width, height);
    if (width >= 1024 && height >= 768) {
        gScreenWidth = Screen::Width();
        gScreenHeight = Screen::Height();
        return;
    }
    const int answer = MsgBox(QStringLiteral("系统需要至少1024*640的屏幕分辨率支持，\r\n同意后系统会将为您更改分辨率为1024*768!"),
                              vbOKCancel, QStringLiteral("提示"));
    if (answer != vbOK) {
        End();
    }
    if (ChangeDisplayMode(1024, 768, 16, 60) == DisplaySettings::DISP_CHANGE_SUCCESSFUL) {
        WaitForScreenChange(width, height);
    }
    // What the screen really is now: a switch that failed leaves the old size, and the forms lay out
    // on that rather than on a size the display does not have.
    gScreenWidth = Screen::Width();
    gScreenHeight = Screen::Height();
}

std::int32_t ChangeDisplayMode(std::int32_t width, std::int32_t height, std::int16_t bitsPerPixel,
                               std::int32_t frequency)
{
    DisplaySettings::DevMode mode;
    DisplaySettings::EnumDisplaySettings(QString(), 0, mode);
    mode.dmFields = DisplaySettings::DM_BITSPERPEL | DisplaySettings::DM_PELSWIDTH | DisplaySettings::DM_PELSHEIGHT |
                    DisplaySettings::DM_DISPLAYFREQUENCY;
    mode.dmPelsWidth = static_cast<std::uint32_t>(width);
    mode.dmPelsHeight = static_cast<std::uint32_t>(height);
    mode.dmBitsPerPel = static_cast<std::uint32_t>(bitsPerPixel);
    mode.dmDisplayFrequency = static_cast<std::uint32_t>(frequency);
    return DisplaySettings::ChangeDisplaySettings(&mode, DisplaySettings::CDS_FULLSCREEN);
}

} // namespace ModSystem
