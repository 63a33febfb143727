#include "WidgetMessages.h"

#include <QApplication>
#include <QMessageBox>

namespace app {

void WidgetMessages::showMessage(const QString& text) {
    QMessageBox box(QMessageBox::Information, QApplication::applicationName(), text, QMessageBox::Ok, parent_);
    box.exec();
}

DlgButton WidgetMessages::messageDlg(const QString& text, DlgType type, const QList<DlgButton>& buttons) {
    QMessageBox::Icon icon = QMessageBox::Information;
    QString title = QApplication::applicationName();
    switch (type) {
    case DlgType::Warning: icon = QMessageBox::Warning; title = QStringLiteral("Warning"); break;
    case DlgType::Error: icon = QMessageBox::Critical; title = QStringLiteral("Error"); break;
    case DlgType::Information: icon = QMessageBox::Information; title = QStringLiteral("Information"); break;
    case DlgType::Confirmation: icon = QMessageBox::Question; title = QStringLiteral("Confirm"); break;
    }
    QMessageBox::StandardButtons set;
    for (DlgButton b : buttons) {
        switch (b) {
        case DlgButton::Yes: set |= QMessageBox::Yes; break;
        case DlgButton::No: set |= QMessageBox::No; break;
        case DlgButton::OK: set |= QMessageBox::Ok; break;
        case DlgButton::Cancel: set |= QMessageBox::Cancel; break;
        }
    }
    QMessageBox box(icon, title, text, set, parent_);
    switch (box.exec()) {
    case QMessageBox::Yes: return DlgButton::Yes;
    case QMessageBox::Ok: return DlgButton::OK;
    case QMessageBox::Cancel: return DlgButton::Cancel;
    default: return DlgButton::No;
    }
}

void WidgetMessages::showError(const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok, parent_);
    box.exec();
}

}  // namespace app
