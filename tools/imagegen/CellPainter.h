#pragma once

#include <QPainter>
#include <QRectF>
#include <QString>

// Draws one pane of a window elevation: the frame band, the sash (for opening
// types), the glass and the opening symbol. `word` is a cell type word as the
// grid stores it ("FIXED", "TOP", "SLIDL", ... or "NONE"). `scale` is pixels
// per nominal pixel, where a nominal grid cell is 160 pixels wide, so bands
// and lines keep their thickness whatever the pane's size.
namespace cellpainter {

bool isKnownWord(const QString& word);
void paintPane(QPainter& p, const QRectF& rect, const QString& word, double scale);

}  // namespace cellpainter
