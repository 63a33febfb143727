#include "Refusals.h"

#include "store/Database.h"
#include "store/Schema.h"
#include "store/Sqlite.h"

namespace exchange {

QString tooLongFor(const store::FieldDef& field, const QString& value) {
    if (field.type != store::FieldType::Text || field.width <= 0 || value.size() <= field.width)
        return {};
    return QStringLiteral("%1 \"%2\" is too long: the field %1 takes at most %3 characters, "
                          "this has %4.")
        .arg(field.name, value)
        .arg(field.width)
        .arg(value.size());
}

QString tooLongFor(const QString& table, const QString& field, const QString& value) {
    const store::TableDef* def = store::schema::find(table);
    const int index = def ? def->fieldIndex(field) : -1;
    return index < 0 ? QString() : tooLongFor(def->fields[size_t(index)], value);
}

QString tableHoldingReference(store::Database& db, const QStringList& tables,
                              const QString& projectRef) {
    for (const QString& table : tables) {
        store::sql::Statement& st =
            db.cached(QStringLiteral("SELECT 1 FROM %1 WHERE \"Project_Ref\" = ?1 LIMIT 1")
                          .arg(store::sql::quoteIdentifier(table)));
        st.reset();
        st.bind(1, projectRef);
        const bool held = st.step();
        st.reset();
        if (held) return table;
    }
    return {};
}

QString referenceClashMessage(const QString& table, const QString& projectRef,
                              const QString& done) {
    return QStringLiteral("The table %1 already holds rows under the reference \"%2\", although "
                          "no project has it; nothing was %3.")
        .arg(table, projectRef, done);
}

} // namespace exchange
