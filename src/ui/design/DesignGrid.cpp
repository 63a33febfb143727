#include "DesignGrid.h"

#include "data/Paths.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace ui::design {

using ::design::ColCount;
using ::design::RowCount;

DesignGrid::DesignGrid(::design::GridModel& grid, const QString& workDir, QWidget* parent)
    : QWidget(parent), grid_(grid), workDir_(workDir) {
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    const QString hint = QStringLiteral("Left-Click to Select Cell, Right-Click to set Type");
    setToolTip(hint);
    setStatusTip(hint);
    setMouseTracking(false);
}

const QPixmap& DesignGrid::picture(const QString& file) const {
    auto it = pictures_.find(file);
    if (it == pictures_.end())
        it = pictures_.emplace(file, QPixmap(data::resolvePicture(workDir_, QStringLiteral("Images/") + file))).first;
    return it->second;
}

namespace {

// The grid's square cells, as large as the area allows, centred in it.
QRect gridArea(const QRect& bounds) {
    const int cell = std::max(4, std::min(bounds.width() / ColCount, bounds.height() / RowCount));
    const QSize size(cell * ColCount, cell * RowCount);
    return QRect(bounds.center() - QPoint(size.width() / 2, size.height() / 2), size);
}

QRect areaCell(const QRect& area, int row, int col, int cols, int rows) {
    const int cell = area.width() / ColCount;
    return QRect(area.left() + col * cell, area.top() + row * cell, cols * cell, rows * cell);
}

}  // namespace

QRect DesignGrid::cellRect(int row, int col, int cols, int rows) const {
    return areaCell(gridArea(rect().adjusted(1, 1, -1, -1)), row, col, cols, rows);
}

void DesignGrid::paintGrid(QPainter& p, const QRect& area) const {
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.fillRect(area, Qt::white);
    bool typed = false;
    for (int r = 0; r < RowCount; ++r) {
        for (int c = 0; c < ColCount; ++c) {
            const ::design::Span s = grid_.span(r, c);
            if (s.ColSpan < 1 || s.RowSpan < 1) continue;  // covered: drawn with its base
            const QRect cell = areaCell(area, r, c, s.ColSpan, s.RowSpan);
            const QString word = grid_.mode(r, c);
            QString file = QStringLiteral("none.bmp");
            if (word != ::design::None) {
                typed = true;
                file = ::design::cellPicture(word, s.ColSpan, s.RowSpan);
            }
            const QPixmap& pix = picture(file);
            if (!pix.isNull())
                p.drawPixmap(cell, pix);
            else
                p.fillRect(cell.adjusted(1, 1, -1, -1), word == ::design::None ? QColor(0xf4, 0xf6, 0xf8) : QColor(0xcf, 0xe3, 0xf3));
            p.setPen(QColor(0xa0, 0xa8, 0xb0));
            p.drawRect(cell.adjusted(0, 0, -1, -1));
        }
    }
    if (typed) emit const_cast<DesignGrid*>(this)->typedCellDrawn();
}

void DesignGrid::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect area = gridArea(rect().adjusted(1, 1, -1, -1));
    paintGrid(p, area);
    int r0, r1, c0, c1;
    selectedArea(r0, r1, c0, c1);
    const QRect sel = areaCell(area, r0, c0, c1 - c0 + 1, r1 - r0 + 1);
    QColor fill = palette().highlight().color();
    fill.setAlpha(hasFocus() ? 70 : 40);
    p.fillRect(sel, fill);
    p.setPen(QPen(palette().highlight().color(), 2));
    p.drawRect(sel.adjusted(1, 1, -1, -1));
}

void DesignGrid::selectedArea(int& r0, int& r1, int& c0, int& c1) const {
    r0 = std::min(selection_.Row1, selection_.Row2);
    r1 = std::max(selection_.Row1, selection_.Row2);
    c0 = std::min(selection_.Col1, selection_.Col2);
    c1 = std::max(selection_.Col1, selection_.Col2);
    // Grown until no merged area sticks out of it, so the outline goes round
    // a merged cell whole.
    for (bool grown = true; grown;) {
        grown = false;
        for (int r = r0; r <= r1; ++r) {
            for (int c = c0; c <= c1; ++c) {
                int br, bc;
                grid_.baseOf(r, c, br, bc);
                if (br < 0 || bc < 0 || br >= RowCount || bc >= ColCount) continue;
                const ::design::Span s = grid_.span(br, bc);
                const int er = std::min(RowCount - 1, br + std::max(1, s.RowSpan) - 1);
                const int ec = std::min(ColCount - 1, bc + std::max(1, s.ColSpan) - 1);
                if (br < r0 || bc < c0 || er > r1 || ec > c1) {
                    r0 = std::min(r0, br);
                    c0 = std::min(c0, bc);
                    r1 = std::max(r1, er);
                    c1 = std::max(c1, ec);
                    grown = true;
                }
            }
        }
    }
}

QImage DesignGrid::render(const QSize& size) const {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    paintGrid(p, QRect(QPoint(0, 0), size));
    return image;
}

bool DesignGrid::cellAt(const QPoint& pos, int& row, int& col) const {
    const QRect area = gridArea(rect().adjusted(1, 1, -1, -1));
    if (!area.contains(pos)) return false;
    const int cell = area.width() / ColCount;
    col = std::clamp((pos.x() - area.left()) / cell, 0, ColCount - 1);
    row = std::clamp((pos.y() - area.top()) / cell, 0, RowCount - 1);
    return true;
}

void DesignGrid::setSelection(const ::design::Selection& selection) {
    selection_ = selection;
    update();
    emit selectionChanged();
}

void DesignGrid::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    emit pressed();
    int r, c;
    if (!cellAt(event->position().toPoint(), r, c)) return;
    const bool inside = r >= std::min(selection_.Row1, selection_.Row2) && r <= std::max(selection_.Row1, selection_.Row2) &&
                        c >= std::min(selection_.Col1, selection_.Col2) && c <= std::max(selection_.Col1, selection_.Col2);
    if (event->button() == Qt::LeftButton) {
        setSelection({r, c, r, c});
        dragging_ = true;
    } else if (event->button() == Qt::RightButton) {
        if (!inside) setSelection({r, c, r, c});
        emit contextMenuWanted(event->globalPosition().toPoint());
    }
}

void DesignGrid::mouseMoveEvent(QMouseEvent* event) {
    int r, c;
    if (!dragging_ || !(event->buttons() & Qt::LeftButton) || !cellAt(event->position().toPoint(), r, c)) return;
    if (r != selection_.Row2 || c != selection_.Col2) setSelection({selection_.Row1, selection_.Col1, r, c});
}

void DesignGrid::keyPressEvent(QKeyEvent* event) {
    int dr = 0, dc = 0;
    switch (event->key()) {
    case Qt::Key_Up: dr = -1; break;
    case Qt::Key_Down: dr = 1; break;
    case Qt::Key_Left: dc = -1; break;
    case Qt::Key_Right: dc = 1; break;
    case Qt::Key_Menu:
        emit pressed();
        emit contextMenuWanted(mapToGlobal(cellRect(selection_.Row1, selection_.Col1).center()));
        return;
    default: QWidget::keyPressEvent(event); return;
    }
    if (event->modifiers() & Qt::ShiftModifier) {
        setSelection({selection_.Row1, selection_.Col1, std::clamp(selection_.Row2 + dr, 0, RowCount - 1),
                      std::clamp(selection_.Col2 + dc, 0, ColCount - 1)});
    } else {
        const int r = std::clamp(selection_.Row1 + dr, 0, RowCount - 1), c = std::clamp(selection_.Col1 + dc, 0, ColCount - 1);
        setSelection({r, c, r, c});
    }
}

void DesignGrid::focusOutEvent(QFocusEvent* event) {
    dragging_ = false;
    update();
    QWidget::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason) emit focusLeft();
}

}  // namespace ui::design
