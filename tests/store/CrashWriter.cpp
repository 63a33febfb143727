// Posts design rows one after another, each committed on its own, and reports
// every committed design number on stdout until it is killed.
#include "store/Database.h"
#include "store/Table.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc < 2) return 2;
    auto db = store::Database::open(QString::fromLocal8Bit(argv[1]));
    store::Table design(db.get(), QStringLiteral("Design"));
    design.open();
    for (int no = 1;; ++no) {
        design.append();
        design.fieldByName(QStringLiteral("Project_Ref")).setAsString(QStringLiteral("CRASH"));
        design.fieldByName(QStringLiteral("Design_No")).setAsInteger(no);
        design.fieldByName(QStringLiteral("Design_Ref")).setAsString(QStringLiteral("W%1").arg(no));
        design.fieldByName(QStringLiteral("DimH1")).setAsFloat(no * 10.0);
        design.post();
        std::printf("%d\n", no);
        std::fflush(stdout);
    }
}
