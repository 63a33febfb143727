#pragma once

#include "Elevation.h"
#include "Engine.h"

#include <QByteArray>
#include <QSizeF>
#include <vector>

class QPainter;

namespace reports {

// The sheet a single elevation is drawn on: A4 landscape, mm.
constexpr double SheetMargin = 10.0;
QSizeF a4Landscape();
QSizeF a3Landscape();

// The drafting scale a design is drawn at on a sheet of `paper` mm (A4
// landscape unless given); 0 when it is too large for any usual scale and is
// fitted instead.
int sheetRatio(const ElevationSource& source, const QSizeF& paper = a4Landscape());

// Paints the elevation sheet of one design on a device of `unit` device units
// per paper millimetre.
void paintElevationSheet(QPainter& painter, const ElevationSource& source, double unit,
                         const QSizeF& paper = a4Landscape());

// Adds the elevation sheet of one design as a drawn page after `doc`'s
// pages, on the report's own paper.
void appendElevationPage(Document& doc, const ElevationSource& source);

// The sheet as SVG (A4 landscape at 96 dots to the inch).
QByteArray elevationSvg(const ElevationSource& source);
// The sheet as PDF (one A4 landscape page).
QByteArray elevationPdf(const ElevationSource& source);

// Writes the sheet to `file` as .svg, .pdf or .png by its ending, replacing
// the file only when the whole drawing has been written. False, with the
// reason in `error`, when the ending is unknown or the file cannot be written.
bool saveElevation(const ElevationSource& source, const QString& file, QString* error);

// Every design of a project on landscape pages, all at one scale.
struct ProjectSheet {
    QString projectRef, projectName;
    bool a3 = false;
    int ratio = 0; // 0: the largest usual scale at which four designs fit a page
};

struct SheetPlacement {
    size_t design = 0; // index into the designs
    QRectF area;       // paper mm
};

struct SheetLayout {
    int ratio = 0;
    QSizeF paper; // mm
    std::vector<std::vector<SheetPlacement>> pages;
};

SheetLayout layoutProjectSheet(const std::vector<ElevationSource>& designs,
                               const ProjectSheet& sheet);
void paintProjectSheetPage(QPainter& painter, const std::vector<ElevationSource>& designs,
                           const ProjectSheet& sheet, const SheetLayout& layout, size_t page,
                           double unit);
// The project sheet as a report of drawn pages, for the preview.
Document projectSheetDocument(const std::vector<ElevationSource>& designs, const ProjectSheet& sheet);

// Writes the project sheet as PDF; false with the reason in `error`.
bool saveProjectSheet(const std::vector<ElevationSource>& designs, const ProjectSheet& sheet,
                      const QString& file, QString* error);

} // namespace reports
