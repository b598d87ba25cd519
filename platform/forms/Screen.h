#pragma once

// The screen as the forms see it (the Screen object), from Qt's primary screen.
namespace Screen {

// Size of the primary screen in twips (15 to a pixel).
int Width();
int Height();
int TwipsPerPixelX();
int TwipsPerPixelY();
// The pointer shown over every window of the program while not 0 (vbHourglass while busy).
int MousePointer();
void SetMousePointer(int pointer);

} // namespace Screen
