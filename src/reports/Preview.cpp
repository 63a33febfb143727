#include "Output.h"
#include "app/Messages.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QToolBar>

namespace reports {

void previewDocument(const Document& doc, Zoom zoom, app::Messages& messages, QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    printer.setDocName(doc.title);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(doc.title);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&doc](QPrinter* p) { paintDocument(*p, doc); });
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
            if (!saveDocument(doc, file, &error)) messages.showError(error);
        });
    }
    dialog.setWindowState(dialog.windowState() | Qt::WindowMaximized);
    dialog.exec();
}

} // namespace reports
