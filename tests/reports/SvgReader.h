#pragma once

#include <QByteArray>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <vector>

// The shapes of an SVG written by QSvgGenerator, with the fill and stroke of
// the group each lies in.
struct SvgShape {
    QString element; // rect, polyline, path, text
    QString fill, stroke;
    bool dashed = false;
    double strokeWidth = 0;
    QRectF rect;      // rect
    QPolygonF points; // polyline
    QString text;     // text
};

std::vector<SvgShape> readSvg(const QByteArray& svg);

std::vector<SvgShape> shapes(const std::vector<SvgShape>& all, const QString& element,
                             const QString& fill = {}, const QString& stroke = {});
QStringList texts(const std::vector<SvgShape>& all);
