#pragma once

#include "Commands.h"
#include "reports/Engine.h"

namespace cli {

// "-o FILE", which every report command requires.
QCommandLineOption reportOutputOption();

// A report command of one kind: "report KIND PROJECT_REF ... -o FILE".
Command reportCommand(const QString& kind, const QString& help, QList<Argument> arguments,
                      std::function<int(Context&)> run);

// Writes the document in the format of the output file's ending and says so;
// 1 with the message on stderr when it cannot.
int writeReport(Context& ctx, const reports::Document& doc);

} // namespace cli
