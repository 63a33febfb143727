#pragma once

#include "app/Messages.h"

#include <QTextStream>

namespace cli {

// Messages of a headless run: each text on its own line on stderr; a question
// is answered with its first button.
class CliMessages : public app::Messages {
public:
    explicit CliMessages(QTextStream& err) : err_(err) {}
    void showMessage(const QString& text) override { err_ << text << Qt::endl; }
    app::DlgButton messageDlg(const QString& text, app::DlgType, const QList<app::DlgButton>& buttons) override {
        err_ << text << Qt::endl;
        return buttons.isEmpty() ? app::DlgButton::OK : buttons.first();
    }
    void showError(const QString& text) override { err_ << text << Qt::endl; }

private:
    QTextStream& err_;
};

}  // namespace cli
