#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Pictures travel as the bytes of their file (BMP, PNG, JPEG, GIF, ICO, SVG); an empty byte
// array is Nothing.

// The picture's image; a null image for Nothing or bytes that are no picture.
QImage DecodePicture(const QByteArray& picture);

// The bytes of a picture file. Raises run-time error 53 for a missing file and 481 for a file
// that is not a picture. An empty path gives Nothing.
QByteArray LoadPicture(const QString& path);
