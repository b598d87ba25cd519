#pragma once

#include <QString>

// An advisory lock on a folder, so that one process at a time works in it. The lock is taken on
// the folder itself rather than on a file inside: it creates nothing, holds on a read-only folder,
// and a symbolic link to the folder meets the same lock as its real path. The system drops it when
// the process ends however it ends (SIGKILL included), so a folder left by a killed process is free
// at once, with no marker to clean up. Programs started from this one do not inherit it.
class FolderLock {
public:
    enum class State {
        Held,          // this object holds the folder until it is destroyed
        HeldElsewhere, // another holder has it (another process, or another FolderLock here)
        NotLockable,   // missing, unreadable, or on a file system without such locks: nothing held
    };

    // Tries once and never waits.
    explicit FolderLock(const QString& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    State Result() const { return mState; }

private:
    int mFd = -1;
    State mState = State::NotLockable;
};
