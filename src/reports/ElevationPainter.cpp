#include "ElevationPainter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace reports {

const char* const MemberFill = "#c3c9d0";
const char* const GlassFill = "#e2eff7";

QFont elevationFont(double mm, double unit) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(std::max(1, int(std::lround(mm * unit))));
    // Hinting is for screen pixels; on paper it only costs time.
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

namespace {

// Paper millimetres.
constexpr double kChainGap = 7.0;  // frame edge to the first chain, chain to chain
constexpr double kExtGap = 1.2;    // frame edge to the start of an extension line
constexpr double kTick = 1.2;      // half length of a chain's oblique tick
constexpr double kTextSize = 2.6;  // dimension texts
constexpr double kTitleSize = 3.2; // first title line
constexpr double kArrowHead = 2.8;
constexpr double kOutline = 0.35;
constexpr double kThin = 0.18;
constexpr double kDimLine = 0.13;

const QColor kInk(0x20, 0x20, 0x20);
const QColor kSymbol(0x1d, 0x3f, 0x6e);

const int kRatios[] = {5, 10, 20, 25, 50, 100, 200, 500};

QPen pen(const QColor& colour, double mm, double unit, Qt::PenStyle style = Qt::SolidLine) {
    QPen p(colour, std::max(mm * unit, 0.01), style, Qt::FlatCap, Qt::MiterJoin);
    return p;
}

// A text centred on `at`, drawn along the x axis of the painter.
void centredText(QPainter& p, const QPointF& at, const QString& text) {
    const QFontMetricsF fm(p.font());
    p.drawText(QPointF(at.x() - fm.horizontalAdvance(text) / 2, at.y()), text);
}

// One chain of dimensions along a line. `stops` are positions along the
// chain in device units; `along` is false for a vertical chain. `line` is the
// chain line's offset, `edge` where the extension lines start.
void dimensionChain(QPainter& p, const std::vector<double>& stops,
                    const std::vector<QString>& texts, bool horizontal, double line, double edge,
                    double unit) {
    auto pt = [horizontal](double a, double b) {
        return horizontal ? QPointF(a, b) : QPointF(b, a);
    };
    const double dir = line > edge ? 1.0 : -1.0;
    p.setPen(pen(kInk, kDimLine, unit));
    p.drawLine(pt(stops.front() - kTick * unit, line), pt(stops.back() + kTick * unit, line));
    for (double s : stops) {
        p.drawLine(pt(s, edge + dir * kExtGap * unit), pt(s, line + dir * kTick * unit));
        // The oblique tick of architectural dimensioning.
        const double t = kTick * unit;
        p.drawLine(horizontal ? QPointF(s - t, line + t) : QPointF(line + t, s - t),
                   horizontal ? QPointF(s + t, line - t) : QPointF(line - t, s + t));
    }
    for (size_t i = 0; i + 1 < stops.size(); ++i) {
        if (texts[i].isEmpty()) continue;
        const double mid = (stops[i] + stops[i + 1]) / 2;
        const double room = std::abs(stops[i + 1] - stops[i]) - 0.6 * unit;
        double size = kTextSize;
        p.setFont(elevationFont(size, unit));
        // A narrow column gets a smaller text, down to two thirds.
        while (QFontMetricsF(p.font()).horizontalAdvance(texts[i]) > room &&
               size > kTextSize * 0.67) {
            size -= 0.2;
            p.setFont(elevationFont(size, unit));
        }
        p.setPen(kInk);
        const double lift = 0.8 * unit;
        if (horizontal) {
            centredText(p, QPointF(mid, line - lift), texts[i]);
        } else {
            p.save();
            p.translate(line - lift, mid);
            p.rotate(-90);
            centredText(p, QPointF(0, 0), texts[i]);
            p.restore();
        }
        p.setPen(pen(kInk, kDimLine, unit));
    }
}

void triangle(QPainter& p, const QRectF& g, PaneSide apexSide, bool dashed, double unit) {
    QPointF apex, a, b;
    switch (apexSide) {
    case PaneSide::Top:
        apex = {g.center().x(), g.top()};
        a = g.bottomLeft();
        b = g.bottomRight();
        break;
    case PaneSide::Bottom:
        apex = {g.center().x(), g.bottom()};
        a = g.topLeft();
        b = g.topRight();
        break;
    case PaneSide::Left:
        apex = {g.left(), g.center().y()};
        a = g.topRight();
        b = g.bottomRight();
        break;
    case PaneSide::Right:
        apex = {g.right(), g.center().y()};
        a = g.topLeft();
        b = g.bottomLeft();
        break;
    }
    QPen pn = pen(kSymbol, kThin, unit, dashed ? Qt::DashLine : Qt::SolidLine);
    p.setPen(pn);
    p.drawPolyline(QPolygonF{a, apex, b});
}

void arrow(QPainter& p, const QRectF& g, PaneSide direction, double atY, double unit) {
    const bool horizontal = direction == PaneSide::Left || direction == PaneSide::Right;
    const QPointF c(g.center().x(), atY);
    const double half = (horizontal ? g.width() : g.height()) * 0.28;
    QPointF along;
    switch (direction) {
    case PaneSide::Left:
        along = {-1, 0};
        break;
    case PaneSide::Right:
        along = {1, 0};
        break;
    case PaneSide::Top:
        along = {0, -1};
        break;
    case PaneSide::Bottom:
        along = {0, 1};
        break;
    }
    const QPointF across(-along.y(), along.x());
    const QPointF tip = c + along * half, tail = c - along * half;
    const double head = std::min(kArrowHead * unit, half * 0.6);
    p.setPen(pen(kSymbol, kThin * 1.4, unit));
    p.drawPolyline(QPolygonF{tail, tip});
    p.drawPolyline(QPolygonF{tip - along * head + across * head * 0.5, tip,
                             tip - along * head - across * head * 0.5});
}

// The grid lines as chain stops on the device, columns or rows of no width
// left out, and the texts of the lengths between them.
void chainStops(const std::vector<double>& edges, double origin, double s,
                std::vector<double>& stops, std::vector<QString>& texts) {
    std::vector<double> mm;
    for (double e : edges)
        if (mm.empty() || e != mm.back()) mm.push_back(e);
    for (size_t i = 0; i < mm.size(); ++i) {
        stops.push_back(origin + mm[i] * s);
        if (i > 0) texts.push_back(dimensionText(mm[i] - mm[i - 1]));
    }
}

QRectF toDevice(const QRectF& mm, const QPointF& origin, double s) {
    return QRectF(origin.x() + mm.x() * s, origin.y() + mm.y() * s, mm.width() * s,
                  mm.height() * s);
}

void paintPane(QPainter& p, const ElevationPane& pane, const QPointF& origin, double s,
               double unit) {
    const OpeningSymbol sym = openingSymbol(pane.word);
    if (!sym.glazed || pane.glass.isEmpty()) return;
    const QRectF glass = toDevice(pane.glass, origin, s);
    p.setPen(pen(kInk, kThin, unit));
    p.setBrush(QColor(QString::fromLatin1(GlassFill)));
    p.drawRect(glass);
    p.setBrush(Qt::NoBrush);
    if (!sym.sash) return;
    // The sash's outer edge lies in the member band, a little over half-way out.
    const double k = 0.55 * s;
    const QRectF sash =
        glass.adjusted(-pane.band[0] * k, -pane.band[1] * k, pane.band[2] * k, pane.band[3] * k);
    p.setPen(pen(kInk, kThin, unit));
    p.drawRect(sash);
    if (sym.tilt) triangle(p, glass, PaneSide::Bottom, true, unit);
    if (sym.hinge) triangle(p, glass, *sym.hinge, sym.hingeInward, unit);
    if (sym.slide) {
        const double y = sym.tilt ? glass.top() + glass.height() * 0.3 : glass.center().y();
        arrow(p, glass, *sym.slide, y, unit);
    }
    if (sym.interlock) {
        // The interlocking stile is drawn heavy; the "F" marks the fixed sash.
        p.setPen(pen(kInk, kOutline * 1.4, unit));
        const double x = *sym.interlock == PaneSide::Left ? sash.left() : sash.right();
        p.drawLine(QPointF(x, sash.top()), QPointF(x, sash.bottom()));
        p.setPen(kSymbol);
        p.setFont(elevationFont(std::min(4.0, glass.height() / unit * 0.3), unit));
        const QFontMetricsF fm(p.font());
        centredText(p, QPointF(glass.center().x(), glass.center().y() + fm.capHeight() / 2),
                    QStringLiteral("F"));
    }
}

QString titleLine(const ElevationSource& s) {
    QString t = s.designRef.trimmed().isEmpty()
                    ? QStringLiteral("Design %1").arg(s.designNo)
                    : QStringLiteral("%1  (Design %2)").arg(s.designRef.trimmed()).arg(s.designNo);
    if (!s.projectRef.isEmpty()) t += QStringLiteral("  ·  Project %1").arg(s.projectRef);
    if (s.quantity > 0) t += QStringLiteral("  ·  Qty %1").arg(s.quantity);
    return t;
}

QString specLine(const ElevationSource& s, const ElevationStyle& style) {
    const QString system =
        s.systemName.trimmed().isEmpty() ? QStringLiteral("none chosen") : s.systemName.trimmed();
    QString glass =
        style.compactTitle
            ? s.glassCode.trimmed()
            : QStringLiteral("%1 %2").arg(s.glassCode.trimmed(), s.glassDesc.trimmed()).trimmed();
    if (glass.isEmpty()) glass = QStringLiteral("none chosen");
    QString t = QStringLiteral("System: %1  ·  Glazing: %2").arg(system, glass);
    if (style.showRatio && style.ratio > 0) t += QStringLiteral("  ·  Scale 1:%1").arg(style.ratio);
    return t;
}

} // namespace

double elevationTitleWidth(const ElevationSource& source, const ElevationStyle& style) {
    // Measured at ten device units to the millimetre, so that whole-pixel
    // font sizes stay close to the paper's.
    constexpr double unit = 10;
    const double first =
        QFontMetricsF(elevationFont(kTitleSize, unit)).horizontalAdvance(titleLine(source));
    const double second =
        QFontMetricsF(elevationFont(kTextSize, unit)).horizontalAdvance(specLine(source, style));
    return std::max(first, second) / unit;
}

QSizeF elevationPaperSize(const ElevationGeometry& g, int ratio) {
    const double w = g.empty || ratio <= 0 ? 60.0 : g.width / ratio;
    const double h = g.empty || ratio <= 0 ? 20.0 : g.height / ratio;
    return QSizeF(2 * DrawingMargin + ChainZone + w, 2 * DrawingMargin + h + ChainZone + TitleZone);
}

int fittingRatio(const ElevationGeometry& g, const QSizeF& paper) {
    for (int ratio : kRatios) {
        const QSizeF need = elevationPaperSize(g, ratio);
        if (need.width() <= paper.width() && need.height() <= paper.height()) return ratio;
    }
    return 0;
}

ElevationPlacement paintElevation(QPainter& p, const ElevationSource& source, const QRectF& area,
                                  const ElevationStyle& style) {
    ElevationPlacement placed;
    const double u = style.unit;
    const ElevationGeometry g = elevationGeometry(source);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);

    const double m = DrawingMargin * u;
    const QRectF box(area.left() + m + ChainZone * u, area.top() + m,
                     area.width() - 2 * m - ChainZone * u,
                     area.height() - 2 * m - (ChainZone + TitleZone) * u);
    const bool drawable =
        !g.empty && g.width > 0 && g.height > 0 && box.width() > 0 && box.height() > 0;
    if (drawable) {
        const double s = style.ratio > 0 ? u / style.ratio
                                         : std::min(box.width() / g.width, box.height() / g.height);
        placed.scale = s;
        placed.origin = QPointF(box.left() + (box.width() - g.width * s) / 2,
                                box.top() + (box.height() - g.height * s) / 2);
        placed.frame = QRectF(placed.origin, QSizeF(g.width * s, g.height * s));
        const QPointF o = placed.origin;

        p.setPen(Qt::NoPen);
        p.setBrush(QColor(QString::fromLatin1(MemberFill)));
        for (const ElevationMember& member : g.members)
            p.drawRect(toDevice(member.rect, o, s));
        p.setBrush(Qt::NoBrush);
        for (const ElevationPane& pane : g.panes)
            paintPane(p, pane, o, s, u);

        // The outline of the frame: the union of the panes' areas.
        QPainterPath outline;
        for (const ElevationPane& pane : g.panes) {
            QPainterPath cell;
            cell.addRect(toDevice(pane.cell, o, s));
            outline = outline.united(cell);
        }
        p.setPen(pen(kInk, kOutline, u));
        p.drawPath(outline.simplified());

        // Column widths, then the overall width, below the frame; row heights
        // and the overall height to its left.
        std::vector<double> xs, ys;
        std::vector<QString> wTexts, hTexts;
        chainStops(g.colX, o.x(), s, xs, wTexts);
        chainStops(g.rowY, o.y(), s, ys, hTexts);
        const double bottom = placed.frame.bottom(), left = placed.frame.left();
        if (xs.size() > 2) dimensionChain(p, xs, wTexts, true, bottom + kChainGap * u, bottom, u);
        dimensionChain(p, {xs.front(), xs.back()}, {dimensionText(g.width)}, true,
                       bottom + (xs.size() > 2 ? 2 : 1) * kChainGap * u, bottom, u);
        if (ys.size() > 2) dimensionChain(p, ys, hTexts, false, left - kChainGap * u, left, u);
        dimensionChain(p, {ys.front(), ys.back()}, {dimensionText(g.height)}, false,
                       left - (ys.size() > 2 ? 2 : 1) * kChainGap * u, left, u);
    } else {
        p.setPen(kInk);
        p.setFont(elevationFont(kTextSize, u));
        const QString note = g.empty ? QStringLiteral("No cells typed yet")
                                     : QStringLiteral("Type the column widths and row heights");
        p.drawText(box.isValid() ? box : area, Qt::AlignCenter, note);
    }

    // The title under the chains.
    const double titleTop = area.bottom() - m - TitleZone * u;
    p.setPen(kInk);
    p.setFont(elevationFont(kTitleSize, u));
    const double x = area.left() + m;
    p.drawText(QPointF(x, titleTop + kTitleSize * u), titleLine(source));
    p.setFont(elevationFont(kTextSize, u));
    p.drawText(QPointF(x, titleTop + (kTitleSize + 1.6 + kTextSize) * u), specLine(source, style));
    p.restore();
    return placed;
}

} // namespace reports
