#pragma once

#include "LegacyTable.h"

namespace exchange {

// Reads a whole Paradox table with pxlib, after checking its header: field
// names and types from the header, text from the table's code page. Memo
// files are never attached; memo, BLOb, graphic and OLE fields read empty.
// Throws LegacyError naming the file. Runs in the reader process only: a
// damaged file may still upset the C library.
LegacyTable readParadoxTable(const QString& path);

}  // namespace exchange
