#include "LegacyReader.h"

#include "LegacyDump.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace exchange {

QString defaultReaderProgram() {
    // An installation (or a test) may keep the reader elsewhere.
    const QString configured = qEnvironmentVariable("QUORVEX_LEGACY_READER");
    if (!configured.isEmpty()) return configured;
#ifdef Q_OS_WIN
    const QString name = QStringLiteral("glazecalc-cli.exe");
#else
    const QString name = QStringLiteral("glazecalc-cli");
#endif
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

LegacyTable readLegacyTable(const QString& path, const ReaderOptions& options) {
    const QString name = QDir::toNativeSeparators(path);
    if (!QFileInfo(path).isFile()) throw LegacyError(QStringLiteral("%1 does not exist.").arg(name));
    const QString program = options.program.isEmpty() ? defaultReaderProgram() : options.program;
    if (!QFileInfo(program).isExecutable())
        throw LegacyError(QStringLiteral("The table reader %1 is missing; the program's installation is incomplete.")
                              .arg(QDir::toNativeSeparators(program)));
    QProcess reader;
    reader.setProgram(program);
    // The reader paints nothing; it needs no display.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    reader.setProcessEnvironment(environment);
    reader.setArguments(options.leadingArguments +
                        QStringList{QStringLiteral("legacy-dump"), QStringLiteral("--escaped"), path});
    reader.start(QIODevice::ReadOnly);
    if (!reader.waitForStarted(options.timeoutMs))
        throw LegacyError(QStringLiteral("The table reader could not be started: %1").arg(reader.errorString()));
    if (!reader.waitForFinished(options.timeoutMs)) {
        reader.kill();
        reader.waitForFinished(2000);
        throw LegacyError(QStringLiteral("%1 cannot be read: reading it took longer than %2 seconds and was stopped.")
                              .arg(name)
                              .arg(options.timeoutMs / 1000.0));
    }
    const QByteArray out = reader.readAllStandardOutput();
    // The reader's own message is its last line; Qt may put notes of its own
    // (a missing runtime folder, fonts) before it, which mean nothing to the user.
    const QStringList errLines =
        QString::fromUtf8(reader.readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QString err = errLines.isEmpty() ? QString() : errLines.last().trimmed();
    if (reader.exitStatus() == QProcess::CrashExit)
        throw LegacyError(QStringLiteral("%1 cannot be read: the table reader stopped on it (the file may be damaged).")
                              .arg(name));
    if (reader.exitCode() != 0)
        throw LegacyError(err.isEmpty() ? QStringLiteral("%1 cannot be read.").arg(name) : err);
    return parseDump(out, name);
}

}  // namespace exchange
