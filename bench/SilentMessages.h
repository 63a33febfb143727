#pragma once

#include "app/Messages.h"

// Messages of a benchmark: questions answered Yes, a store error ends the run.
class SilentMessages : public app::Messages {
public:
    void showMessage(const QString&) override {}
    app::DlgButton messageDlg(const QString&, app::DlgType, const QList<app::DlgButton>&) override {
        return app::DlgButton::Yes;
    }
    void showError(const QString& text) override { qFatal("%s", qPrintable(text)); }
};
