#pragma once

#include "data/Messages.h"

// Messages of a benchmark: questions answered Yes, a store error ends the run.
class SilentMessages : public data::Messages {
public:
    void showMessage(const QString&) override {}
    data::DlgButton messageDlg(const QString&, data::DlgType, const QList<data::DlgButton>&) override {
        return data::DlgButton::Yes;
    }
    void showError(const QString& text) override { qFatal("%s", qPrintable(text)); }
};
