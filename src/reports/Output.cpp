#include "Output.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <xlsxwriter.h>

namespace reports {

namespace {

QPageLayout pageLayout(const PageSetup& page) {
    // The report places everything itself from the paper's edge.
    // A sheet wider than high is the paper turned, so printers feed it as such.
    if (page.size.width() > page.size.height())
        return QPageLayout(QPageSize(page.size.transposed(), QPageSize::Millimeter), QPageLayout::Landscape,
                           QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
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
    const double unit = device.width() / doc.page.size.width();
    for (size_t i = 0; i < doc.drawnPages.size(); ++i) {
        if (i > 0 || !doc.pages.empty()) device.newPage();
        painter.save();
        doc.drawnPages[i](painter, unit);
        painter.restore();
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

namespace {

bool fail(QString* error, const QString& message) {
    if (error) *error = message;
    return false;
}

// The workbook into `file`, straight through the library.
bool writeWorkbook(const Document& doc, const QString& file, QString* error) {
    const QByteArray name = QFile::encodeName(file);
    lxw_workbook* book = workbook_new(name.constData());
    if (!book) return fail(error, QStringLiteral("Cannot create %1").arg(file));
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
    if (rc != LXW_NO_ERROR)
        return fail(
            error,
            QStringLiteral("Cannot write %1: %2").arg(file, QString::fromUtf8(lxw_strerror(rc))));
    return true;
}

// A device or pipe named as the output is written to in place and checked to
// the last byte; replacing it with a file would be wrong.
bool writeInPlace(const QByteArray& bytes, const QString& file, QString* error) {
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(error, QStringLiteral("Cannot write %1: %2").arg(file, out.errorString()));
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 n = out.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0)
            return fail(error, QStringLiteral("Cannot write %1: %2").arg(file, out.errorString()));
        written += n;
    }
    out.close();
    if (out.error() != QFileDevice::NoError)
        return fail(error, QStringLiteral("Cannot write %1: %2").arg(file, out.errorString()));
    return true;
}

} // namespace

bool writeFileSafely(const QByteArray& bytes, const QString& file, QString* error) {
    const QFileInfo target(file);
    if (target.exists() && !target.isFile() && !target.isDir())
        return writeInPlace(bytes, file, error);
    // Unbuffered, so that a full disk fails the write itself: a buffered save
    // file may report its failed last flush as a successful commit.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(error, QStringLiteral("Cannot write %1: %2").arg(file, out.errorString()));
    if (out.write(bytes) != bytes.size() || !out.flush()) {
        const QString why = out.errorString();
        out.cancelWriting();
        return fail(error, QStringLiteral("Cannot write %1: %2").arg(file, why));
    }
    if (!out.commit())
        return fail(error, QStringLiteral("Cannot write %1: %2").arg(file, out.errorString()));
    return true;
}

bool writeXlsx(const Document& doc, const QString& file, QString* error) {
    // The library writes to a path of its own; the finished workbook then
    // replaces the file in one step like every other report.
    QTemporaryDir work;
    if (!work.isValid())
        return fail(error, QStringLiteral("Cannot write %1: %2").arg(file, work.errorString()));
    const QString scratch = work.filePath(QStringLiteral("report.xlsx"));
    if (!writeWorkbook(doc, scratch, error)) {
        if (error) error->replace(scratch, file);
        return false;
    }
    QFile made(scratch);
    if (!made.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("Cannot write %1: %2").arg(file, made.errorString()));
    return writeFileSafely(made.readAll(), file, error);
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
        return fail(
            error,
            QStringLiteral("Unknown report format: %1 (use .pdf, .xlsx, .txt or .csv)").arg(file));
    }
    return writeFileSafely(bytes, file, error);
}

} // namespace reports
