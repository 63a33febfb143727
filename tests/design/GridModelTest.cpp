#include "design/GridModel.h"

#include "design/Dimensions.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace design;
using testing_support::RecordingMessages;

namespace {

Selection sel(int row1, int col1, int row2, int col2) {
    return Selection{row1, col1, row2, col2};
}

Dimensions sampleDims() {
    Dimensions d;
    for (int i = 0; i < ColCount; ++i)
        d.H[size_t(i)] = 100 * (i + 1); // DimH(i+1) = 100 (i+1)
    for (int j = 0; j < RowCount; ++j)
        d.V[size_t(j)] = 1000 + 10 * (j + 1);
    return d;
}

} // namespace

TEST(CellModes, SetCellModeFillsEveryCellOfTheArea) {
    GridModel g;
    g.setSpan(1, 1, 2, 2);
    g.SetCellMode(1, 1, "SLIDL");
    for (int r = 0; r < RowCount; ++r)
        for (int c = 0; c < ColCount; ++c)
            EXPECT_EQ(g.mode(r, c), (r >= 1 && r <= 2 && c >= 1 && c <= 2) ? "SLIDL" : "NONE")
                << r << "," << c;

    g.setSpan(0, 5, 3, 1);
    g.SetCellMode(0, 5, "FIXED");
    EXPECT_EQ(g.mode(0, 7), "FIXED");
    g.setSpan(2, 9, 1, 3);
    g.SetCellMode(2, 9, "TOP");
    EXPECT_EQ(g.mode(4, 9), "TOP");
    // A covered cell writes nothing.
    g.SetCellMode(2, 2, "BOTTOM");
    EXPECT_EQ(g.mode(2, 2), "SLIDL");
}

TEST(CellSpans, CoveredCellsHoldOffsetsBackToTheirBase) {
    GridModel g;
    g.setSpan(1, 1, 2, 2);
    EXPECT_EQ(g.span(1, 1), (Span{2, 2}));
    EXPECT_EQ(g.span(1, 2), (Span{-1, 0}));
    EXPECT_EQ(g.span(2, 1), (Span{0, -1}));
    EXPECT_EQ(g.span(2, 2), (Span{-1, -1}));
    int br = -1, bc = -1;
    g.baseOf(2, 2, br, bc);
    EXPECT_EQ(br, 1);
    EXPECT_EQ(bc, 1);
}

TEST(CellSpans, NewAreaSplitsTheAreasItOverlapsAndIsCutAtTheEdge) {
    GridModel g;
    g.setSpan(0, 0, 2, 2);
    g.setSpan(1, 1, 2, 1); // overlaps the 2 x 2 area's covered corner
    EXPECT_EQ(g.span(0, 0), (Span{1, 1}));
    EXPECT_EQ(g.span(0, 1), (Span{1, 1}));
    EXPECT_EQ(g.span(1, 0), (Span{1, 1}));
    EXPECT_EQ(g.span(1, 1), (Span{2, 1}));
    EXPECT_EQ(g.span(1, 2), (Span{-1, 0}));
    g.setSpan(4, 8, 3, 3);
    EXPECT_EQ(g.span(4, 8), (Span{2, 1}));
    // Re-basing an area on its base cell gives the rest of it back.
    g.setSpan(1, 1, 1, 1);
    EXPECT_EQ(g.span(1, 2), (Span{1, 1}));
}

TEST(Merge, AllowedShapesMergeAtTheTopLeftOfTheSelection) {
    GridModel g;
    EXPECT_EQ(mergeCells(g, sel(2, 4, 2, 5)), MergeResult::Merged);
    EXPECT_EQ(g.span(2, 4), (Span{2, 1}));
    EXPECT_EQ(g.span(2, 5), (Span{-1, 0}));
    double w = -1, h = -1;
    const Dimensions d = sampleDims();
    GetDimension(g, d, 2, 4, w, h);
    EXPECT_DOUBLE_EQ(w, 500 + 600); // DimH5 + DimH6
    EXPECT_DOUBLE_EQ(h, 1030);

    // Selected from the bottom-right corner upwards.
    EXPECT_EQ(mergeCells(g, sel(1, 1, 0, 0)), MergeResult::Merged);
    EXPECT_EQ(g.span(0, 0), (Span{2, 2}));
    EXPECT_EQ(mergeCells(g, sel(0, 7, 0, 9)), MergeResult::Merged);
    EXPECT_EQ(g.span(0, 7), (Span{3, 1}));
    EXPECT_EQ(mergeCells(g, sel(2, 9, 4, 9)), MergeResult::Merged);
    EXPECT_EQ(g.span(2, 9), (Span{1, 3}));
}

TEST(Merge, RefusesShapesOutsideTheSix) {
    RecordingMessages m;
    for (const Selection& s : {sel(0, 0, 1, 2), sel(0, 0, 2, 1), sel(0, 0, 2, 2), sel(0, 0, 0, 3),
                               sel(0, 0, 3, 0), sel(0, 0, 4, 9)}) {
        GridModel g;
        MergeImageClick(g, s, m);
        EXPECT_EQ(g, GridModel()) << s.Row2 << "," << s.Col2;
    }
    EXPECT_EQ(m.texts, QStringList(6, "Invalid Merge"));
}

TEST(Merge, AnchorMustBeClearWhateverTheOtherCellsHold) {
    RecordingMessages m;
    GridModel g;
    g.setMode(1, 1, "FIXED");
    MergeImageClick(g, sel(1, 1, 1, 2), m);
    EXPECT_EQ(m.texts, QStringList{"Cells must be clear before merging"});
    EXPECT_EQ(g.span(1, 1), (Span{1, 1}));
    // Only the anchor is tested: a typed cell elsewhere in the selection merges.
    m.texts.clear();
    MergeImageClick(g, sel(1, 0, 1, 1), m);
    EXPECT_TRUE(m.texts.isEmpty());
    EXPECT_EQ(g.span(1, 0), (Span{2, 1}));
}

TEST(Merge, SelectingOnlyTheBaseUnmerges) {
    GridModel g;
    ASSERT_EQ(mergeCells(g, sel(3, 3, 3, 4)), MergeResult::Merged);
    EXPECT_EQ(mergeCells(g, sel(3, 3, 3, 3)), MergeResult::Merged);
    EXPECT_EQ(g.span(3, 3), (Span{1, 1}));
    EXPECT_EQ(g.span(3, 4), (Span{1, 1}));
}

TEST(Merge, ClearEmptiesEveryCell) {
    GridModel g;
    g.setSpan(0, 0, 2, 2);
    g.SetCellMode(0, 0, "TOP");
    g.setMode(4, 9, "FIXED");
    g.clear();
    EXPECT_EQ(g, GridModel());
    EXPECT_EQ(g.mode(4, 9), "NONE");
    EXPECT_EQ(g.span(1, 1), (Span{1, 1}));
}

TEST(CheckType, SingleFixedPaneAtTheCornerHasFrameMembersAllRound) {
    GridModel g;
    g.setMode(0, 0, "FIXED");
    EXPECT_EQ(CheckType(g, 0, 0, "Top", 1, 1), "Head");
    EXPECT_EQ(CheckType(g, 0, 0, "LEFT", 1, 1), "Jamb");
    EXPECT_EQ(CheckType(g, 0, 0, "right", 1, 1), "Jamb");
    EXPECT_EQ(CheckType(g, 0, 0, "Bottom", 1, 1), "Sill");
    g.setMode(0, 0, "TOP");
    EXPECT_EQ(CheckType(g, 0, 0, "Top", 1, 1), "HeadSash");
    EXPECT_EQ(CheckType(g, 0, 0, "Right", 1, 1), "JambSash");
    EXPECT_EQ(CheckType(g, 0, 0, "Bottom", 1, 1), "SillSash");
}

TEST(CheckType, SharedMembersCountTheSashesMeetingThem) {
    GridModel g;
    g.setMode(2, 3, "SIDEL");
    g.setMode(2, 4, "SIDER");
    EXPECT_EQ(CheckType(g, 2, 3, "Right", 1, 1), "Vert2Sash");
    EXPECT_EQ(CheckType(g, 2, 4, "Left", 1, 1), "Vert2Sash");
    g.setMode(2, 4, "FIXED");
    EXPECT_EQ(CheckType(g, 2, 3, "Right", 1, 1), "Vert1Sash");
    EXPECT_EQ(CheckType(g, 2, 4, "Left", 1, 1), "Vert1Sash");
    g.setMode(3, 4, "FIXED");
    EXPECT_EQ(CheckType(g, 2, 4, "Bottom", 1, 1), "Horiz");
    EXPECT_EQ(CheckType(g, 3, 4, "Top", 1, 1), "Horiz");
    g.setMode(3, 4, "slidu"); // sash words are recognised in any case
    EXPECT_EQ(CheckType(g, 2, 4, "Bottom", 1, 1), "Horiz1Sash");
    // Beside an empty cell the member is an outer one.
    EXPECT_EQ(CheckType(g, 2, 3, "Left", 1, 1), "JambSash");
    EXPECT_EQ(CheckType(g, 2, 4, "Top", 1, 1), "Head");
}

TEST(CheckType, MergedAreasLookPastTheirWholeSpan) {
    GridModel g;
    g.setSpan(0, 7, 3, 1);
    g.SetCellMode(0, 7, "FIXED");
    EXPECT_EQ(CheckType(g, 0, 7, "Right", 1, 3), "Jamb"); // 10 - 3 = 7: at the frame edge
    g.setSpan(0, 0, 2, 2);
    g.SetCellMode(0, 0, "TOP");
    g.setMode(0, 2, "FIXED");
    g.setMode(2, 0, "BOTTOM");
    EXPECT_EQ(CheckType(g, 0, 0, "Right", 2, 2), "Vert1Sash");
    EXPECT_EQ(CheckType(g, 0, 0, "Bottom", 2, 2), "Horiz2Sash");
    g.setMode(4, 0, "FIXED");
    EXPECT_EQ(CheckType(g, 4, 0, "Bottom", 1, 1), "Sill");
}

TEST(CheckType, EmptyCellsAndUnknownPositions) {
    RecordingMessages m;
    GridModel g;
    EXPECT_EQ(CheckType(g, 0, 0, "Top", 1, 1), "None, No Window in Frame");
    EXPECT_EQ(CheckType(g, 2, 2, "Top", 1, 1), "None, No Window in Frame");
    EXPECT_EQ(CheckType(g, 2, 2, "Left", 1, 1), "None, No Window in Frame");
    EXPECT_EQ(CheckType(g, 2, 2, "Right", 1, 1), "None");
    EXPECT_EQ(CheckType(g, 2, 2, "Bottom", 1, 1), "None");
    EXPECT_EQ(CheckType(g, 4, 9, "Bottom", 1, 1), "None, No Window in Frame");
    EXPECT_TRUE(CheckType(g, 2, 2, "Middle", 1, 1, &m).isEmpty());
    EXPECT_EQ(m.texts, QStringList{"Please enter a valid position"});
}

TEST(CellPictures, WordAndSpanChooseThePicture) {
    EXPECT_EQ(cellPicture("TOP", 1, 1), "top.bmp");
    EXPECT_EQ(cellPicture("TOP", 2, 2), "top2.bmp");
    EXPECT_EQ(cellPicture("TOP", 2, 1), "top3.bmp");
    EXPECT_EQ(cellPicture("TOP", 1, 2), "top4.bmp");
    EXPECT_EQ(cellPicture("FIXED", 1, 2), "fix5.bmp");
    EXPECT_EQ(cellPicture("FIXED", 1, 3), "fix6.bmp");
    EXPECT_EQ(cellPicture("FIXED", 3, 1), "fix4.bmp");
    EXPECT_EQ(cellPicture("SIDEL", 1, 2), "sideL3.bmp");
    EXPECT_EQ(cellPicture("SIDER", 2, 1), "sideR4.bmp");
    EXPECT_EQ(cellPicture("BOTTOM", 1, 3), "bott4.bmp");
    EXPECT_EQ(cellPicture("SLIDD", 2, 2), "SlidD.bmp");
    EXPECT_EQ(cellPicture("TILTSLIDR", 1, 1), "TiltSlidR.bmp");
    EXPECT_EQ(cellPicture("NONE", 1, 1), "none.bmp");
    EXPECT_TRUE(cellPicture("Top", 1, 1).isEmpty()); // words compare exactly
    EXPECT_EQ(CellImageFiles.size(), 33u);
    EXPECT_EQ(CellImageFiles[28], "SlidD.bmp");
    EXPECT_EQ(CellImageFiles[17], "fix.bmp");
}

TEST(GetDimension, SpansSumTheirColumnsAndRows) {
    GridModel g;
    Dimensions d;
    d.H[0] = 600;
    d.V[0] = 1200;
    double w = 0, h = 0;
    GetDimension(g, d, 0, 0, w, h);
    EXPECT_DOUBLE_EQ(w, 600);
    EXPECT_DOUBLE_EQ(h, 1200);

    d = sampleDims();
    g.setSpan(3, 8, 2, 2);
    GetDimension(g, d, 3, 8, w, h);
    EXPECT_DOUBLE_EQ(w, 900 + 1000);
    EXPECT_DOUBLE_EQ(h, 1040 + 1050);
    g.setSpan(0, 7, 3, 1);
    GetDimension(g, d, 0, 7, w, h);
    EXPECT_DOUBLE_EQ(w, 800 + 900 + 1000);
    EXPECT_DOUBLE_EQ(h, 1010);
    g.setSpan(0, 0, 1, 3);
    GetDimension(g, d, 0, 0, w, h);
    EXPECT_DOUBLE_EQ(w, 100);
    EXPECT_DOUBLE_EQ(h, 1010 + 1020 + 1030);
}

TEST(GetDimension, CoveredCellsAndUndefinedShapesKeepWhatTheCallerPassed) {
    GridModel g;
    const Dimensions d = sampleDims();
    g.setSpan(1, 1, 2, 2);
    double w = -7, h = -8;
    GetDimension(g, d, 2, 2, w, h);
    EXPECT_EQ(w, -7);
    EXPECT_EQ(h, -8);
    g.setSpan(0, 5, 1, 4); // 1 x 4: its width, but no height
    GetDimension(g, d, 0, 5, w, h);
    EXPECT_DOUBLE_EQ(w, 600);
    EXPECT_EQ(h, -8);
    GetDimension(g, d, 5, 0, w, h); // off the grid
    EXPECT_DOUBLE_EQ(w, 600);
}

TEST(EnableDimensions, BoxesOfTheSelectedTypedCellOnly) {
    GridModel g;
    g.setSpan(1, 2, 3, 1);
    g.SetCellMode(1, 2, "FIXED");
    EXPECT_EQ(EnableDimensions(g, 1, 2), (QStringList{"DimH3", "DimH4", "DimH5", "DimV2"}));
    EXPECT_TRUE(EnableDimensions(g, 0, 0).isEmpty());
    g.setSpan(3, 9, 1, 2);
    g.SetCellMode(3, 9, "TOP");
    EXPECT_EQ(EnableDimensions(g, 3, 9), (QStringList{"DimH10", "DimV4", "DimV5"}));
}
