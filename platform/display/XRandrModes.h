#pragma once

// The X11 side of the display settings: RandR on a connection of our own to the server named by
// DISPLAY. Kept free of Xlib types so that callers need no X headers (Xlib's macros and its
// `Display` type clash with Qt and with our names).

#include <cstdint>
#include <string>
#include <vector>

namespace DisplaySettings::XRandr {

struct Mode {
    std::string Output;
    int Width = 0;    // pixels, as the screen shows it (rotation applied)
    int Height = 0;   // pixels
    double Rate = 0.; // Hz; 0 when the server gives no timing
    int BitsPerPixel = 0;
};

// Empty when a switch can be attempted; otherwise why not. Opens the connection on first use.
std::string Unavailable();

// Size of the primary output's picture, else of the root window; 0 x 0 without a server.
bool ScreenPixels(int& width, int& height);

bool Current(const std::string& output, Mode& mode);
// The output's modes, smallest first, one per size and whole rate.
std::vector<Mode> Modes(const std::string& output);
// The mode that a temporary switch will put back; false when none is in force.
bool Saved(Mode& mode);

enum class Kind { Test, Temporary, Lasting };

struct Request {
    int Width = 0;
    int Height = 0;
    int Rate = 0; // Hz; 0: any (the preferred or fastest mode of that size)
};

// Returns a DISP_CHANGE_* code; note receives what the caller should know (rate taken, failure).
std::int32_t Switch(const std::string& output, const Request& request, Kind kind, std::string& note);
// Puts back the mode saved by the first temporary switch; successful when none is in force.
std::int32_t Restore(std::string& note);

} // namespace DisplaySettings::XRandr
