#include "Preview.h"

#include "calc/Pricing.h"
#include "data/QuoteSettings.h"
#include "reports/Quotation.h"

#include "data/DataModule.h"
#include "data/Messages.h"
#include "data/Paths.h"
#include "reports/DesignReport.h"
#include "reports/ElevationData.h"
#include "reports/ElevationOutput.h"
#include "reports/ProjectReports.h"
#include "reports/SansReport.h"
#include "store/StoreError.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>
#include <QSettings>
#include <QToolBar>

namespace ui::reports {

using ::reports::Document;
using ::reports::Zoom;

QString designReportFileName(const QString& projectRef, const QString& designRef) {
    const QString who =
        QStringList{projectRef.trimmed(), designRef.trimmed()}.join(QLatin1Char(' ')).trimmed();
    QString name = (who.isEmpty() ? QString() : who + QStringLiteral(" \u2013 ")) +
                   QStringLiteral("Fenestration Design Report.pdf");
    // A reference may hold what a file name cannot.
    for (QChar& c : name)
        if (QStringLiteral("/\\:*?\"<>|").contains(c)) c = QLatin1Char('-');
    return name;
}

QString reportSavedMessage(const QString& file) {
    return QStringLiteral("The report was saved as %1").arg(QDir::toNativeSeparators(file));
}

void previewDocument(const Document& doc, Zoom zoom, data::Messages& messages, QWidget* parent,
                     const OptionalPage* optional, const QString& proposedName) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    printer.setDocName(doc.title);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(doc.title);
    // What is shown, printed and saved: the report, or the report with the optional page.
    const Document* shown = &doc;
    if (optional &&
        QSettings(data::userSettingsFile(), QSettings::IniFormat).value(optional->settingsKey, optional->onByDefault).toBool())
        shown = &optional->withPage;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&shown](QPrinter* p) { ::reports::paintDocument(*p, *shown); });
    auto* view = dialog.findChild<QPrintPreviewWidget*>();
    // The dialog's own fit commands keep its tool bar and the view in step.
    const QString fit = zoom == Zoom::WholePage ? QStringLiteral("fitPageAction")
                                                : QStringLiteral("fitWidthAction");
    if (auto* action = dialog.findChild<QAction*>(fit))
        action->trigger();
    else if (view)
        zoom == Zoom::WholePage ? view->fitInView() : view->fitToWidth();
    if (auto* bar = dialog.findChild<QToolBar*>()) {
        if (optional) {
            QAction* page = bar->addAction(optional->caption);
            page->setCheckable(true);
            page->setChecked(shown != &doc);
            page->setToolTip(optional->toolTip);
            QObject::connect(page, &QAction::toggled, &dialog, [&, view](bool on) {
                shown = on ? &optional->withPage : &doc;
                QSettings(data::userSettingsFile(), QSettings::IniFormat).setValue(optional->settingsKey, on);
                if (view) view->updatePreview();
            });
        }
        QAction* save = bar->addAction(QStringLiteral("Save"));
        save->setToolTip(
            QStringLiteral("Save the report as PDF, spreadsheet, text or comma-separated values"));
        QObject::connect(save, &QAction::triggered, &dialog, [&] {
            QString filter;
            // A document of drawings only has no text to export.
            const QString filters =
                shown->pages.empty() ? QStringLiteral("PDF (*.pdf)")
                                     : QStringLiteral("PDF (*.pdf);;Excel spreadsheet (*.xlsx);;Text (*.txt);;Comma "
                                                      "separated values (*.csv)");
            QString file = QFileDialog::getSaveFileName(
                &dialog, QStringLiteral("Save Report"),
                proposedName.isEmpty() ? doc.title : proposedName, filters, &filter);
            // A name typed without an ending takes the chosen filter's.
            if (!file.isEmpty() && QFileInfo(file).suffix().isEmpty())
                file += filter.mid(filter.indexOf(QLatin1String("*.")) + 1).chopped(1);
            if (file.isEmpty()) return;
            QString error;
            if (!::reports::saveDocument(*shown, file, &error))
                messages.showError(error);
            else
                messages.showMessage(reportSavedMessage(file));
        });
    }
    // Maximised; where nothing maximises windows (no window manager) the
    // window still takes the whole free area of its screen.
    QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen) dialog.setGeometry(screen->availableGeometry());
    dialog.setWindowState(dialog.windowState() | Qt::WindowMaximized);
    dialog.exec();
}

void previewDesignReport(data::TDM& dm, const ::design::GridModel& grid, data::Messages& messages,
                         QWidget* parent) {
    const Document doc = ::reports::designReportWithPicture(dm, grid);
    const QString name =
        designReportFileName(dm.ProjectTable.fieldByName(QStringLiteral("Project_Ref")).asString(),
                             dm.DesignTable.fieldByName(QStringLiteral("Design_Ref")).asString());
    OptionalPage elevation;
    elevation.caption = QStringLiteral("Elevation");
    elevation.toolTip = QStringLiteral("Add a page with the design drawn to scale with its dimensions");
    elevation.settingsKey = QString::fromLatin1(kDesignElevationPageKey);
    elevation.withPage = doc;
    try {
        ::reports::appendElevationPage(elevation.withPage, ::reports::designElevation(dm, dm.DesignTable, grid));
    } catch (const store::StoreError&) {
        // The report itself was read; without its drawing it still previews.
        previewDocument(doc, Zoom::WholePage, messages, parent, nullptr, name);
        return;
    }
    previewDocument(doc, Zoom::WholePage, messages, parent, &elevation, name);
}

namespace {

void previewProjectReport(data::TDM& dm, const Document& doc, data::Messages& messages,
                          QWidget* parent) {
    previewDocument(doc, Zoom::PageWidth, messages, parent);
    dm.DesignQuery.close();
    dm.GlassQuery.close();
}

} // namespace

void previewSummaryReport(data::TDM& dm, data::Messages& messages, QWidget* parent,
                          bool showPrices) {
    ::reports::Document doc;
    try {
        doc = ::reports::summaryReport(dm, showPrices);
    } catch (const std::runtime_error& e) { // the quotation settings could not be read
        messages.showMessage(QString::fromStdString(e.what()));
        return;
    }
    previewProjectReport(dm, doc, messages, parent);
}

void previewRationalReport(data::TDM& dm, data::Messages& messages, QWidget* parent) {
    previewProjectReport(dm, ::reports::rationalReport(dm), messages, parent);
}

void previewSansReport(data::TDM& dm, data::Messages& messages, QWidget* parent) {
    previewProjectReport(dm, ::reports::sansReport(dm), messages, parent);
    dm.DesignResultsQuery.close();
    dm.ProjectResultsQuery.close();
}

void previewQuotation(data::TDM& dm, data::Messages& messages, QWidget* parent) {
    const QString projectRef = dm.ProjectTable.fieldByName(QStringLiteral("Project_Ref")).asString();
    data::QuoteSettings settings;
    try {
        settings = data::QuoteSettings::load(dm);
    } catch (const std::runtime_error& e) {
        messages.showMessage(QString::fromStdString(e.what()));
        return;
    }
    const QStringList unpriced = calc::unpricedDesigns(dm, projectRef);
    if (!unpriced.isEmpty() &&
        messages.messageDlg(QStringLiteral("These designs have no price: %1.\n\nLeave them out of "
                                           "the quotation's total? (No: calculate them first.)")
                                .arg(unpriced.join(QStringLiteral(", "))),
                            data::DlgType::Confirmation,
                            {data::DlgButton::Yes, data::DlgButton::No}) != data::DlgButton::Yes)
        return;
    previewDocument(::reports::quotationReport(dm, settings), Zoom::PageWidth, messages, parent);
}

void previewProjectSheet(data::TDM& dm, data::Messages& messages, QWidget* parent) {
    ::reports::ProjectSheet sheet;
    sheet.projectRef = dm.ProjectTable.fieldByName(QStringLiteral("Project_Ref")).asString();
    sheet.projectName = dm.ProjectTable.fieldByName(QStringLiteral("Project_Name")).asString();
    const std::vector<::reports::ElevationSource> designs = ::reports::projectElevations(dm, sheet.projectRef);
    if (designs.empty()) {
        messages.showMessage(QStringLiteral("The project has no designs to draw"));
        return;
    }
    previewDocument(::reports::projectSheetDocument(designs, sheet), Zoom::WholePage, messages, parent);
}

} // namespace ui::reports
