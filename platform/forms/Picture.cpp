#include "Picture.h"

#include <RuntimeError.h>

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <vector>

namespace {

// Forms are loaded again and again with the same design pictures (a new main menu after every
// exam), and a large SVG takes milliseconds to draw: the last few decoded pictures are kept. Images
// are shared, so a hit costs no copy.
constexpr qsizetype kCachedPictures = 24;

struct CachedPicture {
    QByteArray Bytes;
    QImage Image;
};

std::vector<CachedPicture>& Cache()
{
    static std::vector<CachedPicture> cache;
    return cache;
}

QImage DecodeUncached(const QByteArray& picture)
{
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

} // namespace

QImage DecodePicture(const QByteArray& picture)
{
    if (picture.isEmpty()) {
        return {};
    }
    auto& cache = Cache();
    for (auto it = cache.begin(); it != cache.end(); ++it) {
        if (it->Bytes == picture) {
            CachedPicture hit = std::move(*it);
            cache.erase(it);
            cache.push_back(hit);
            return hit.Image;
        }
    }
    QImage image = DecodeUncached(picture);
    if (static_cast<qsizetype>(cache.size()) >= kCachedPictures) {
        cache.erase(cache.begin());
    }
    cache.push_back({picture, image});
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
