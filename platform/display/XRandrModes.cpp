#include "XRandrModes.h"

#include "CvtTiming.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace DisplaySettings::XRandr {

namespace {

// DISP_CHANGE_* values; the public header is not included here because its Qt types and Xlib's
// macros do not mix.
constexpr std::int32_t Successful = 0;
constexpr std::int32_t Failed = -1;
constexpr std::int32_t BadMode = -2;

struct ResourcesFree {
    void operator()(XRRScreenResources* r) const { XRRFreeScreenResources(r); }
};
struct OutputFree {
    void operator()(XRROutputInfo* o) const { XRRFreeOutputInfo(o); }
};
struct CrtcFree {
    void operator()(XRRCrtcInfo* c) const { XRRFreeCrtcInfo(c); }
};
using Resources = std::unique_ptr<XRRScreenResources, ResourcesFree>;
using OutputInfo = std::unique_ptr<XRROutputInfo, OutputFree>;
using CrtcInfo = std::unique_ptr<XRRCrtcInfo, CrtcFree>;

// One connection for the whole run: the restore at exit or on a signal must not depend on
// opening a new one.
::Display* gDisplay = nullptr;
std::string gOpenFailure;
double gMmPerPixelX = 0.; // from the server at connection time; kept when the size changes
double gMmPerPixelY = 0.;

// A mode that a switch added to an output (and made, when Created) and that the restore removes.
struct AddedMode {
    RROutput Output = 0;
    RRMode Id = 0;
    bool Created = false;
};

// What the first temporary switch found and will put back.
struct SavedState {
    RRCrtc Crtc = 0;
    RRMode ModeId = 0;
    int X = 0;
    int Y = 0;
    Rotation Rotate = RR_Rotate_0;
    std::vector<RROutput> Outputs;
    int ScreenWidth = 0; // pixels
    int ScreenHeight = 0;
    Mode Shown;
    std::vector<AddedMode> Added;
};

std::optional<SavedState> gSaved;

// Signals arriving while a switch or restore is under way wait for its end.
volatile std::sig_atomic_t gBusy = 0;
volatile std::sig_atomic_t gDeferredSignal = 0;

constexpr int RestoringSignals[] = {SIGTERM, SIGINT, SIGHUP};
struct sigaction gPreviousActions[std::size(RestoringSignals)];
bool gHandlerInstalled[std::size(RestoringSignals)] = {};
bool gAtExitRegistered = false;

// Xlib reports protocol errors asynchronously through a process-wide handler; while one of our
// requests runs, a trap records the first error instead of letting Xlib end the process.
int gTrappedError = 0;

int TrapHandler(::Display*, XErrorEvent* event)
{
    if (gTrappedError == 0) {
        gTrappedError = event->error_code;
    }
    return 0;
}

class ErrorTrap {
public:
    explicit ErrorTrap(::Display* display) : mDisplay(display)
    {
        XSync(mDisplay, False);
        gTrappedError = 0;
        mPrevious = XSetErrorHandler(TrapHandler);
    }
    ~ErrorTrap()
    {
        XSync(mDisplay, False);
        XSetErrorHandler(mPrevious);
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    bool Failed()
    {
        XSync(mDisplay, False);
        return gTrappedError != 0;
    }
    int Code() const { return gTrappedError; }

private:
    ::Display* mDisplay;
    XErrorHandler mPrevious = nullptr;
};

class ServerGrab {
public:
    explicit ServerGrab(::Display* display) : mDisplay(display) { XGrabServer(mDisplay); }
    ~ServerGrab()
    {
        XUngrabServer(mDisplay);
        XSync(mDisplay, False);
    }
    ServerGrab(const ServerGrab&) = delete;
    ServerGrab& operator=(const ServerGrab&) = delete;

private:
    ::Display* mDisplay;
};

class BusyScope {
public:
    BusyScope() { gBusy = 1; }
    ~BusyScope();
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
};

::Display* Connection()
{
    if (gDisplay != nullptr) {
        return gDisplay;
    }
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') {
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        gOpenFailure = (wayland != nullptr && *wayland != '\0')
                           ? "Wayland session without X11: the compositor owns the display modes"
                           : "no X display (DISPLAY is not set)";
        return nullptr;
    }
    ::Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        gOpenFailure = std::string("cannot open X display \"") + name + "\"";
        return nullptr;
    }
    int opcode = 0;
    int firstEvent = 0;
    int firstError = 0;
    if (XQueryExtension(display, "XWAYLAND", &opcode, &firstEvent, &firstError)) {
        gOpenFailure = "XWayland only emulates display modes; the Wayland compositor owns them";
        XCloseDisplay(display);
        return nullptr;
    }
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase) || !XRRQueryVersion(display, &major, &minor) || major < 1 ||
        (major == 1 && minor < 2)) {
        gOpenFailure = "the X server has no RandR 1.2 extension";
        XCloseDisplay(display);
        return nullptr;
    }
    const int screen = DefaultScreen(display);
    gMmPerPixelX = static_cast<double>(DisplayWidthMM(display, screen)) / DisplayWidth(display, screen);
    gMmPerPixelY = static_cast<double>(DisplayHeightMM(display, screen)) / DisplayHeight(display, screen);
    gOpenFailure.clear();
    gDisplay = display;
    return gDisplay;
}

Window Root()
{
    return DefaultRootWindow(gDisplay);
}

int BitsPerPixel()
{
    const int depth = DefaultDepth(gDisplay, DefaultScreen(gDisplay));
    int count = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(gDisplay, &count);
    int bits = depth;
    for (int i = 0; i < count; ++i) {
        if (formats[i].depth == depth) {
            bits = formats[i].bits_per_pixel;
        }
    }
    if (formats != nullptr) {
        XFree(formats);
    }
    return bits;
}

// The root window's size now; Xlib's DisplayWidth keeps the size of connection time.
void RootSize(int& width, int& height)
{
    Window root = 0;
    int x = 0;
    int y = 0;
    unsigned int w = 0;
    unsigned int h = 0;
    unsigned int border = 0;
    unsigned int depth = 0;
    XGetGeometry(gDisplay, Root(), &root, &x, &y, &w, &h, &border, &depth);
    width = static_cast<int>(w);
    height = static_cast<int>(h);
}

const XRRModeInfo* FindMode(const XRRScreenResources* res, RRMode id)
{
    for (int i = 0; i < res->nmode; ++i) {
        if (res->modes[i].id == id) {
            return &res->modes[i];
        }
    }
    return nullptr;
}

double ModeRate(const XRRModeInfo& m)
{
    return RefreshRate(m.dotClock, m.hTotal, m.vTotal, (m.modeFlags & RR_Interlace) != 0,
                       (m.modeFlags & RR_DoubleScan) != 0);
}

bool Sideways(Rotation rotation)
{
    return (rotation & (RR_Rotate_90 | RR_Rotate_270)) != 0;
}

struct Target {
    RROutput Output = 0;
    OutputInfo Info;
};

// The output asked for by name, or the primary one, or the first connected output with a picture.
Target FindOutput(const XRRScreenResources* res, const std::string& name)
{
    Target fallback;
    const RROutput primary = XRRGetOutputPrimary(gDisplay, Root());
    for (int i = 0; i < res->noutput; ++i) {
        OutputInfo info(XRRGetOutputInfo(gDisplay, const_cast<XRRScreenResources*>(res), res->outputs[i]));
        if (!info) {
            continue;
        }
        const std::string outputName(info->name, static_cast<std::size_t>(info->nameLen));
        if (!name.empty()) {
            if (outputName == name) {
                return {res->outputs[i], std::move(info)};
            }
            continue;
        }
        if (info->connection == RR_Disconnected) {
            continue;
        }
        if (res->outputs[i] == primary && info->crtc != 0) {
            return {res->outputs[i], std::move(info)};
        }
        if (!fallback.Info || (fallback.Info->crtc == 0 && info->crtc != 0)) {
            fallback = {res->outputs[i], std::move(info)};
        }
    }
    return fallback;
}

bool ShownMode(const XRRScreenResources* res, const XRROutputInfo& output, Mode& mode)
{
    if (output.crtc == 0) {
        return false;
    }
    CrtcInfo crtc(XRRGetCrtcInfo(gDisplay, const_cast<XRRScreenResources*>(res), output.crtc));
    if (!crtc || crtc->mode == 0) {
        return false;
    }
    mode.Output.assign(output.name, static_cast<std::size_t>(output.nameLen));
    mode.Width = static_cast<int>(crtc->width);
    mode.Height = static_cast<int>(crtc->height);
    const XRRModeInfo* info = FindMode(res, crtc->mode);
    mode.Rate = info != nullptr ? ModeRate(*info) : 0.;
    mode.BitsPerPixel = BitsPerPixel();
    return true;
}

Resources GetResources()
{
    return Resources(XRRGetScreenResourcesCurrent(gDisplay, Root()));
}

// Screen size that holds every lit CRTC, with `crtc` showing a picture of width x height at (x, y).
void BoundingSize(const XRRScreenResources* res, RRCrtc crtc, int x, int y, int width, int height, int& screenWidth,
                  int& screenHeight)
{
    screenWidth = x + width;
    screenHeight = y + height;
    for (int i = 0; i < res->ncrtc; ++i) {
        if (res->crtcs[i] == crtc) {
            continue;
        }
        CrtcInfo other(XRRGetCrtcInfo(gDisplay, const_cast<XRRScreenResources*>(res), res->crtcs[i]));
        if (other && other->mode != 0) {
            screenWidth = std::max(screenWidth, other->x + static_cast<int>(other->width));
            screenHeight = std::max(screenHeight, other->y + static_cast<int>(other->height));
        }
    }
}

void SetScreenSize(int width, int height)
{
    const int mmWidth = static_cast<int>(std::lround(width * gMmPerPixelX));
    const int mmHeight = static_cast<int>(std::lround(height * gMmPerPixelY));
    XRRSetScreenSize(gDisplay, Root(), width, height, std::max(mmWidth, 1), std::max(mmHeight, 1));
}

struct CrtcSetting {
    RRCrtc Crtc = 0;
    RRMode ModeId = 0;
    int X = 0;
    int Y = 0;
    Rotation Rotate = RR_Rotate_0;
    std::vector<RROutput> Outputs;
};

// Sets one CRTC and the screen size around it: the screen first grows to hold both the old and
// the new picture, and shrinks to its final size only after the CRTC has changed.
bool ApplyCrtc(XRRScreenResources* res, const CrtcSetting& setting, int finalWidth, int finalHeight, ErrorTrap& trap)
{
    int currentWidth = 0;
    int currentHeight = 0;
    RootSize(currentWidth, currentHeight);
    const int interimWidth = std::max(currentWidth, finalWidth);
    const int interimHeight = std::max(currentHeight, finalHeight);
    if (interimWidth != currentWidth || interimHeight != currentHeight) {
        SetScreenSize(interimWidth, interimHeight);
        if (trap.Failed()) {
            return false;
        }
    }
    std::vector<RROutput> outputs = setting.Outputs;
    const Status status =
        XRRSetCrtcConfig(gDisplay, res, setting.Crtc, CurrentTime, setting.X, setting.Y, setting.ModeId, setting.Rotate,
                         outputs.data(), static_cast<int>(outputs.size()));
    if (status != RRSetConfigSuccess || trap.Failed()) {
        if (interimWidth != currentWidth || interimHeight != currentHeight) {
            SetScreenSize(currentWidth, currentHeight);
        }
        return false;
    }
    if (finalWidth != interimWidth || finalHeight != interimHeight) {
        SetScreenSize(finalWidth, finalHeight);
        if (trap.Failed()) {
            return false;
        }
    }
    return true;
}

void RemoveAdded(const std::vector<AddedMode>& added)
{
    for (auto it = added.rbegin(); it != added.rend(); ++it) {
        XRRDeleteOutputMode(gDisplay, it->Output, it->Id);
        if (it->Created) {
            XRRDestroyMode(gDisplay, it->Id);
        }
    }
}

std::int32_t RestoreLocked(std::string& note)
{
    if (!gSaved || gDisplay == nullptr) {
        gSaved.reset();
        return Successful;
    }
    SavedState saved = std::move(*gSaved);
    gSaved.reset();
    Resources res = GetResources();
    if (!res) {
        note = "the X server gave no screen resources; the display mode was not put back";
        return Failed;
    }
    ErrorTrap trap(gDisplay);
    bool ok = false;
    {
        ServerGrab grab(gDisplay);
        CrtcSetting setting{saved.Crtc, saved.ModeId, saved.X, saved.Y, saved.Rotate, saved.Outputs};
        ok = ApplyCrtc(res.get(), setting, saved.ScreenWidth, saved.ScreenHeight, trap);
        if (ok) {
            RemoveAdded(saved.Added);
            ok = !trap.Failed();
        }
    }
    if (!ok) {
        note = "the X server refused to put back the display mode (error " + std::to_string(trap.Code()) + ")";
        return Failed;
    }
    return Successful;
}

void RestoreOnSignal(int signal)
{
    if (gBusy != 0) {
        gDeferredSignal = signal;
        return;
    }
    // Not async-signal-safe in the strict sense (Xlib allocates); acceptable for a process that is
    // about to end, and the only way to give the user the display back.
    std::string note;
    RestoreLocked(note);
    for (std::size_t i = 0; i < std::size(RestoringSignals); ++i) {
        if (RestoringSignals[i] == signal && gHandlerInstalled[i]) {
            sigaction(signal, &gPreviousActions[i], nullptr);
            gHandlerInstalled[i] = false;
        }
    }
    // Blocked until this handler returns; then it takes its previous course, normally the end.
    raise(signal);
}

BusyScope::~BusyScope()
{
    gBusy = 0;
    const int signal = gDeferredSignal;
    if (signal != 0) {
        gDeferredSignal = 0;
        RestoreOnSignal(signal);
    }
}

void RestoreAtExit()
{
    std::string note;
    if (RestoreLocked(note) != Successful) {
        std::fprintf(stderr, "display: %s\n", note.c_str());
    }
}

void InstallRestorers()
{
    if (!gAtExitRegistered) {
        gAtExitRegistered = std::atexit(RestoreAtExit) == 0;
    }
    for (std::size_t i = 0; i < std::size(RestoringSignals); ++i) {
        if (gHandlerInstalled[i]) {
            continue;
        }
        struct sigaction previous {};
        if (sigaction(RestoringSignals[i], nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) {
            continue; // an ignored signal does not end the program
        }
        struct sigaction action {};
        action.sa_handler = RestoreOnSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        if (sigaction(RestoringSignals[i], &action, &gPreviousActions[i]) == 0) {
            gHandlerInstalled[i] = true;
        }
    }
}

std::string SizeText(int width, int height)
{
    return std::to_string(width) + " x " + std::to_string(height);
}

} // namespace

std::string Unavailable()
{
    if (Connection() == nullptr) {
        return gOpenFailure;
    }
    return {};
}

bool ScreenPixels(int& width, int& height)
{
    width = 0;
    height = 0;
    if (Connection() == nullptr) {
        return false;
    }
    Mode mode;
    if (Current({}, mode)) {
        width = mode.Width;
        height = mode.Height;
        return true;
    }
    RootSize(width, height);
    return true;
}

bool Current(const std::string& output, Mode& mode)
{
    if (Connection() == nullptr) {
        return false;
    }
    Resources res = GetResources();
    if (!res) {
        return false;
    }
    Target target = FindOutput(res.get(), output);
    return target.Info && ShownMode(res.get(), *target.Info, mode);
}

std::vector<Mode> Modes(const std::string& output)
{
    std::vector<Mode> modes;
    if (Connection() == nullptr) {
        return modes;
    }
    Resources res = GetResources();
    if (!res) {
        return modes;
    }
    Target target = FindOutput(res.get(), output);
    if (!target.Info) {
        return modes;
    }
    const std::string name(target.Info->name, static_cast<std::size_t>(target.Info->nameLen));
    const int bits = BitsPerPixel();
    for (int i = 0; i < target.Info->nmode; ++i) {
        const XRRModeInfo* info = FindMode(res.get(), target.Info->modes[i]);
        if (info == nullptr) {
            continue;
        }
        Mode mode{name, static_cast<int>(info->width), static_cast<int>(info->height), ModeRate(*info), bits};
        const bool known = std::any_of(modes.begin(), modes.end(), [&](const Mode& m) {
            return m.Width == mode.Width && m.Height == mode.Height && std::lround(m.Rate) == std::lround(mode.Rate);
        });
        if (!known) {
            modes.push_back(mode);
        }
    }
    std::sort(modes.begin(), modes.end(), [](const Mode& a, const Mode& b) {
        if (a.Width != b.Width) {
            return a.Width < b.Width;
        }
        if (a.Height != b.Height) {
            return a.Height < b.Height;
        }
        return a.Rate < b.Rate;
    });
    return modes;
}

bool Saved(Mode& mode)
{
    if (!gSaved) {
        return false;
    }
    mode = gSaved->Shown;
    return true;
}

std::int32_t Switch(const std::string& output, const Request& request, Kind kind, std::string& note)
{
    if (Connection() == nullptr) {
        note = gOpenFailure;
        return Failed;
    }
    BusyScope busy;
    Resources res = GetResources();
    if (!res) {
        note = "the X server gave no screen resources";
        return Failed;
    }
    Target target = FindOutput(res.get(), output);
    if (!target.Info) {
        note = output.empty() ? "no connected display output" : "no display output named \"" + output + "\"";
        return output.empty() ? Failed : BadMode;
    }
    if (target.Info->crtc == 0) {
        note = "the display output shows no picture";
        return Failed;
    }
    CrtcInfo crtc(XRRGetCrtcInfo(gDisplay, res.get(), target.Info->crtc));
    if (!crtc) {
        note = "the X server gave no CRTC information";
        return Failed;
    }

    int minWidth = 0;
    int minHeight = 0;
    int maxWidth = 0;
    int maxHeight = 0;
    XRRGetScreenSizeRange(gDisplay, Root(), &minWidth, &minHeight, &maxWidth, &maxHeight);
    const bool sideways = Sideways(crtc->rotation);
    const int shownWidth = sideways ? request.Height : request.Width;
    const int shownHeight = sideways ? request.Width : request.Height;
    int screenWidth = 0;
    int screenHeight = 0;
    BoundingSize(res.get(), target.Info->crtc, crtc->x, crtc->y, shownWidth, shownHeight, screenWidth, screenHeight);
    screenWidth = std::max(screenWidth, minWidth);
    screenHeight = std::max(screenHeight, minHeight);
    if (screenWidth > maxWidth || screenHeight > maxHeight) {
        note = SizeText(request.Width, request.Height) + " does not fit the X screen (at most " +
               SizeText(maxWidth, maxHeight) + ")";
        return BadMode;
    }

    // A mode of the asked size: on the output first, then among the server's other modes; the
    // rate closest to the one asked for, or the preferred and then the fastest when none was asked.
    const XRRModeInfo* chosen = nullptr;
    bool onOutput = false;
    for (int pass = 0; pass < 2 && chosen == nullptr; ++pass) {
        for (int i = 0; i < (pass == 0 ? target.Info->nmode : res->nmode); ++i) {
            const XRRModeInfo* info = pass == 0 ? FindMode(res.get(), target.Info->modes[i]) : &res->modes[i];
            if (info == nullptr || static_cast<int>(info->width) != request.Width ||
                static_cast<int>(info->height) != request.Height || (info->modeFlags & RR_Interlace) != 0) {
                continue;
            }
            if (chosen == nullptr) {
                chosen = info;
                onOutput = pass == 0;
                continue;
            }
            if (request.Rate > 0) {
                if (std::abs(ModeRate(*info) - request.Rate) < std::abs(ModeRate(*chosen) - request.Rate)) {
                    chosen = info;
                }
            } else if (!(pass == 0 && i < target.Info->npreferred) && ModeRate(*info) > ModeRate(*chosen)) {
                chosen = info;
            }
        }
    }
    if (chosen != nullptr && request.Rate > 0 && std::lround(ModeRate(*chosen)) != request.Rate) {
        note = "no " + SizeText(request.Width, request.Height) + " mode at " + std::to_string(request.Rate) +
               " Hz; took the closest rate, " + std::to_string(std::lround(ModeRate(*chosen))) + " Hz";
    }
    if (kind == Kind::Test) {
        return Successful;
    }

    ErrorTrap trap(gDisplay);
    ServerGrab grab(gDisplay);
    std::vector<AddedMode> added;
    RRMode modeId = 0;
    if (chosen != nullptr) {
        modeId = chosen->id;
        if (!onOutput) {
            XRRAddOutputMode(gDisplay, target.Output, modeId);
            added.push_back({target.Output, modeId, false});
        }
    } else {
        const int rate = request.Rate > 0 ? request.Rate : 60;
        const CvtTiming t = MakeCvtTiming(request.Width, request.Height, rate);
        std::string name = SizeText(request.Width, request.Height) + "_" + std::to_string(rate) + "_qkm";
        name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
        XRRModeInfo info{};
        info.width = static_cast<unsigned int>(request.Width);
        info.height = t.VDisplay;
        info.dotClock = static_cast<unsigned long>(t.Clock) * 1000UL;
        info.hSyncStart = t.HSyncStart + static_cast<unsigned int>(request.Width) - t.HDisplay;
        info.hSyncEnd = t.HSyncEnd + static_cast<unsigned int>(request.Width) - t.HDisplay;
        info.hTotal = t.HTotal + static_cast<unsigned int>(request.Width) - t.HDisplay;
        info.vSyncStart = t.VSyncStart;
        info.vSyncEnd = t.VSyncEnd;
        info.vTotal = t.VTotal;
        info.name = name.data();
        info.nameLength = static_cast<unsigned int>(name.size());
        info.modeFlags = RR_HSyncNegative | RR_VSyncPositive;
        modeId = XRRCreateMode(gDisplay, Root(), &info);
        if (modeId == 0 || trap.Failed()) {
            note = "the X server refused a new " + SizeText(request.Width, request.Height) + " mode";
            return Failed;
        }
        XRRAddOutputMode(gDisplay, target.Output, modeId);
        added.push_back({target.Output, modeId, true});
    }
    if (trap.Failed()) {
        RemoveAdded(added);
        note = "the X server refused the mode for the output (error " + std::to_string(trap.Code()) + ")";
        return Failed;
    }

    SavedState before;
    before.Crtc = target.Info->crtc;
    before.ModeId = crtc->mode;
    before.X = crtc->x;
    before.Y = crtc->y;
    before.Rotate = crtc->rotation;
    before.Outputs.assign(crtc->outputs, crtc->outputs + crtc->noutput);
    RootSize(before.ScreenWidth, before.ScreenHeight);
    ShownMode(res.get(), *target.Info, before.Shown);

    if (kind == Kind::Temporary) {
        InstallRestorers();
    }
    CrtcSetting setting{target.Info->crtc, modeId, crtc->x, crtc->y, crtc->rotation, before.Outputs};
    if (!ApplyCrtc(res.get(), setting, screenWidth, screenHeight, trap)) {
        RemoveAdded(added);
        note = "the X server refused " + SizeText(request.Width, request.Height) + " (error " +
               std::to_string(trap.Code()) + ")";
        return Failed;
    }

    if (kind == Kind::Temporary) {
        if (!gSaved) {
            gSaved = std::move(before);
        }
        gSaved->Added.insert(gSaved->Added.end(), added.begin(), added.end());
    } else {
        gSaved.reset(); // the caller wants this mode to stay
    }
    return Successful;
}

std::int32_t Restore(std::string& note)
{
    BusyScope busy;
    return RestoreLocked(note);
}

} // namespace DisplaySettings::XRandr
