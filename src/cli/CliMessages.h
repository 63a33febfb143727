#pragma once

#include "data/Messages.h"

#include <QTextStream>

namespace cli {

// Messages of a headless run: each text on its own line on stderr; a question
// is answered with its first button.
class CliMessages : public data::Messages {
public:
    explicit CliMessages(QTextStream& err) : err_(err) {}
    void showMessage(const QString& text) override { err_ << text << Qt::endl; }
    data::DlgButton messageDlg(const QString& text, data::DlgType,
                               const QList<data::DlgButton>& buttons) override {
        err_ << text << Qt::endl;
        return buttons.isEmpty() ? data::DlgButton::OK : buttons.first();
    }
    void showError(const QString& text) override { err_ << text << Qt::endl; }

private:
    QTextStream& err_;
};

} // namespace cli
