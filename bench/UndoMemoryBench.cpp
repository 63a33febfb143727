// The memory Undo's histories take when 50 designs are edited in one sitting:
// each design added and given 20 steps through the DESIGN page (cell types,
// merges, widths, heights, quantity; "undo_memory_bench 50 5" gives each
// design the hundred steps a history keeps), then every history emptied. The heap
// in use before and after the emptying differs by what the histories hold.
#include "SilentMessages.h"
#include "data/DataModule.h"
#include "store/Alias.h"
#include "ui/design/DesignPage.h"
#include "ui/design/DesignUndo.h"
#include "ui/main/MainForm.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QUndoStack>
#include <cstdio>
#include <malloc.h>

namespace {

size_t heapInUse() {
    malloc_trim(0);
    return mallinfo2().uordblks;
}

// One design's twenty steps, each taken as the page takes a user's edit.
void editDesign(data::TDM& dm, ui::main::TMainForm& form, ui::design::TDesignPage& page,
                int round) {
    static const char* words[] = {"FIXED", "TOP", "SIDEL", "SIDER", "BOTTOM"};
    auto cell = [&](int r, int c, const char* word) {
        form.Grid.SetCellMode(r, c, QString::fromLatin1(word));
        page.gridChanged();
        page.Undo->settle();
    };
    auto field = [&](const QString& name, double value) {
        dm.DesignTable.edit();
        dm.DesignTable.fieldByName(name).setAsFloat(value);
        page.Undo->settle();
    };
    for (int i = 0; i < 10; ++i)
        cell(i / 5, (i % 5) * 2, words[(i + round) % 5]);
    form.Grid.setSpan(3, 0, round % 2 ? 1 : 2, 1);
    page.gridChanged();
    page.Undo->settle();
    form.Grid.setSpan(3, 4, 1, round % 2 ? 1 : 2);
    page.gridChanged();
    page.Undo->settle();
    for (int i = 1; i <= 5; ++i)
        field(QStringLiteral("DimH%1").arg(i), 500 + 10 * i + round);
    field(QStringLiteral("DimV1"), 900 + round);
    field(QStringLiteral("DimV2"), 1200 + round);
    field(QStringLiteral("Design_Qty"), 3 + round);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // designs [rounds]: each round is twenty steps a design; five fill a history.
    const int designs = argc > 1 ? std::atoi(argv[1]) : 50;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 1;
    QTemporaryDir work, config;
    SilentMessages messages;
    data::TDM dm(messages, work.path(),
                 store::AliasRegistry(QDir(config.path()).filePath("a.ini")));
    ui::main::TMainForm form(dm, messages);
    ui::design::TDesignPage page(dm, form, messages);
    form.FirstActivation = false;
    form.show();
    form.FormActivate();

    int steps = 0;
    for (int d = 0; d < designs; ++d) {
        page.AddBtnClick();
        page.Undo->settle();
        for (int r = 0; r < rounds; ++r)
            editDesign(dm, form, page, r);
        steps += page.Undo->group().activeStack()->count();
    }
    const size_t full = heapInUse();
    for (QUndoStack* s : page.Undo->group().stacks())
        s->clear();
    const size_t empty = heapInUse();
    const double mb = double(full - empty) / (1024.0 * 1024.0);
    std::printf(
        "designs %d, steps %d (%.1f a design): history %.0f KB = %.2f MB, %.0f bytes a step\n",
        designs, steps, double(steps) / designs, double(full - empty) / 1024.0, mb,
        double(full - empty) / steps);
    return mb < 5.0 ? 0 : 1;
}
