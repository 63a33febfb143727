#pragma once

#include "cli/Commands.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

namespace testing_support {

// One in-process run of glazecalc-cli with what it printed.
struct CliRun {
    int rc;
    QString out, err;
};

// The command moves into its working folder; the test's current folder is restored.
inline CliRun runCli(const QStringList& args) {
    CliRun r{0, {}, {}};
    const QString cwd = QDir::currentPath();
    QTextStream out(&r.out), err(&r.err);
    r.rc = cli::runCommandLine(args, out, err);
    out.flush();
    err.flush();
    QDir::setCurrent(cwd);
    return r;
}

// A fresh data folder made by `init`, and runs of the command line on it.
struct CliFolder : ::testing::Test {
    void SetUp() override { ASSERT_EQ(run({"init"}).rc, 0); }
    CliRun run(QStringList args) {
        args.prepend(work.path());
        args.prepend("--workdir");
        return runCli(args);
    }
    QString file(const QString& name) { return QDir(work.path()).filePath(name); }
    QString read(const QString& name) {
        QFile f(file(name));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
        return QString::fromUtf8(f.readAll());
    }
    QTemporaryDir work;
};

} // namespace testing_support
