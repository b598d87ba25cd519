#include "Picture.h"

#include <RuntimeError.h>

#include <QBuffer>
#include <QFile>
#include <QImageReader>

QImage DecodePicture(const QByteArray& picture)
{
    if (picture.isEmpty()) {
        return {};
    }
    QBuffer buffer;
    buffer.setData(picture);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    QImage image = reader.read();
    if (image.isNull() && picture.left(256).contains("<svg")) {
        buffer.seek(0);
        QImageReader svgReader(&buffer, "svg");
        image = svgReader.read();
    }
    return image;
}

QByteArray LoadPicture(const QString& path)
{
    if (path.isEmpty()) {
        return {};
    }
    // Paths built the Windows way ("App.Path & \"\\Tivex.dat\"") name the same file here.
    QString local = path;
    local.replace(u'\\', u'/');
    QFile file(local);
    if (!file.open(QIODevice::ReadOnly)) {
        throw RuntimeError(53, QStringLiteral("文件未找到: %1").arg(path));
    }
    QByteArray bytes = file.readAll();
    if (DecodePicture(bytes).isNull()) {
        throw RuntimeError(481, QStringLiteral("无效图片: %1").arg(path));
    }
    return bytes;
}
