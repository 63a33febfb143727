#include "Glazing.h"

#include "data/DataModule.h"
#include "ui/design/DesignPage.h"
#include "ui/glazing/NewGlazingForm.h"
#include "ui/main/MainForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>

namespace {

// The window's notices would wait for a click that never comes.
class QuietMessages : public data::Messages {
public:
    void showMessage(const QString&) override {}
    data::DlgButton messageDlg(const QString&, data::DlgType,
                               const QList<data::DlgButton>&) override {
        return data::DlgButton::Yes;
    }
    void showError(const QString& text) override { qWarning("%s", qPrintable(text)); }
};

} // namespace

void saveGlazingScreens(data::TDM& dm, ui::main::TMainForm& form, ui::design::TDesignPage& page,
                        const QString& out) {
    const QString code = QStringLiteral("OR-LE6146A");
    QuietMessages quiet;
    ui::glazing::TNewGlazingForm glazing(dm, quiet, &form);
    glazing.SupplierCB->setCurrentText(QStringLiteral("Orvane"));
    glazing.CodeEdit->setText(code);
    glazing.PaneCountSpin->setValue(2);
    glazing.PaneCB[0]->setCurrentText(QStringLiteral("clear6"));
    glazing.GapSpin[0]->setValue(14.0);
    glazing.GasCB[0]->setCurrentText(QStringLiteral("argon90"));
    glazing.PaneCB[1]->setCurrentText(QStringLiteral("lowe-soft6"));
    for (int i = 0; i < glazing.TargetList->count(); ++i)
        if (glazing.TargetList->item(i)->text().startsWith(QStringLiteral("Casement 38 /")))
            glazing.TargetList->item(i)->setCheckState(Qt::Checked);
    glazing.show();
    QApplication::processEvents();
    glazing.grab().save(QDir(out).filePath(QStringLiteral("new-glazing.png")));
    glazing.SaveBtnClick();
    glazing.hide();

    // The sample's first design is a Casement 38 glazed by the same supplier.
    form.PageControl1->setCurrentIndex(0);
    dm.DesignTable.first();
    dm.DesignTable.edit();
    dm.DesignTable.fieldByName(QStringLiteral("Glass_Code")).setAsString(code);
    dm.DesignTable.post();
    form.DesignBtnClick();
    page.calculate();
    QApplication::processEvents();
    form.grab().save(QDir(out).filePath(QStringLiteral("design-new-glazing.png")));
}
