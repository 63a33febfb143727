#include "Output.h"

#include <QBuffer>
#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextStream>
#include <xlsxwriter.h>

namespace reports {

namespace {

QPageLayout pageLayout(const PageSetup& page) {
    // The report places everything itself from the paper's edge.
    return QPageLayout(QPageSize(page.size, QPageSize::Millimeter), QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

QString csvCell(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

void paintDocument(QPagedPaintDevice& device, const Document& doc) {
    device.setPageLayout(pageLayout(doc.page));
    QPainter painter(&device);
    for (int i = 0; i < int(doc.pages.size()); ++i) {
        if (i > 0) device.newPage();
        paintPage(painter, device, doc, i);
    }
}

void writePdf(const Document& doc, QIODevice& out) {
    QPdfWriter writer(&out);
    writer.setResolution(300);
    writer.setTitle(doc.title);
    writer.setCreator(QStringLiteral("Quorvex U-Value Calculator"));
    paintDocument(writer, doc);
}

namespace {

// Every band a line of cells; `cell` writes one trimmed label text.
QString joinRows(const Document& doc, QChar separator, const QString& lineEnd,
                 QString (*cell)(const QString&)) {
    QString text;
    for (const QStringList& row : doc.bandRows()) {
        QStringList cells;
        for (const QString& c : row)
            cells << cell(c.trimmed());
        text += cells.join(separator) + lineEnd;
    }
    return text;
}

} // namespace

QString toPlainText(const Document& doc) {
    return joinRows(doc, QLatin1Char('\t'), QStringLiteral("\n"),
                    [](const QString& c) { return c; });
}

QString toCsv(const Document& doc) {
    return joinRows(doc, QLatin1Char(','), QStringLiteral("\r\n"), csvCell);
}

bool writeXlsx(const Document& doc, const QString& file, QString* error) {
    const QByteArray name = QFile::encodeName(file);
    lxw_workbook* book = workbook_new(name.constData());
    if (!book) {
        if (error) *error = QStringLiteral("Cannot create %1").arg(file);
        return false;
    }
    QByteArray sheetName = doc.title.left(31).toUtf8();
    sheetName.replace(':', ' ');
    lxw_worksheet* sheet =
        workbook_add_worksheet(book, sheetName.isEmpty() ? nullptr : sheetName.constData());
    // Figures printed as plain numbers stay numbers in the sheet.
    static const QRegularExpression number(QStringLiteral("^-?[0-9]+(\\.[0-9]+)?$"));
    lxw_row_t r = 0;
    for (const QStringList& row : doc.bandRows()) {
        lxw_col_t c = 0;
        for (const QString& cell : row) {
            const QString t = cell.trimmed();
            if (number.match(t).hasMatch())
                worksheet_write_number(sheet, r, c, t.toDouble(), nullptr);
            else if (!t.isEmpty())
                worksheet_write_string(sheet, r, c, t.toUtf8().constData(), nullptr);
            ++c;
        }
        ++r;
    }
    const lxw_error rc = workbook_close(book);
    if (rc != LXW_NO_ERROR) {
        if (error)
            *error = QStringLiteral("Cannot write %1: %2")
                         .arg(file, QString::fromUtf8(lxw_strerror(rc)));
        return false;
    }
    return true;
}

bool saveDocument(const Document& doc, const QString& file, QString* error) {
    const QString lower = file.toLower();
    if (lower.endsWith(QLatin1String(".xlsx"))) return writeXlsx(doc, file, error);
    QByteArray bytes;
    if (lower.endsWith(QLatin1String(".pdf"))) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        writePdf(doc, buffer);
    } else if (lower.endsWith(QLatin1String(".txt"))) {
        bytes = toPlainText(doc).toUtf8();
    } else if (lower.endsWith(QLatin1String(".csv"))) {
        bytes = toCsv(doc).toUtf8();
    } else {
        if (error)
            *error = QStringLiteral("Unknown report format: %1 (use .pdf, .xlsx, .txt or .csv)")
                         .arg(file);
        return false;
    }
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        if (error) *error = QStringLiteral("Cannot write %1: %2").arg(file, out.errorString());
        return false;
    }
    return true;
}

} // namespace reports
