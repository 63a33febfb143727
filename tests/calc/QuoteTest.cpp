#include "CalcFixture.h"
#include "calc/Calculation.h"
#include "calc/Pricing.h"
#include "data/QuoteSettings.h"
#include "support/CliRun.h"

#include <QFile>
#include <QProcess>

using namespace calc_testing;
using design::GridModel;

namespace {

// Two designs priced by hand:
// W1, qty 2: one Fixed pane 1 x 1 m. Frame 500 x 1 x 0.9 x 1.05 x 1.2 = 567,
//   glazing 1.2 x 300 = 360, factory 1.2 x 100 x 0.5 = 60, installation
//   1.2 x 80 = 96: supply 987, window 1083.
// W2, qty 3: one Top sash 1.2 x 0.8 m. Frame 400 x 0.96 = 384, glazing 288,
//   factory 50 x 2 = 100, installation 40: supply 772, window 812.
// Subtotal 2 x 987 + 3 x 772 = 4290; markup 12.5 % 536.25; installation
// 2 x 96 + 3 x 40 = 312; VAT 15 % of 5138.25 = 770.7375; total 5908.9875.
struct Quote : CalcModule {
    void SetUp() override {
        CalcModule::SetUp();
        store::Database& db = *dm->database();
        db.connection().exec("UPDATE SystemSash SET Install_Cost = 80 WHERE Sash_Type = 'Fixed'");
        db.connection().exec("UPDATE SystemSash SET Install_Cost = 40 WHERE Sash_Type = 'Top'");
        addDesign(db, 1, "W1", {{"Design_Qty", 2}});
        addDesign(db, 2, "W2", {{"Design_Qty", 3}, {"DimH1", 1200}, {"DimV1", 800}});
        GridModel g;
        g.setMode(0, 0, "FIXED");
        saveCells(1, g);
        g.setMode(0, 0, "TOP");
        saveCells(2, g);
        dm.reset();
    }
    testing_support::CliRun cli(QStringList args) {
        return testing_support::runCli(QStringList{"--workdir", work.path()} + args);
    }
    std::vector<calc::DesignPrice> prices() {
        openModule();
        auto p = calc::projectPrices(*dm, "P1");
        dm.reset();
        return p;
    }
    QString pdfText(const QString& pdf) {
        QProcess p;
        p.start("pdftotext", {"-layout", pdf, "-"});
        EXPECT_TRUE(p.waitForFinished(30000));
        return QString::fromUtf8(p.readAllStandardOutput());
    }
};

} // namespace

TEST_F(Quote, TwoDesignsPricedToTheCentOnScreenInCalcAndOnTheQuotation) {
    // Before any calculation neither design has a price, and the quotation says so.
    for (const calc::DesignPrice& p : prices()) {
        EXPECT_EQ(p.state, calc::DesignPrice::State::NotCalculated) << p.designRef.toStdString();
        EXPECT_EQ(p.reason, "not calculated");
    }
    const QString pdf = QDir(work.path()).filePath("quote.pdf");
    auto r = cli({"report", "quote", "P1", "-o", pdf});
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(r.err.contains("W1 (not calculated)")) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));

    r = cli({"calc", "P1"});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[1].endsWith("\t987\t1083.00")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].endsWith("\t812.00")) << lines[2].toStdString();

    const auto all = prices();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_NEAR(double(all[0].unit.install), 96, 1e-9);
    EXPECT_NEAR(double(all[1].unit.supply()), 772, 1e-9);
    EXPECT_NEAR(double(all[1].rate()), 812 / 0.96, 1e-9);
    const calc::QuoteTotals t = calc::quoteTotals(all, 12.5, 15);
    EXPECT_NEAR(double(t.subtotal), 4290, 1e-9);
    EXPECT_NEAR(double(t.vat), 770.7375, 1e-9);
    EXPECT_EQ(calc::moneyText(t.total, "R"), "R 5 908.99");

    // The markup and the company come from the data folder's settings.
    r = cli({"quote-settings", "--company", "Acme Glass", "--markup", "12.5", "--terms",
             "Deposit 50 %.\\nPrices exclude scaffolding."});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    r = cli({"report", "quote", "P1", "-o", pdf});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    const QString text = pdfText(pdf);
    for (const char* expected :
         {"Acme Glass", "QUOTATION", "W1", "W2", "1000 \u00d7 1000", "1200 \u00d7 800", "R 987.00",
          "R 1 974.00", "R 2 316.00", "R 4 290.00", "Markup (12.5 %)", "R 536.25", "R 312.00",
          "VAT (15 %)", "R 770.74", "R 5 908.99", "Prices exclude scaffolding.", "Page :"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n"
                                                                << text.toStdString();

    // The summary carries prices only when asked: unit (with installation),
    // line and the project's total.
    const QString summary = QDir(work.path()).filePath("summary.pdf");
    ASSERT_EQ(cli({"report", "summary", "P1", "-o", summary}).rc, 0);
    EXPECT_FALSE(pdfText(summary).contains("R 1 083.00"));
    ASSERT_EQ(cli({"report", "summary", "P1", "--show-prices", "-o", summary}).rc, 0);
    const QString withPrices = pdfText(summary);
    for (const char* expected : {"Unit price", "R 1 083.00", "R 2 166.00", "R 812.00",
                                 "R 2 436.00", "Project total", "R 4 602.00"})
        EXPECT_TRUE(withPrices.contains(QString::fromUtf8(expected))) << expected << "\n"
                                                                    << withPrices.toStdString();

    // A project's own markup wins over the office's.
    ASSERT_EQ(cli({"quote-settings", "--project-markup", "P1=0"}).rc, 0);
    ASSERT_EQ(cli({"report", "quote", "P1", "-o", pdf}).rc, 0);
    EXPECT_TRUE(pdfText(pdf).contains("R 5 292.30")); // (4290 + 312) x 1.15
}

TEST_F(Quote, AnEditOrAnUnpricedTypeOrABadRateLeavesNoPriceNeverZero) {
    ASSERT_EQ(cli({"calc", "P1"}).rc, 0);
    openModule();
    ASSERT_TRUE(dm->ProjectTable.findKey({"P1"}));
    ASSERT_TRUE(dm->DesignTable.findKey({"P1", 1}));
    {
        calc::CalcContext ctx(*dm, messages);
        ctx.UpdateCalcBtn(true); // what every edit of an input does
    }
    dm.reset();
    auto all = prices();
    EXPECT_EQ(all[0].state, calc::DesignPrice::State::NotCalculated);
    EXPECT_TRUE(all[1].priced());

    // A sash type the system does not price.
    ASSERT_EQ(cli({"calc", "P1"}).rc, 0);
    openModule();
    dm->database()->connection().exec("DELETE FROM SystemSash WHERE Sash_Type = 'Top'");
    dm.reset();
    all = prices();
    EXPECT_EQ(all[1].state, calc::DesignPrice::State::Unpriced);
    EXPECT_EQ(all[1].reason, "Top is not priced for Sys");
    const QString pdf = QDir(work.path()).filePath("q.pdf");
    EXPECT_EQ(cli({"report", "quote", "P1", "-o", pdf}).rc, 1);
    auto r = cli({"report", "quote", "P1", "--leave-out-unpriced", "-o", pdf});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.simplified().contains("No price: Top is not priced for Sys")) << text.toStdString();
    EXPECT_TRUE(text.contains("1 design(s) without a price"));
    EXPECT_TRUE(text.contains("R 2 490.90")) << text.toStdString(); // (1974 + 192) x 1.15
    // A negative rate is refused with its row named.
    openModule();
    dm->database()->connection().exec("UPDATE SystemSash SET Factory_Cost = -1 WHERE Sash_Type = 'Fixed'");
    dm.reset();
    all = prices();
    EXPECT_EQ(all[0].state, calc::DesignPrice::State::Unpriced);
    EXPECT_EQ(all[0].reason, "the SystemSash row Sys / Fixed has Factory_Cost -1");
}

TEST_F(Quote, SettingsRoundTripAndBadValuesAreRefusedWhole) {
    openModule();
    const QString folder = dm->dataFolder();
    dm.reset();
    data::QuoteSettings s = data::QuoteSettings::load(folder);
    EXPECT_EQ(s, data::QuoteSettings()); // defaults without a file
    EXPECT_EQ(s.currency, "R");
    EXPECT_EQ(s.vatPercent, 15);
    s.companyName = "Öresund Glas";
    s.address = "1 Main Road\nCape Town";
    s.markupPercent = 20;
    s.projectMarkup["P1"] = 5;
    ASSERT_TRUE(s.save(folder));
    EXPECT_EQ(data::QuoteSettings::load(folder), s);
    EXPECT_EQ(s.markupFor("P1"), 5);
    EXPECT_EQ(s.markupFor("P2"), 20);

    // A bad value on the command line changes nothing.
    auto r = cli({"quote-settings", "--company", "Other", "--vat", "150"});
    EXPECT_EQ(r.rc, 2);
    EXPECT_TRUE(r.err.contains("VAT")) << r.err.toStdString();
    EXPECT_EQ(data::QuoteSettings::load(folder), s);
    EXPECT_EQ(cli({"quote-settings", "--markup", "abc"}).rc, 2);
    EXPECT_EQ(data::QuoteSettings::load(folder), s);

    // A damaged file is named, not taken for the defaults.
    QFile f(QDir(folder).filePath(data::QuoteSettings::fileName()));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("{\"vatPercent\": ");
    f.close();
    r = cli({"quote-settings"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(r.err.contains("damaged")) << r.err.toStdString();
}
