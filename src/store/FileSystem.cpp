#include "FileSystem.h"

#include <QStorageInfo>

namespace store {

namespace {

std::function<QString(const QString&)>& probe() {
    static std::function<QString(const QString&)> p;
    return p;
}

} // namespace

QString fileSystemType(const QString& folder) {
    if (probe()) return probe()(folder);
    const QStorageInfo info(folder);
    return info.isValid() ? QString::fromLatin1(info.fileSystemType()) : QString();
}

bool isSharedFileSystem(const QString& type) {
    const QString t = type.trimmed().toLower();
    for (const char* shared : {"nfs", "cifs", "smb", "fuse", "9p", "afs", "ncp"})
        if (t.startsWith(QLatin1String(shared))) return true;
    return false;
}

JournalMode journalModeFor(const QString& folder) {
    return isSharedFileSystem(fileSystemType(folder)) ? JournalMode::Rollback
                                                      : JournalMode::WriteAheadLog;
}

void setFileSystemProbe(std::function<QString(const QString&)> p) {
    probe() = std::move(p);
}

QString journalModeText(JournalMode mode) {
    return mode == JournalMode::WriteAheadLog ? QStringLiteral("write-ahead log")
                                              : QStringLiteral("rollback journal");
}

} // namespace store
