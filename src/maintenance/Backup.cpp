#include "Procedures.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <sqlite3.h>
#include <zip.h>

namespace maintenance {

namespace {

bool isDatabaseFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.read(16) == QByteArray("SQLite format 3\0", 16);
}

// A consistent copy of a live database file (committed rows of its
// write-ahead file included), taken through SQLite's own backup.
bool copyDatabase(const QString& from, const QString& to) {
    sqlite3* src = nullptr;
    sqlite3* dst = nullptr;
    bool ok = sqlite3_open_v2(from.toUtf8().constData(), &src, SQLITE_OPEN_READONLY, nullptr) ==
                  SQLITE_OK &&
              sqlite3_open_v2(to.toUtf8().constData(), &dst,
                              SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) == SQLITE_OK;
    if (ok) {
        sqlite3_busy_timeout(src, 5000);
        sqlite3_backup* b = sqlite3_backup_init(dst, "main", src, "main");
        ok = b && sqlite3_backup_step(b, -1) == SQLITE_DONE;
        if (b) ok = sqlite3_backup_finish(b) == SQLITE_OK && ok;
        // The copy stands alone: no write-ahead file needed to read it.
        ok = ok && sqlite3_exec(dst, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr) ==
                       SQLITE_OK;
    }
    sqlite3_close_v2(src);
    sqlite3_close_v2(dst);
    return ok;
}

} // namespace

bool zipFolder(const QString& dataPath, const QString& archive, QString* error) {
    QTemporaryDir copies;
    if (!copies.isValid()) {
        *error = QStringLiteral("Cannot make a temporary folder: %1").arg(copies.errorString());
        return false;
    }
    int zerr = 0;
    zip_t* zip = zip_open(archive.toUtf8().constData(), ZIP_CREATE | ZIP_EXCL, &zerr);
    if (!zip) {
        zip_error_t e;
        zip_error_init_with_code(&e, zerr);
        *error = QStringLiteral("%1: %2").arg(archive, QString::fromUtf8(zip_error_strerror(&e)));
        zip_error_fini(&e);
        return false;
    }
    const QDir base(dataPath);
    QStringList files;
    QDirIterator it(dataPath, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << base.relativeFilePath(it.next());
    files.sort();
    // Databases go in as consistent copies; their journal and write-ahead
    // files are then inside the copy and stay out.
    std::vector<std::pair<QString, QString>> entries; // name in the archive, file to read
    QSet<QString> covered;
    for (int i = 0; i < files.size(); ++i) {
        const QString path = base.filePath(files[i]);
        const QString copy = QDir(copies.path()).filePath(QString::number(i));
        if (isDatabaseFile(path) && copyDatabase(path, copy)) {
            entries.emplace_back(files[i], copy);
            for (const char* suffix : {"-wal", "-shm", "-journal"})
                covered << files[i] + QLatin1String(suffix);
        } else {
            entries.emplace_back(files[i], path);
        }
    }
    bool ok = true;
    for (const auto& [rel, source] : entries) {
        if (covered.contains(rel)) continue;
        zip_source_t* src = zip_source_file(zip, source.toUtf8().constData(), 0, -1);
        const QByteArray name = rel.toUtf8();
        const zip_int64_t at =
            src ? zip_file_add(zip, name.constData(), src, ZIP_FL_ENC_UTF_8) : -1;
        if (at < 0) {
            if (src) zip_source_free(src);
            ok = false;
            break;
        }
        zip_set_file_compression(zip, zip_uint64_t(at), ZIP_CM_DEFLATE, 0);
    }
    if (ok && zip_close(zip) == 0) return true;
    *error = QStringLiteral("%1: %2").arg(archive, QString::fromUtf8(zip_strerror(zip)));
    zip_discard(zip);
    QFile::remove(archive);
    return false;
}

} // namespace maintenance
