#pragma once

#include "LegacyTable.h"

#include <QByteArray>
#include <QTextStream>

namespace exchange {

// A value as `legacy-dump` prints it: text as it stands, dates YYYY-MM-DD,
// logicals 1 or 0, integers as integers, numbers in their shortest round-trip
// form, time HH:MM:SS, timestamps YYYY-MM-DD HH:MM:SS, bytes in hex, empty
// values empty.
QString dumpValue(const QVariant& value);

// The dump of a table: a line of field names, then one tab-separated line a
// row. Plain, tabs and line breaks inside a value become blanks; escaped, they
// are written \t, \n and \r and a backslash as \\, so that the reading side
// gets every character back.
void writeDump(const LegacyTable& table, QTextStream& out, bool escaped);

// Reads an escaped dump back; every value is text or null.
LegacyTable parseDump(const QByteArray& dump, const QString& file);

}  // namespace exchange
