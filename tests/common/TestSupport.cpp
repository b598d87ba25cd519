#include "TestSupport.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

namespace qkmtest {

QString OffscreenConfigFile(int width, int height)
{
    const QString path = QDir::temp().filePath(QStringLiteral("qkm-offscreen-%1x%2-%3.json")
                                                   .arg(width)
                                                   .arg(height)
                                                   .arg(QString::number(qint64(getpid()))));
    if (!QFile::exists(path)) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            file.write(QStringLiteral("{\"screens\":[{\"name\":\"qkm\",\"x\":0,\"y\":0,\"width\":%1,\"height\":%2,"
                                      "\"logicalDpi\":96,\"logicalBaseDpi\":96,\"dpr\":1}]}")
                           .arg(width)
                           .arg(height)
                           .toUtf8());
        }
    }
    return path;
}

} // namespace qkmtest
