#pragma once

#include "Messages.h"

class QWidget;

namespace app {

// Real message boxes, centred on the main window.
class WidgetMessages : public Messages {
public:
    void setParentWidget(QWidget* parent) { parent_ = parent; }
    void showMessage(const QString& text) override;
    DlgButton messageDlg(const QString& text, DlgType type, const QList<DlgButton>& buttons) override;
    void showError(const QString& text) override;

private:
    QWidget* parent_ = nullptr;
};

}  // namespace app
