#pragma once

#include "design/DesignSnapshot.h"
#include "design/GridModel.h"

#include <QObject>
#include <QSet>
#include <QUndoGroup>
#include <functional>
#include <map>
#include <optional>
#include <vector>

class QAction;
class QUndoStack;

namespace store {
class Table;
} // namespace store

namespace data {
class TDM;
} // namespace data
namespace ui::main {
class TMainForm;
} // namespace ui::main

namespace ui::design {

class TDesignPage;

// What the DESIGN page shows of one design: its key, the values of its record
// that a user sets (results left out: calculating is not a step), the project
// header and the cells.
struct ShownDesign {
    QString ref;
    int no = 0;
    std::vector<QVariant> design, project;
    ::design::GridModel grid;
    bool sameDesign(const ShownDesign& o) const { return ref == o.ref && no == o.no; }
};

// One step's changes, each with the value before and after it.
struct StepChange {
    struct Value {
        int field;
        QVariant before, after;
    };
    struct Cell {
        quint8 row, col;
        QString modeBefore, modeAfter;
        ::design::Span spanBefore, spanAfter;
    };
    std::vector<Value> design, project;
    std::vector<Cell> cells;
    bool empty() const { return design.empty() && project.empty() && cells.empty(); }
};

// Undo and Redo of the DESIGN page. Whatever the page changes is looked at
// once the event that changed it is over and becomes one step of the shown
// design's history; a history per design, in one group whose active history
// follows the design shown. Taking a step back or forth writes the design as
// the page then shows it, through the design's save, in one transaction.
class DesignUndo : public QObject {
    Q_OBJECT
public:
    DesignUndo(data::TDM& dm, ui::main::TMainForm& main, TDesignPage& page);
    ~DesignUndo() override;

    // Steps a design's history keeps.
    static constexpr int StepLimit = 100;

    QAction* UndoAction;
    QAction* RedoAction;
    QUndoGroup& group() { return group_; }
    // The history of one design; null before the design was first shown.
    QUndoStack* historyOf(const QString& ref, int no) const;

    void undo() { travel(true); }
    void redo() { travel(false); }

    enum class Kind { Edit, NewDesign, DeleteDesign };
    // Makes the command running while it lives one step of the given name:
    // Add and Copy Design a new design's first step, Delete Design a step that
    // brings the design back.
    class Step {
    public:
        Step(DesignUndo* undo, const QString& name, Kind kind = Kind::Edit);
        ~Step();
        Step(const Step&) = delete;
        Step& operator=(const Step&) = delete;
        // What the step turned out to be; empty: named by what it changed.
        void setName(const QString& name);

    private:
        DesignUndo* undo_;
    };

    // Something shown may have changed: looked at once the event is over.
    void changed();
    // The grid was read again from the file: no step of its own.
    void loaded() {
        gridLoaded_ = true;
        changed();
    }
    // Takes what changed since the last look as one step. While a system box
    // has the focus the step waits for leaving it, unless `force`d.
    void settle(bool force = false);

private:
    friend class EditStep;
    friend class DesignRowsStep;

    struct History {
        QString ref;
        int no = 0;
        QUndoStack* stack = nullptr;
        // Fingerprints of every state of the design this history has shown,
        // and of the state its last step left.
        QSet<size_t> seenRecords, seenGrids;
        size_t record = 0, grid = 0;
        qint64 checkedVersion = 0;
    };

    bool ready() const;
    ShownDesign capture() const;
    History& history(const QString& ref, int no);
    History* historyOfStack(const QUndoStack* stack);
    void remember(History& h, const ShownDesign& s);
    // A design shown anew: its history becomes the active one unless `keepActive`.
    void rebase(bool keepActive);
    // Whether another program (or a command outside the history) changed the
    // design since its history last saw it; then the history is cleared.
    bool changedElsewhere(History& h, const ShownDesign* shown);
    void clearHistory(History& h);
    StepChange diff(const ShownDesign& from, const ShownDesign& to) const;
    QString stepName(const StepChange& c, const ShownDesign& to) const;
    void travel(bool back);
    void updateActions();
    void beginStep(const QString& name, Kind kind);
    void endStep();

    // What the commands do.
    void apply(const StepChange& c, bool after);
    // Shows the design (or, when it is gone, the one after it); the design
    // shown before is saved first unless `saveShown` is false.
    void showDesign(const QString& ref, int no, bool saveShown = true);
    void refreshScreen();
    void fail(const QString& message) { failure_ = message; }

    data::TDM& DM;
    ui::main::TMainForm& main_;
    TDesignPage& page_;
    QUndoGroup group_;
    std::map<std::pair<QString, int>, History> histories_;
    std::optional<ShownDesign> base_;
    std::vector<int> designFields_, projectFields_;
    int designRefField_ = -1;
    bool pending_ = false;
    bool gridLoaded_ = false;
    bool restoring_ = false;
    int depth_ = 0;
    QString stepName_;
    Kind stepKind_ = Kind::Edit;
    std::optional<::design::DesignRows> deleted_;
    QString failure_;
    std::function<void(store::Table&)> previousBeforeDelete_;
};

} // namespace ui::design
