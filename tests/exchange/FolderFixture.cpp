#include "FolderFixture.h"

#include "exchange/ProjectFolder.h"
#include "store/DataSet.h"
#include "store/Sqlite.h"

#include <QDate>
#include <QDir>
#include <QFile>

namespace folder_fixture {

using store::FieldType;
using store::sql::quoteIdentifier;

QStringList projectTables() {
    return {"Project", "ProjectFloors", "ProjectOptions", "ProjectResults", "ProjectRational",
            "Design",  "DesignCosting", "DesignMerge",    "DesignImage",    "DesignResults"};
}

namespace {

// The key values of every row a project of `designs` designs has in `table`.
std::vector<QVariantList> keysOf(const QString& table, const QString& ref, int designs) {
    std::vector<QVariantList> keys;
    if (table == "ProjectFloors" || table == "ProjectResults") {
        for (const char* floor : {" G", "1", "2"})
            keys.push_back({ref, QString::fromLatin1(floor)});
    } else if (table.startsWith("Project")) {
        keys.push_back({ref});
    } else if (table == "DesignMerge" || table == "DesignImage") {
        for (int d = 1; d <= designs; ++d)
            for (int r = 0; r < 5; ++r)
                for (int c = 0; c < 10; ++c)
                    keys.push_back({ref, d, r, c});
    } else {
        for (int d = 1; d <= designs; ++d)
            keys.push_back({ref, d});
    }
    return keys;
}

QVariant valueFor(const store::FieldDef& f, int row, int field, int seed) {
    const int n = row * 31 + field * 7 + seed * 1009;
    switch (f.type) {
    case FieldType::Text:
    case FieldType::Memo: {
        // Letters outside ASCII and the widest text the field takes travel too.
        QString s = QStringLiteral("%1é%2").arg(f.name.left(3)).arg(n);
        if (field % 4 == 0 && f.width > 0) s = s.leftJustified(f.width, QLatin1Char('x'));
        return f.width > 0 ? s.left(f.width) : s;
    }
    case FieldType::Integer:
        return n % 100000;
    case FieldType::Number:
        return n / 8.0 + 0.123456789;
    case FieldType::Logical:
        return n % 2;
    case FieldType::Date:
        return QDate(2020, 1, 1).addDays(n % 3000).toString(Qt::ISODate);
    }
    return {};
}

} // namespace

void fillProject(store::Database& db, const QString& ref, int designs, int seed) {
    store::Transaction tx(db);
    for (const QString& table : projectTables()) {
        const store::TableDef& def = *store::schema::find(table);
        QStringList cols, marks;
        for (size_t i = 0; i < def.fields.size(); ++i) {
            cols << quoteIdentifier(def.fields[i].name);
            marks << QStringLiteral("?%1").arg(i + 1);
        }
        store::sql::Statement ins(
            db.connection(), QStringLiteral("INSERT OR REPLACE INTO %1 (%2) VALUES (%3)")
                                 .arg(quoteIdentifier(table), cols.join(','), marks.join(',')));
        int row = 0;
        for (const QVariantList& key : keysOf(table, ref, designs)) {
            ins.reset();
            for (size_t i = 0; i < def.fields.size(); ++i) {
                const int k = def.key.indexOf(def.fields[i].name);
                ins.bind(int(i) + 1, k >= 0 ? key[k] : valueFor(def.fields[i], row, int(i), seed));
            }
            ins.step();
            ++row;
        }
    }
    tx.commit();
}

QStringList dumpTable(store::Database& db, const QString& table, const QString& ref) {
    QStringList cols, order;
    const store::TableDef def = db.tableDef(table);
    for (const store::FieldDef& f : def.fields)
        cols << QStringLiteral("typeof(%1) || ':' || ifnull(%1, '')").arg(quoteIdentifier(f.name));
    for (const QString& k : def.key)
        order << quoteIdentifier(k);
    order << "rowid";
    QString text =
        QStringLiteral("SELECT %1 FROM %2").arg(cols.join(" || '|' || "), quoteIdentifier(table));
    if (!ref.isEmpty()) text += " WHERE Project_Ref = ?1";
    text += " ORDER BY " + order.join(',');
    store::sql::Statement st(db.connection(), text);
    if (!ref.isEmpty()) st.bind(1, ref);
    QStringList rows;
    while (st.step())
        rows << st.column(0).toString();
    return rows;
}

QString dumpDatabase(store::Database& db) {
    QString out;
    store::sql::Statement schema(db.connection(),
                                 "SELECT type, name, sql FROM sqlite_master ORDER BY type, name");
    while (schema.step())
        out += schema.column(0).toString() + ' ' + schema.column(1).toString() + ' ' +
               schema.column(2).toString() + '\n';
    for (const QString& table : db.tableNames()) {
        QStringList cols;
        store::sql::Statement info(
            db.connection(), QStringLiteral("PRAGMA table_info(%1)").arg(quoteIdentifier(table)));
        while (info.step())
            cols << QStringLiteral("quote(%1)").arg(quoteIdentifier(info.column(1).toString()));
        store::sql::Statement rows(db.connection(),
                                   QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                                       .arg(cols.join(" || '|' || "), quoteIdentifier(table)));
        out += "== " + table + '\n';
        while (rows.step())
            out += rows.column(0).toString() + '\n';
    }
    return out;
}

ExportedProject::ExportedProject(const QString& ref, int designs, int seed) {
    db = store::Database::create(QDir(dir.path()).filePath("Quorvex.db"));
    db->createDataFolderTables();
    fillProject(*db, ref, designs, seed);
    QDir(dir.path()).mkdir("folder");
    exchange::SaveProject(*db, ref, folder());
}

QString ExportedProject::folder() const {
    return QDir(dir.path()).filePath("folder");
}

QString ExportedProject::file(const QString& name) const {
    return QDir(folder()).filePath(name);
}

void writeSqliteFile(const QString& path, const QString& create, const QStringList& inserts) {
    QFile::remove(path);
    store::sql::Connection conn(path, store::sql::Connection::Mode::CreateNew);
    conn.exec(create);
    for (const QString& s : inserts)
        conn.exec(s);
}

} // namespace folder_fixture
