#include "SvgReader.h"

#include <QStringList>
#include <QXmlStreamReader>

namespace {

struct Style {
    QString fill, stroke;
    bool dashed = false;
    double strokeWidth = 0;
};

Style apply(Style s, const QXmlStreamAttributes& a) {
    if (a.hasAttribute("fill")) s.fill = a.value("fill").toString();
    if (a.hasAttribute("stroke")) s.stroke = a.value("stroke").toString();
    if (a.hasAttribute("stroke-dasharray"))
        s.dashed = a.value("stroke-dasharray").toString() != "none";
    else if (a.hasAttribute("stroke"))
        s.dashed = false;
    if (a.hasAttribute("stroke-width")) s.strokeWidth = a.value("stroke-width").toDouble();
    return s;
}

} // namespace

std::vector<SvgShape> readSvg(const QByteArray& svg) {
    std::vector<SvgShape> out;
    std::vector<Style> stack{Style{}};
    QXmlStreamReader xml(svg);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == QLatin1String("g")) {
            stack.pop_back();
            continue;
        }
        if (!xml.isStartElement()) continue;
        const QXmlStreamAttributes a = xml.attributes();
        if (xml.name() == QLatin1String("g")) {
            // Each group states its whole style; a dash pattern is only
            // present when the pen has one.
            Style s = apply(stack.back(), a);
            s.dashed = a.hasAttribute("stroke-dasharray");
            stack.push_back(s);
            continue;
        }
        const QString name = xml.name().toString();
        if (name != "rect" && name != "polyline" && name != "path" && name != "text") continue;
        const Style s = apply(stack.back(), a);
        SvgShape shape;
        shape.element = name;
        shape.fill = s.fill;
        shape.stroke = s.stroke;
        shape.dashed = s.dashed;
        shape.strokeWidth = s.strokeWidth;
        if (name == "rect")
            shape.rect = QRectF(a.value("x").toDouble(), a.value("y").toDouble(),
                                a.value("width").toDouble(), a.value("height").toDouble());
        if (name == "polyline") {
            for (const QString& pair :
                 a.value("points").toString().split(' ', Qt::SkipEmptyParts)) {
                const QStringList xy = pair.split(',');
                if (xy.size() == 2) shape.points << QPointF(xy[0].toDouble(), xy[1].toDouble());
            }
        }
        if (name == "text") shape.text = xml.readElementText();
        out.push_back(shape);
    }
    return out;
}

std::vector<SvgShape> shapes(const std::vector<SvgShape>& all, const QString& element,
                             const QString& fill, const QString& stroke) {
    std::vector<SvgShape> out;
    for (const SvgShape& s : all)
        if (s.element == element &&
            (fill.isEmpty() || s.fill.compare(fill, Qt::CaseInsensitive) == 0) &&
            (stroke.isEmpty() || s.stroke.compare(stroke, Qt::CaseInsensitive) == 0))
            out.push_back(s);
    return out;
}

QStringList texts(const std::vector<SvgShape>& all) {
    QStringList out;
    for (const SvgShape& s : all)
        if (s.element == "text") out << s.text;
    return out;
}
