#pragma once

#include "LegacyTable.h"

#include <QStringList>

namespace exchange {

// How the tables of the earlier version are read: by `glazecalc-cli
// legacy-dump` in a process of its own, so that a fault of the C library on a
// damaged file cannot take the program and the user's unsaved work with it.
struct ReaderOptions {
    // Empty: the program named by QUORVEX_LEGACY_READER, else glazecalc-cli
    // beside the running program.
    QString program;
    // Arguments before the command's own (a test may run a stand-in).
    QStringList leadingArguments;
    // The reader is stopped after this long.
    int timeoutMs = 30000;
};

QString defaultReaderProgram();

// Reads one table through the reader process; throws LegacyError with the
// reader's message, or saying it crashed or was stopped.
LegacyTable readLegacyTable(const QString& path, const ReaderOptions& options = {});

}  // namespace exchange
