#include "FolderMark.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <algorithm>
#include <vector>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace store {

namespace {

// This process's shared marks, by lock file: an exclusive mark of its own
// lets them go while it stands.
QMutex& marksMutex() {
    static QMutex m;
    return m;
}
std::vector<FolderMark*>& sharedMarks() {
    static std::vector<FolderMark*> marks;
    return marks;
}

} // namespace

QString FolderMark::fileName() {
    return QStringLiteral(".Quorvex.inuse");
}

QString FolderMark::inUseMessage() {
    return QStringLiteral("The data folder is in use by another program. Close the other "
                          "program and try again.");
}

FolderMark::FolderMark(QString path, Kind kind) : path_(std::move(path)), kind_(kind) {}

std::unique_ptr<FolderMark> FolderMark::take(const QString& folder, Kind kind) {
    const QString path = QFileInfo(QDir(folder).filePath(fileName())).absoluteFilePath();
    std::unique_ptr<FolderMark> mark(new FolderMark(path, kind));
    QMutexLocker guard(&marksMutex());
    std::vector<FolderMark*> own;
    if (kind == Kind::Exclusive)
        for (FolderMark* m : sharedMarks())
            if (m->path_ == path) own.push_back(m);
    for (FolderMark* m : own)
        m->unlock();
    const bool got = mark->lock(false);
    if (!got || kind == Kind::Shared)
        for (FolderMark* m : own)
            m->lock(true);
    if (!got) return nullptr;
    // Own shared marks stay let go until the exclusive one ends.
    if (kind == Kind::Shared) sharedMarks().push_back(mark.get());
    return mark;
}

FolderMark::~FolderMark() {
    QMutexLocker guard(&marksMutex());
    auto& marks = sharedMarks();
    marks.erase(std::remove(marks.begin(), marks.end(), this), marks.end());
    unlock();
    if (kind_ == Kind::Exclusive)
        for (FolderMark* m : marks)
            if (m->path_ == path_) m->lock(true);
}

#ifdef Q_OS_WIN
bool FolderMark::lock(bool wait) {
    if (!handle_) {
        HANDLE h = CreateFileW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(path_).utf16()),
                               GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        handle_ = h;
    }
    OVERLAPPED at = {};
    DWORD flags = kind_ == Kind::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0;
    if (!wait) flags |= LOCKFILE_FAIL_IMMEDIATELY;
    return LockFileEx(static_cast<HANDLE>(handle_), flags, 0, 1, 0, &at);
}

void FolderMark::unlock() {
    if (!handle_) return;
    OVERLAPPED at = {};
    UnlockFileEx(static_cast<HANDLE>(handle_), 0, 1, 0, &at);
    CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
}
#else
bool FolderMark::lock(bool wait) {
    if (fd_ < 0)
        fd_ = ::open(QFile::encodeName(path_).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) return false;
    // flock belongs to the open file, not the process: two opens in one
    // process exclude each other as two processes do.
    const int op = (kind_ == Kind::Exclusive ? LOCK_EX : LOCK_SH) | (wait ? 0 : LOCK_NB);
    if (::flock(fd_, op) == 0) return true;
    ::close(fd_);
    fd_ = -1;
    return false;
}

void FolderMark::unlock() {
    if (fd_ < 0) return;
    ::close(fd_); // closing the file lets the lock go
    fd_ = -1;
}
#endif

} // namespace store
