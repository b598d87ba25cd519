#include "Screen.h"

#include "Control.h"

#include <QApplication>
#include <QCursor>
#include <QScreen>

QCursor CursorForPointer(int pointer, const QByteArray& icon);

namespace {

int gMousePointer = 0;

QSize PixelSize()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry().size() : QSize(1024, 768);
}

} // namespace

namespace Screen {

int Width()
{
    return PixelsToTwips(PixelSize().width());
}

int Height()
{
    return PixelsToTwips(PixelSize().height());
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
