#include "CliMessages.h"
#include "Commands.h"
#include "ProjectSetup.h"
#include "compliance/Rational.h"
#include "store/Database.h"

namespace cli {

namespace {

int rationalCommand(Context& ctx) {
    if (ctx.args.size() != 1)
        throw UsageError{QStringLiteral("rational takes a project reference")};
    const bool hasTarget = ctx.options.isSet(QStringLiteral("target"));
    double target = 0;
    if (hasTarget) {
        bool ok = false;
        target = ctx.options.value(QStringLiteral("target")).toDouble(&ok);
        if (!ok) throw UsageError{QStringLiteral("--target needs a number of W/K")};
    }

    CliMessages messages(ctx.err);
    data::TDM dm(messages, ctx.workDir);
    if (!dm.tablesOpen() || !openProject(dm, ctx.args[0])) return 1;
    store::Table& R = dm.ProjectRationalTable;
    // The target and the figures land together or not at all.
    store::Transaction tx(*dm.database());
    if (hasTarget) {
        R.edit();
        R.fieldByName(QStringLiteral("Tgt_EnergyLoss")).setAsFloat(target);
    }
    const bool meets = compliance::RationalBtnClick(dm);
    R.post();
    tx.commit();
    auto show = [&R](const char* field) {
        return R.fieldByName(QString::fromLatin1(field)).displayText();
    };
    ctx.out << "Tgt_EnergyLoss\t" << show("Tgt_EnergyLoss") << "\n"
            << "Act_EnergyLoss\t" << show("Act_EnergyLoss") << "\n"
            << "Act_AveUVal\t" << show("Act_AveUVal") << "\n"
            << "Act_AveSHGC\t" << show("Act_AveSHGC") << "\n"
            << compliance::rationalVerdict(meets) << "\n";
    return 0;
}

} // namespace

void addRationalCommands(CommandList& list) {
    list.push_back(
        {QStringLiteral("rational"),
         QStringLiteral("store the target when given, run \"Analyse\" over the stored results, "
                        "store the figures and print Tgt_EnergyLoss, Act_EnergyLoss, "
                        "Act_AveUVal, Act_AveSHGC and the verdict line"),
         {{QStringLiteral("PROJECT_REF"), QStringLiteral("the project's reference")}},
         {QCommandLineOption(QStringLiteral("target"),
                             QStringLiteral("the target total energy loss through the "
                                            "fenestration, in W/K"),
                             QStringLiteral("W"))},
         {},
         rationalCommand});
}

} // namespace cli
