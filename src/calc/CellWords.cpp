#include "CellWords.h"

namespace calc {

CellWords::CellWords(const design::GridModel& grid) : grid_(grid) {
    std::vector<bool> wordIsNone;
    std::vector<CellKind> wordKind;
    words_.reserve(4);
    for (int r = 0; r < design::RowCount; ++r)
        for (int c = 0; c < design::ColCount; ++c) {
            const QString& w = grid.CellModes[size_t(r)][size_t(c)];
            // Words mostly differ in their first letter; only a likely match is compared whole.
            size_t i = 0;
            while (i < words_.size() && !(words_[i].size() == w.size() &&
                                          (w.isEmpty() || words_[i].front() == w.front()) &&
                                          words_[i] == w))
                ++i;
            if (i == words_.size()) {
                words_.push_back(w);
                wordIsNone.push_back(w == design::None);
                wordKind.push_back(design::isSashWord(w) ? CellKind::Sash
                                   : w.compare(design::Fixed, Qt::CaseInsensitive) == 0
                                       ? CellKind::FixedPane
                                       : CellKind::NoWindow);
            }
            index_[r][c] = std::uint8_t(i);
            none_[r][c] = wordIsNone[i];
            kind_[r][c] = wordKind[i];
        }
}

} // namespace calc
