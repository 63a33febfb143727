#include "NewGlazingForm.h"

#include "glazing/GlazingRows.h"
#include "glazing/Panes.h"
#include "store/Query.h"
#include "store/StoreError.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

namespace ui::glazing {

using ::glazing::Pane;
using ::glazing::Unit;

namespace {

QDoubleSpinBox* spin(double lo, double hi, double value, int decimals) {
    auto* s = new QDoubleSpinBox;
    s->setRange(lo, hi);
    s->setDecimals(decimals);
    s->setValue(value);
    return s;
}

QStringList column(store::Database& db, const QString& statement, const QString& field) {
    store::Query q(&db, QString());
    q.setSql(statement);
    q.open();
    QStringList out;
    for (q.first(); !q.eof(); q.next())
        out << q.fieldByName(field).asString();
    return out;
}

} // namespace

TNewGlazingForm::TNewGlazingForm(data::TDM& dm, data::Messages& messages, QWidget* parent)
    : QDialog(parent), DM(dm), messages_(messages) {
    setWindowTitle(QStringLiteral("New Glazing"));
    auto* top = new QVBoxLayout(this);

    auto* unitBox = new QGroupBox(QStringLiteral("GLAZING"));
    auto* form = new QGridLayout(unitBox);
    MadeHereCB = new QComboBox;
    DeleteBtn = new QPushButton(QStringLiteral("Delete"));
    DeleteBtn->setToolTip(QStringLiteral("Delete the chosen glazing while no design uses it"));
    SupplierCB = new QComboBox;
    SupplierCB->addItems(column(*DM.database(), QStringLiteral("Select * from Supplier"),
                                QStringLiteral("Glass_Supplier")));
    CodeEdit = new QLineEdit;
    CodeEdit->setMaxLength(15);
    DescEdit = new QLineEdit;
    DescEdit->setMaxLength(50);
    form->addWidget(new QLabel(QStringLiteral("Made here :")), 0, 0);
    form->addWidget(MadeHereCB, 0, 1);
    form->addWidget(DeleteBtn, 0, 2);
    form->addWidget(new QLabel(QStringLiteral("Supplier :")), 1, 0);
    form->addWidget(SupplierCB, 1, 1);
    form->addWidget(new QLabel(QStringLiteral("Code :")), 2, 0);
    form->addWidget(CodeEdit, 2, 1);
    form->addWidget(new QLabel(QStringLiteral("Description :")), 3, 0);
    form->addWidget(DescEdit, 3, 1, 1, 2);
    top->addWidget(unitBox);

    auto* layerBox = new QGroupBox(QStringLiteral("LAYERS (outdoors first)"));
    auto* layers = new QGridLayout(layerBox);
    PaneCountSpin = new QSpinBox;
    PaneCountSpin->setRange(1, 3);
    PaneCountSpin->setValue(2);
    NewPaneBtn = new QPushButton(QStringLiteral("New Pane\u2026"));
    NewPaneBtn->setToolTip(QStringLiteral("Type a pane from a supplier's data sheet"));
    layers->addWidget(new QLabel(QStringLiteral("Panes :")), 0, 0);
    layers->addWidget(PaneCountSpin, 0, 1);
    layers->addWidget(NewPaneBtn, 0, 2);
    for (int i = 0; i < 3; ++i) {
        PaneCB[size_t(i)] = new QComboBox;
        TurnCheck[size_t(i)] = new QCheckBox(QStringLiteral("turned round"));
        TurnCheck[size_t(i)]->setToolTip(
            QStringLiteral("Turn the pane so that its coated face looks the other way"));
        layers->addWidget(new QLabel(QStringLiteral("Pane %1 :").arg(i + 1)), 1 + 2 * i, 0);
        layers->addWidget(PaneCB[size_t(i)], 1 + 2 * i, 1);
        layers->addWidget(TurnCheck[size_t(i)], 1 + 2 * i, 2);
        if (i == 2) break;
        GapSpin[size_t(i)] = spin(0.5, 100.0, 12.0, 1);
        GapSpin[size_t(i)]->setSuffix(QStringLiteral(" mm"));
        GasCB[size_t(i)] = new QComboBox;
        GasCB[size_t(i)]->setEditable(true);
        GasCB[size_t(i)]->addItems({QStringLiteral("air"), QStringLiteral("argon90"),
                                    QStringLiteral("argon"), QStringLiteral("krypton90"),
                                    QStringLiteral("krypton")});
        layers->addWidget(new QLabel(QStringLiteral("Gap %1 :").arg(i + 1)), 2 + 2 * i, 0);
        layers->addWidget(GapSpin[size_t(i)], 2 + 2 * i, 1);
        layers->addWidget(GasCB[size_t(i)], 2 + 2 * i, 2);
    }
    ResultLabel = new QLabel;
    ResultLabel->setTextFormat(Qt::PlainText);
    QFont bold = ResultLabel->font();
    bold.setBold(true);
    ResultLabel->setFont(bold);
    layers->addWidget(ResultLabel, 7, 0, 1, 3);
    top->addWidget(layerBox);

    auto* targetBox = new QGroupBox(QStringLiteral("OFFER IN (system / finish)"));
    auto* targets = new QVBoxLayout(targetBox);
    TargetList = new QListWidget;
    TargetList->setMinimumHeight(140);
    targets->addWidget(TargetList);
    top->addWidget(targetBox);

    auto* buttons = new QDialogButtonBox;
    SaveBtn = buttons->addButton(QStringLiteral("Save"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Close);
    top->addWidget(buttons);

    fillPanes();
    PaneCB[0]->setCurrentText(QStringLiteral("clear6"));
    PaneCB[1]->setCurrentText(QStringLiteral("clear6"));
    PaneCB[2]->setCurrentText(QStringLiteral("clear6"));
    fillMadeHere();
    fillTargets();
    layersChanged();

    for (int i = 0; i < 3; ++i) {
        connect(PaneCB[size_t(i)], &QComboBox::currentIndexChanged, this,
                [this] { layersChanged(); });
        connect(TurnCheck[size_t(i)], &QCheckBox::toggled, this, [this] { layersChanged(); });
    }
    for (int i = 0; i < 2; ++i) {
        connect(GapSpin[size_t(i)], &QDoubleSpinBox::valueChanged, this,
                [this] { layersChanged(); });
        connect(GasCB[size_t(i)], &QComboBox::currentTextChanged, this,
                [this] { layersChanged(); });
    }
    connect(PaneCountSpin, &QSpinBox::valueChanged, this, [this] {
        layersChanged();
        fillTargets();
    });
    connect(MadeHereCB, &QComboBox::activated, this, [this] { madeHereChosen(); });
    connect(DeleteBtn, &QPushButton::clicked, this, &TNewGlazingForm::DeleteBtnClick);
    connect(NewPaneBtn, &QPushButton::clicked, this, &TNewGlazingForm::NewPaneBtnClick);
    connect(SaveBtn, &QPushButton::clicked, this, &TNewGlazingForm::SaveBtnClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TNewGlazingForm::fillPanes() {
    QString error;
    panes_ = ::glazing::allPanes(DM.WorkDir, &error);
    if (!error.isEmpty()) messages_.showMessage(error);
    for (QComboBox* cb : PaneCB) {
        const QString keep = cb->currentText();
        const QSignalBlocker block(cb);
        cb->clear();
        for (const Pane& p : panes_)
            cb->addItem(QString::fromStdString(p.name));
        cb->setCurrentText(keep);
    }
}

void TNewGlazingForm::fillMadeHere(const QString& select) {
    MadeHereCB->clear();
    MadeHereCB->addItem(QStringLiteral("(new glazing)"));
    MadeHereCB->addItems(::glazing::glazingsMadeHere(*DM.database()));
    MadeHereCB->setCurrentText(select.isEmpty() ? QStringLiteral("(new glazing)") : select);
    DeleteBtn->setEnabled(MadeHereCB->currentIndex() > 0);
}

// Every system and finish with a glazing of the same number of panes to copy from.
void TNewGlazingForm::fillTargets() {
    QStringList ticked;
    for (int i = 0; i < TargetList->count(); ++i)
        if (TargetList->item(i)->checkState() == Qt::Checked) ticked << TargetList->item(i)->text();
    TargetList->clear();
    for (const ::glazing::SystemFinish& t :
         ::glazing::offerableTargets(*DM.database(), PaneCountSpin->value())) {
        auto* item = new QListWidgetItem(t.system + QStringLiteral(" / ") + t.finish, TargetList);
        item->setData(Qt::UserRole, t.system);
        item->setData(Qt::UserRole + 1, t.finish);
        item->setCheckState(ticked.contains(item->text()) ? Qt::Checked : Qt::Unchecked);
    }
}

bool TNewGlazingForm::currentUnit(Unit& unit, QString& reason) const {
    QStringList panes, gaps;
    const int n = PaneCountSpin->value();
    for (int i = 0; i < n; ++i) {
        panes << PaneCB[size_t(i)]->currentText() +
                     (TurnCheck[size_t(i)]->isChecked() ? QStringLiteral(":flip") : QString());
        if (i + 1 < n)
            gaps << QString::number(GapSpin[size_t(i)]->value()) + QLatin1Char(':') +
                        GasCB[size_t(i)]->currentText().trimmed();
    }
    return ::glazing::parseUnit(panes, gaps, panes_, unit, reason);
}

void TNewGlazingForm::layersChanged() {
    const int n = PaneCountSpin->value();
    for (int i = 0; i < 3; ++i) {
        PaneCB[size_t(i)]->setEnabled(i < n);
        TurnCheck[size_t(i)]->setEnabled(i < n);
        if (i < 2) {
            GapSpin[size_t(i)]->setEnabled(i + 1 < n);
            GasCB[size_t(i)]->setEnabled(i + 1 < n);
        }
    }
    Unit unit;
    QString reason;
    if (!currentUnit(unit, reason)) {
        ResultLabel->setText(reason);
        SaveBtn->setEnabled(false);
        return;
    }
    const ::glazing::Performance p = ::glazing::computeUnit(unit);
    QString text = QStringLiteral("U_COG : %1 W/m\u00b2K    SHGC_COG : %2    VT : %3")
                       .arg(p.uValue, 0, 'f', 2)
                       .arg(p.shgc, 0, 'f', 2)
                       .arg(std::isnan(p.vt) ? QStringLiteral("-") : QString::number(p.vt, 'f', 2));
    if (const int s = ::glazing::loweSurface(unit))
        text += QStringLiteral("    low-e on surface %1").arg(s);
    ResultLabel->setText(text);
    DescEdit->setPlaceholderText(::glazing::describeUnit(unit));
    SaveBtn->setEnabled(p.converged);
}

void TNewGlazingForm::madeHereChosen() {
    const QString code = MadeHereCB->currentIndex() > 0 ? MadeHereCB->currentText() : QString();
    DeleteBtn->setEnabled(!code.isEmpty());
    if (code.isEmpty()) return;
    store::Query q(DM.database(), QString());
    q.setSql(QStringLiteral("Select * from Glazing Where Glass_Code=?"), {code});
    q.open();
    Unit unit;
    if (q.eof() ||
        !::glazing::layersFromNotes(q.fieldByName(QStringLiteral("Notes")).asString(), unit))
        return;
    CodeEdit->setText(code);
    DescEdit->setText(q.fieldByName(QStringLiteral("Glass_Desc")).asString());
    SupplierCB->setCurrentText(q.fieldByName(QStringLiteral("Glass_Supplier")).asString());
    // Show each stored pane as the listed pane it is, turned or not, or as a
    // pane of its own when the list no longer has it.
    bool added = false;
    std::vector<std::pair<QString, bool>> shown;
    for (size_t i = 0; i < unit.panes.size(); ++i) {
        const QString spec = ::glazing::paneSpec(unit.panes[i]);
        std::pair<QString, bool> found;
        for (const Pane& p : panes_) {
            if (::glazing::paneSpec(p) == spec)
                found = {QString::fromStdString(p.name), false};
            else if (::glazing::paneSpec(::glazing::flipped(p)) == spec)
                found = {QString::fromStdString(p.name), true};
            if (!found.first.isEmpty()) break;
        }
        if (found.first.isEmpty()) {
            Pane own = unit.panes[i];
            own.name = QStringLiteral("%1 pane %2").arg(code).arg(i + 1).toStdString();
            panes_.push_back(own);
            found = {QString::fromStdString(own.name), false};
            added = true;
        }
        shown.push_back(found);
    }
    if (added)
        for (QComboBox* cb : PaneCB) {
            const QSignalBlocker block(cb);
            cb->clear();
            for (const Pane& p : panes_)
                cb->addItem(QString::fromStdString(p.name));
        }
    PaneCountSpin->setValue(int(unit.panes.size()));
    for (size_t i = 0; i < shown.size(); ++i) {
        PaneCB[i]->setCurrentText(shown[i].first);
        TurnCheck[i]->setChecked(shown[i].second);
        if (i < unit.gaps.size()) {
            GapSpin[i]->setValue(unit.gaps[i].width);
            GasCB[i]->setCurrentText(QString::fromStdString(::glazing::gasWord(unit.gaps[i].gas)));
        }
    }
    fillTargets();
    const auto targets = ::glazing::targetsOf(*DM.database(), code);
    for (int i = 0; i < TargetList->count(); ++i) {
        QListWidgetItem* item = TargetList->item(i);
        const ::glazing::SystemFinish sf{item->data(Qt::UserRole).toString(),
                                         item->data(Qt::UserRole + 1).toString()};
        item->setCheckState(std::find(targets.begin(), targets.end(), sf) != targets.end()
                                ? Qt::Checked
                                : Qt::Unchecked);
    }
    layersChanged();
}

void TNewGlazingForm::SaveBtnClick() {
    ::glazing::GlazingRequest r;
    r.code = CodeEdit->text();
    r.description = DescEdit->text().trimmed();
    r.supplier = SupplierCB->currentText();
    QString reason;
    if (!currentUnit(r.unit, reason)) {
        messages_.showMessage(reason);
        return;
    }
    for (int i = 0; i < TargetList->count(); ++i)
        if (TargetList->item(i)->checkState() == Qt::Checked)
            r.targets.push_back({TargetList->item(i)->data(Qt::UserRole).toString(),
                                 TargetList->item(i)->data(Qt::UserRole + 1).toString()});
    const QString editing = MadeHereCB->currentIndex() > 0 ? MadeHereCB->currentText() : QString();
    if (!storeChange([&] {
            return editing.isEmpty() ? ::glazing::addGlazing(*DM.database(), r)
                                     : ::glazing::replaceGlazing(*DM.database(), editing, r);
        }))
        return;
    fillMadeHere(r.code);
    messages_.showMessage(QStringLiteral("Glazing %1 saved for %2 system and finish choice(s).")
                              .arg(r.code)
                              .arg(r.targets.size()));
}

bool TNewGlazingForm::storeChange(const std::function<QString()>& change) {
    QString reason;
    try {
        reason = change();
    } catch (const store::StoreError& e) {
        messages_.showError(e.message());
        return false;
    }
    if (!reason.isEmpty()) {
        messages_.showMessage(reason);
        return false;
    }
    changed_ = true;
    return true;
}

void TNewGlazingForm::DeleteBtnClick() {
    if (MadeHereCB->currentIndex() <= 0) return;
    const QString code = MadeHereCB->currentText();
    if (messages_.messageDlg(QStringLiteral("Delete glazing %1 and its system values?").arg(code),
                             data::DlgType::Confirmation,
                             {data::DlgButton::Yes, data::DlgButton::No}) != data::DlgButton::Yes)
        return;
    if (!storeChange([&] { return ::glazing::deleteGlazing(*DM.database(), code); })) return;
    fillMadeHere();
}

void TNewGlazingForm::NewPaneBtnClick() {
    QDialog d(this);
    d.setWindowTitle(QStringLiteral("New Pane"));
    auto* form = new QFormLayout(&d);
    auto* name = new QLineEdit;
    QDoubleSpinBox* t = spin(0.5, 50, 6, 2);
    QDoubleSpinBox* k = spin(0.01, 100, 1.0, 3);
    QDoubleSpinBox* tsol = spin(0, 1, 0.77, 3);
    QDoubleSpinBox* rf = spin(0, 1, 0.07, 3);
    QDoubleSpinBox* rb = spin(0, 1, 0.07, 3);
    QDoubleSpinBox* tvis = spin(0, 1, 0.88, 3);
    QDoubleSpinBox* ef = spin(0.01, 1, 0.84, 3);
    QDoubleSpinBox* eb = spin(0.01, 1, 0.84, 3);
    form->addRow(QStringLiteral("Name :"), name);
    form->addRow(QStringLiteral("Thickness (mm) :"), t);
    form->addRow(QStringLiteral("Conductivity (W/mK) :"), k);
    form->addRow(QStringLiteral("Solar transmittance :"), tsol);
    form->addRow(QStringLiteral("Solar reflectance, front :"), rf);
    form->addRow(QStringLiteral("Solar reflectance, back :"), rb);
    form->addRow(QStringLiteral("Visible transmittance :"), tvis);
    form->addRow(QStringLiteral("Emissivity, front :"), ef);
    form->addRow(QStringLiteral("Emissivity, back :"), eb);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    if (d.exec() != QDialog::Accepted) return;
    Pane p;
    p.name = name->text().trimmed().toStdString();
    p.thickness = t->value();
    p.conductivity = k->value();
    p.tsol = tsol->value();
    p.rsolFront = rf->value();
    p.rsolBack = rb->value();
    p.tvis = tvis->value();
    p.emisFront = ef->value();
    p.emisBack = eb->value();
    const std::string why = ::glazing::checkUnit(Unit{{p}, {}});
    QString error;
    if (p.name.empty() || name->text().contains(QLatin1Char(',')) ||
        name->text().contains(QLatin1Char(' ')))
        error = QStringLiteral("A pane needs a name without spaces or commas.");
    else if (::glazing::findPane(panes_, name->text().trimmed()))
        error = QStringLiteral("A pane called %1 exists already.").arg(name->text().trimmed());
    else if (!why.empty())
        error = QString::fromStdString(why);
    std::vector<Pane> user;
    const QString file = ::glazing::userPanesFile(DM.WorkDir);
    if (error.isEmpty() && ::glazing::loadUserPanes(file, user, error)) {
        user.push_back(p);
        ::glazing::saveUserPanes(file, user, error);
    }
    if (!error.isEmpty()) {
        messages_.showMessage(error);
        return;
    }
    fillPanes();
}

bool showNewGlazing(data::TDM& dm, data::Messages& messages, QWidget* parent) {
    TNewGlazingForm form(dm, messages, parent);
    form.exec();
    return form.changedTables();
}

} // namespace ui::glazing
