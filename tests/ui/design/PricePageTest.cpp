#include "support/PageFixture.h"

#include "calc/Pricing.h"
#include "data/QuoteSettings.h"
#include "ui/design/PriceLine.h"
#include "ui/main/QuoteSettingsForm.h"
#include "widgets/DataControls.h"

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

// The page fixture under a name of its own in this file.
struct PricePage : Page {};

} // namespace

TEST_F(PricePage, ThePriceFollowsTheCalculationSaysNotCurrentAfterAnEditAndTakesTheSettingsCurrency) {
    auto* line = page->findChild<ui::design::PriceLine*>();
    ASSERT_NE(line, nullptr);
    page->CalcBtn->click();
    QApplication::processEvents();
    QStringList t = line->texts();
    ASSERT_EQ(t.size(), 6) << t.join(" | ").toStdString();
    for (const QString& s : t)
        EXPECT_TRUE(s.startsWith("R ")) << s.toStdString();
    // The parts add up to the total, and the rate is the total over the area.
    EXPECT_NEAR(money(t[0]) + money(t[1]) + money(t[2]) + money(t[3]), money(t[4]), 0.011);
    EXPECT_GT(money(t[3]), 0); // the sample's sashes carry an installation rate
    const double area = dm->DesignTable.fieldByName("Window_Area").asFloat();
    EXPECT_NEAR(money(t[5]), money(t[4]) / area, 0.011);

    // An input changed: the price is no longer that of the window shown.
    widgets::DBEdit* box = page->DimH[0];
    QTest::mouseClick(box, Qt::LeftButton);
    box->selectAll();
    QTest::keyClicks(box, "750");
    page->DesignRefEdit->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(line->texts(), QStringList{"not current"});
    page->CalcBtn->click();
    QApplication::processEvents();
    ASSERT_EQ(line->texts().size(), 6);

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
    EXPECT_TRUE(line->texts().value(4).startsWith("EUR ")) << line->texts().join(" | ").toStdString();
    const data::QuoteSettings saved = data::QuoteSettings::load(dm->dataFolder());
    EXPECT_EQ(saved.companyName, "Acme");
    EXPECT_EQ(saved.vatPercent, 21);
}
