#include "Preview.h"

#include "data/DataModule.h"
#include "data/Messages.h"
#include "reports/DesignReport.h"
#include "reports/ProjectReports.h"
#include "reports/SansReport.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QToolBar>

namespace ui::reports {

using ::reports::Document;
using ::reports::Zoom;

void previewDocument(const Document& doc, Zoom zoom, data::Messages& messages, QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    printer.setDocName(doc.title);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(doc.title);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&doc](QPrinter* p) { ::reports::paintDocument(*p, doc); });
    if (auto* view = dialog.findChild<QPrintPreviewWidget*>()) {
        if (zoom == Zoom::WholePage)
            view->fitInView();
        else
            view->fitToWidth();
    }
    if (auto* bar = dialog.findChild<QToolBar*>()) {
        QAction* save = bar->addAction(QStringLiteral("Save"));
        save->setToolTip(
            QStringLiteral("Save the report as PDF, spreadsheet, text or comma-separated values"));
        QObject::connect(save, &QAction::triggered, &dialog, [&] {
            QString filter;
            QString file = QFileDialog::getSaveFileName(
                &dialog, QStringLiteral("Save Report"), doc.title,
                QStringLiteral("PDF (*.pdf);;Excel spreadsheet (*.xlsx);;Text (*.txt);;Comma "
                               "separated values (*.csv)"),
                &filter);
            // A name typed without an ending takes the chosen filter's.
            if (!file.isEmpty() && QFileInfo(file).suffix().isEmpty())
                file += filter.mid(filter.indexOf(QLatin1String("*.")) + 1).chopped(1);
            if (file.isEmpty()) return;
            QString error;
            if (!::reports::saveDocument(doc, file, &error)) messages.showError(error);
        });
    }
    dialog.setWindowState(dialog.windowState() | Qt::WindowMaximized);
    dialog.exec();
}

void previewDesignReport(data::TDM& dm, const ::design::GridModel& grid, data::Messages& messages,
                         QWidget* parent) {
    const Document doc = ::reports::designReportWithPicture(dm, grid);
    previewDocument(doc, Zoom::WholePage, messages, parent);
}

namespace {

void previewProjectReport(data::TDM& dm, const Document& doc, data::Messages& messages,
                          QWidget* parent) {
    previewDocument(doc, Zoom::PageWidth, messages, parent);
    dm.DesignQuery.close();
    dm.GlassQuery.close();
}

} // namespace

void previewSummaryReport(data::TDM& dm, data::Messages& messages, QWidget* parent) {
    previewProjectReport(dm, ::reports::summaryReport(dm), messages, parent);
}

void previewRationalReport(data::TDM& dm, data::Messages& messages, QWidget* parent) {
    previewProjectReport(dm, ::reports::rationalReport(dm), messages, parent);
}

void previewSansReport(data::TDM& dm, data::Messages& messages, QWidget* parent) {
    previewProjectReport(dm, ::reports::sansReport(dm), messages, parent);
    dm.DesignResultsQuery.close();
    dm.ProjectResultsQuery.close();
}

} // namespace ui::reports
