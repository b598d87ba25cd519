#pragma once

#include <QSize>
#include <QString>

#include <cstdint>

// The screen's size and the display-mode functions that the start-up check calls, with the
// Windows names, flags and result codes.
//
// Mode switching works on X11 through the RandR extension of the running server. It is not
// possible under the offscreen or another non-X11 Qt platform, under Wayland (XWayland only
// pretends to switch) or without a reachable X server: ChangeDisplaySettings then returns
// DISP_CHANGE_FAILED and LastChangeNote() says why.
//
// What an X server cannot do: change its colour depth while it runs. A switch that asks for
// 16 bits per pixel succeeds for the size and rate, the pixels keep the server's depth, and
// EnumDisplaySettings(ENUM_CURRENT_SETTINGS) reports the 16 bits asked for while the switch lasts.
// A size without a mode at exactly the asked rate is switched to the mode of that size whose rate
// is closest; LastChangeNote() names the rate taken.
namespace DisplaySettings {

inline constexpr int TwipsPerPixel = 15;

// Primary screen in pixels: from QScreen while a QGuiApplication exists, else from the X server
// named by DISPLAY, else 0 x 0.
QSize ScreenPixels();
// Primary screen in twips.
int ScreenWidth();
int ScreenHeight();
int TwipsPerPixelX();
int TwipsPerPixelY();

inline constexpr std::uint32_t DM_BITSPERPEL = 0x00040000;
inline constexpr std::uint32_t DM_PELSWIDTH = 0x00080000;
inline constexpr std::uint32_t DM_PELSHEIGHT = 0x00100000;
inline constexpr std::uint32_t DM_DISPLAYFLAGS = 0x00200000;
inline constexpr std::uint32_t DM_DISPLAYFREQUENCY = 0x00400000;

// The part of a device mode record that describes a display mode. Only the members named in
// dmFields are read by ChangeDisplaySettings; the others keep the current mode's value.
struct DevMode {
    QString dmDeviceName; // RandR output name
    std::uint32_t dmFields = 0;
    std::uint32_t dmBitsPerPel = 0;
    std::uint32_t dmPelsWidth = 0;  // pixels
    std::uint32_t dmPelsHeight = 0; // pixels
    std::uint32_t dmDisplayFlags = 0;
    std::uint32_t dmDisplayFrequency = 0; // Hz; 0 when the server does not know the rate
};

inline constexpr int ENUM_CURRENT_SETTINGS = -1;
inline constexpr int ENUM_REGISTRY_SETTINGS = -2;

// modeNum 0, 1, ...: the modes of the display, smallest first; ENUM_CURRENT_SETTINGS: the mode in
// force; ENUM_REGISTRY_SETTINGS: the mode that a temporary switch will put back (the current one
// when none is in force). An empty deviceName means the primary display. False past the last mode
// and for an unknown device; mode is then left as it was.
bool EnumDisplaySettings(const QString& deviceName, int modeNum, DevMode& mode);

inline constexpr std::uint32_t CDS_UPDATEREGISTRY = 0x01;
inline constexpr std::uint32_t CDS_TEST = 0x02;
inline constexpr std::uint32_t CDS_FULLSCREEN = 0x04;

inline constexpr std::int32_t DISP_CHANGE_SUCCESSFUL = 0;
inline constexpr std::int32_t DISP_CHANGE_RESTART = 1;
inline constexpr std::int32_t DISP_CHANGE_FAILED = -1;
inline constexpr std::int32_t DISP_CHANGE_BADMODE = -2;
inline constexpr std::int32_t DISP_CHANGE_NOTUPDATED = -3;
inline constexpr std::int32_t DISP_CHANGE_BADFLAGS = -4;
inline constexpr std::int32_t DISP_CHANGE_BADPARAM = -5;
inline constexpr std::int32_t DISP_CHANGE_BADDUALVIEW = -6;

// Switches the primary display to mode.
//   CDS_FULLSCREEN: temporary; the mode in force before the first temporary switch is put back when
//                   the program ends (normal exit, SIGTERM, SIGINT or SIGHUP) or on a call with no mode.
//   0 or CDS_UPDATEREGISTRY: the new mode stays after the program ends (there is no registry to write).
//   CDS_TEST: only checks that the mode could be set.
// mode == nullptr puts back the mode of a temporary switch (successful when there is none).
// Other flags give DISP_CHANGE_BADFLAGS, a size the display cannot show DISP_CHANGE_BADMODE, and
// anything the server refuses DISP_CHANGE_FAILED with nothing changed.
std::int32_t ChangeDisplaySettings(const DevMode* mode, std::uint32_t flags);

// One line on what the last ChangeDisplaySettings did or why it failed (empty after a plain success).
QString LastChangeNote();

} // namespace DisplaySettings
