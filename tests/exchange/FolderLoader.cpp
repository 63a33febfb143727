// Loads a project folder into a database file again and again, saying "start"
// before each load and "done" after it, until it is killed.
#include "exchange/ProjectFolder.h"
#include "store/Database.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc < 3) return 2;
    auto db = store::Database::open(QString::fromLocal8Bit(argv[1]));
    for (;;) {
        std::printf("start\n");
        std::fflush(stdout);
        exchange::LoadProject(*db, QString::fromLocal8Bit(argv[2]));
        std::printf("done\n");
        std::fflush(stdout);
    }
}
