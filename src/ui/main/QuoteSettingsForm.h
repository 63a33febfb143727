#pragma once

#include "data/QuoteSettings.h"

#include <QDialog>

class QCheckBox;
class QDoubleSpinBox;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;

namespace data {
class Messages;
class TDM;
}

namespace ui::main {

// "Quotation Settings": the company's details, currency, markup, VAT,
// validity and terms every quotation of the data folder (or server) carries,
// and the open project's own markup. OK writes them where they are kept.
class TQuoteSettingsForm : public QDialog {
    Q_OBJECT
public:
    TQuoteSettingsForm(const data::TDM& dm, const QString& projectRef, data::Messages& messages,
                       QWidget* parent = nullptr);
    // False (the message shown) when the kept settings could not be read.
    bool loaded() const { return loaded_; }
    // The settings as the window shows them.
    data::QuoteSettings shown() const;

    QLineEdit *CompanyEdit, *RegistrationEdit, *VatNoEdit, *LogoEdit, *CurrencyEdit;
    QPlainTextEdit *AddressEdit, *TermsEdit;
    QDoubleSpinBox *MarkupSpin, *VatSpin, *ProjectMarkupSpin;
    QSpinBox* ValiditySpin;
    QCheckBox* ProjectMarkupCB;

public slots:
    void accept() override;

private:
    const data::TDM& dm_;
    QString projectRef_;
    data::Messages& messages_;
    data::QuoteSettings settings_;
    bool loaded_ = true;
};

} // namespace ui::main
