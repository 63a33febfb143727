// Renders the main windows of glazecalc into PNG files, for the documentation
// and for looking at the layout at several window sizes:
//   quorvex-screens WORKDIR OUTDIR [glazing | office-server SERVER]
#include "Glazing.h"
#include "Maintenance.h"
#include "ui/main/AboutForm.h"
#include "data/DataModule.h"
#include "ui/main/DetailsForm.h"
#include "ui/main/MainForm.h"
#include "ui/main/SearchForm.h"
#include "ui/main/ServerSettingsForm.h"
#include "data/ServerStore.h"
#include "ui/main/WidgetMessages.h"
#include "ui/compliance/RationalPage.h"
#include "ui/compliance/ClimateZoneForm.h"
#include "ui/compliance/ResultsPage.h"
#include "ui/compliance/SansPage.h"
#include "ui/compliance/SansWindows.h"
#include "ui/design/DesignGrid.h"
#include "ui/design/DesignPage.h"
#include "ui/exchange/ImageForm.h"
#include "ui/exchange/RefForms.h"
#include "ui/exchange/StandardsForm.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QTabWidget>
#include <QToolButton>
#include <QTimer>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc < 3) return 2;
    const QString out = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out);
    QDir::setCurrent(QString::fromLocal8Bit(argv[1]));
    const bool officeServer = argc > 4 && QString::fromLocal8Bit(argv[3]) == QLatin1String("office-server");
    if (officeServer) data::setStoreServer(QString::fromLocal8Bit(argv[4]));
    ui::main::WidgetMessages messages;
    data::TDM dm(messages);
    ui::main::TMainForm form(dm, messages);
    ui::design::TDesignPage page(dm, form, messages);
    form.FirstActivation = false;
    auto save = [&](QWidget& w, const QString& name) {
        QApplication::processEvents();
        w.grab().save(QDir(out).filePath(name));
    };
    form.resize(1280, 800);
    form.show();
    form.FormActivate();
    // "glazing" as a third argument: only the New Glazing screens.
    if (argc > 3 && QString::fromLocal8Bit(argv[3]) == QLatin1String("glazing")) {
        saveGlazingScreens(dm, form, page, out);
        return 0;
    }
    // "office-server SERVER": only the Office Server window, on that server, its connection tried.
    if (officeServer) {
        ui::main::TServerSettingsForm w(ui::main::storeInUseText(dm), dm.dataFolder(), false, messages, &form);
        w.ServerRB->setChecked(true);
        w.AddressEdit->setText(data::storeServer());
        w.show();
        w.TestConnectionBtn->click();
        save(w, QStringLiteral("office-server.png"));
        return 0;
    }
    save(form, QStringLiteral("main-1280x800.png"));
    form.PageControl1->setCurrentIndex(1);
    save(form, QStringLiteral("summary-1280x800.png"));
    form.PageControl1->setCurrentIndex(0);
    // Every design of the start project, as the DESIGN page shows it.
    for (dm.DesignTable.first(); !dm.DesignTable.eof(); dm.DesignTable.next()) {
        form.DesignBtnClick();
        save(form, QStringLiteral("design-%1.png").arg(dm.DesignTable.fieldByName(QStringLiteral("Design_Ref")).asString()));
    }
    dm.DesignTable.first();
    form.DesignBtnClick();
    // The DESIGN page with the first design drawn to scale.
    page.ElevationViewBtn->click();
    save(form, QStringLiteral("design-elevation-1280x800.png"));
    page.GridViewBtn->click();
    // The design report's preview as it opens: its size and zoom are its own.
    QTimer preview;
    preview.setInterval(20);
    QObject::connect(&preview, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) return;
        preview.stop();
        save(*dialog, QStringLiteral("preview-open.png"));
        dialog->reject();
    });
    preview.start();
    page.PrintReportBtn->click();
    form.resize(1920, 1080);
    save(form, QStringLiteral("main-1920x1080.png"));
    form.RationalAction->trigger();
    form.RationalPage->RationalBtnClick();
    save(form, QStringLiteral("rational-1920x1080.png"));
    // The SANS 204 page, its results after Analyse and Calculate, the map and
    // the two analysis windows.
    form.resize(1280, 800);
    form.SansAction->trigger();
    save(form, QStringLiteral("sans204-1280x800.png"));
    form.SansPage->SANSCalcBtnClick();
    form.ResultsPage->Image20Click();
    save(form, QStringLiteral("results-1280x800.png"));
    form.PageControl1->setCurrentIndex(0);
    form.SansPage->ClimateZoneForm->show();
    save(*form.SansPage->ClimateZoneForm, QStringLiteral("climate-zone-map.png"));
    form.SansPage->ClimateZoneForm->hide();
    ui::compliance::TSANSForm sans(dm, messages, &form);
    sans.show();
    save(sans, QStringLiteral("sans-calculation.png"));
    sans.DesignResultsForm->show();
    sans.DesignResultsForm->Panel->Image20->click();
    save(*sans.DesignResultsForm, QStringLiteral("sans-results.png"));
    sans.DesignResultsForm->hide();
    sans.CloseBtnClick();
    form.PageControl1->setCurrentIndex(0);
    form.SearchForm->show();
    save(*form.SearchForm, QStringLiteral("search.png"));
    form.SearchForm->hide();
    form.DetailsForm->show();
    save(*form.DetailsForm, QStringLiteral("details.png"));
    form.DetailsForm->hide();
    form.AboutForm->show();
    save(*form.AboutForm, QStringLiteral("disclaimer.png"));
    form.AboutForm->hide();
    // The copy windows, and the standard designs picker with its index, for
    // the system of the design shown.
    page.DesignRefForm->RefEdit->setText(QStringLiteral("W01-B"));
    page.DesignRefForm->show();
    save(*page.DesignRefForm, QStringLiteral("copy-design.png"));
    page.DesignRefForm->hide();
    form.ProjectRefForm->RefEdit->setText(QStringLiteral("HOUSE-B"));
    form.ProjectRefForm->show();
    save(*form.ProjectRefForm, QStringLiteral("copy-project.png"));
    form.ProjectRefForm->hide();
    ui::exchange::TStandardsForm& standards = *page.StandardsForm;
    standards.setSystemName(dm.DesignTable.fieldByName(QStringLiteral("System_Name")).asString());
    standards.ImageForm->show();
    save(*standards.ImageForm, QStringLiteral("standards-index.png"));
    standards.ImageForm->hide();
    standards.showIndexOnOpen = false;
    standards.show();
    QApplication::processEvents();  // the window fills its list once shown
    standards.StandardsQuery.moveTo(2);
    standards.ShowPicture();
    save(standards, QStringLiteral("standards.png"));
    standards.hide();
    // The DESIGN page after "Clear Design" (no dimension box enabled), then
    // with a typed cell selected (only its boxes enabled). Last, as it
    // clears the first design.
    form.PageControl1->setCurrentIndex(0);
    dm.DesignTable.first();
    form.DesignBtnClick();
    page.ClearImage->click();
    save(form, QStringLiteral("design-cleared.png"));
    page.KGrid1->setSelection({1, 1, 1, 2});
    page.MergeImageClick();
    // The Edit menu open over the page, naming the step just taken.
    QApplication::processEvents();
    for (QAction* a : form.menuBar()->actions()) {
        QMenu* edit = a->menu();
        if (!edit || a->text() != QStringLiteral("&Edit")) continue;
        edit->popup(form.menuBar()->mapToGlobal(form.menuBar()->actionGeometry(a).bottomLeft()));
        QApplication::processEvents();
        QPixmap shot = form.grab();
        QPainter(&shot).drawPixmap(form.mapFromGlobal(edit->pos()), edit->grab());
        shot.save(QDir(out).filePath(QStringLiteral("edit-menu-undo.png")));
        edit->hide();
    }
    form.Grid.SetCellMode(1, 1, QStringLiteral("FIXED"));
    page.KGrid1->setSelection({1, 1, 1, 1});
    page.KGrid1->setFocus();
    page.KGrid1->repaint();
    save(form, QStringLiteral("design-typed-cell-selected.png"));
    saveMaintenanceScreens(dm.dataFolder(), out);
    return 0;
}
