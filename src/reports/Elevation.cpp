#include "Elevation.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace reports {

namespace {

// A usable length: tables may hold negative, empty or non-finite numbers.
double length(double v) {
    return std::isfinite(v) && v > 0 ? v : 0.0;
}

bool isOuterWord(const QString& word) {
    return word.startsWith(QLatin1String("Head")) || word.startsWith(QLatin1String("Sill")) ||
           word.startsWith(QLatin1String("Jamb"));
}

bool sameRect(const QRectF& a, const QRectF& b) {
    constexpr double eps = 1e-6;
    return std::abs(a.x() - b.x()) < eps && std::abs(a.y() - b.y()) < eps &&
           std::abs(a.width() - b.width()) < eps && std::abs(a.height() - b.height()) < eps;
}

} // namespace

double memberWidth(const ElevationSource& source, const QString& word) {
    const auto it = source.memberWidths.find(word);
    const double w = it == source.memberWidths.end() ? 0.0 : length(it->second);
    return w > 0 ? w : NominalMemberWidth;
}

ElevationGeometry elevationGeometry(const ElevationSource& source) {
    using namespace design;
    ElevationGeometry g;
    const GridModel& grid = source.grid;

    // The typed base cells and their extent on the grid.
    struct Base {
        int r, c, rs, cs;
    };
    std::vector<Base> bases;
    int c0 = ColCount, c1 = -1, r0 = RowCount, r1 = -1;
    for (int r = 0; r < RowCount; ++r)
        for (int c = 0; c < ColCount; ++c) {
            const Span s = grid.span(r, c);
            if (s.ColSpan < 1 || s.RowSpan < 1 || grid.mode(r, c) == None) continue;
            const int cs = std::min(s.ColSpan, ColCount - c),
                      rs = std::min(s.RowSpan, RowCount - r);
            bases.push_back({r, c, rs, cs});
            c0 = std::min(c0, c);
            c1 = std::max(c1, c + cs - 1);
            r0 = std::min(r0, r);
            r1 = std::max(r1, r + rs - 1);
        }
    if (bases.empty()) return g;
    g.empty = false;
    g.firstCol = c0;
    g.lastCol = c1;
    g.firstRow = r0;
    g.lastRow = r1;
    g.colX.assign(size_t(c1 - c0 + 2), 0.0);
    for (int c = c0; c <= c1; ++c)
        g.colX[size_t(c - c0 + 1)] = g.colX[size_t(c - c0)] + length(source.dims.H[size_t(c)]);
    g.rowY.assign(size_t(r1 - r0 + 2), 0.0);
    for (int r = r0; r <= r1; ++r)
        g.rowY[size_t(r - r0 + 1)] = g.rowY[size_t(r - r0)] + length(source.dims.V[size_t(r)]);
    g.width = g.colX.back();
    g.height = g.rowY.back();

    auto addMember = [&g](const QRectF& rect, const QString& word, bool outer) {
        if (rect.width() <= 0 || rect.height() <= 0) return;
        for (const ElevationMember& m : g.members)
            if (sameRect(m.rect, rect)) return;
        g.members.push_back({rect, word, outer});
    };

    static const char* const kPosi[4] = {"Left", "Top", "Right", "Bottom"};
    for (const Base& b : bases) {
        ElevationPane pane;
        pane.row = b.r;
        pane.col = b.c;
        pane.rowSpan = b.rs;
        pane.colSpan = b.cs;
        pane.word = grid.mode(b.r, b.c);
        const double x = g.colX[size_t(b.c - c0)], x2 = g.colX[size_t(b.c + b.cs - c0)];
        const double y = g.rowY[size_t(b.r - r0)], y2 = g.rowY[size_t(b.r + b.rs - r0)];
        pane.cell = QRectF(QPointF(x, y), QPointF(x2, y2));
        for (int side = 0; side < 4; ++side) {
            const QString word =
                CheckType(grid, b.r, b.c, QString::fromLatin1(kPosi[side]), b.rs, b.cs);
            const bool outer = isOuterWord(word);
            const double p = memberWidth(source, word);
            // An outer member lies inside the pane; a shared one straddles the line.
            const double in = outer ? p : p / 2, out = outer ? 0.0 : p / 2;
            pane.band[side] = in;
            QRectF r;
            switch (PaneSide(side)) {
            case PaneSide::Left:
                r = QRectF(x - out, y, p, y2 - y);
                break;
            case PaneSide::Top:
                r = QRectF(x, y - out, x2 - x, p);
                break;
            case PaneSide::Right:
                r = QRectF(x2 - in, y, p, y2 - y);
                break;
            case PaneSide::Bottom:
                r = QRectF(x, y2 - in, x2 - x, p);
                break;
            }
            addMember(r, word, outer);
        }
        const QRectF glass(QPointF(x + pane.band[0], y + pane.band[1]),
                           QPointF(x2 - pane.band[2], y2 - pane.band[3]));
        pane.glass = glass.width() > 0 && glass.height() > 0 ? glass : QRectF();
        g.panes.push_back(pane);
    }
    return g;
}

OpeningSymbol openingSymbol(const QString& word) {
    OpeningSymbol s;
    const QString w = word.toUpper();
    if (w.isEmpty() || w == QLatin1String("NONE")) return s;
    s.glazed = true;
    if (w == QLatin1String("FIXED")) return s;
    s.sash = true;
    if (w == QLatin1String("TOP"))
        s.hinge = PaneSide::Top;
    else if (w == QLatin1String("BOTTOM"))
        s.hinge = PaneSide::Bottom;
    else if (w == QLatin1String("SIDEL"))
        s.hinge = PaneSide::Left;
    else if (w == QLatin1String("SIDER"))
        s.hinge = PaneSide::Right;
    else if (w == QLatin1String("SLIDL"))
        s.slide = PaneSide::Left;
    else if (w == QLatin1String("SLIDR"))
        s.slide = PaneSide::Right;
    else if (w == QLatin1String("SLIDU"))
        s.slide = PaneSide::Top;
    else if (w == QLatin1String("SLIDD"))
        s.slide = PaneSide::Bottom;
    // The fixed sash of a slider stands left (FL) or right (FR) of its partner.
    else if (w == QLatin1String("SLIDFL"))
        s.interlock = PaneSide::Right;
    else if (w == QLatin1String("SLIDFR"))
        s.interlock = PaneSide::Left;
    else if (w == QLatin1String("TILTTURNL") || w == QLatin1String("TILTTURNR")) {
        s.hinge = w.endsWith(QLatin1Char('L')) ? PaneSide::Left : PaneSide::Right;
        s.hingeInward = true;
        s.tilt = true;
    } else if (w == QLatin1String("TILTSLIDL") || w == QLatin1String("TILTSLIDR")) {
        s.slide = w.endsWith(QLatin1Char('L')) ? PaneSide::Left : PaneSide::Right;
        s.tilt = true;
    }
    // An unknown word is drawn as a sash without a symbol.
    return s;
}

QString dimensionText(double mm) {
    const double r = std::round(mm * 10) / 10;
    if (std::abs(r - std::round(r)) < 1e-9) return QString::number(qint64(std::round(r)));
    return QString::number(r, 'f', 1);
}

} // namespace reports
