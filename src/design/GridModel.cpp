#include "GridModel.h"

#include "data/Messages.h"

#include <algorithm>

namespace design {

GridModel::GridModel() {
    clear();
}

void GridModel::clear() {
    for (int r = 0; r < RowCount; ++r)
        for (int c = 0; c < ColCount; ++c) {
            CellModes[size_t(r)][size_t(c)] = None;
            spans_[size_t(r)][size_t(c)] = Span{};
        }
}

void GridModel::baseOf(int row, int col, int& baseRow, int& baseCol) const {
    const Span s = span(row, col);
    const bool covered = s.ColSpan <= 0 && s.RowSpan <= 0;
    baseRow = covered ? row + s.RowSpan : row;
    baseCol = covered ? col + s.ColSpan : col;
}

void GridModel::splitArea(int baseRow, int baseCol) {
    const Span s = span(baseRow, baseCol);
    for (int r = baseRow; r < std::min(RowCount, baseRow + std::max(1, s.RowSpan)); ++r)
        for (int c = baseCol; c < std::min(ColCount, baseCol + std::max(1, s.ColSpan)); ++c)
            spans_[size_t(r)][size_t(c)] = Span{};
}

void GridModel::setSpan(int row, int col, int colSpan, int rowSpan) {
    if (row < 0 || row >= RowCount || col < 0 || col >= ColCount) return;
    colSpan = std::clamp(colSpan, 1, ColCount - col);
    rowSpan = std::clamp(rowSpan, 1, RowCount - row);
    for (int r = row; r < row + rowSpan; ++r)
        for (int c = col; c < col + colSpan; ++c) {
            int br = r, bc = c;
            baseOf(r, c, br, bc);
            const Span s = span(br, bc);
            if (br != r || bc != c || s.ColSpan > 1 || s.RowSpan > 1) splitArea(br, bc);
        }
    for (int r = row; r < row + rowSpan; ++r)
        for (int c = col; c < col + colSpan; ++c)
            spans_[size_t(r)][size_t(c)] = Span{col - c, row - r};
    spans_[size_t(row)][size_t(col)] = Span{colSpan, rowSpan};
}

void GridModel::SetCellMode(int CRow, int CCol, const QString& Mode) {
    const Span s = span(CRow, CCol);
    auto set = [&](int r, int c) {
        if (r < RowCount && c < ColCount) setMode(r, c, Mode);
    };
    if (s.RowSpan >= 1 && s.RowSpan <= 3)
        for (int i = 0; i < s.RowSpan; ++i)
            set(CRow + i, CCol);
    if (s.ColSpan >= 1 && s.ColSpan <= 3)
        for (int i = 0; i < s.ColSpan; ++i)
            set(CRow, CCol + i);
    if (s.RowSpan == 2 && s.ColSpan == 2) set(CRow + 1, CCol + 1);
}

MergeResult mergeCells(GridModel& grid, const Selection& sel) {
    if (grid.mode(sel.Row1, sel.Col1) != None) return MergeResult::AnchorNotClear;
    const int R = std::abs(sel.Row2 - sel.Row1) + 1;
    const int C = std::abs(sel.Col2 - sel.Col1) + 1;
    if ((C >= 2 && R > 2) || (R >= 2 && C > 2) || C > 3 || R > 3) return MergeResult::InvalidShape;
    grid.setSpan(std::min(sel.Row1, sel.Row2), std::min(sel.Col1, sel.Col2), C, R);
    return MergeResult::Merged;
}

QString mergeMessage(MergeResult result) {
    switch (result) {
    case MergeResult::AnchorNotClear:
        return QStringLiteral("Cells must be clear before merging");
    case MergeResult::InvalidShape:
        return QStringLiteral("Invalid Merge");
    case MergeResult::Merged:
        break;
    }
    return QString();
}

void MergeImageClick(GridModel& grid, const Selection& selection, data::Messages& messages) {
    const QString text = mergeMessage(mergeCells(grid, selection));
    if (!text.isEmpty()) messages.showMessage(text);
}

const std::array<QString, 14> SashTypeNames = {
    QStringLiteral("SideL"),     QStringLiteral("SideR"),     QStringLiteral("SlidR"),
    QStringLiteral("SlidL"),     QStringLiteral("Top"),       QStringLiteral("Bottom"),
    QStringLiteral("SlidFL"),    QStringLiteral("SlidFR"),    QStringLiteral("SlidU"),
    QStringLiteral("SlidD"),     QStringLiteral("TiltTurnL"), QStringLiteral("TiltTurnR"),
    QStringLiteral("TiltSlidL"), QStringLiteral("TiltSlidR")};

bool isSashWord(const QString& word) {
    return std::any_of(SashTypeNames.begin(), SashTypeNames.end(),
                       [&](const QString& s) { return s.compare(word, Qt::CaseInsensitive) == 0; });
}

namespace {

enum class Kind { NoWindow, FixedPane, Sash };

Kind kindOf(const QString& word) {
    if (isSashWord(word)) return Kind::Sash;
    if (word.compare(Fixed, Qt::CaseInsensitive) == 0) return Kind::FixedPane;
    return Kind::NoWindow;
}

} // namespace

QString CheckType(const GridModel& grid, int Rw, int Col, const QString& Posi, int RSpan, int CSpan,
                  data::Messages* messages) {
    const QString pos = Posi.toUpper();
    bool atEdge = false, leading = false;
    int nRow = Rw, nCol = Col;
    QString edgeWord, betweenWord;
    if (pos == QLatin1String("TOP")) {
        atEdge = Rw == 0;
        nRow = Rw - 1;
        edgeWord = QStringLiteral("Head");
        betweenWord = QStringLiteral("Horiz");
        leading = true;
    } else if (pos == QLatin1String("LEFT")) {
        atEdge = Col == 0;
        nCol = Col - 1;
        edgeWord = QStringLiteral("Jamb");
        betweenWord = QStringLiteral("Vert");
        leading = true;
    } else if (pos == QLatin1String("RIGHT")) {
        atEdge = Col == ColCount - CSpan;
        nCol = Col + CSpan;
        edgeWord = QStringLiteral("Jamb");
        betweenWord = QStringLiteral("Vert");
    } else if (pos == QLatin1String("BOTTOM")) {
        atEdge = Rw == RowCount - RSpan;
        nRow = Rw + RSpan;
        edgeWord = QStringLiteral("Sill");
        betweenWord = QStringLiteral("Horiz");
    } else {
        if (messages) messages->showMessage(QStringLiteral("Please enter a valid position"));
        return QString();
    }
    const Kind own = kindOf(grid.mode(Rw, Col));
    const QString noWindow = QStringLiteral("None, No Window in Frame");
    if (own == Kind::NoWindow) return atEdge || leading ? noWindow : QStringLiteral("None");
    const QString sashSuffix = own == Kind::Sash ? QStringLiteral("Sash") : QString();
    // A neighbour outside the grid counts as no window.
    const bool inside = nRow >= 0 && nRow < RowCount && nCol >= 0 && nCol < ColCount;
    if (atEdge || !inside) return edgeWord + sashSuffix;
    const Kind other = kindOf(grid.mode(nRow, nCol));
    if (other == Kind::NoWindow) return edgeWord + sashSuffix;
    const int sashes = (own == Kind::Sash) + (other == Kind::Sash);
    if (sashes == 0) return betweenWord;
    return betweenWord + QString::number(sashes) + QStringLiteral("Sash");
}

QString sashTableWord(const QString& storedWord) {
    if (storedWord == None) return QStringLiteral("None");
    if (storedWord == Fixed) return QStringLiteral("Fixed");
    for (const QString& s : SashTypeNames)
        if (s.toUpper() == storedWord) return s;
    return storedWord;
}

const std::array<QString, 33> CellImageFiles = {
    QStringLiteral("none.bmp"),      QStringLiteral("top.bmp"),
    QStringLiteral("top2.bmp"),      QStringLiteral("top3.bmp"),
    QStringLiteral("top4.bmp"),      QStringLiteral("sideL.bmp"),
    QStringLiteral("sideL2.bmp"),    QStringLiteral("sideL3.bmp"),
    QStringLiteral("sideL4.bmp"),    QStringLiteral("sideR.bmp"),
    QStringLiteral("sideR2.bmp"),    QStringLiteral("sideR3.bmp"),
    QStringLiteral("sideR4.bmp"),    QStringLiteral("bott.bmp"),
    QStringLiteral("bott2.bmp"),     QStringLiteral("bott3.bmp"),
    QStringLiteral("bott4.bmp"),     QStringLiteral("fix.bmp"),
    QStringLiteral("fix2.bmp"),      QStringLiteral("fix3.bmp"),
    QStringLiteral("fix4.bmp"),      QStringLiteral("fix5.bmp"),
    QStringLiteral("fix6.bmp"),      QStringLiteral("slidR.bmp"),
    QStringLiteral("slidL.bmp"),     QStringLiteral("slidfL.bmp"),
    QStringLiteral("slidfR.bmp"),    QStringLiteral("slidU.bmp"),
    QStringLiteral("SlidD.bmp"),     QStringLiteral("TiltTurnL.bmp"),
    QStringLiteral("TiltTurnR.bmp"), QStringLiteral("TiltSlidL.bmp"),
    QStringLiteral("TiltSlidR.bmp")};

QString cellPicture(const QString& word, int colSpan, int rowSpan) {
    // Pictures by span, in the order 1x1, 2x2, 2x1, 3x1, 1x2, other.
    struct BySpan {
        const char* word;
        const char* pictures[6];
    };
    static const BySpan bySpan[] = {
        {"TOP", {"top.bmp", "top2.bmp", "top3.bmp", "top4.bmp", "top4.bmp", "top4.bmp"}},
        {"BOTTOM", {"bott.bmp", "bott2.bmp", "bott3.bmp", "bott4.bmp", "bott4.bmp", "bott4.bmp"}},
        {"SIDEL",
         {"sideL.bmp", "sideL2.bmp", "sideL4.bmp", "sideL4.bmp", "sideL3.bmp", "sideL4.bmp"}},
        {"SIDER",
         {"sideR.bmp", "sideR2.bmp", "sideR4.bmp", "sideR4.bmp", "sideR3.bmp", "sideR4.bmp"}},
        {"FIXED", {"fix.bmp", "fix2.bmp", "fix3.bmp", "fix4.bmp", "fix5.bmp", "fix6.bmp"}},
    };
    static const std::pair<const char*, const char*> single[] = {
        {"NONE", "none.bmp"},           {"SLIDR", "slidR.bmp"},
        {"SLIDL", "slidL.bmp"},         {"SLIDFL", "slidfL.bmp"},
        {"SLIDFR", "slidfR.bmp"},       {"SLIDU", "slidU.bmp"},
        {"SLIDD", "SlidD.bmp"},         {"TILTTURNL", "TiltTurnL.bmp"},
        {"TILTTURNR", "TiltTurnR.bmp"}, {"TILTSLIDL", "TiltSlidL.bmp"},
        {"TILTSLIDR", "TiltSlidR.bmp"}};
    for (const BySpan& b : bySpan) {
        if (word != QLatin1String(b.word)) continue;
        int i = 5;
        if (colSpan == 1 && rowSpan == 1)
            i = 0;
        else if (colSpan == 2 && rowSpan == 2)
            i = 1;
        else if (colSpan == 2 && rowSpan == 1)
            i = 2;
        else if (colSpan == 3 && rowSpan == 1)
            i = 3;
        else if (colSpan == 1 && rowSpan == 2)
            i = 4;
        return QString::fromLatin1(b.pictures[i]);
    }
    for (const auto& [w, picture] : single)
        if (word == QLatin1String(w)) return QString::fromLatin1(picture);
    return QString();
}

} // namespace design
