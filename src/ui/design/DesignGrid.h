#pragma once

#include "design/GridModel.h"

#include <QPixmap>
#include <QWidget>
#include <map>

class QMenu;

namespace ui::design {

// The design grid: 5 x 10 cells without headers, merged areas drawn once
// through their base cell with the cell picture stretched over the area. The
// cells scale with the space the page gives the grid.
class DesignGrid : public QWidget {
    Q_OBJECT
public:
    DesignGrid(::design::GridModel& grid, const QString& workDir, QWidget* parent = nullptr);

    ::design::Selection selection() const { return selection_; }
    void setSelection(const ::design::Selection& selection);
    // The rows and columns the selection outline goes round: the selection
    // grown to take in every merged cell it touches.
    void selectedArea(int& r0, int& r1, int& c0, int& c1) const;
    // The cell rectangle of (row, col) spanning `cols` x `rows` cells.
    QRect cellRect(int row, int col, int cols = 1, int rows = 1) const;
    // Renders the grid alone into a picture of the given size (the design picture).
    QImage render(const QSize& size) const;

    QSize sizeHint() const override { return {500, 250}; }
    QSize minimumSizeHint() const override { return {300, 150}; }

signals:
    void pressed();                    // any mouse button: the menu is rebuilt
    void contextMenuWanted(const QPoint& globalPos);
    void selectionChanged();
    void typedCellDrawn();             // a cell other than "NONE" was drawn
    void focusLeft();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void paintGrid(QPainter& p, const QRect& area) const;
    bool cellAt(const QPoint& pos, int& row, int& col) const;
    const QPixmap& picture(const QString& file) const;

    ::design::GridModel& grid_;
    QString workDir_;
    ::design::Selection selection_;
    mutable std::map<QString, QPixmap> pictures_;
    bool dragging_ = false;
};

}  // namespace ui::design
