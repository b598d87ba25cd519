#include "Stream.h"

#include "RuntimeError.h"

#include <QFileInfo>
#include <QSaveFile>

namespace Ado {

namespace {

[[noreturn]] void RaiseClosed()
{
    throw RuntimeError(adErrObjectClosed, QStringLiteral("对象关闭时，不允许操作。"));
}

[[noreturn]] void RaiseOpen()
{
    throw RuntimeError(adErrObjectOpen, QStringLiteral("对象打开时，不允许操作。"));
}

[[noreturn]] void RaiseWriteFailed(const QString& detail)
{
    throw RuntimeError(adErrWriteFile, QStringLiteral("写入文件失败。") + detail);
}

} // namespace

void Stream::SetType(int type)
{
    if (mOpen) {
        RaiseOpen();
    }
    if (type != adTypeBinary && type != adTypeText) {
        throw RuntimeError(adErrInvalidArgument,
                           QStringLiteral("参数类型不正确，或不在可以接受的范围之内，或与其他参数冲突。"));
    }
    mType = type;
}

void Stream::Open()
{
    if (mOpen) {
        RaiseOpen();
    }
    mData.clear();
    mOpen = true;
}

void Stream::Write(const QByteArray& buffer)
{
    if (!mOpen) {
        RaiseClosed();
    }
    if (mType != adTypeBinary) {
        throw RuntimeError(adErrInvalidArgument,
                           QStringLiteral("参数类型不正确，或不在可以接受的范围之内，或与其他参数冲突。"));
    }
    mData.append(buffer);
}

void Stream::SaveToFile(const QString& fileName, int options)
{
    if (!mOpen) {
        RaiseClosed();
    }
    QString path = fileName;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (options != adSaveCreateOverWrite && QFileInfo::exists(path)) {
        RaiseWriteFailed(QStringLiteral(" ") + path);
    }
    // Written beside the target and renamed over it, so a reader never sees half a picture.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(mData) != mData.size() || !file.commit()) {
        RaiseWriteFailed(QStringLiteral(" ") + path + QStringLiteral(": ") + file.errorString());
    }
}

void Stream::Close()
{
    if (!mOpen) {
        RaiseClosed();
    }
    mOpen = false;
    mData.clear();
}

} // namespace Ado
