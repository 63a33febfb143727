// Undo and Redo of the DESIGN page: the steps, the histories per design and
// the Edit menu's two commands.
#include "DesignUndo.h"

#include "DesignPage.h"
#include "calc/Calculation.h"
#include "data/DataModule.h"
#include "design/DesignRecords.h"
#include "store/Query.h"
#include "store/StoreError.h"
#include "ui/main/Icons.h"
#include "ui/main/MainForm.h"
#include "widgets/DataControls.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolButton>
#include <QUndoCommand>
#include <QUndoStack>

namespace ui::design {

using store::StoreError;

namespace {

const QString kProjectRef = QStringLiteral("Project_Ref");
const QString kDesignNo = QStringLiteral("Design_No");
// Two writes of one box this close together are one step (a value typed
// again at once).
constexpr qint64 kBurstMs = 2000;

size_t fingerprint(const std::vector<QVariant>& values) {
    size_t h = 0;
    for (const QVariant& v : values)
        h = qHashMulti(h, v.isNull(), v.toString());
    return h;
}

size_t fingerprint(const ::design::GridModel& g) {
    size_t h = 0;
    for (int r = 0; r < ::design::RowCount; ++r)
        for (int c = 0; c < ::design::ColCount; ++c)
            h = qHashMulti(h, g.mode(r, c), g.span(r, c).ColSpan, g.span(r, c).RowSpan);
    return h;
}

// The grid with one step's cells as they were before it or after it.
::design::GridModel withCells(const ::design::GridModel& now,
                              const std::vector<StepChange::Cell>& cells, bool after) {
    std::array<std::array<::design::Span, ::design::ColCount>, ::design::RowCount> spans;
    std::array<std::array<QString, ::design::ColCount>, ::design::RowCount> modes = now.CellModes;
    for (int r = 0; r < ::design::RowCount; ++r)
        for (int c = 0; c < ::design::ColCount; ++c)
            spans[size_t(r)][size_t(c)] = now.span(r, c);
    for (const StepChange::Cell& cell : cells) {
        spans[cell.row][cell.col] = after ? cell.spanAfter : cell.spanBefore;
        modes[cell.row][cell.col] = after ? cell.modeAfter : cell.modeBefore;
    }
    ::design::GridModel g;
    for (int r = 0; r < ::design::RowCount; ++r)
        for (int c = 0; c < ::design::ColCount; ++c) {
            const ::design::Span s = spans[size_t(r)][size_t(c)];
            if (s.ColSpan > 1 || s.RowSpan > 1) g.setSpan(r, c, s.ColSpan, s.RowSpan);
        }
    g.CellModes = modes;
    return g;
}

} // namespace

// A change of the design shown: its values before and after.
class EditStep : public QUndoCommand {
public:
    EditStep(DesignUndo& undo, const QString& ref, int no, StepChange change, const QString& name)
        : QUndoCommand(name), undo_(undo), ref_(ref), no_(no), change_(std::move(change)) {
        since_.start();
    }
    int id() const override { return oneValue() ? 1 : -1; }
    bool mergeWith(const QUndoCommand* other) override {
        const auto* o = static_cast<const EditStep*>(other);
        if (o->ref_ != ref_ || o->no_ != no_ || !o->oneValue() ||
            o->change_.design[0].field != change_.design[0].field || since_.elapsed() > kBurstMs)
            return false;
        change_.design[0].after = o->change_.design[0].after;
        since_.restart();
        if (change_.design[0].before == change_.design[0].after) setObsolete(true);
        return true;
    }
    void undo() override { run(false); }
    void redo() override {
        // Pushed once made: the page shows it already.
        if (std::exchange(first_, false)) return;
        run(true);
    }

private:
    bool oneValue() const {
        return change_.design.size() == 1 && change_.project.empty() && change_.cells.empty();
    }
    void run(bool after) {
        try {
            undo_.showDesign(ref_, no_);
            undo_.apply(change_, after);
        } catch (const StoreError& e) {
            undo_.fail(e.message());
        }
    }

    DesignUndo& undo_;
    QString ref_;
    int no_;
    StepChange change_;
    QElapsedTimer since_;
    bool first_ = true;
};

// Add, Copy or Delete Design: one way the design goes with every row it has,
// the other way they are written back, under the design's own number while
// no design has taken it since.
class DesignRowsStep : public QUndoCommand {
public:
    // `redoRemoves`: Delete Design (`rows` as it removed them); otherwise a
    // new design, taken back by removing it and showing `shownAfterRemoval`.
    DesignRowsStep(DesignUndo& undo, const QString& name, const QString& ref, int no,
                   bool redoRemoves, int shownAfterRemoval, ::design::DesignRows rows = {})
        : QUndoCommand(name), undo_(undo), ref_(ref), no_(no),
          shownAfterRemoval_(shownAfterRemoval), redoRemoves_(redoRemoves), rows_(std::move(rows)) {
    }
    void undo() override { redoRemoves_ ? restore() : remove(); }
    void redo() override {
        if (std::exchange(first_, false)) return;
        redoRemoves_ ? remove() : restore();
    }

private:
    void remove() {
        try {
            undo_.showDesign(ref_, no_);
            undo_.main_.SaveDesign();
            rows_ = ::design::readDesignRows(*undo_.DM.database(), ref_, no_);
            ::design::deleteDesignRows(*undo_.DM.database(), ref_, no_);
            // A deleted design is followed by the one after it, as Delete Design does.
            undo_.showDesign(ref_, redoRemoves_ ? no_ : shownAfterRemoval_, false);
        } catch (const StoreError& e) {
            undo_.fail(e.message());
        }
    }
    void restore() {
        try {
            undo_.main_.SaveDesign();
            no_ = ::design::freeDesignNo(*undo_.DM.database(), ref_, rows_.designNo);
            ::design::writeDesignRows(*undo_.DM.database(), rows_, no_);
            undo_.showDesign(ref_, no_, false);
        } catch (const StoreError& e) {
            undo_.fail(e.message());
        }
    }

    DesignUndo& undo_;
    QString ref_;
    int no_, shownAfterRemoval_;
    bool redoRemoves_;
    ::design::DesignRows rows_;
    bool first_ = true;
};

DesignUndo::DesignUndo(data::TDM& dm, ui::main::TMainForm& main, TDesignPage& page)
    : QObject(&page), DM(dm), main_(main), page_(page) {
    using ui::main::IconKind;
    UndoAction = new QAction(ui::main::commandIcon(IconKind::Undo), QStringLiteral("&Undo"), &main);
    UndoAction->setShortcut(QKeySequence::Undo);
    RedoAction = new QAction(ui::main::commandIcon(IconKind::Redo), QStringLiteral("&Redo"), &main);
    // Ctrl+Y and Ctrl+Shift+Z on every platform, whichever is its own.
    QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
    for (const QKeySequence& k :
         {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)})
        if (!redoKeys.contains(k)) redoKeys << k;
    RedoAction->setShortcuts(redoKeys);
    connect(UndoAction, &QAction::triggered, this, [this] { undo(); });
    connect(RedoAction, &QAction::triggered, this, [this] { redo(); });

    // The Edit menu stands after the first menu (Project), as in every program.
    auto* edit = new QMenu(QStringLiteral("&Edit"), &main);
    edit->menuAction()->setStatusTip(
        QStringLiteral("Take back or do again the changes to the designs"));
    edit->addAction(UndoAction);
    edit->addAction(RedoAction);
    const QList<QAction*> menus = main.menuBar()->actions();
    main.menuBar()->insertMenu(menus.size() > 1 ? menus[1] : nullptr, edit);
    page.UndoBtn->setDefaultAction(UndoAction);
    page.RedoBtn->setDefaultAction(RedoAction);

    connect(&group_, &QUndoGroup::canUndoChanged, this, &DesignUndo::updateActions);
    connect(&group_, &QUndoGroup::canRedoChanged, this, &DesignUndo::updateActions);
    connect(&group_, &QUndoGroup::undoTextChanged, this, &DesignUndo::updateActions);
    connect(&group_, &QUndoGroup::redoTextChanged, this, &DesignUndo::updateActions);
    connect(&group_, &QUndoGroup::activeStackChanged, this, &DesignUndo::updateActions);
    updateActions();
    if (!DM.tablesOpen()) return;

    // The record's values a user sets: results and the key are not steps. The
    // system comes first, for choosing it resets others.
    const store::TableDef& def = DM.DesignTable.def();
    for (size_t i = 0; i < def.fields.size(); ++i) {
        const QString& name = def.fields[i].name;
        if (name == kProjectRef || name == kDesignNo || calc::DesignResultFields.contains(name))
            continue;
        const bool system =
            name == QLatin1String("System_Type") || name == QLatin1String("System_Name");
        if (system)
            designFields_.insert(
                designFields_.begin() + (name == QLatin1String("System_Name") ? 1 : 0), int(i));
        else
            designFields_.push_back(int(i));
    }
    designRefField_ = DM.DesignTable.fieldIndex(QStringLiteral("Design_Ref"));
    const store::TableDef& pdef = DM.ProjectTable.def();
    for (size_t i = 0; i < pdef.fields.size(); ++i)
        if (pdef.fields[i].name != kProjectRef) projectFields_.push_back(int(i));

    for (store::Table* t : {&DM.DesignTable, &DM.ProjectTable}) {
        connect(t, &store::DataSet::fieldChanged, this, &DesignUndo::changed);
        connect(t, &store::DataSet::scrolled, this, &DesignUndo::changed);
        connect(t, &store::DataSet::dataChanged, this, &DesignUndo::changed);
        connect(t, &store::DataSet::stateChanged, this, &DesignUndo::changed);
    }
    // Delete Design keeps every row it removes, read as the data module's
    // cascade starts.
    previousBeforeDelete_ = DM.DesignTable.beforeDelete;
    DM.DesignTable.beforeDelete = [this](store::Table& t) {
        if (depth_ > 0 && stepKind_ == Kind::DeleteDesign && !deleted_)
            deleted_ =
                ::design::readDesignRows(*DM.database(), t.fieldByName(kProjectRef).asString(),
                                         t.fieldByName(kDesignNo).asInteger());
        if (previousBeforeDelete_) previousBeforeDelete_(t);
    };
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget*) {
        if (old == page_.SystemTypeCB || old == page_.SystemNameCB) changed();
    });
    rebase(false);
}

DesignUndo::~DesignUndo() {
    if (ready()) DM.DesignTable.beforeDelete = previousBeforeDelete_;
}

bool DesignUndo::ready() const {
    return DM.tablesOpen() && DM.database() && !designFields_.empty();
}

QUndoStack* DesignUndo::historyOf(const QString& ref, int no) const {
    const auto it = histories_.find({ref, no});
    return it == histories_.end() ? nullptr : it->second.stack;
}

DesignUndo::History& DesignUndo::history(const QString& ref, int no) {
    History& h = histories_[{ref, no}];
    if (!h.stack) {
        h.ref = ref;
        h.no = no;
        h.stack = new QUndoStack(&group_);
        h.stack->setUndoLimit(StepLimit);
        h.checkedVersion = DM.database()->dataVersion();
    }
    return h;
}

DesignUndo::History* DesignUndo::historyOfStack(const QUndoStack* stack) {
    for (auto& [key, h] : histories_)
        if (h.stack == stack) return &h;
    return nullptr;
}

ShownDesign DesignUndo::capture() const {
    ShownDesign s;
    store::Table& D = DM.DesignTable;
    store::Table& P = DM.ProjectTable;
    const bool onProject = P.active() && (!P.isEmpty() || P.editing());
    const bool onDesign = D.active() && (!D.isEmpty() || D.editing());
    if (onDesign) {
        s.ref = D.fieldByName(kProjectRef).asString();
        s.no = D.fieldByName(kDesignNo).asInteger();
    } else if (onProject) {
        s.ref = P.fieldByName(kProjectRef).asString();
    }
    s.design.reserve(designFields_.size());
    for (int f : designFields_)
        s.design.push_back(onDesign ? D.value(f) : QVariant());
    s.project.reserve(projectFields_.size());
    for (int f : projectFields_)
        s.project.push_back(onProject ? P.value(f) : QVariant());
    s.grid = main_.Grid;
    return s;
}

void DesignUndo::remember(History& h, const ShownDesign& s) {
    h.record = fingerprint(s.design);
    h.grid = fingerprint(s.grid);
    h.seenRecords.insert(h.record);
    h.seenGrids.insert(h.grid);
}

void DesignUndo::clearHistory(History& h) {
    h.stack->clear();
    h.seenRecords.clear();
    h.seenGrids.clear();
}

bool DesignUndo::changedElsewhere(History& h, const ShownDesign* shown) {
    bool changed = false;
    if (shown) {
        // Shown anew, the design is as stored: it must be where its history left it.
        changed = fingerprint(shown->design) != h.record || fingerprint(shown->grid) != h.grid;
    } else {
        // Only another program moves the file's data version; then what is
        // stored must be one of the states this history has shown (the
        // screen may hold a step not saved yet).
        const qint64 version = DM.database()->dataVersion();
        if (version == h.checkedVersion) return false;
        h.checkedVersion = version;
        store::Query q(DM.database(),
                       QStringLiteral("Select * from Design Where Project_Ref=? and Design_No=?"));
        q.setSql(q.sql(), {h.ref, h.no});
        q.open();
        if (q.isEmpty()) {
            changed = h.no > 0;
        } else {
            const std::vector<QVariant> row = q.rowAt(0);
            std::vector<QVariant> record;
            for (int f : designFields_)
                record.push_back(
                    row[size_t(q.fieldIndex(DM.DesignTable.def().fields[size_t(f)].name))]);
            ::design::GridModel grid;
            ::design::LoadGraphic(DM.DesignImageTable, DM.DesignMergeTable, h.ref, h.no, grid);
            changed = !h.seenRecords.contains(fingerprint(record)) ||
                      !h.seenGrids.contains(fingerprint(grid));
        }
        q.close();
    }
    if (!changed) return false;
    if (h.stack->count() > 0)
        main_.statusBar()->showMessage(
            QStringLiteral("Design %1 was changed by another program: its undo history is cleared.")
                .arg(h.no));
    clearHistory(h);
    return true;
}

void DesignUndo::rebase(bool keepActive) {
    gridLoaded_ = false;
    ShownDesign now = capture();
    const bool another = !base_ || !now.sameDesign(*base_);
    const bool known = histories_.count({now.ref, now.no}) > 0;
    History& h = history(now.ref, now.no);
    if (known && another) changedElsewhere(h, &now);
    remember(h, now);
    if (!keepActive) group_.setActiveStack(h.stack);
    base_ = std::move(now);
}

void DesignUndo::changed() {
    if (pending_ || restoring_) return;
    pending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (pending_) settle();
        },
        Qt::QueuedConnection);
}

void DesignUndo::settle(bool force) {
    pending_ = false;
    if (!ready() || restoring_ || depth_ > 0) return;
    // A system chosen is one step with what leaving its box resets.
    if (!force && (page_.SystemTypeCB->hasFocus() || page_.SystemNameCB->hasFocus())) return;
    try {
        ShownDesign now = capture();
        if (!base_ || !now.sameDesign(*base_)) {
            rebase(false);
            return;
        }
        // A grid read from the file is no step, unless a command named one
        // (a standard design is applied by writing it and reading it back).
        if (std::exchange(gridLoaded_, false) && stepName_.isEmpty()) base_->grid = now.grid;
        History& h = history(now.ref, now.no);
        if (!changedElsewhere(h, nullptr)) {
            StepChange change = diff(*base_, now);
            if (!change.empty()) {
                const QString name = stepName_.isEmpty() ? stepName(change, now) : stepName_;
                group_.setActiveStack(h.stack);
                h.stack->push(new EditStep(*this, now.ref, now.no, std::move(change), name));
            }
        }
        remember(h, now);
        base_ = std::move(now);
    } catch (const StoreError& e) {
        DM.messages().showError(e.message());
    }
}

StepChange DesignUndo::diff(const ShownDesign& from, const ShownDesign& to) const {
    StepChange c;
    for (size_t k = 0; k < designFields_.size(); ++k)
        if (from.design[k] != to.design[k])
            c.design.push_back({designFields_[k], from.design[k], to.design[k]});
    for (size_t k = 0; k < projectFields_.size(); ++k)
        if (from.project[k] != to.project[k])
            c.project.push_back({projectFields_[k], from.project[k], to.project[k]});
    for (int r = 0; r < ::design::RowCount; ++r)
        for (int col = 0; col < ::design::ColCount; ++col)
            if (from.grid.mode(r, col) != to.grid.mode(r, col) ||
                from.grid.span(r, col) != to.grid.span(r, col))
                c.cells.push_back({quint8(r), quint8(col), from.grid.mode(r, col),
                                   to.grid.mode(r, col), from.grid.span(r, col),
                                   to.grid.span(r, col)});
    return c;
}

QString DesignUndo::stepName(const StepChange& c, const ShownDesign& to) const {
    const store::TableDef& def = DM.DesignTable.def();
    auto changedField = [&](const QString& name) {
        for (const StepChange::Value& v : c.design)
            if (def.fields[size_t(v.field)].name == name) return true;
        return false;
    };
    if (changedField(QStringLiteral("System_Type"))) return QStringLiteral("System Type");
    if (changedField(QStringLiteral("System_Name"))) return QStringLiteral("System Name");
    // Clear Design leaves no cell and no size.
    int sizesChanged = 0;
    bool noSizes = true;
    for (size_t k = 0; k < designFields_.size(); ++k) {
        const QString& name = def.fields[size_t(designFields_[k])].name;
        if (!name.startsWith(QLatin1String("DimH")) && !name.startsWith(QLatin1String("DimV")))
            continue;
        noSizes = noSizes && to.design[k].toDouble() == 0;
        for (const StepChange::Value& v : c.design)
            sizesChanged += v.field == designFields_[k];
    }
    if (noSizes && to.grid == ::design::GridModel() && (!c.cells.empty() || sizesChanged > 1))
        return QStringLiteral("Clear Design");
    static const std::pair<const char*, const char*> names[] = {
        {"Glass_Supplier", "Glazing Supplier"},
        {"Glass_Code", "Glazing Code"},
        {"Profile1", "Head Profile"},
        {"Profile2", "Sill Profile"},
        {"Profile3", "Jamb Profile"},
        {"Profile4", "Mullion Profile"},
        {"Profile5", "Transom Profile"},
        {"Finish", "Finish"},
        {"Continuous", "Continuous"},
        {"Wind_Load", "Wind Load"},
        {"Design_Qty", "Quantity"},
        {"Design_Ref", "Reference"},
        {"Floor", "Storey"},
        {"Elevation", "Orientation"}};
    for (const auto& [field, name] : names)
        if (changedField(QString::fromLatin1(field))) return QString::fromLatin1(name);
    for (int i = 1; i <= 10; ++i)
        if (changedField(QStringLiteral("DimH%1").arg(i)))
            return QStringLiteral("Width of column %1").arg(i);
    for (int i = 1; i <= 5; ++i)
        if (changedField(QStringLiteral("DimV%1").arg(i)))
            return QStringLiteral("Height of row %1").arg(i);
    if (!c.cells.empty()) {
        bool spans = false, merged = false;
        for (const StepChange::Cell& cell : c.cells) {
            spans = spans || cell.spanBefore != cell.spanAfter;
            merged = merged || cell.spanAfter.ColSpan > 1 || cell.spanAfter.RowSpan > 1;
        }
        if (spans) return merged ? QStringLiteral("Merge Cells") : QStringLiteral("Unmerge Cells");
        return QStringLiteral("Cell Type");
    }
    const store::TableDef& pdef = DM.ProjectTable.def();
    static const std::pair<const char*, const char*> header[] = {{"Project_Name", "Project Name"},
                                                                 {"Project_Date", "Project Date"},
                                                                 {"Def_Finish", "Project Finish"},
                                                                 {"Def_WL", "Project W/L"},
                                                                 {"Designed_By", "Designed By"}};
    for (const auto& [field, name] : header)
        for (const StepChange::Value& v : c.project)
            if (pdef.fields[size_t(v.field)].name == QLatin1String(field))
                return QString::fromLatin1(name);
    if (!c.project.empty()) return QStringLiteral("Project Details");
    return QStringLiteral("Design Change");
}

void DesignUndo::travel(bool back) {
    if (!ready() || restoring_) return;
    try {
        // What is typed in a box is a step of its own, taken back first.
        DM.DesignTable.flushControls();
        DM.ProjectTable.flushControls();
    } catch (const StoreError& e) {
        DM.messages().showError(e.message());
        return;
    }
    settle(true);
    QUndoStack* stack = group_.activeStack();
    if (!stack || !(back ? stack->canUndo() : stack->canRedo())) return;
    History* h = historyOfStack(stack);
    if (h && base_ && h->ref == base_->ref && h->no == base_->no && changedElsewhere(*h, nullptr))
        return;
    failure_.clear();
    restoring_ = true;
    if (back)
        stack->undo();
    else
        stack->redo();
    restoring_ = false;
    pending_ = false;
    if (!failure_.isEmpty()) {
        // Nothing of the step landed: the page shows the file again, and this
        // history, no longer the file's, ends.
        stack->clear();
        try {
            if (DM.DesignTable.editing()) DM.DesignTable.cancel();
            if (DM.ProjectTable.editing()) DM.ProjectTable.cancel();
            main_.LoadGraphic(true);
            refreshScreen();
        } catch (const StoreError&) {
        }
        DM.messages().showError(failure_);
    }
    try {
        rebase(true);
    } catch (const StoreError& e) {
        DM.messages().showError(e.message());
    }
}

void DesignUndo::updateActions() {
    const bool canUndo = group_.canUndo(), canRedo = group_.canRedo();
    const QString undoText =
        canUndo ? QStringLiteral("Undo %1").arg(group_.undoText()) : QStringLiteral("Undo");
    const QString redoText =
        canRedo ? QStringLiteral("Redo %1").arg(group_.redoText()) : QStringLiteral("Redo");
    UndoAction->setText(QLatin1Char('&') + undoText);
    UndoAction->setToolTip(undoText);
    UndoAction->setStatusTip(undoText);
    UndoAction->setEnabled(canUndo);
    RedoAction->setText(QLatin1Char('&') + redoText);
    RedoAction->setToolTip(redoText);
    RedoAction->setStatusTip(redoText);
    RedoAction->setEnabled(canRedo);
}

void DesignUndo::beginStep(const QString& name, Kind kind) {
    if (depth_ == 0) {
        settle(true);
        // The design shown is stored as shown first: Add Design would lose
        // its cells typed since the last save, and Delete Design keeps its rows.
        if (kind != Kind::Edit) main_.SaveDesign();
        stepName_ = name;
        stepKind_ = kind;
        deleted_.reset();
    }
    ++depth_;
}

void DesignUndo::endStep() {
    if (--depth_ > 0) return;
    try {
        if (stepKind_ == Kind::NewDesign) {
            ShownDesign now = capture();
            if (base_ && now.no > 0 && !now.sameDesign(*base_)) {
                History& h = history(now.ref, now.no);
                clearHistory(h);
                h.stack->push(
                    new DesignRowsStep(*this, stepName_, now.ref, now.no, false, base_->no));
                remember(h, now);
                group_.setActiveStack(h.stack);
                base_ = std::move(now);
            } else {
                settle(true);
            }
        } else if (stepKind_ == Kind::DeleteDesign && deleted_) {
            History& h = history(deleted_->projectRef, deleted_->designNo);
            const QString ref = deleted_->projectRef;
            const int no = deleted_->designNo;
            h.stack->push(
                new DesignRowsStep(*this, stepName_, ref, no, true, no, std::move(*deleted_)));
            // The deleted design's history stays the active one, so that its
            // deletion can be taken back at once.
            rebase(true);
            group_.setActiveStack(h.stack);
        } else {
            settle(true);
        }
    } catch (const StoreError& e) {
        DM.messages().showError(e.message());
    }
    stepName_.clear();
    stepKind_ = Kind::Edit;
    deleted_.reset();
    // What the command read from the file belongs to its step.
    gridLoaded_ = false;
}

DesignUndo::Step::Step(DesignUndo* undo, const QString& name, Kind kind)
    : undo_(undo && undo->ready() ? undo : nullptr) {
    if (undo_) undo_->beginStep(name, kind);
}

void DesignUndo::Step::setName(const QString& name) {
    if (undo_) undo_->stepName_ = name;
}

DesignUndo::Step::~Step() {
    if (undo_) undo_->endStep();
}

void DesignUndo::apply(const StepChange& c, bool after) {
    store::Table& D = DM.DesignTable;
    store::Table& P = DM.ProjectTable;
    store::Transaction tx(*DM.database());
    bool figures = !c.cells.empty();
    if (!c.design.empty()) {
        D.edit();
        // Twice: a field's own rule (a system's Continuous) may reset another.
        for (int pass = 0; pass < 2; ++pass)
            for (const StepChange::Value& v : c.design) {
                const QVariant& want = after ? v.after : v.before;
                if (D.value(v.field) != want) D.field(v.field).setValue(want);
            }
        for (const StepChange::Value& v : c.design)
            figures = figures || v.field != designRefField_;
    }
    if (!c.project.empty()) {
        P.edit();
        for (const StepChange::Value& v : c.project)
            P.field(v.field).setValue(after ? v.after : v.before);
    }
    if (!c.cells.empty()) main_.Grid = withCells(main_.Grid, c.cells, after);
    main_.SaveDesign();
    // Results of figures the step changed are no longer current.
    if (figures) page_.Calc.UpdateCalcBtn(true);
    tx.commit();
    refreshScreen();
}

void DesignUndo::showDesign(const QString& ref, int no, bool saveShown) {
    store::Table& D = DM.DesignTable;
    store::Table& P = DM.ProjectTable;
    const bool shown = D.active() && !D.isEmpty() && D.fieldByName(kProjectRef).asString() == ref &&
                       D.fieldByName(kDesignNo).asInteger() == no;
    // A design taken away under the cursor is shown again from the file.
    if (shown && saveShown) return;
    if (saveShown) main_.SaveDesign();
    if (P.fieldByName(kProjectRef).asString() != ref) P.findKey({ref});
    if (!D.findKey({ref, no})) {
        // Gone: the design after it, else the last one.
        bool found = false;
        for (D.first(); !D.eof() && !found;) {
            found = D.fieldByName(kDesignNo).asInteger() > no;
            if (!found) D.next();
        }
        if (!found && !D.isEmpty()) D.last();
    }
    main_.LoadGraphic(true);
    page_.UpdateOptions();
    main_.DesignBtnClick();
    refreshScreen();
}

void DesignUndo::refreshScreen() {
    page_.UpdateOptions();
    page_.SetGlassCodeCB();
    page_.gridChanged();
    page_.enableAllDimensions(false);
    page_.enableDimensions();
}

} // namespace ui::design
