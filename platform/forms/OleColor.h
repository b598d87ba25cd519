#pragma once

#include <QColor>

// Colours as the forms hold them: &H00BBGGRR (red in the low byte), or &H800000nn for system
// colour nn. Returns the colour as shown.
QColor OleColorToQColor(int oleColor);
// &H00BBGGRR of a colour.
int QColorToOleColor(const QColor& color);
