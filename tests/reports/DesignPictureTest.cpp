#include "reports/DesignPicture.h"

#include "ReportFixture.h"
#include "calc/Calculation.h"

#include <QFileInfo>

using reports::designPictureSize;

namespace {

std::array<double, 10> widths(std::initializer_list<int> set) {
    std::array<double, 10> h{};
    for (int i : set)
        h[size_t(i - 1)] = 600;
    return h;
}
std::array<double, 5> heights(std::initializer_list<int> set) {
    std::array<double, 5> v{};
    for (int i : set)
        v[size_t(i - 1)] = 900;
    return v;
}

} // namespace

TEST(DesignPicture, SizeFollowsTheLastPositiveDimensionAtTwoToOne) {
    EXPECT_EQ(designPictureSize(widths({1}), heights({1})), QSize(200, 100));
    EXPECT_EQ(designPictureSize(widths({1, 2, 3, 4}), heights({1, 2})), QSize(300, 150));
    EXPECT_EQ(designPictureSize(widths({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), heights({1, 2, 3, 4, 5})),
              QSize(650, 325));
    // A gap: the highest-numbered positive width decides.
    EXPECT_EQ(designPictureSize(widths({1, 2, 4}), heights({1})),
              designPictureSize(widths({1, 2, 3, 4}), heights({1})));
    // Tall designs grow the width: 120 x 300 becomes 600 x 300.
    EXPECT_EQ(designPictureSize(widths({1}), heights({1, 2, 3, 4, 5})), QSize(600, 300));
    EXPECT_EQ(designPictureSize(widths({}), heights({})), QSize(200, 100));
}

TEST(DesignPicture, DrawsTheCellsOfTheGrid) {
    QTemporaryDir work;
    design::GridModel grid;
    const QImage empty = reports::renderDesignPicture(grid, work.path(), {650, 325});
    grid.setSpan(0, 0, 2, 2);
    grid.SetCellMode(0, 0, design::Fixed);
    const QImage typed = reports::renderDesignPicture(grid, work.path(), {650, 325});
    ASSERT_EQ(typed.size(), QSize(650, 325));
    // The merged fixed pane covers the top-left 130 x 130 pixels; the rest is unchanged.
    EXPECT_NE(typed.copy(0, 0, 130, 130), empty.copy(0, 0, 130, 130));
    EXPECT_EQ(typed.copy(130, 0, 520, 325), empty.copy(130, 0, 520, 325));
}

TEST_F(ReportData, TheSavedPictureIsOfTheDesignItIsSavedFor) {
    calc::DesignView view;
    design::GridModel grid;
    view.grid = &grid;
    const QString file = reports::designPictureFile(dm->WorkDir);
    QSize sizes[2];
    for (int no : {1, 2}) {
        ASSERT_TRUE(dm->DesignTable.findKey({"SAMPLE-HOUSE", no}));
        calc::showDesignFromRecord(*dm, view);
        ASSERT_TRUE(reports::saveDesignPicture(grid, dm->DesignTable, dm->WorkDir));
        const QImage saved(file);
        EXPECT_EQ(saved.size(), designPictureSize(dm->DesignTable));
        EXPECT_EQ(saved, reports::renderDesignPicture(grid, dm->WorkDir, saved.size())
                             .convertToFormat(saved.format()));
        sizes[no - 1] = saved.size();
    }
    EXPECT_NE(sizes[0], sizes[1]);
    // A folder that cannot take the picture is reported.
    EXPECT_FALSE(reports::saveDesignPicture(grid, dm->DesignTable,
                                            QDir(dm->WorkDir).filePath("no/such/folder")));
}
