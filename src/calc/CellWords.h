#pragma once

#include "design/GridModel.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace calc {

// What a cell word makes of a cell for the formulas.
enum class CellKind : std::uint8_t { NoWindow, FixedPane, Sash };

// A design's grid with its words worked out once: every cell's index among the
// design's few distinct words, whether it is "NONE" and how it is classed, so
// that the formulas' per-cell loops compare no text.
class CellWords {
public:
    explicit CellWords(const design::GridModel& grid);

    const design::GridModel& grid() const { return grid_; }
    design::Span span(int r, int c) const { return grid_.span(r, c); }
    // Index of the cell's word in words().
    int word(int r, int c) const { return index_[r][c]; }
    const std::vector<QString>& words() const { return words_; }
    bool none(int r, int c) const { return none_[r][c]; }
    CellKind kind(int r, int c) const { return kind_[r][c]; }

private:
    const design::GridModel& grid_;
    std::vector<QString> words_;
    std::uint8_t index_[design::RowCount][design::ColCount];
    bool none_[design::RowCount][design::ColCount];
    CellKind kind_[design::RowCount][design::ColCount];
};

} // namespace calc
