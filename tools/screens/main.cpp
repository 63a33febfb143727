// Renders the main windows of glazecalc into PNG files, for the documentation
// and for looking at the layout at several window sizes:
//   quorvex-screens WORKDIR OUTDIR
#include "Maintenance.h"
#include "ui/main/AboutForm.h"
#include "data/DataModule.h"
#include "ui/main/DetailsForm.h"
#include "ui/main/MainForm.h"
#include "ui/main/SearchForm.h"
#include "ui/main/WidgetMessages.h"
#include "ui/compliance/RationalPage.h"
#include "ui/design/DesignPage.h"

#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTimer>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc < 3) return 2;
    const QString out = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out);
    QDir::setCurrent(QString::fromLocal8Bit(argv[1]));
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
    form.resize(1920, 1080);
    save(form, QStringLiteral("main-1920x1080.png"));
    form.RationalAction->trigger();
    form.RationalPage->RationalBtnClick();
    save(form, QStringLiteral("rational-1920x1080.png"));
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
    saveMaintenanceScreens(dm.dataFolder(), out);
    return 0;
}
