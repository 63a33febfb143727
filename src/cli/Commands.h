#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <vector>

namespace cli {

// What a command gets: the working folder, its positional arguments (the
// command's own words removed) and its parsed options.
struct Context {
    QString workDir;
    QStringList args;
    const QCommandLineParser& options;
    QTextStream& out;
    QTextStream& err;
};

// Thrown for a command line that cannot be understood (exit 2).
struct UsageError {
    QString message;
};

struct Argument {
    QString name; // as the usage line spells it: "PROJECT_REF", "[DESIGN_NO]"
    QString help;
};

struct Command {
    QString name; // one word ("calc") or a group word and a kind ("report design")
    QString help; // one line for the command list
    QList<Argument> arguments;
    QList<QCommandLineOption> options; // the command's own, besides --help
    QStringList requiredOptions;       // names of options the command cannot do without
    std::function<int(Context&)> run;  // 0 success, 1 failure; UsageError for 2
};

using CommandList = std::vector<Command>;

// Every command, in the order of the help text.
const CommandList& commands();

// Runs one command line (without the program name); returns the exit code.
int runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err);

// The usage line of a command: "calc PROJECT_REF [DESIGN_NO]".
QString usageLine(const Command& command);

} // namespace cli
