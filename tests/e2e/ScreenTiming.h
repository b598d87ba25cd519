#pragma once

// Timings as a person sees them: input given through XTEST at a known moment, and the moment the
// screen stopped changing afterwards, from the server's damage reports (XDamage on the root window,
// which covers every window drawn on it).

#include "E2eHarness.h"

#include <QRect>

#include <vector>

namespace e2e {

class ScreenTiming {
public:
    explicit ScreenTiming(const XServer& server);
    ~ScreenTiming();
    ScreenTiming(const ScreenTiming&) = delete;
    ScreenTiming& operator=(const ScreenTiming&) = delete;

    // Forgets the damage reported so far.
    void Drain();
    // Presses and releases a key (an X key name such as "KP_9"); returns the moment it was sent, in ms.
    double Key(const char* keysym);
    // Moves the pointer there and clicks; returns the moment the press was sent.
    double Click(QPoint at);
    // Moves the pointer without clicking (parks it where it changes nothing).
    void Move(QPoint at);

    // Collects damage until the screen has been quiet for quietMs (or timeoutMs have passed) and
    // returns the moment of the last damage outside `ignore` (a ticking clock, say), -1 when none came.
    double LastChange(int quietMs, int timeoutMs, const std::vector<QRect>& ignore = {});
    // The moment of the first damage inside `area`, -1 when none came within timeoutMs.
    double FirstChangeIn(const QRect& area, int timeoutMs);

private:
    void* mDisplay = nullptr; // Display*, a connection of its own
    unsigned long mDamage = 0;
    int mEventBase = 0;
};

} // namespace e2e
