#include "CellPainter.h"

#include "Palette.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QSet>
#include <QtMath>

namespace cellpainter {

namespace {

// Nominal sizes, in pixels of a 160-pixel grid cell.
constexpr double kFrameBand = 12.0;
constexpr double kSashBand = 10.0;
constexpr double kBead = 2.5;
constexpr double kOutline = 2.2;
constexpr double kSymbol = 4.2;
constexpr double kArrowHead = 30.0;

enum class Opening { None, Fixed, Hinged, Sliding, FixedSash, TiltTurn, TiltSlide };
enum class Side { Left, Right, Top, Bottom };

struct Kind {
    Opening opening = Opening::None;
    Side side = Side::Left;  // hinge side, slide direction or interlock side
};

Kind kindOf(const QString& w) {
    if (w == QLatin1String("FIXED")) return {Opening::Fixed, Side::Left};
    if (w == QLatin1String("TOP")) return {Opening::Hinged, Side::Top};
    if (w == QLatin1String("BOTTOM")) return {Opening::Hinged, Side::Bottom};
    if (w == QLatin1String("SIDEL")) return {Opening::Hinged, Side::Left};
    if (w == QLatin1String("SIDER")) return {Opening::Hinged, Side::Right};
    if (w == QLatin1String("SLIDL")) return {Opening::Sliding, Side::Left};
    if (w == QLatin1String("SLIDR")) return {Opening::Sliding, Side::Right};
    if (w == QLatin1String("SLIDU")) return {Opening::Sliding, Side::Top};
    if (w == QLatin1String("SLIDD")) return {Opening::Sliding, Side::Bottom};
    // A fixed sash in the sliding track: on the left of its sliding partner
    // (interlock on its right) or on the right (interlock on its left).
    if (w == QLatin1String("SLIDFL")) return {Opening::FixedSash, Side::Right};
    if (w == QLatin1String("SLIDFR")) return {Opening::FixedSash, Side::Left};
    if (w == QLatin1String("TILTTURNL")) return {Opening::TiltTurn, Side::Left};
    if (w == QLatin1String("TILTTURNR")) return {Opening::TiltTurn, Side::Right};
    if (w == QLatin1String("TILTSLIDL")) return {Opening::TiltSlide, Side::Left};
    if (w == QLatin1String("TILTSLIDR")) return {Opening::TiltSlide, Side::Right};
    return {};
}

Side opposite(Side s) {
    switch (s) {
    case Side::Left: return Side::Right;
    case Side::Right: return Side::Left;
    case Side::Top: return Side::Bottom;
    case Side::Bottom: return Side::Top;
    }
    return s;
}

void fillBand(QPainter& p, const QRectF& outer, const QRectF& inner, const QColor& light,
              const QColor& dark, double scale) {
    QPainterPath band;
    band.addRect(outer);
    band.addRect(inner);
    band.setFillRule(Qt::OddEvenFill);
    QLinearGradient g(outer.topLeft(), outer.bottomRight());
    g.setColorAt(0, light);
    g.setColorAt(1, dark);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(band);
    // A light bevel along the top and left inner edges gives the extrusion depth.
    p.setPen(QPen(QColor(255, 255, 255, 150), 1.0 * scale));
    p.drawLine(QLineF(outer.topLeft() + QPointF(scale, scale), outer.topRight() + QPointF(-scale, scale)));
    p.drawLine(QLineF(outer.topLeft() + QPointF(scale, scale), outer.bottomLeft() + QPointF(scale, -scale)));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(palette::outline, kOutline * scale, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    const double h = kOutline * scale / 2;
    p.drawRect(outer.adjusted(h, h, -h, -h));
    p.setPen(QPen(palette::outline, kOutline * scale * 0.75, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.drawRect(inner);
}

void fillGlass(QPainter& p, const QRectF& g) {
    QLinearGradient grad(g.topLeft(), g.bottomRight());
    grad.setColorAt(0, palette::glassLight);
    grad.setColorAt(1, palette::glassDark);
    p.setPen(Qt::NoPen);
    p.setBrush(grad);
    p.drawRect(g);
    p.setBrush(Qt::NoBrush);
}

// Two short parallel strokes in the upper left: the usual mark of a glazed,
// non-opening pane.
void reflection(QPainter& p, const QRectF& g, double scale) {
    const double m = qMin(g.width(), g.height());
    const double len = qBound(18.0 * scale, m * 0.22, 70.0 * scale);
    const QPointF o = g.topLeft() + QPointF(qMin(g.width() * 0.16, 40.0 * scale), qMin(g.height() * 0.16, 40.0 * scale));
    p.setPen(QPen(QColor(255, 255, 255, 230), 4.5 * scale, Qt::SolidLine, Qt::RoundCap));
    const QPointF d(len * 0.7071, -len * 0.7071);
    const QPointF a = o + QPointF(0, len * 0.75);
    p.drawLine(QLineF(a, a + d));
    const QPointF b = a + QPointF(9 * scale, 9 * scale);
    p.drawLine(QLineF(b, b + d * 0.6));
}

// Lines from the two corners away from the hinge to the middle of the hinge
// side: the apex points at the hinge.
void openingTriangle(QPainter& p, const QRectF& g, Side hinge, double scale, bool dashed) {
    const QRectF r = g.adjusted(5 * scale, 5 * scale, -5 * scale, -5 * scale);
    QPointF apex, a, b;
    switch (hinge) {
    case Side::Top: apex = {r.center().x(), r.top()}; a = r.bottomLeft(); b = r.bottomRight(); break;
    case Side::Bottom: apex = {r.center().x(), r.bottom()}; a = r.topLeft(); b = r.topRight(); break;
    case Side::Left: apex = {r.left(), r.center().y()}; a = r.topRight(); b = r.bottomRight(); break;
    case Side::Right: apex = {r.right(), r.center().y()}; a = r.topLeft(); b = r.bottomLeft(); break;
    }
    QPen pen(palette::symbol, kSymbol * scale, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    if (dashed) pen.setDashPattern({3.0, 2.4});
    p.setPen(pen);
    p.drawPolyline(QVector<QPointF>{a, apex, b});
}

void arrow(QPainter& p, const QRectF& g, Side direction, double scale, double lengthShare) {
    const bool horizontal = direction == Side::Left || direction == Side::Right;
    const QPointF c = g.center();
    const double half = (horizontal ? g.width() : g.height()) * lengthShare / 2;
    const double head = qMin(kArrowHead * scale, half * 0.9);
    QPointF tip, tail;
    QPointF along;
    switch (direction) {
    case Side::Left: along = {-1, 0}; break;
    case Side::Right: along = {1, 0}; break;
    case Side::Top: along = {0, -1}; break;
    case Side::Bottom: along = {0, 1}; break;
    }
    tip = c + along * half;
    tail = c - along * half;
    const QPointF across(-along.y(), along.x());
    p.setPen(QPen(palette::symbol, kSymbol * 1.25 * scale, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QLineF(tail, tip - along * head * 0.8));
    QPainterPath h;
    h.moveTo(tip);
    h.lineTo(tip - along * head + across * head * 0.55);
    h.lineTo(tip - along * head * 0.78);
    h.lineTo(tip - along * head - across * head * 0.55);
    h.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(palette::symbol);
    p.drawPath(h);
    p.setBrush(Qt::NoBrush);
}

// A lever handle on the sash band of side `s`.
void handle(QPainter& p, const QRectF& sash, Side s, double scale) {
    const double t = kSashBand * scale;
    const double len = qMin(30 * scale, (s == Side::Left || s == Side::Right ? sash.height() : sash.width()) * 0.3);
    const double w = t * 0.7;
    QRectF r;
    switch (s) {
    case Side::Left: r = QRectF(sash.left() + (t - w) / 2, sash.center().y() - len / 2, w, len); break;
    case Side::Right: r = QRectF(sash.right() - t + (t - w) / 2, sash.center().y() - len / 2, w, len); break;
    case Side::Top: r = QRectF(sash.center().x() - len / 2, sash.top() + (t - w) / 2, len, w); break;
    case Side::Bottom: r = QRectF(sash.center().x() - len / 2, sash.bottom() - t + (t - w) / 2, len, w); break;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(palette::handle);
    p.drawRoundedRect(r, w / 2, w / 2);
    p.setBrush(Qt::NoBrush);
}

QRectF inset(const QRectF& r, double left, double top, double right, double bottom) {
    return r.adjusted(left, top, -right, -bottom);
}

}  // namespace

bool isKnownWord(const QString& word) {
    return word == QLatin1String("NONE") || kindOf(word).opening != Opening::None;
}

void paintPane(QPainter& p, const QRectF& rect, const QString& word, double scale) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const Kind k = kindOf(word);
    if (k.opening == Opening::None) {
        p.fillRect(rect, palette::empty);
        p.setPen(QPen(palette::emptyLine, 1.2 * scale, Qt::DashLine));
        p.drawRect(rect.adjusted(2 * scale, 2 * scale, -2 * scale, -2 * scale));
        p.restore();
        return;
    }
    const double fb = kFrameBand * scale;
    const QRectF opening = rect.adjusted(fb, fb, -fb, -fb);
    fillBand(p, rect, opening, palette::frameLight, palette::frameDark, scale);

    if (k.opening == Opening::Fixed) {
        const double b = kBead * scale;
        const QRectF glass = opening.adjusted(b, b, -b, -b);
        fillBand(p, opening, glass, palette::sashLight, palette::sashDark, scale * 0.6);
        fillGlass(p, glass);
        reflection(p, glass, scale);
        p.restore();
        return;
    }

    const double sb = kSashBand * scale;
    double l = sb, t = sb, r = sb, bt = sb;
    if (k.opening == Opening::FixedSash) {
        // The interlock stile of a fixed sash faces its sliding partner.
        (k.side == Side::Right ? r : l) = sb * 1.8;
    }
    const QRectF glass = inset(opening, l, t, r, bt);
    fillBand(p, opening, glass, palette::sashLight, palette::sashDark, scale);
    fillGlass(p, glass);

    switch (k.opening) {
    case Opening::Hinged:
        openingTriangle(p, glass, k.side, scale, false);
        handle(p, opening, opposite(k.side), scale);
        break;
    case Opening::Sliding:
        arrow(p, glass, k.side, scale, 0.62);
        handle(p, opening, opposite(k.side), scale);
        break;
    case Opening::FixedSash:
        reflection(p, glass, scale);
        break;
    case Opening::TiltTurn:
        openingTriangle(p, glass, Side::Bottom, scale, true);
        openingTriangle(p, glass, k.side, scale, false);
        handle(p, opening, opposite(k.side), scale);
        break;
    case Opening::TiltSlide:
        openingTriangle(p, glass, Side::Bottom, scale, true);
        arrow(p, glass.translated(0, -glass.height() * 0.24), k.side, scale, 0.5);
        handle(p, opening, opposite(k.side), scale);
        break;
    default: break;
    }
    p.restore();
}

}  // namespace cellpainter
