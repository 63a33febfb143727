#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace csv {

// Rows of a CSV file with a header line, as field name -> value.
using Row = QHash<QString, QString>;
std::vector<Row> readFile(const QString& path);

}  // namespace csv
