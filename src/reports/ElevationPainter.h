#pragma once

#include "Elevation.h"

#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

class QPainter;

namespace reports {

// How an elevation is put on a device.
struct ElevationStyle {
    double unit = 1.0;         // device units per millimetre of paper (text, lines, spacing)
    int ratio = 0;             // drawn at 1:ratio; 0 fits the drawing into the area
    bool showRatio = false;    // writes "Scale 1:ratio" in the title
    bool compactTitle = false; // the glass by its code only
};

// Where the drawing landed: device point of the frame's top-left corner and
// device units per millimetre of the window.
struct ElevationPlacement {
    QPointF origin;
    double scale = 0;
    QRectF frame; // the frame's outline on the device
};

// Paper millimetres around the frame taken by the dimension chains (left and
// below) and the title (below the chains).
constexpr double ChainZone = 17.0;
constexpr double TitleZone = 11.0;
constexpr double DrawingMargin = 3.0;

// The paper size, mm, an elevation needs at 1:ratio with its chains and title.
QSizeF elevationPaperSize(const ElevationGeometry& geometry, int ratio);

// The smallest of the usual drafting scales (1:5 ... 1:500) at which a frame
// of width x height mm fits into `paper` mm with its chains and title; 0 when
// none does.
int fittingRatio(const ElevationGeometry& geometry, const QSizeF& paper);

// The width, paper mm, of the longer title line.
double elevationTitleWidth(const ElevationSource& source, const ElevationStyle& style);

// Draws the elevation into `area` (device coordinates): members, panes with
// their opening symbols, the dimension chains of the columns and rows and the
// overall width and height, and the title. A design without typed cells draws
// a note instead.
ElevationPlacement paintElevation(QPainter& painter, const ElevationSource& source,
                                  const QRectF& area, const ElevationStyle& style);

// The drawing's one face, `mm` high on paper. A single regular face keeps
// PDFs quick to write: every face embedded costs milliseconds.
QFont elevationFont(double mm, double unit);

// The colours the drawing fills with; the tests find the members by them.
extern const char* const MemberFill;
extern const char* const GlassFill;

} // namespace reports
