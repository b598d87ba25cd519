#include "DisplaySettings.h"

#include "XRandrModes.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtDebug>

#include <cmath>

namespace DisplaySettings {

namespace {

QString gLastNote;
// Bits per pixel that the last successful switch asked for; X keeps its depth, see the header.
std::uint32_t gAskedBits = 0;

bool HasGuiApplication()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

// Empty when a switch can be attempted, else why not.
QString SwitchUnavailable()
{
    if (HasGuiApplication() && QGuiApplication::platformName() != QLatin1String("xcb")) {
        return QStringLiteral("the \"%1\" platform has no display modes to switch")
            .arg(QGuiApplication::platformName());
    }
    return QString::fromStdString(XRandr::Unavailable());
}

std::uint32_t BitsForDepth(int depth)
{
    return depth == 24 ? 32U : static_cast<std::uint32_t>(std::max(depth, 0));
}

std::uint32_t WholeRate(double rate)
{
    return static_cast<std::uint32_t>(std::max(0L, std::lround(rate)));
}

void Fill(DevMode& mode, const QString& device, std::uint32_t width, std::uint32_t height, std::uint32_t bits,
          std::uint32_t frequency)
{
    mode.dmDeviceName = device;
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFLAGS | DM_DISPLAYFREQUENCY;
    mode.dmBitsPerPel = bits;
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    mode.dmDisplayFlags = 0;
    mode.dmDisplayFrequency = frequency;
}

void Fill(DevMode& mode, const XRandr::Mode& x)
{
    Fill(mode, QString::fromStdString(x.Output), static_cast<std::uint32_t>(x.Width),
         static_cast<std::uint32_t>(x.Height), static_cast<std::uint32_t>(x.BitsPerPixel), WholeRate(x.Rate));
}

// Without mode switching the one mode is the screen as Qt sees it.
bool EnumQtScreen(const QString& deviceName, int modeNum, DevMode& mode)
{
    if (!HasGuiApplication() ||
        (modeNum != 0 && modeNum != ENUM_CURRENT_SETTINGS && modeNum != ENUM_REGISTRY_SETTINGS)) {
        return false;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr || (!deviceName.isEmpty() && deviceName != screen->name())) {
        return false;
    }
    const QSize size = ScreenPixels();
    Fill(mode, screen->name(), static_cast<std::uint32_t>(size.width()), static_cast<std::uint32_t>(size.height()),
         BitsForDepth(screen->depth()), WholeRate(screen->refreshRate()));
    return true;
}

bool ValidBits(std::uint32_t bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 15 || bits == 16 || bits == 24 || bits == 32;
}

void SetNote(const QString& note)
{
    gLastNote = note;
    if (!note.isEmpty()) {
        qInfo().noquote() << "display:" << note;
    }
}

} // namespace

QSize ScreenPixels()
{
    if (HasGuiApplication()) {
        QScreen* screen = QGuiApplication::primaryScreen();
        if (screen == nullptr) {
            return {0, 0};
        }
        const double ratio = screen->devicePixelRatio();
        const QSize size = screen->size();
        return {static_cast<int>(std::nearbyint(size.width() * ratio)),
                static_cast<int>(std::nearbyint(size.height() * ratio))};
    }
    int width = 0;
    int height = 0;
    XRandr::ScreenPixels(width, height);
    return {width, height};
}

int ScreenWidth()
{
    return ScreenPixels().width() * TwipsPerPixel;
}
int ScreenHeight()
{
    return ScreenPixels().height() * TwipsPerPixel;
}
int TwipsPerPixelX()
{
    return TwipsPerPixel;
}
int TwipsPerPixelY()
{
    return TwipsPerPixel;
}

bool EnumDisplaySettings(const QString& deviceName, int modeNum, DevMode& mode)
{
    if (!SwitchUnavailable().isEmpty()) {
        return EnumQtScreen(deviceName, modeNum, mode);
    }
    const std::string output = deviceName.toStdString();
    XRandr::Mode x;
    if (modeNum == ENUM_CURRENT_SETTINGS) {
        if (!XRandr::Current(output, x)) {
            return false;
        }
        Fill(mode, x);
        if (gAskedBits != 0) {
            mode.dmBitsPerPel = gAskedBits;
        }
        return true;
    }
    if (modeNum == ENUM_REGISTRY_SETTINGS) {
        if (!XRandr::Saved(x) && !XRandr::Current(output, x)) {
            return false;
        }
        Fill(mode, x);
        return true;
    }
    if (modeNum < 0) {
        return false;
    }
    const std::vector<XRandr::Mode> modes = XRandr::Modes(output);
    if (static_cast<std::size_t>(modeNum) >= modes.size()) {
        return false;
    }
    Fill(mode, modes[static_cast<std::size_t>(modeNum)]);
    return true;
}

std::int32_t ChangeDisplaySettings(const DevMode* mode, std::uint32_t flags)
{
    gLastNote.clear();
    if (mode == nullptr) {
        if (!SwitchUnavailable().isEmpty()) {
            return DISP_CHANGE_SUCCESSFUL; // nothing can have been switched
        }
        std::string note;
        const std::int32_t result = XRandr::Restore(note);
        if (result == DISP_CHANGE_SUCCESSFUL) {
            gAskedBits = 0;
        }
        SetNote(QString::fromStdString(note));
        return result;
    }
    if ((flags & ~(CDS_UPDATEREGISTRY | CDS_TEST | CDS_FULLSCREEN)) != 0 ||
        ((flags & CDS_UPDATEREGISTRY) != 0 && (flags & CDS_FULLSCREEN) != 0)) {
        SetNote(QStringLiteral("flags %1 are not supported").arg(flags, 0, 16));
        return DISP_CHANGE_BADFLAGS;
    }
    const QString unavailable = SwitchUnavailable();
    if (!unavailable.isEmpty()) {
        SetNote(unavailable);
        return DISP_CHANGE_FAILED;
    }
    XRandr::Mode current;
    if (!XRandr::Current(mode->dmDeviceName.toStdString(), current)) {
        SetNote(QStringLiteral("no display output \"%1\" showing a picture").arg(mode->dmDeviceName));
        return mode->dmDeviceName.isEmpty() ? DISP_CHANGE_FAILED : DISP_CHANGE_BADMODE;
    }
    XRandr::Request request;
    request.Width = (mode->dmFields & DM_PELSWIDTH) != 0 ? static_cast<int>(mode->dmPelsWidth) : current.Width;
    request.Height = (mode->dmFields & DM_PELSHEIGHT) != 0 ? static_cast<int>(mode->dmPelsHeight) : current.Height;
    // 0 and 1 stand for the hardware's default rate.
    if ((mode->dmFields & DM_DISPLAYFREQUENCY) != 0 && mode->dmDisplayFrequency > 1) {
        request.Rate = static_cast<int>(std::min<std::uint32_t>(mode->dmDisplayFrequency, 1000));
    }
    const bool bitsGiven = (mode->dmFields & DM_BITSPERPEL) != 0;
    if (request.Width <= 0 || request.Height <= 0 || request.Width > 32767 || request.Height > 32767 ||
        (bitsGiven && !ValidBits(mode->dmBitsPerPel))) {
        SetNote(QStringLiteral("%1 x %2 at %3 bits is not a display mode")
                    .arg(mode->dmPelsWidth)
                    .arg(mode->dmPelsHeight)
                    .arg(mode->dmBitsPerPel));
        return DISP_CHANGE_BADMODE;
    }
    const XRandr::Kind kind = (flags & CDS_TEST) != 0         ? XRandr::Kind::Test
                              : (flags & CDS_FULLSCREEN) != 0 ? XRandr::Kind::Temporary
                                                              : XRandr::Kind::Lasting;
    std::string note;
    const std::int32_t result = XRandr::Switch(mode->dmDeviceName.toStdString(), request, kind, note);
    QString text = QString::fromStdString(note);
    if (result == DISP_CHANGE_SUCCESSFUL && bitsGiven && static_cast<int>(mode->dmBitsPerPel) != current.BitsPerPixel) {
        if (!text.isEmpty()) {
            text += QStringLiteral("; ");
        }
        text += QStringLiteral("the colour depth stays at %1 bits per pixel: X cannot change depth while it runs")
                    .arg(current.BitsPerPixel);
    }
    if (result == DISP_CHANGE_SUCCESSFUL && kind != XRandr::Kind::Test) {
        gAskedBits = bitsGiven ? mode->dmBitsPerPel : 0;
    }
    SetNote(text);
    return result;
}

QString LastChangeNote()
{
    return gLastNote;
}

} // namespace DisplaySettings
