#include "Screen.h"

#include "Control.h"
#include "DisplaySettings.h"

#include <QApplication>
#include <QCursor>

QCursor CursorForPointer(int pointer, const QByteArray& icon);

namespace {

int gMousePointer = 0;

} // namespace

namespace Screen {

int Width()
{
    return DisplaySettings::ScreenWidth();
}

int Height()
{
    return DisplaySettings::ScreenHeight();
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
