#include "TestSupport.h"

#include "ServerCluster.h"
#include "store/Sqlite.h"

#include <QDir>

namespace testing_support {

ScratchDatabase::ScratchDatabase() {
    if (onServer()) location_ = ServerCluster::instance().freshStore();
    db = store::Database::create(file());
    db->createDataFolderTables();
}

QString ScratchDatabase::file() const {
    return location_.isEmpty() ? QDir(dir.path()).filePath(QStringLiteral("Quorvex.db")) : location_;
}

QString fixturesDir() { return QStringLiteral(QUORVEX_TEST_FIXTURES); }

int rowCount(store::Database& db, const QString& table, const QString& where, const QVariantList& params) {
    QString text = QStringLiteral("SELECT count(*) FROM %1").arg(store::sql::quoteIdentifier(table));
    if (!where.isEmpty()) text += QStringLiteral(" WHERE ") + where;
    store::sql::Statement st(db.connection(), text);
    for (int i = 0; i < params.size(); ++i) st.bind(i + 1, params[i]);
    st.step();
    return int(st.columnInt64(0));
}

}  // namespace testing_support
