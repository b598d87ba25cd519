#include "ScreenTiming.h"

#include <QThread>

#include <algorithm>

// Xlib last: its macros clash with Qt's names.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>

namespace e2e {

namespace {

::Display* X(void* display)
{
    return static_cast<::Display*>(display);
}

} // namespace

ScreenTiming::ScreenTiming(const XServer& server)
{
    mDisplay = XOpenDisplay(server.Name().toLocal8Bit().constData());
    if (mDisplay == nullptr) {
        return;
    }
    int errorBase = 0;
    if (!XDamageQueryExtension(X(mDisplay), &mEventBase, &errorBase)) {
        return;
    }
    mDamage = XDamageCreate(X(mDisplay), DefaultRootWindow(X(mDisplay)), XDamageReportRawRectangles);
    // Num Lock on, as on the candidates' keyboards: the keypad's keys are digits, not arrows.
    const unsigned int numLock = XkbKeysymToModifiers(X(mDisplay), XK_Num_Lock);
    XkbLockModifiers(X(mDisplay), XkbUseCoreKbd, numLock, numLock);
    XSync(X(mDisplay), False);
}

ScreenTiming::~ScreenTiming()
{
    if (mDisplay != nullptr) {
        if (mDamage != 0) {
            XDamageDestroy(X(mDisplay), mDamage);
        }
        XCloseDisplay(X(mDisplay));
    }
}

void ScreenTiming::Drain()
{
    XSync(X(mDisplay), False);
    while (XPending(X(mDisplay)) > 0) {
        XEvent event;
        XNextEvent(X(mDisplay), &event);
    }
}

double ScreenTiming::Key(const char* keysym)
{
    ::Display* display = X(mDisplay);
    const KeyCode code = XKeysymToKeycode(display, XStringToKeysym(keysym));
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XFlush(display);
    const double sent = NowMs();
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    XFlush(display);
    return sent;
}

void ScreenTiming::Move(QPoint at)
{
    XTestFakeMotionEvent(X(mDisplay), -1, at.x(), at.y(), CurrentTime);
    XSync(X(mDisplay), False);
}

double ScreenTiming::Click(QPoint at)
{
    ::Display* display = X(mDisplay);
    Move(at);
    QThread::msleep(30); // the control sees the pointer arrive, as under a hand
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XFlush(display);
    const double sent = NowMs();
    QThread::msleep(20);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XFlush(display);
    return sent;
}

double ScreenTiming::LastChange(int quietMs, int timeoutMs, const std::vector<QRect>& ignore)
{
    ::Display* display = X(mDisplay);
    const double until = NowMs() + timeoutMs;
    double last = -1;
    double lastAny = NowMs();
    while (NowMs() < until) {
        bool got = false;
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != mEventBase + XDamageNotify) {
                continue;
            }
            const auto& damage = reinterpret_cast<const XDamageNotifyEvent&>(event);
            const QRect area(damage.area.x, damage.area.y, damage.area.width, damage.area.height);
            const double now = NowMs();
            lastAny = now;
            got = true;
            if (std::none_of(ignore.begin(), ignore.end(), [&](const QRect& r) { return r.contains(area); })) {
                last = now;
            }
        }
        if (!got) {
            if (NowMs() - std::max(lastAny, last) >= quietMs && last >= 0) {
                break;
            }
            QThread::usleep(200);
        }
    }
    return last;
}

double ScreenTiming::FirstChangeIn(const QRect& area, int timeoutMs)
{
    ::Display* display = X(mDisplay);
    const double until = NowMs() + timeoutMs;
    while (NowMs() < until) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != mEventBase + XDamageNotify) {
                continue;
            }
            const auto& damage = reinterpret_cast<const XDamageNotifyEvent&>(event);
            if (area.intersects(QRect(damage.area.x, damage.area.y, damage.area.width, damage.area.height))) {
                return NowMs();
            }
        }
        QThread::usleep(200);
    }
    return -1;
}

} // namespace e2e
