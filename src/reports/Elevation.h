#pragma once

#include "design/Dimensions.h"
#include "design/GridModel.h"

#include <QRectF>
#include <QString>
#include <map>
#include <optional>
#include <vector>

namespace reports {

// Everything an elevation is drawn from: the cells, the frame dimensions, the
// projected widths of the members and the texts of the title.
struct ElevationSource {
    design::GridModel grid;
    design::Dimensions dims;
    // Member word ("Head", "Vert2Sash" ...) -> projected frame dimension, mm.
    std::map<QString, double> memberWidths;
    QString projectRef, designRef, systemName, glassCode, glassDesc;
    int designNo = 0;
    int quantity = 0;
};

// The width a member is drawn with when the system gives it none.
constexpr double NominalMemberWidth = 50.0;

// The drawn width of a member word: its projected width when positive, else
// the nominal width.
double memberWidth(const ElevationSource& source, const QString& word);

enum class PaneSide { Left, Top, Right, Bottom };

// One frame member, in mm from the top-left corner of the frame.
struct ElevationMember {
    QRectF rect;
    QString word;
    bool outer = false; // head, sill or jamb; otherwise a mullion or transom
};

// One typed pane (a base cell and the cells it covers).
struct ElevationPane {
    int row = 0, col = 0, rowSpan = 1, colSpan = 1;
    QString word;
    QRectF cell;  // the cell's area between the grid lines, mm
    QRectF glass; // the visible glass inside the members (empty when they fill the cell)
    // The widths of the member bands on the four sides inside the cell.
    double band[4] = {0, 0, 0, 0}; // indexed by PaneSide
};

struct ElevationGeometry {
    bool empty = true; // no typed cell
    int firstCol = 0, lastCol = -1, firstRow = 0, lastRow = -1;
    // Grid line positions, mm from the frame's left and top edges, for the
    // columns firstCol..lastCol + 1 and rows firstRow..lastRow + 1.
    std::vector<double> colX, rowY;
    double width = 0, height = 0; // overall, mm
    std::vector<ElevationMember> members;
    std::vector<ElevationPane> panes;
};

// Lays the design out in millimetres: the extent of the typed cells, each
// pane between its grid lines, and the members on every side of the panes
// (outer members inside the pane, shared ones centred on the grid line).
ElevationGeometry elevationGeometry(const ElevationSource& source);

// What the opening symbol of a cell type shows, in the usual drafting
// convention seen from outside: lines meeting at the hinge side, dashed when
// the sash opens inwards; an arrow for the sliding direction.
struct OpeningSymbol {
    bool glazed = false; // a pane is drawn at all ("NONE" is not)
    bool sash = false;   // a sash inside the frame
    std::optional<PaneSide> hinge;
    bool hingeInward = false;
    bool tilt = false; // tilts inwards, hinged at the bottom
    std::optional<PaneSide> slide;
    // A fixed sash of a slider: the stile that meets the sliding partner.
    std::optional<PaneSide> interlock;
};
OpeningSymbol openingSymbol(const QString& word);

// A length for a dimension text: whole millimetres without decimals, others
// with one.
QString dimensionText(double mm);

} // namespace reports
