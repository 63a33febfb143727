#include "maintenance/Procedures.h"

#include "SampleFolder.h"
#include "data/DataFolder.h"
#include "store/Database.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <zip.h>

using namespace maintenance;

namespace {

void touch(const QString& file, const QByteArray& content = "x") {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

TEST(ArchiveName, DateThenHourAndMinuteThenSeconds) {
    const QDateTime at(QDate(2024, 3, 5), QTime(14, 30, 7));
    QSet<QString> taken;
    auto exists = [&](const QString& f) { return taken.contains(f); };
    EXPECT_EQ(archiveName("/srv/Shop/Data/", at, exists), "/srv/Shop/Data-2024-03-05.zip");
    EXPECT_EQ(archiveName("/srv/Shop/Data", at, exists), "/srv/Shop/Data-2024-03-05.zip");
    taken << "/srv/Shop/Data-2024-03-05.zip";
    EXPECT_EQ(archiveName("/srv/Shop/Data/", at, exists), "/srv/Shop/Data-2024-03-05-14-30.zip");
    taken << "/srv/Shop/Data-2024-03-05-14-30.zip";
    EXPECT_EQ(archiveName("/srv/Shop/Data/", at, exists), "/srv/Shop/Data-2024-03-05-14-30-07.zip");
    // Morning hours keep two digits.
    EXPECT_EQ(archiveName("/srv/Shop/Data/", QDateTime(QDate(2024, 3, 6), QTime(9, 5, 0)), exists),
              "/srv/Shop/Data-2024-03-06.zip");
}

TEST(LockFiles, StaleLocksGoButTheDatabasesOwnFilesStay) {
    QTemporaryDir tmp;
    const QString folder = QDir(tmp.path()).filePath("Data");
    sample::makeDataFolder(folder, 0);
    // A live connection with a committed row still in the write-ahead file.
    auto db = store::Database::open(data::databaseFile(folder));
    db->connection().exec(
        "INSERT INTO Supplier (Glass_Supplier, Supplier_Name) VALUES ('NEW', 'Committed')");
    const QString wal = data::databaseFile(folder) + "-wal";
    ASSERT_TRUE(QFile::exists(wal));
    touch(QDir(folder).filePath("PDOXUSRS.LCK"));
    touch(QDir(folder).filePath("paradox.lck"));
    touch(QDir(folder).filePath("notes.txt"));
    // A database that happens to carry a lock-like name is still a database.
    QFile::copy(data::databaseFile(folder), QDir(folder).filePath("pdox-copy.lck"));

    EXPECT_TRUE(DeleteLockFiles(folder));
    EXPECT_FALSE(QFile::exists(QDir(folder).filePath("PDOXUSRS.LCK")));
    EXPECT_FALSE(QFile::exists(QDir(folder).filePath("paradox.lck")));
    EXPECT_TRUE(QFile::exists(QDir(folder).filePath("notes.txt")));
    EXPECT_TRUE(QFile::exists(QDir(folder).filePath("pdox-copy.lck")));
    EXPECT_TRUE(QFile::exists(wal));
    db.reset();
    auto again = store::Database::open(data::databaseFile(folder));
    store::sql::Statement st(again->connection(),
                             "SELECT Supplier_Name FROM Supplier WHERE Glass_Supplier='NEW'");
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.column(0).toString(), "Committed");
}

TEST(WorkTables, TheCleanUpFindsThemInAnyLetterCase) {
    QTemporaryDir tmp;
    for (const char* f : {"VERIFY.DB", "Rebuild.DB", "backup.db", "Backup.px", "KEYVIOL.DB",
                          "PROBLEM.DB", "Quorvex.db", "Design.csv"})
        touch(QDir(tmp.path()).filePath(f));
    DeleteWorkTables(tmp.path());
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files), QStringList({"Design.csv", "Quorvex.db"}));
}

TEST(Exclusive, AnotherConnectionHoldsTheTables) {
    QTemporaryDir tmp;
    const QString folder = QDir(tmp.path()).filePath("Data");
    sample::makeDataFolder(folder, 0);
    const QStringList tables = tableNamesOf(folder);
    EXPECT_EQ(heldTable(folder, tables), "");
    {
        auto other = store::Database::open(data::databaseFile(folder));
        EXPECT_EQ(heldTable(folder, tables), tables.first());
    }
    EXPECT_EQ(heldTable(folder, tables), "");
}

QStringList zipEntries(const QString& archive, const QString& extractName = {},
                       const QString& extractTo = {}) {
    int err = 0;
    zip_t* z = zip_open(archive.toUtf8().constData(), ZIP_RDONLY, &err);
    if (!z) return {};
    QStringList names;
    for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
        const QString name = QString::fromUtf8(zip_get_name(z, zip_uint64_t(i), 0));
        names << name;
        if (name == extractName) {
            zip_stat_t st;
            zip_stat_index(z, zip_uint64_t(i), 0, &st);
            zip_file_t* f = zip_fopen_index(z, zip_uint64_t(i), 0);
            QByteArray bytes(qsizetype(st.size), '\0');
            zip_fread(f, bytes.data(), st.size);
            zip_fclose(f);
            QFile out(extractTo);
            out.open(QIODevice::WriteOnly);
            out.write(bytes);
        }
    }
    zip_close(z);
    names.sort();
    return names;
}

TEST(Backup, TheArchiveHoldsAConsistentCopyOfALiveDatabase) {
    QTemporaryDir tmp;
    const QString folder = QDir(tmp.path()).filePath("Data");
    sample::makeDataFolder(folder, 2);
    QDir().mkpath(QDir(folder).filePath("notes"));
    touch(QDir(folder).filePath("notes/read me.txt"), "kept");
    auto db = store::Database::open(data::databaseFile(folder));
    db->connection().exec(
        "INSERT INTO Supplier (Glass_Supplier, Supplier_Name) VALUES ('NEW', 'Only in the WAL')");
    ASSERT_TRUE(QFile::exists(data::databaseFile(folder) + "-wal"));

    const QString archive = QDir(tmp.path()).filePath("Data-2024-03-05.zip");
    QString why;
    ASSERT_TRUE(zipFolder(folder, archive, &why)) << why.toStdString();
    const QString copy = QDir(tmp.path()).filePath("restored.db");
    EXPECT_EQ(zipEntries(archive, "Quorvex.db", copy),
              QStringList({"Quorvex.db", "notes/read me.txt"}));
    auto restored = store::Database::open(copy);
    store::sql::Statement st(restored->connection(),
                             "SELECT count(*) FROM Supplier WHERE Glass_Supplier='NEW'");
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.columnInt64(0), 1);
    EXPECT_EQ(restored->integrityCheck(), "ok");

    // An archive that cannot be written leaves nothing behind.
    const QString nowhere = QDir(tmp.path()).filePath("missing/folder/x.zip");
    EXPECT_FALSE(zipFolder(folder, nowhere, &why));
    EXPECT_FALSE(QFile::exists(nowhere));
    // Nor does one that is already there get overwritten.
    EXPECT_FALSE(zipFolder(folder, archive, &why));
}

TEST(WorkFolder, LoginNameIsMadeSafeForAFolder) {
    EXPECT_EQ(sanitizedLoginName("Jo Smith-2"), "Jo_Smith02");
    EXPECT_EQ(sanitizedLoginName("ann.o'neil"), "ann0o0neil");
    EXPECT_EQ(sanitizedLoginName(""), "Unknown");
    EXPECT_EQ(workFolderFor("/tmp", "Jo Smith"), "/tmp/Jo_Smith/dbRebuild/");
}

TEST(AccessCode, TheHourlyCodeAndTheMasterCodeOpenTheOption) {
    const QDateTime at(QDate(2024, 3, 5), QTime(14, 30));
    const qint64 hourly = hourlyAccessCode(at);
    EXPECT_TRUE(accessCodeAccepted(QString::number(hourly), at));
    EXPECT_TRUE(accessCodeAccepted(" 731460295 ", at));
    // The code of one hour does not open the next.
    EXPECT_NE(hourly, hourlyAccessCode(at.addSecs(3600)));
    EXPECT_FALSE(accessCodeAccepted(QString::number(hourly), at.addSecs(3600)));
    EXPECT_FALSE(accessCodeAccepted("12345", at));
    EXPECT_FALSE(accessCodeAccepted("letters", at));
    EXPECT_FALSE(accessCodeAccepted("", at));
}

TEST(TableNames, ADamagedFolderStillListsItsTables) {
    QTemporaryDir tmp;
    const QString folder = QDir(tmp.path()).filePath("Data");
    sample::makeDataFolder(folder, 0);
    const QStringList sound = tableNamesOf(folder);
    ASSERT_EQ(sound.size(), 23);
    EXPECT_EQ(sound.first(), "ClimateZone");
    sample::overwriteBytes(data::databaseFile(folder), 0, 100, 3);
    EXPECT_EQ(tableNamesOf(folder), sound);
    EXPECT_TRUE(tableNamesOf(tmp.path()).isEmpty());
}

} // namespace
