#include "Screen.h"

#include "Control.h"
#include "DisplaySettings.h"

#include <QApplication>
#include <QCursor>
#include <QScreen>

QCursor CursorForPointer(int pointer, const QByteArray& icon);

namespace {

int gMousePointer = 0;

} // namespace

namespace Screen {

// The forms lay out in the window system's logical pixels (a desktop that scales its display by a
// device pixel ratio above 1 shows fewer of them than it has device pixels), so the screen they
// measure is counted in the same pixels; otherwise a scaled screen would be laid out off-centre.
static QSize LogicalPixels()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        return screen->size();
    }
    return DisplaySettings::ScreenPixels();
}

int Width()
{
    return LogicalPixels().width() * ::TwipsPerPixel;
}

int Height()
{
    return LogicalPixels().height() * ::TwipsPerPixel;
}

int TwipsPerPixelX()
{
    return ::TwipsPerPixel;
}

int TwipsPerPixelY()
{
    return ::TwipsPerPixel;
}

int MousePointer()
{
    return gMousePointer;
}

void SetMousePointer(int pointer)
{
    if (gMousePointer != 0) {
        QApplication::restoreOverrideCursor();
    }
    gMousePointer = pointer;
    if (pointer != 0) {
        QApplication::setOverrideCursor(CursorForPointer(pointer, {}));
    }
}

} // namespace Screen
