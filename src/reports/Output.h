#pragma once

#include "Engine.h"

#include <QString>

class QIODevice;
class QPagedPaintDevice;

namespace reports {

// Paints every page onto a paged device (a PDF writer or a printer set to
// the report's paper), starting a new device page between report pages.
void paintDocument(QPagedPaintDevice& device, const Document& doc);

// PDF through QPdfWriter, 300 dots to the inch.
void writePdf(const Document& doc, QIODevice& out);

// The data module's export filters: every band a line, its labels left to right.
QString toPlainText(const Document& doc);
QString toCsv(const Document& doc);
// Returns false (and the reason in `error`) when the file could not be written.
bool writeXlsx(const Document& doc, const QString& file, QString* error = nullptr);

// Writes `bytes` as the file: through a temporary file renamed into place, so
// that a failed write (a full disk) leaves the earlier file as it was. A device
// or pipe is written to directly, every byte checked. False with `error` set
// when anything failed.
bool writeFileSafely(const QByteArray& bytes, const QString& file, QString* error = nullptr);

// Writes the report in the format the file name's ending asks for: ".pdf",
// ".xlsx", ".txt" or ".csv" (any letter case). False with `error` set for
// another ending or a failed write.
bool saveDocument(const Document& doc, const QString& file, QString* error = nullptr);

// How a report opens in the preview: the whole page or the page width.
enum class Zoom { WholePage, PageWidth };


} // namespace reports
