#include "Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace data {

namespace {

QString firstExisting(const QString& envVar, const QString& subdir, const QString& builtIn) {
    const QString fromEnv = qEnvironmentVariable(envVar.toLatin1().constData());
    if (!fromEnv.isEmpty() && QFileInfo(fromEnv).isDir()) return QDir(fromEnv).absolutePath();
    if (QCoreApplication::instance()) {
        const QDir appDir(QCoreApplication::applicationDirPath());
        for (const QString& candidate : {appDir.filePath(subdir), appDir.filePath(QStringLiteral("../share/quorvex/") + subdir)})
            if (QFileInfo(candidate).isDir()) return QDir(candidate).absolutePath();
    }
    return builtIn;
}

// Finds `name` in `dir` with any letter case.
QString findIgnoringCase(const QDir& dir, const QString& name) {
    if (dir.exists(name)) return dir.filePath(name);
    const QStringList entries = dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    for (const QString& e : entries)
        if (e.compare(name, Qt::CaseInsensitive) == 0) return dir.filePath(e);
    return {};
}

QString resolveUnder(const QString& base, const QStringList& parts) {
    QString current = base;
    for (const QString& part : parts) {
        current = findIgnoringCase(QDir(current), part);
        if (current.isEmpty()) return {};
    }
    return QFileInfo(current).isFile() ? current : QString();
}

}  // namespace

QString shippedDataDir() {
    return firstExisting(QStringLiteral("QUORVEX_DATA_DIR"), QStringLiteral("data"),
                         QStringLiteral(QUORVEX_SOURCE_DATA_DIR));
}

QString installedImagesDir() {
    return firstExisting(QStringLiteral("QUORVEX_IMAGES_DIR"), QStringLiteral("Images"),
                         QStringLiteral(QUORVEX_SOURCE_IMAGES_DIR));
}

QString resolvePicture(const QString& workDir, const QString& relativePath) {
    QString rel = relativePath;
    rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QStringList parts = rel.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.isEmpty()) return {};
    if (QString found = resolveUnder(workDir, parts); !found.isEmpty()) return found;
    // The installed folder is the Images folder itself.
    if (parts.first().compare(QLatin1String("images"), Qt::CaseInsensitive) == 0) parts.removeFirst();
    return resolveUnder(installedImagesDir(), parts);
}

QString prepareUserWorkFolder() {
    const QString folder = QDir(QDir::homePath()).filePath(QStringLiteral("Quorvex"));
    if (!QDir().mkpath(folder)) return {};
    return folder;
}

QStringList userManualCandidates(const QString& workDir) {
    const QString name = QString::fromLatin1(kUserManualName);
    QStringList candidates{QDir(workDir).filePath(name)};
    if (QCoreApplication::instance()) {
        const QDir appDir(QCoreApplication::applicationDirPath());
        candidates << QDir::cleanPath(appDir.filePath(QStringLiteral("../share/quorvex/") + name))
                   << appDir.filePath(name);
    }
    return candidates;
}

QString findUserManual(const QString& workDir) {
    for (const QString& candidate : userManualCandidates(workDir))
        if (QFileInfo(candidate).isFile()) return candidate;
    return {};
}

namespace {
QString& settingsOverride() {
    static QString file;
    return file;
}
}  // namespace

QString userSettingsFile() {
    if (!settingsOverride().isEmpty()) return settingsOverride();
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Quorvex"), QStringLiteral("glazecalc"))
        .fileName();
}

void setUserSettingsFile(const QString& file) { settingsOverride() = file; }

}  // namespace data
