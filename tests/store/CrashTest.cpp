#include "support/TestSupport.h"
#include "store/Table.h"

#include <QProcess>
#include <gtest/gtest.h>

using testing_support::rowCount;
using testing_support::ScratchDatabase;

// A writer killed in the middle of a stream of committed posts loses none of
// them, and the file it leaves passes the integrity check.
TEST(Crash, KilledWriterLeavesEveryCommittedRowIntact) {
    ScratchDatabase s;
    s.db.reset();
    QProcess writer;
    writer.start(QStringLiteral(CRASH_WRITER), {s.file()});
    ASSERT_TRUE(writer.waitForStarted());
    int lastReported = 0;
    QByteArray pending;
    while (lastReported < 300 && writer.state() == QProcess::Running) {
        writer.waitForReadyRead(5000);
        pending += writer.readAllStandardOutput();
        const int nl = int(pending.lastIndexOf('\n'));
        if (nl < 0) continue;
        const QList<QByteArray> lines = pending.left(nl).split('\n');
        lastReported = lines.last().toInt();
        pending = pending.mid(nl + 1);
    }
    writer.kill();
    writer.waitForFinished();
    ASSERT_GE(lastReported, 300);

    auto db = store::Database::open(s.file());
    EXPECT_EQ(db->integrityCheck(), "ok");
    const int rows = rowCount(*db, "Design", "Project_Ref = 'CRASH'");
    EXPECT_GE(rows, lastReported);
    // Every number up to the last one reported is there, with its values.
    EXPECT_EQ(rowCount(*db, "Design", "Design_No <= ?1 AND Design_Ref = 'W' || Design_No AND DimH1 = Design_No * 10",
                       {lastReported}),
              lastReported);
}
