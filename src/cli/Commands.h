#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <vector>

namespace cli {

struct Context {
    QString workDir;
    QStringList args;  // the command's own arguments
    QTextStream& out;
    QTextStream& err;
};

// Thrown for a command line that cannot be understood (exit 2).
struct UsageError {
    QString message;
};

struct Command {
    QString name;
    QString synopsis;  // arguments, for the usage text
    QString help;
    std::function<int(Context&)> run;  // 0 success, 1 failure
};

const std::vector<Command>& commands();
int runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err);

}  // namespace cli
