// Painters of the styles whose faces are not drawn yet: they show the picture and the caption on
// the cleared face, so that a button of any style stays usable.
#include "QuButton.h"

void QuButton::PaintStyle4(int state)
{
    (void)state;
    DrawPictureAndCaption();
}

void QuButton::PaintStyle5(int state)
{
    (void)state;
    DrawPictureAndCaption();
}

void QuButton::PaintStyle6(int state)
{
    (void)state;
    DrawPictureAndCaption();
}

void QuButton::PaintStyle7(int state)
{
    (void)state;
    DrawPictureAndCaption();
}

void QuButton::PaintStyle9(int state)
{
    (void)state;
    DrawPictureAndCaption();
}

void QuButton::PaintStyle10(int state)
{
    (void)state;
    DrawPictureAndCaption();
}

void QuButton::PaintStyleTheme(int state)
{
    (void)state;
    DrawPictureAndCaption();
}
