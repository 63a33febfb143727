// A second program for the tests: opens a working folder's data folder as
// the programs do, switches its journal mode and keeps it open until its
// input ends.
//   folder_holder WORKDIR JOURNALMODE
#include "data/DataModule.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) return 2;
    testing_support::RecordingMessages messages;
    QTemporaryDir config;
    data::TDM dm(messages, QString::fromLocal8Bit(argv[1]),
                 store::AliasRegistry(QDir(config.path()).filePath("a.ini")));
    if (!dm.tablesOpen()) {
        std::printf("refused: %s\n", qPrintable(messages.texts.join(QLatin1Char(' '))));
        return 1;
    }
    auto& conn = dm.database()->connection();
    store::sql::Statement st(conn, QStringLiteral("PRAGMA journal_mode=%1").arg(argv[2]));
    const QString mode = st.step() ? st.column(0).toString() : QString();
    st.release();
    dm.database()->releaseReads();
    std::printf("open %s\n", qPrintable(mode));
    std::fflush(stdout);
    std::string line;
    std::getline(std::cin, line);
    return 0;
}
