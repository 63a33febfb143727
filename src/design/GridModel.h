#pragma once

#include <QString>
#include <array>

namespace data {
class Messages;
}

namespace design {

constexpr int RowCount = 5;
constexpr int ColCount = 10;

// A cell's span as the grid keeps it: the base (top-left) cell of a merged area
// holds the area's size; every other cell of the area holds the non-positive
// offsets back to its base.
struct Span {
    int ColSpan = 1;
    int RowSpan = 1;
    bool operator==(const Span&) const = default;
};

// The grid selection: the cell where it started (Row1, Col1, the anchor) and
// the cell where it ended.
struct Selection {
    int Row1 = 0, Col1 = 0, Row2 = 0, Col2 = 0;
};

// The stored cell words.
inline const QString None = QStringLiteral("NONE");
inline const QString Fixed = QStringLiteral("FIXED");

// The in-memory half of the design shown: the type word of every cell and the
// cells' spans.
class GridModel {
public:
    GridModel();

    QString mode(int row, int col) const { return CellModes[size_t(row)][size_t(col)]; }
    void setMode(int row, int col, const QString& word) {
        CellModes[size_t(row)][size_t(col)] = word;
    }
    Span span(int row, int col) const { return spans_[size_t(row)][size_t(col)]; }

    // Makes (row, col) the base of an area of the given size, cut to the grid's
    // edges; the cells of its earlier area and of any area the new one overlaps
    // return to 1 x 1.
    void setSpan(int row, int col, int colSpan, int rowSpan);

    // Writes the word into the cell and the cells its span covers; a covered
    // cell writes nothing.
    void SetCellMode(int CRow, int CCol, const QString& Mode);

    // Every cell "NONE" and 1 x 1.
    void clear();

    // The base cell of the area the cell belongs to (itself for a base cell).
    void baseOf(int row, int col, int& baseRow, int& baseCol) const;

    bool operator==(const GridModel&) const = default;

    std::array<std::array<QString, ColCount>, RowCount> CellModes;

private:
    void splitArea(int baseRow, int baseCol);
    std::array<std::array<Span, ColCount>, RowCount> spans_;
};

enum class MergeResult { Merged, AnchorNotClear, InvalidShape };

// The merge command on the selection. Returns what happened; the texts of the
// refusals are mergeMessage().
MergeResult mergeCells(GridModel& grid, const Selection& selection);
QString mergeMessage(MergeResult result);
// The merge command as the window runs it: a refusal is shown through `messages`.
void MergeImageClick(GridModel& grid, const Selection& selection, data::Messages& messages);

// The member word on one side of the cell at (Rw, Col) whose span is
// CSpan x RSpan. Posi is "Top", "Left", "Right" or "Bottom" in any case; any
// other word shows "Please enter a valid position" (when `messages` is given)
// and gives an empty word.
QString CheckType(const GridModel& grid, int Rw, int Col, const QString& Posi, int RSpan, int CSpan,
                  data::Messages* messages = nullptr);

// The fourteen opening sash types, in the order the members are classified by.
extern const std::array<QString, 14> SashTypeNames;
bool isSashWord(const QString& word);

// The picture file ("top3.bmp" ...) that draws a cell of this word and span.
// Empty for a word that has none.
QString cellPicture(const QString& word, int colSpan, int rowSpan);
// The 33 cell pictures in their index order.
extern const std::array<QString, 33> CellImageFiles;

// The word the SystemSash rows use for a stored word ("TOP" -> "Top"); an
// unknown word is returned unchanged.
QString sashTableWord(const QString& storedWord);

} // namespace design
