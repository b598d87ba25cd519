#include "FolderLock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

FolderLock::FolderLock(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder);
    // O_RDONLY is enough for flock and, unlike O_PATH, a descriptor flock accepts; opening follows
    // symbolic links, so every path to the folder reaches the one inode that carries the lock.
    do {
        mFd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } while (mFd < 0 && errno == EINTR);
    if (mFd < 0) {
        return;
    }
    int result = 0;
    do {
        result = ::flock(mFd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0) {
        mState = State::Held;
        return;
    }
    mState = errno == EWOULDBLOCK ? State::HeldElsewhere : State::NotLockable;
    ::close(mFd);
    mFd = -1;
}

FolderLock::~FolderLock()
{
    if (mFd >= 0) {
        ::close(mFd);
    }
}
