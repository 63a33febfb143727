#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <vector>

namespace testing_support {

struct PxFieldSpec {
    const char* name;
    int type;  // exchange::ParadoxType
    int size;
    int decimals = 0;
};

struct PxTableOptions {
    int versionId = 12;  // 4 = 3.5, 9 = 4.0, 11 = 5.0, 12 = 7
    int codePage = 1252;
    int keyFields = 0;
};

// Writes a Paradox table with pxlib. A row value may be null (empty), a
// QByteArray (text already in the table's code page), a QString (Latin-1
// text), an integer (short, long, autoinc, time in ms, logical 0/1), a double
// (number, currency, timestamp in ms), a QDate or BCD text.
void writeParadoxTable(const QString& path, const std::vector<PxFieldSpec>& fields,
                       const std::vector<std::vector<QVariant>>& rows, const PxTableOptions& options = {});

// Byte surgery on a written file for the damaged-file cases.
void patchFile(const QString& path, qint64 offset, const QByteArray& bytes);
void truncateFile(const QString& path, qint64 size);
void writeBytes(const QString& path, const QByteArray& bytes);

// The four tables of an earlier data folder: projects P1 (two designs), P2
// (none), _CASEMENT (a standard project) and "Café" (one design), with
// the earlier DesignImage's Glass_Code, empty values, a short Design_No in
// Design and long integers elsewhere, fields in the earlier order.
void writeLegacyFolder(const QString& folder, int designsOfP1 = 2);

}  // namespace testing_support
