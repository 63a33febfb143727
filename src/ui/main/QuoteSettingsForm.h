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
}

namespace ui::main {

// "Quotation Settings": the company's details, currency, markup, VAT,
// validity and terms every quotation of the data folder carries, and the
// open project's own markup. OK writes them to the data folder.
class TQuoteSettingsForm : public QDialog {
    Q_OBJECT
public:
    TQuoteSettingsForm(const QString& dataFolder, const QString& projectRef,
                       data::Messages& messages, QWidget* parent = nullptr);
    // False (the message shown) when the folder's settings could not be read.
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
    QString dataFolder_, projectRef_;
    data::Messages& messages_;
    data::QuoteSettings settings_;
    bool loaded_ = true;
};

} // namespace ui::main
