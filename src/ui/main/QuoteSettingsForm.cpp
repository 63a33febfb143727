#include "QuoteSettingsForm.h"

#include "data/DataModule.h"
#include "data/Messages.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <stdexcept>

namespace ui::main {

namespace {

QDoubleSpinBox* percentBox(double max) {
    auto* b = new QDoubleSpinBox;
    b->setRange(0, max);
    b->setDecimals(2);
    b->setSuffix(QStringLiteral(" %"));
    return b;
}

} // namespace

TQuoteSettingsForm::TQuoteSettingsForm(const data::TDM& dm, const QString& projectRef,
                                       data::Messages& messages, QWidget* parent)
    : QDialog(parent), dm_(dm), projectRef_(projectRef), messages_(messages) {
    setWindowTitle(QStringLiteral("Quotation Settings"));
    try {
        settings_ = data::QuoteSettings::load(dm_);
    } catch (const std::runtime_error& e) {
        // Shown, and the window starts from the defaults: saving replaces the damaged settings.
        messages_.showMessage(QString::fromStdString(e.what()));
        loaded_ = false;
    }
    auto* form = new QFormLayout;
    CompanyEdit = new QLineEdit(settings_.companyName);
    AddressEdit = new QPlainTextEdit(settings_.address);
    AddressEdit->setTabChangesFocus(true);
    AddressEdit->setFixedHeight(70);
    RegistrationEdit = new QLineEdit(settings_.registrationNo);
    VatNoEdit = new QLineEdit(settings_.vatNo);
    LogoEdit = new QLineEdit(settings_.logo);
    auto* browse = new QPushButton(QStringLiteral("Browse..."));
    auto* logoRow = new QHBoxLayout;
    logoRow->addWidget(LogoEdit, 1);
    logoRow->addWidget(browse);
    CurrencyEdit = new QLineEdit(settings_.currency);
    CurrencyEdit->setMaxLength(5);
    CurrencyEdit->setMaximumWidth(80);
    MarkupSpin = percentBox(1000);
    MarkupSpin->setValue(settings_.markupPercent);
    VatSpin = percentBox(100);
    VatSpin->setValue(settings_.vatPercent);
    ValiditySpin = new QSpinBox;
    ValiditySpin->setRange(1, 3650);
    ValiditySpin->setSuffix(QStringLiteral(" days"));
    ValiditySpin->setValue(settings_.validityDays);
    ProjectMarkupCB = new QCheckBox(QStringLiteral("Own markup for project %1").arg(projectRef_));
    ProjectMarkupSpin = percentBox(1000);
    const auto own = settings_.projectMarkup.find(projectRef_);
    ProjectMarkupCB->setChecked(own != settings_.projectMarkup.end());
    ProjectMarkupSpin->setValue(own != settings_.projectMarkup.end() ? own->second
                                                                     : settings_.markupPercent);
    ProjectMarkupSpin->setEnabled(ProjectMarkupCB->isChecked());
    ProjectMarkupCB->setEnabled(!projectRef_.isEmpty());
    auto* projectRow = new QHBoxLayout;
    projectRow->addWidget(ProjectMarkupCB);
    projectRow->addWidget(ProjectMarkupSpin);
    projectRow->addStretch();
    TermsEdit = new QPlainTextEdit(settings_.terms);
    TermsEdit->setTabChangesFocus(true);

    form->addRow(QStringLiteral("Company Name :"), CompanyEdit);
    form->addRow(QStringLiteral("Address :"), AddressEdit);
    form->addRow(QStringLiteral("Registration No. :"), RegistrationEdit);
    form->addRow(QStringLiteral("VAT No. :"), VatNoEdit);
    form->addRow(QStringLiteral("Logo :"), logoRow);
    form->addRow(QStringLiteral("Currency Symbol :"), CurrencyEdit);
    form->addRow(QStringLiteral("Markup :"), MarkupSpin);
    form->addRow(QString(), projectRow);
    form->addRow(QStringLiteral("VAT :"), VatSpin);
    form->addRow(QStringLiteral("Valid For :"), ValiditySpin);
    form->addRow(QStringLiteral("Terms :"), TermsEdit);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TQuoteSettingsForm::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ProjectMarkupCB, &QCheckBox::toggled, ProjectMarkupSpin, &QWidget::setEnabled);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getOpenFileName(
            this, QStringLiteral("Company Logo"), QString(),
            QStringLiteral("Pictures (*.jpg *.jpeg *.png *.bmp)"));
        if (!file.isEmpty()) LogoEdit->setText(file);
    });
    resize(560, 560);
}

data::QuoteSettings TQuoteSettingsForm::shown() const {
    data::QuoteSettings s = settings_;
    s.companyName = CompanyEdit->text().trimmed();
    s.address = AddressEdit->toPlainText().trimmed();
    s.registrationNo = RegistrationEdit->text().trimmed();
    s.vatNo = VatNoEdit->text().trimmed();
    s.logo = LogoEdit->text().trimmed();
    s.currency = CurrencyEdit->text().trimmed();
    s.markupPercent = MarkupSpin->value();
    s.vatPercent = VatSpin->value();
    s.validityDays = ValiditySpin->value();
    s.terms = TermsEdit->toPlainText().trimmed();
    if (!projectRef_.isEmpty()) {
        if (ProjectMarkupCB->isChecked())
            s.projectMarkup[projectRef_] = ProjectMarkupSpin->value();
        else
            s.projectMarkup.erase(projectRef_);
    }
    return s;
}

void TQuoteSettingsForm::accept() {
    QString error;
    if (!shown().save(dm_, &error)) {
        messages_.showMessage(error);
        return; // the window stays open with what was typed
    }
    QDialog::accept();
}

} // namespace ui::main
