// The main window's menus: a menu item is added here, with its hint and
// the command it runs.
#include "AboutForm.h"
#include "DetailsForm.h"
#include "Icons.h"
#include "MainForm.h"
#include "SearchForm.h"
#include "data/Paths.h"
#include "design/DesignRecords.h"
#include "store/StoreError.h"
#include "ui/compliance/RationalPage.h"
#include "ui/glazing/NewGlazingForm.h"
#include "ui/reports/Preview.h"
#include "widgets/DataControls.h"
#include "widgets/DataSetModel.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "QuoteSettingsForm.h"
#include "ServerSettingsForm.h"
#include "data/ServerStore.h"

#include <QProcess>

namespace ui::main {

void TMainForm::QuoteSettingsClick() {
    if (!DM.tablesOpen()) return;
    TQuoteSettingsForm form(DM,
                            DM.ProjectTable.fieldByName(QStringLiteral("Project_Ref")).asString(),
                            messages_, this);
    if (form.exec() != QDialog::Accepted) return;
    // Prices on screen follow the new currency.
    for (QWidget* w : findChildren<QWidget*>(QStringLiteral("PriceLine")))
        QMetaObject::invokeMethod(w, "refresh");
}

void TMainForm::OfficeServerClick() {
    TServerSettingsForm form(storeInUseText(DM), DM.dataFolder(), ServerFromCommandLine, messages_, this);
    if (form.exec() != QDialog::Accepted) return;
    // Nothing to start again for when this run already works where the setting points.
    if (form.chosenServer() == data::storeServer()) return;
    const QString where = form.chosenServer().isEmpty()
                              ? QStringLiteral("the data folder of the working folder")
                              : QStringLiteral("the server %1").arg(form.chosenServer());
    if (messages_.messageDlg(QStringLiteral("From its next start glazecalc keeps its tables in %1. Save your "
                                            "work and start glazecalc again now?")
                                 .arg(where),
                             data::DlgType::Confirmation, {data::DlgButton::Yes, data::DlgButton::No}) ==
        data::DlgButton::Yes)
        restartProgram();
}

bool TMainForm::restartProgram() {
    // Saved first, as closing does: a save that fails keeps this run, and the typing, in place.
    try {
        SaveDesign();
    } catch (const store::StoreError& e) {
        messages_.showError(storeErrorText(e) + QStringLiteral("\nglazecalc was not started again."));
        return false;
    }
    // The same working folder; without --server, so that the setting decides.
    const QString program = QCoreApplication::applicationFilePath();
    const QStringList args{QStringLiteral("--workdir"), DM.WorkDir};
    const bool started = startProgram ? startProgram(program, args, DM.WorkDir)
                                      : QProcess::startDetached(program, args, DM.WorkDir);
    if (!started) {
        messages_.showMessage(QStringLiteral("glazecalc could not be started again (%1). Close it and start it "
                                             "yourself.")
                                  .arg(QDir::toNativeSeparators(program)));
        return false;
    }
    close();
    return true;
}

void TMainForm::buildMenus() {
    menuBar()->setStatusTip(QString());
    QMenu* project = menuBar()->addMenu(QStringLiteral("&Project"));
    project->setStatusTip(QStringLiteral("File related commands"));
    project->menuAction()->setStatusTip(QStringLiteral("File related commands"));
    NewProjectAction =
        project->addAction(QStringLiteral("&New Project"), this, &TMainForm::AddProjectClick);
    NewProjectAction->setStatusTip(QStringLiteral("Create New Project"));
    DeleteProjectAction =
        project->addAction(QStringLiteral("&Delete Project"), this, &TMainForm::DeleteProjectClick);
    DeleteProjectAction->setStatusTip(QStringLiteral("Delete Current Project"));
    CopyProjectAction =
        project->addAction(QStringLiteral("&Copy Project"), this, &TMainForm::CopyProjectImageClick);
    CopyProjectAction->setStatusTip(QStringLiteral("Copy Current Project"));
    SaveProjectAction =
        project->addAction(QStringLiteral("&Save Project"), this, &TMainForm::SaveProject1Click);
    LoadProjectAction =
        project->addAction(QStringLiteral("&Load Project"), this, &TMainForm::LoadProject1Click);
    ImportAction = project->addAction(QStringLiteral("&Import from earlier version\u2026"), this,
                                      &TMainForm::ImportClick);
    ImportAction->setStatusTip(QStringLiteral("Import a project from the earlier version's data folder"));
    project->addAction(QStringLiteral("New &Glazing\u2026"), this, [this] {
        if (ui::glazing::showNewGlazing(DM, messages_, this) && designScreen_) designScreen_->rebuildGlazingList();
    })->setStatusTip(QStringLiteral("Make a glazing unit from its panes and gaps"));
    project->addSeparator();
    project->addAction(QStringLiteral("&Quotation Settings\u2026"), this, [this] { QuoteSettingsClick(); })
        ->setStatusTip(QStringLiteral("The company's details, markup, VAT and terms of every quotation"));
    project->addAction(QStringLiteral("Office &Server\u2026"), this, [this] { OfficeServerClick(); })
        ->setStatusTip(QStringLiteral("Keep the tables in the working folder's data folder or on an office server"));
    project->addSeparator();
    ExitAction = project->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
    ExitAction->setStatusTip(QStringLiteral("Exit application"));

    // The analysis pages have no tab of their own until asked for here.
    QMenu* compliance = menuBar()->addMenu(QStringLiteral("&Compliance"));
    compliance->menuAction()->setStatusTip(
        QStringLiteral("Energy compliance of the project's fenestration"));
    RationalAction =
        compliance->addAction(QStringLiteral("SANS 10400-XA (Rational Design)"), this, [this] {
            PageControl1->setTabVisible(4, true);
            PageControl1->setCurrentIndex(4);
        });
    RationalAction->setStatusTip(
        QStringLiteral("Judge the project's windows against a rational-design target"));
    addSansActions(compliance);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->menuAction()->setStatusTip(QStringLiteral("Help topics"));
    AboutAction = help->addAction(QStringLiteral("&About..."), this, [this] { AboutForm->exec(); });
    RebuildAction = help->addAction(QStringLiteral("&Rebuild"), this, &TMainForm::Rebuid1Click);
    RebuildAction->setStatusTip(QStringLiteral("Verify and rebuild every table of the data folder"));
    UserManualAction =
        help->addAction(QStringLiteral("&User Manual"), this, &TMainForm::UserManualClick);
}

void TMainForm::UserManualClick() {
    // A copy in the working folder wins over the installed manual.
    const QString file = data::findUserManual(DM.WorkDir);
    if (file.isEmpty()) {
        QStringList places;
        for (const QString& candidate : data::userManualCandidates(DM.WorkDir))
            places << QStringLiteral("    ") + QDir::toNativeSeparators(candidate);
        messages_.showMessage(QStringLiteral("The user manual cannot be found. It was looked for "
                                             "in these places:\n%1")
                                  .arg(places.join(QLatin1Char('\n'))));
        return;
    }
    if (openDocument) {
        openDocument(file);
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(file)))
        messages_.showMessage(QStringLiteral("The user manual %1 could not be opened: no program "
                                             "for PDF files is set up on this computer.")
                                  .arg(QDir::toNativeSeparators(file)));
}

} // namespace ui::main
