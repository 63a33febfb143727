#include "WidgetMessages.h"

#include <QApplication>
#include <QMessageBox>

namespace ui::main {

void WidgetMessages::showMessage(const QString& text) {
    QMessageBox box(QMessageBox::Information, QApplication::applicationName(), text, QMessageBox::Ok, parent_);
    box.exec();
}

data::DlgButton WidgetMessages::messageDlg(const QString& text, data::DlgType type, const QList<data::DlgButton>& buttons) {
    QMessageBox::Icon icon = QMessageBox::Information;
    QString title = QApplication::applicationName();
    switch (type) {
    case data::DlgType::Warning: icon = QMessageBox::Warning; title = QStringLiteral("Warning"); break;
    case data::DlgType::Error: icon = QMessageBox::Critical; title = QStringLiteral("Error"); break;
    case data::DlgType::Information: icon = QMessageBox::Information; title = QStringLiteral("Information"); break;
    case data::DlgType::Confirmation: icon = QMessageBox::Question; title = QStringLiteral("Confirm"); break;
    }
    QMessageBox::StandardButtons set;
    for (data::DlgButton b : buttons) {
        switch (b) {
        case data::DlgButton::Yes: set |= QMessageBox::Yes; break;
        case data::DlgButton::No: set |= QMessageBox::No; break;
        case data::DlgButton::OK: set |= QMessageBox::Ok; break;
        case data::DlgButton::Cancel: set |= QMessageBox::Cancel; break;
        }
    }
    QMessageBox box(icon, title, text, set, parent_);
    switch (box.exec()) {
    case QMessageBox::Yes: return data::DlgButton::Yes;
    case QMessageBox::Ok: return data::DlgButton::OK;
    case QMessageBox::Cancel: return data::DlgButton::Cancel;
    default: return data::DlgButton::No;
    }
}

void WidgetMessages::showError(const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok, parent_);
    box.exec();
}

}  // namespace ui::main
