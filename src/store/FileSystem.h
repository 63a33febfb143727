#pragma once

#include <QString>
#include <functional>

namespace store {

// How a database file keeps its journal. The write-ahead log needs shared
// memory between the programs using the file, which network and FUSE file
// systems do not give reliably, so there the classic rollback journal is used.
enum class JournalMode { WriteAheadLog, Rollback };

// The name of the file system a folder lies on ("ext4", "nfs4", "cifs",
// "fuse.sshfs" ...), as the operating system reports it; empty when unknown.
QString fileSystemType(const QString& folder);

// Whether a file system of that type needs the rollback journal.
bool isSharedFileSystem(const QString& type);

// The journal a database in `folder` is opened with.
JournalMode journalModeFor(const QString& folder);

// Replaces the file-system probe (tests stand in a network share this way);
// an empty function restores the real one.
void setFileSystemProbe(std::function<QString(const QString& folder)> probe);

// "write-ahead log" or "rollback journal", for the About window.
QString journalModeText(JournalMode mode);

} // namespace store
