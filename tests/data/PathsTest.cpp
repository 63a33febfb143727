#include "data/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void touch(const QString& file) {
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("%PDF-1.4\n");
}

}  // namespace

// The Help menu's manual: the working folder's copy wins over the one
// installed beside the program; nothing found is an empty name.
TEST(UserManual, WorkingFolderCopyFirstThenInstalled) {
    int argc = 1;
    char name[] = "paths_test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    QTemporaryDir work;
    const QStringList candidates = data::userManualCandidates(work.path());
    ASSERT_GE(candidates.size(), 2);
    EXPECT_EQ(candidates.first(), QDir(work.path()).filePath("Quorvex User Manual.PDF"));
    EXPECT_EQ(candidates.at(1),
              QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/quorvex/Quorvex User Manual.PDF"));

    // Only the working folder's copy can be made here without touching the
    // build tree; with it, it is chosen.
    bool installedExists = false;
    for (int i = 1; i < candidates.size(); ++i) installedExists |= QFileInfo::exists(candidates.at(i));
    if (!installedExists) {
        EXPECT_TRUE(data::findUserManual(work.path()).isEmpty());
    }
    touch(candidates.first());
    EXPECT_EQ(data::findUserManual(work.path()), candidates.first());
}

// The per-user working folder is ~/Quorvex, made on first use and reused.
TEST(UserWorkFolder, MadeInHomeAndReused) {
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    const QString folder = data::prepareUserWorkFolder();
    EXPECT_EQ(folder, QDir(home.path()).filePath("Quorvex"));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    touch(QDir(folder).filePath("keep.txt"));
    EXPECT_EQ(data::prepareUserWorkFolder(), folder);
    EXPECT_TRUE(QFileInfo::exists(QDir(folder).filePath("keep.txt")));
    // A home where the folder cannot be made gives no folder.
    QFile blocker(QDir(home.path()).filePath("blocked"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("HOME", blocker.fileName().toLocal8Bit());
    EXPECT_TRUE(data::prepareUserWorkFolder().isEmpty());
    qputenv("HOME", oldHome);
}
