#pragma once

#include <QString>
#include <memory>

namespace store {

// Marks a data folder as open, so that another process can tell whatever
// journal mode the database uses: a shared lock on a lock file in the folder
// while a program works on it, an exclusive one while a repair rebuilds it.
// The lock goes with the process, so a killed program leaves no stale mark.
class FolderMark {
public:
    enum class Kind { Shared, Exclusive };
    ~FolderMark();
    FolderMark(const FolderMark&) = delete;
    FolderMark& operator=(const FolderMark&) = delete;

    // The mark of `kind` on `folder`; null when another holder's mark stands
    // in the way (any mark for an exclusive one, an exclusive one for a
    // shared one). Marks this process holds itself do not count against an
    // exclusive one: they are let go while it stands and taken back after.
    static std::unique_ptr<FolderMark> take(const QString& folder, Kind kind);

    // The lock file's name in the folder.
    static QString fileName();
    // The text a program shows when it finds the folder taken.
    static QString inUseMessage();

private:
    FolderMark(QString path, Kind kind);
    bool lock(bool wait);
    void unlock();
    QString path_;
    Kind kind_;
    int fd_ = -1;
    void* handle_ = nullptr;
};

} // namespace store
