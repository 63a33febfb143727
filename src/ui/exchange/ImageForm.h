#pragma once

#include "exchange/Standards.h"

#include <QDialog>
#include <QLabel>
#include <array>
#include <functional>

class QScrollArea;

namespace store {
class Query;
}

namespace ui::exchange {

// A thumbnail slot of the index: a click selects its design.
class ThumbnailSlot : public QLabel {
    Q_OBJECT
public:
    explicit ThumbnailSlot(QWidget* parent = nullptr);
    void showPicture(const QString& file);
    static constexpr int SlotWidth = 150, SlotHeight = 100;

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// The index of the standard designs: 60 thumbnails in 10 rows of 6, in a
// white scrolling box; a click on one makes its design the current row of the
// standards query and closes the window.
class TImageForm : public QDialog {
    Q_OBJECT
public:
    // `systemName` gives the system whose designs are shown, at each opening.
    TImageForm(store::Query& standards, const QString& workDir, std::function<QString()> systemName,
               QWidget* parent);

    void FormActivate();
    void ImageClick(int slot);

    std::array<ThumbnailSlot*, ::exchange::IndexSlotCount> Image{};
    QScrollArea* ScrollBox;
    // The query row each slot stands for (-1: none), while the window is open.
    const ::exchange::IndexSlots& indexSlots() const { return slots_; }

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    store::Query& standards_;
    QString workDir_;
    std::function<QString()> systemName_;
    ::exchange::IndexSlots slots_;
};

} // namespace ui::exchange
