#include "CliMessages.h"
#include "Commands.h"
#include "ProjectSetup.h"
#include "ReportCommands.h"
#include "calc/Pricing.h"
#include "data/QuoteSettings.h"
#include "reports/Quotation.h"

#include <QFile>
#include <optional>
#include <stdexcept>

namespace cli {

namespace {

QCommandLineOption valueOption(const char* name, const char* help, const char* value) {
    return QCommandLineOption(QString::fromLatin1(name), QString::fromUtf8(help),
                              QString::fromLatin1(value));
}

// The settings options, shared by the settings command and the quotation
// (where they apply to that quotation only).
QList<QCommandLineOption> settingOptions() {
    return {
        valueOption("company", "company name", "TEXT"),
        valueOption("address", "company address; \\n starts a new line", "TEXT"),
        valueOption("registration", "company registration number", "TEXT"),
        valueOption("vat-number", "company VAT number", "TEXT"),
        valueOption("logo", "logo picture, relative to the working folder or absolute "
                            "(Images/CompanyLogo.jpg by default)", "FILE"),
        valueOption("currency", "currency symbol (R by default)", "SYMBOL"),
        valueOption("markup", "markup percentage", "PERCENT"),
        valueOption("vat", "VAT percentage (15 by default)", "PERCENT"),
        valueOption("validity", "days the quotation is valid (30 by default)", "DAYS"),
        valueOption("terms", "terms text; \\n starts a new paragraph", "TEXT"),
        valueOption("terms-file", "terms text from a UTF-8 file", "FILE"),
        valueOption("project-markup",
                    "a project's own markup, REF=PERCENT; REF= removes it (repeatable)",
                    "REF=PERCENT"),
    };
}

double percentValue(const QString& option, const QString& text) {
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok) throw UsageError{QStringLiteral("--%1 takes a number: %2").arg(option, text)};
    return v;
}

QString multiLine(const QString& text) {
    return QString(text).replace(QStringLiteral("\\n"), QStringLiteral("\n"));
}

// Applies the options given to `s`; every value is checked before any is kept.
void applySettingOptions(const QCommandLineParser& o, data::QuoteSettings& s) {
    auto set = [&](const char* name, QString& into, bool lines = false) {
        if (o.isSet(QString::fromLatin1(name)))
            into = lines ? multiLine(o.value(QString::fromLatin1(name)))
                         : o.value(QString::fromLatin1(name));
    };
    set("company", s.companyName);
    set("address", s.address, true);
    set("registration", s.registrationNo);
    set("vat-number", s.vatNo);
    set("logo", s.logo);
    set("currency", s.currency);
    set("terms", s.terms, true);
    if (o.isSet(QStringLiteral("terms-file"))) {
        QFile f(o.value(QStringLiteral("terms-file")));
        if (!f.open(QIODevice::ReadOnly))
            throw UsageError{QStringLiteral("the terms file %1 cannot be read: %2")
                                 .arg(f.fileName(), f.errorString())};
        s.terms = QString::fromUtf8(f.readAll()).trimmed();
    }
    if (o.isSet(QStringLiteral("markup")))
        s.markupPercent = percentValue(QStringLiteral("markup"), o.value(QStringLiteral("markup")));
    if (o.isSet(QStringLiteral("vat")))
        s.vatPercent = percentValue(QStringLiteral("vat"), o.value(QStringLiteral("vat")));
    if (o.isSet(QStringLiteral("validity"))) {
        bool ok = false;
        s.validityDays = o.value(QStringLiteral("validity")).toInt(&ok);
        if (!ok)
            throw UsageError{QStringLiteral("--validity takes a whole number of days: %1")
                                 .arg(o.value(QStringLiteral("validity")))};
    }
    for (const QString& pm : o.values(QStringLiteral("project-markup"))) {
        const qsizetype eq = pm.indexOf(QLatin1Char('='));
        if (eq <= 0) throw UsageError{QStringLiteral("--project-markup takes REF=PERCENT: %1").arg(pm)};
        const QString ref = pm.left(eq), value = pm.mid(eq + 1);
        if (value.isEmpty())
            s.projectMarkup.erase(ref);
        else
            s.projectMarkup[ref] = percentValue(QStringLiteral("project-markup"), value);
    }
    if (const QString bad = s.invalidValue(); !bad.isEmpty()) throw UsageError{bad};
}

void printSettings(QTextStream& out, const data::QuoteSettings& s) {
    auto line = [&](const char* key, const QString& value) {
        out << key << '\t' << QString(value).replace(QLatin1Char('\n'), QStringLiteral("\\n"))
            << '\n';
    };
    line("Company", s.companyName);
    line("Address", s.address);
    line("Registration", s.registrationNo);
    line("VAT_Number", s.vatNo);
    line("Logo", s.logo);
    line("Currency", s.currency);
    line("Markup", QString::number(s.markupPercent, 'g', 10));
    line("VAT", QString::number(s.vatPercent, 'g', 10));
    line("Validity", QString::number(s.validityDays));
    line("Terms", s.terms);
    for (const auto& [ref, markup] : s.projectMarkup)
        line("Project_Markup", ref + QLatin1Char('=') + QString::number(markup, 'g', 10));
}

// The settings of the data folder, or of the server; nothing, with the reason
// on stderr, when they cannot be read.
std::optional<data::QuoteSettings> folderSettings(Context& ctx, data::TDM& dm) {
    try {
        return data::QuoteSettings::load(dm);
    } catch (const std::runtime_error& e) {
        ctx.err << QString::fromStdString(e.what()) << '\n';
        return std::nullopt;
    }
}

int quoteSettingsCommand(Context& ctx) {
    if (!ctx.args.isEmpty()) throw UsageError{QStringLiteral("quote-settings takes no arguments")};
    CliMessages messages(ctx.err);
    data::TDM dm(messages, ctx.workDir);
    if (!dm.tablesOpen()) return 1;
    const std::optional<data::QuoteSettings> loaded = folderSettings(ctx, dm);
    if (!loaded) return 1;
    data::QuoteSettings s = *loaded;
    const data::QuoteSettings before = s;
    applySettingOptions(ctx.options, s);
    if (!(s == before)) {
        QString error;
        if (!s.save(dm, &error)) {
            ctx.err << error << '\n';
            return 1;
        }
    }
    printSettings(ctx.out, s);
    return 0;
}

int quoteReport(Context& ctx) {
    if (ctx.args.size() != 1) throw UsageError{QStringLiteral("this report takes a project reference")};
    CliMessages messages(ctx.err);
    data::TDM dm(messages, ctx.workDir);
    if (!dm.tablesOpen() || !openProject(dm, ctx.args[0])) return 1;
    const std::optional<data::QuoteSettings> loaded = folderSettings(ctx, dm);
    if (!loaded) return 1;
    data::QuoteSettings s = *loaded;
    applySettingOptions(ctx.options, s);
    // A total that silently leaves windows out is a wrong quotation.
    if (!ctx.options.isSet(QStringLiteral("leave-out-unpriced"))) {
        const QStringList unpriced = calc::unpricedDesigns(dm, ctx.args[0]);
        if (!unpriced.isEmpty()) {
            ctx.err << "These designs have no price: " << unpriced.join(QStringLiteral(", "))
                    << ".\nCalculate them (glazecalc-cli calc " << ctx.args[0]
                    << ") or pass --leave-out-unpriced to quote without them.\n";
            return 1;
        }
    }
    const reports::Document doc = reports::quotationReport(dm, s);
    return writeReport(ctx, doc);
}

} // namespace

void addQuoteCommands(CommandList& list) {
    list.push_back({QStringLiteral("quote-settings"),
                    QStringLiteral("show the quotation settings kept in the data folder (with "
                                   "--server: on the server); the options given change them"),
                    {},
                    settingOptions(),
                    {},
                    quoteSettingsCommand});
    Command quote = reportCommand(
        QStringLiteral("quote"),
        QStringLiteral("write the project's quotation from its calculated designs (the settings "
                       "options apply to this quotation only)"),
        {{QStringLiteral("PROJECT_REF"), QStringLiteral("the project's reference")}},
        quoteReport);
    quote.options << settingOptions()
                  << QCommandLineOption(QStringLiteral("leave-out-unpriced"),
                                        QStringLiteral("quote without the designs that have no "
                                                       "price (not calculated or not priced)"));
    list.push_back(std::move(quote));
}

} // namespace cli
