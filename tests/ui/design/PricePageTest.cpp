#include "support/PageFixture.h"

#include "calc/Pricing.h"
#include "data/QuoteSettings.h"
#include "ui/design/PriceLine.h"
#include "ui/main/QuoteSettingsForm.h"
#include "widgets/DataControls.h"
#include "widgets/DataSetModel.h"
#include <QLabel>
#include <QTabWidget>

#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QRegularExpression>

namespace {

double money(QString text) {
    return text.remove(QRegularExpression("[^0-9.]")).toDouble();
}

// The page fixture under a name of its own in this file; QUORVEX_SHOTS=DIR
// keeps pictures of the window for the documentation.
struct PricePage : Page {
    void shot(const char* name) {
        const QString dir = qEnvironmentVariable("QUORVEX_SHOTS");
        if (dir.isEmpty()) return;
        form->resize(1280, 800);
        QApplication::processEvents();
        form->grab().save(QDir(dir).filePath(QString::fromLatin1(name)));
    }
};

} // namespace

TEST_F(PricePage, ThePriceFollowsTheCalculationSaysNotCurrentAfterAnEditAndTakesTheSettingsCurrency) {
    auto* line = page->findChild<ui::design::PriceLine*>();
    ASSERT_NE(line, nullptr);
    page->CalcBtn->click();
    QApplication::processEvents();
    QStringList t = line->texts();
    ASSERT_EQ(t.size(), 7) << t.join(" | ").toStdString();
    EXPECT_EQ(t.takeFirst(), "<b>PRICE</b> (R)");
    // The parts add up to the total, and the rate is the total over the area.
    EXPECT_NEAR(money(t[0]) + money(t[1]) + money(t[2]) + money(t[3]), money(t[4]), 0.011);
    EXPECT_GT(money(t[3]), 0); // the sample's sashes carry an installation rate
    const double area = dm->DesignTable.fieldByName("Window_Area").asFloat();
    EXPECT_NEAR(money(t[5]), money(t[4]) / area, 0.011);
    shot("design-price.png");

    // An input changed: the price is no longer that of the window shown.
    widgets::DBEdit* box = page->DimH[0];
    QTest::mouseClick(box, Qt::LeftButton);
    box->selectAll();
    QTest::keyClicks(box, "750");
    page->DesignRefEdit->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(line->texts().value(1), "not current");
    EXPECT_EQ(line->texts().size(), 2);
    page->CalcBtn->click();
    QApplication::processEvents();
    ASSERT_EQ(line->texts().size(), 7);

    // New settings from the window: the line shows their currency at once,
    // and the file holds what was typed.
    QTimer::singleShot(0, [] {
        auto* form = qobject_cast<ui::main::TQuoteSettingsForm*>(QApplication::activeModalWidget());
        ASSERT_NE(form, nullptr);
        form->CurrencyEdit->setText("EUR");
        form->CompanyEdit->setText("Acme");
        form->VatSpin->setValue(21);
        form->accept();
    });
    form->QuoteSettingsClick();
    QApplication::processEvents();
    EXPECT_EQ(line->texts().value(0), "<b>PRICE</b> (EUR)") << line->texts().join(" | ").toStdString();
    const data::QuoteSettings saved = data::QuoteSettings::load(dm->dataFolder());
    EXPECT_EQ(saved.companyName, "Acme");
    EXPECT_EQ(saved.vatPercent, 21);
}

TEST_F(PricePage, TheSummaryListsUnitAndLinePricesAndTheTotalFollowsTheQuantity) {
    form->PageControl1->setCurrentIndex(1); // recalculates every design
    QApplication::processEvents();
    widgets::DataSetModel* m = form->SummaryGrid->gridModel();
    ASSERT_EQ(m->headerData(11, Qt::Horizontal, Qt::DisplayRole).toString(), "Unit Price");
    double total = 0;
    for (int r = 0; r < m->rowCount(); ++r) {
        const double unit = money(m->index(r, 11).data().toString());
        const int qty = m->index(r, 2).data().toInt();
        EXPECT_GT(unit, 0) << r;
        EXPECT_NEAR(money(m->index(r, 12).data().toString()), unit * qty, 0.011) << r;
        EXPECT_FALSE(m->flags(m->index(r, 12)) & Qt::ItemIsEditable);
        total += money(m->index(r, 12).data().toString());
    }
    EXPECT_NEAR(money(form->SummaryTotalLabel->text()), total, 0.011 * m->rowCount());
    shot("summary-prices.png");

    // A quantity typed: its line and the total follow.
    const double unit = money(m->index(0, 11).data().toString());
    const int qty = m->index(0, 2).data().toInt();
    ASSERT_TRUE(m->setData(m->index(0, 2), qty + 2, Qt::EditRole));
    QApplication::processEvents();
    EXPECT_NEAR(money(m->index(0, 12).data().toString()), unit * (qty + 2), 0.011);
    EXPECT_NEAR(money(form->SummaryTotalLabel->text()), total + 2 * unit, 0.011 * m->rowCount());
}
