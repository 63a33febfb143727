#pragma once

#include "store/Database.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace folder_fixture {

// The project tables a folder carries, in folder order (DesignResults last).
QStringList projectTables();

// Writes a project into every project table, every field of every row filled
// with a value of its type that differs per row and per field; `seed` varies
// the values so that two fillings of the same rows differ.
void fillProject(store::Database& db, const QString& ref, int designs, int seed = 0);

// A table's rows (of one project when `ref` is given) in key order, each value
// with its storage class, e.g. "real:1.25|text:W1|null".
QStringList dumpTable(store::Database& db, const QString& table, const QString& ref = QString());
// Every table of the file with its definition and rows.
QString dumpDatabase(store::Database& db);

// A data folder holding one project filled as fillProject does, and that
// project exported into a folder of its own.
struct ExportedProject {
    ExportedProject(const QString& ref, int designs, int seed = 0);
    QString folder() const;
    QString file(const QString& name) const; // a file of the exported folder
    QTemporaryDir dir;
    std::unique_ptr<store::Database> db;
};

// An exchange file written by hand: `create` is the CREATE TABLE statement,
// `inserts` the statements that fill it.
void writeSqliteFile(const QString& path, const QString& create, const QStringList& inserts = {});

} // namespace folder_fixture
