#pragma once

#include <QString>
#include <QStringList>

namespace store {
class Database;
struct FieldDef;
} // namespace store

namespace exchange {

// Why `value` does not fit the text field `field`, naming the field and its
// width; empty when it fits. The store would cut it, and a cut reference can
// land on another project's rows, so the commands refuse it instead.
QString tooLongFor(const store::FieldDef& field, const QString& value);
// The same for a field of a data-folder table by name.
QString tooLongFor(const QString& table, const QString& field, const QString& value);

// The first of `tables` that already holds a row under `projectRef` (rows a
// deleted project left behind, say); empty when none does. Copying or
// importing under that reference would clash with them by key.
QString tableHoldingReference(store::Database& db, const QStringList& tables,
                              const QString& projectRef);
// The refusal of such a clash: which table, which reference, and that
// nothing was `done` ("copied", "imported").
QString referenceClashMessage(const QString& table, const QString& projectRef, const QString& done);

} // namespace exchange
