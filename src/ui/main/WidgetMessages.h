#pragma once

#include "data/Messages.h"

class QWidget;

namespace ui::main {

// Real message boxes, centred on the main window.
class WidgetMessages : public data::Messages {
public:
    void setParentWidget(QWidget* parent) { parent_ = parent; }
    void showMessage(const QString& text) override;
    data::DlgButton messageDlg(const QString& text, data::DlgType type, const QList<data::DlgButton>& buttons) override;
    void showError(const QString& text) override;

private:
    QWidget* parent_ = nullptr;
};

}  // namespace ui::main
