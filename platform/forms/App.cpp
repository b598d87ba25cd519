#include "App.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdlib>

namespace App {

QString Path()
{
    const char* overridden = std::getenv("QKMEXAM_DIR");
    QString path;
    if (overridden != nullptr && *overridden != '\0') {
        path = QString::fromLocal8Bit(overridden);
    } else if (QCoreApplication::instance() != nullptr) {
        path = QCoreApplication::applicationDirPath();
    } else {
        path = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
        path = QFileInfo(path).absolutePath();
    }
    path = QDir::cleanPath(path);
    while (path.size() > 1 && path.endsWith(u'/')) {
        path.chop(1);
    }
    return path;
}

QString EXEName()
{
    return QStringLiteral("QKMExam");
}
QString Title()
{
    return EXEName();
}
QString ProductName()
{
    return QStringLiteral("车身修复与涂装理论考试练习系统");
}
int Major()
{
    return 1;
}
int Minor()
{
    return 0;
}
int Revision()
{
    return 0;
}

} // namespace App
