#include "Commands.h"
#include "data/ServerStore.h"
#include "store/Postgres.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace cli {

namespace {

const QString kProgram = QStringLiteral("glazecalc-cli");
const QString kCommonUsage = QStringLiteral("glazecalc-cli [--workdir DIR] ");

QCommandLineOption helpOption() {
    return QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                              QStringLiteral("show this help and stop"));
}

QString optionSyntax(const QCommandLineOption& option) {
    QStringList names;
    for (const QString& n : option.names())
        names << (n.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + n;
    QString text = names.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty()) text += QLatin1Char(' ') + option.valueName();
    return text;
}

// The short form a usage line shows: "-o FILE", "--target W".
QString optionUsage(const QCommandLineOption& option) {
    QString name = option.names().constFirst();
    name.prepend(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"));
    return option.valueName().isEmpty() ? name : name + QLatin1Char(' ') + option.valueName();
}

bool isRequired(const Command& command, const QCommandLineOption& option) {
    return std::any_of(option.names().cbegin(), option.names().cend(),
                       [&](const QString& n) { return command.requiredOptions.contains(n); });
}

// Breaks a text into lines of at most `width` characters at spaces.
QStringList wrapped(const QString& text, qsizetype width) {
    QStringList lines;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > width) {
            lines << line;
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    lines << line;
    return lines;
}

// Two columns fitting 80 characters: the left one as wide as its widest entry
// (up to a limit); a longer entry gets its text on the next line.
QString table(const QList<std::pair<QString, QString>>& rows) {
    constexpr qsizetype kMaxWidth = 30, kLineWidth = 79;
    qsizetype width = 0;
    for (const auto& [left, right] : rows)
        if (left.size() <= kMaxWidth) width = std::max(width, left.size());
    const QString indent(width + 4, QLatin1Char(' '));
    QString text;
    for (const auto& [left, right] : rows) {
        text += QStringLiteral("  ") + left;
        if (left.size() > width)
            text += QLatin1Char('\n') + indent;
        else
            text += QString(width - left.size() + 2, QLatin1Char(' '));
        text += wrapped(right, std::max<qsizetype>(30, kLineWidth - indent.size()))
                    .join(QLatin1Char('\n') + indent) +
                QLatin1Char('\n');
    }
    return text;
}

QList<QCommandLineOption> globalOptions() {
    return {QCommandLineOption(QStringLiteral("workdir"),
                               QStringLiteral("the working folder, which holds Data/ (default: "
                                              "the current folder)"),
                               QStringLiteral("DIR")),
            QCommandLineOption(QStringLiteral("server"),
                               QStringLiteral("work on the tables of a PostgreSQL server instead of "
                                              "the data folder: a libpq URI or service "
                                              "(postgresql://user@host/db, service=quorvex); the "
                                              "password comes from ~/.pgpass, the service file or "
                                              "PGPASSWORD"),
                               QStringLiteral("URL")),
            helpOption(),
            QCommandLineOption({QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("show the program's version and stop"))};
}

QString commandTable(const QString& group = QString()) {
    QList<std::pair<QString, QString>> rows;
    for (const Command& c : commands())
        if (group.isEmpty() || c.name.startsWith(group + QLatin1Char(' ')))
            rows.append({usageLine(c), c.help});
    return table(rows);
}

QString programHelp() {
    QList<std::pair<QString, QString>> options;
    for (const QCommandLineOption& o : globalOptions())
        options.append({optionSyntax(o), o.description()});
    return QStringLiteral("Usage: %1COMMAND [ARGS]\n"
                          "       %2 COMMAND --help\n\n"
                          "Calculates, stores and reports the designs of a data folder.\n\n"
                          "Options:\n%3\nCommands:\n%4\n"
                          "Exit codes: 0 success, 1 failure (the message on stderr), 2 a command "
                          "line that cannot be understood.\n")
        .arg(kCommonUsage, kProgram, table(options), commandTable());
}

QString commandHelp(const Command& command) {
    QString text = QStringLiteral("Usage: %1%2\n\n%3\n")
                       .arg(kCommonUsage, usageLine(command),
                            wrapped(command.help, 79).join(QLatin1Char('\n')));
    if (!command.arguments.isEmpty()) {
        QList<std::pair<QString, QString>> rows;
        for (const Argument& a : command.arguments)
            rows.append({a.name, a.help});
        text += QStringLiteral("\nArguments:\n") + table(rows);
    }
    QList<std::pair<QString, QString>> rows;
    for (const QCommandLineOption& o : command.options)
        rows.append({optionSyntax(o), o.description()});
    const QCommandLineOption help = helpOption();
    rows.append({optionSyntax(help), help.description()});
    return text + QStringLiteral("\nOptions:\n") + table(rows);
}

QString groupHelp(const QString& group) {
    return QStringLiteral("Usage: %1%2 KIND ...\n\nKinds:\n%3")
        .arg(kCommonUsage, group, commandTable(group));
}

// A command is "word" or "word kind"; the kind is the first positional
// argument after the group word, wherever the options stand.
const Command* findCommand(const QString& word, const QStringList& rest, bool* groupHelpWanted) {
    QList<const Command*> family;
    for (const Command& c : commands()) {
        if (c.name == word) return &c;
        if (c.name.startsWith(word + QLatin1Char(' '))) family.append(&c);
    }
    if (family.isEmpty()) throw UsageError{QStringLiteral("unknown command %1").arg(word)};
    QCommandLineParser probe;
    probe.addOption(helpOption());
    QStringList known;
    for (const Command* c : family)
        for (const QCommandLineOption& o : c->options) {
            // Kinds share options such as -o; each is added once.
            if (known.contains(o.names().constFirst())) continue;
            known << o.names();
            probe.addOption(o);
        }
    if (!probe.parse(QStringList{kProgram} + rest)) throw UsageError{probe.errorText()};
    const QStringList positional = probe.positionalArguments();
    if (positional.isEmpty()) {
        if (probe.isSet(QStringLiteral("help"))) {
            *groupHelpWanted = true;
            return nullptr;
        }
        throw UsageError{QStringLiteral("%1 needs a kind").arg(word)};
    }
    const QString name = word + QLatin1Char(' ') + positional.first();
    for (const Command* c : family)
        if (c->name == name) return c;
    throw UsageError{QStringLiteral("unknown kind %1 of %2").arg(positional.first(), word)};
}

} // namespace

QString usageLine(const Command& command) {
    QStringList parts{command.name};
    for (const Argument& a : command.arguments)
        parts << a.name;
    for (const QCommandLineOption& o : command.options)
        parts << (isRequired(command, o) ? optionUsage(o)
                                         : QStringLiteral("[%1]").arg(optionUsage(o)));
    return parts.join(QLatin1Char(' '));
}

int runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    const Command* command = nullptr;
    QString group; // the first word, while it may name a group of kinds
    try {
        QCommandLineParser global;
        // Everything from the command's name on belongs to the command.
        global.setOptionsAfterPositionalArgumentsMode(
            QCommandLineParser::ParseAsPositionalArguments);
        global.addOptions(globalOptions());
        if (!global.parse(QStringList{kProgram} + arguments)) throw UsageError{global.errorText()};
        if (global.isSet(QStringLiteral("help"))) {
            out << programHelp();
            return 0;
        }
        if (global.isSet(QStringLiteral("version"))) {
            out << kProgram << ' ' << QStringLiteral(QUORVEX_VERSION) << '\n';
            return 0;
        }
        QStringList rest = global.positionalArguments();
        if (rest.isEmpty()) throw UsageError{QStringLiteral("no command given")};
        const QString word = rest.takeFirst();
        group = word;
        bool groupHelpWanted = false;
        command = findCommand(word, rest, &groupHelpWanted);
        if (groupHelpWanted) {
            out << groupHelp(word);
            return 0;
        }

        QCommandLineParser parser;
        parser.addOptions(command->options);
        parser.addOption(helpOption());
        if (!parser.parse(QStringList{kProgram} + rest)) throw UsageError{parser.errorText()};
        if (parser.isSet(QStringLiteral("help"))) {
            out << commandHelp(*command);
            return 0;
        }
        for (const QCommandLineOption& o : command->options)
            if (isRequired(*command, o) && !parser.isSet(o))
                throw UsageError{QStringLiteral("%1 needs %2").arg(command->name, optionUsage(o))};
        QStringList positional = parser.positionalArguments();
        if (command->name != word) positional.removeFirst(); // the kind

        QString workDir = QDir::currentPath();
        if (global.isSet(QStringLiteral("workdir"))) {
            const QString dir = global.value(QStringLiteral("workdir"));
            if (dir.isEmpty()) throw UsageError{QStringLiteral("--workdir needs a folder")};
            workDir = QDir(dir).absolutePath();
        }
        if (!QFileInfo(workDir).isDir()) {
            err << "The working folder " << workDir << " does not exist.\n";
            return 1;
        }
        QString server;
        if (global.isSet(QStringLiteral("server"))) {
            server = global.value(QStringLiteral("server")).trimmed();
            if (!store::sql::isServerLocation(server))
                throw UsageError{QStringLiteral("--server needs a libpq URI (postgresql://user@host/db) "
                                                "or a service (service=NAME)")};
            data::refusePassword(server);
        }
        // Pictures and the data folder are found relative to the working folder.
        QDir::setCurrent(workDir);
        Context ctx{workDir, positional, parser, out, err};
        // The server holds for this command only: the tests run many in one process.
        data::setStoreServer(server);
        struct Reset {
            ~Reset() { data::setStoreServer(QString()); }
        } reset;
        return command->run(ctx);
    } catch (const UsageError& e) {
        err << kProgram << ": " << e.message << '\n';
        if (command)
            err << "Usage: " << kCommonUsage << usageLine(*command) << '\n'
                << "(" << kProgram << ' ' << command->name << " --help tells more)\n";
        else if (std::any_of(commands().cbegin(), commands().cend(), [&](const Command& c) {
                     return c.name.startsWith(group + QLatin1Char(' '));
                 }))
            err << groupHelp(group);
        else
            err << programHelp();
        return 2;
    } catch (const store::StoreError& e) {
        err << e.message() << '\n';
        return 1;
    }
}

} // namespace cli
