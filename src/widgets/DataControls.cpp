#include "DataControls.h"

#include "store/StoreError.h"
#include "store/Table.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <QtDebug>

namespace widgets {

namespace {
std::function<void(const QString&)>& errorHandler() {
    static std::function<void(const QString&)> handler = [](const QString& text) { qWarning().noquote() << text; };
    return handler;
}
}  // namespace

void setErrorHandler(std::function<void(const QString&)> handler) { errorHandler() = std::move(handler); }

void reportError(const QString& text) { errorHandler()(text); }

void FieldLink::bind(store::DataSet* dataSet, const QString& field) {
    for (const auto& c : connections_) disconnect(c);
    connections_.clear();
    ds_ = dataSet;
    field_ = field;
    if (ds_) {
        auto refresh = [this] { emit refreshNeeded(); };
        connections_ << connect(ds_, &store::DataSet::scrolled, this, refresh);
        connections_ << connect(ds_, &store::DataSet::dataChanged, this, refresh);
        connections_ << connect(ds_, &store::DataSet::stateChanged, this, refresh);
        connections_ << connect(ds_, &store::DataSet::fieldChanged, this, [this](int f) {
            if (ds_ && f == ds_->fieldIndex(field_)) emit refreshNeeded();
        });
        connections_ << connect(ds_, &store::DataSet::updateRecord, this, [this] { emit writePending(); });
    }
    emit refreshNeeded();
}

bool FieldLink::bound() const { return ds_ && ds_->active() && ds_->fieldIndex(field_) >= 0; }

store::Field FieldLink::field() const { return ds_->fieldByName(field_); }

bool FieldLink::startEdit() {
    if (!bound()) return false;
    auto* table = qobject_cast<store::Table*>(ds_.data());
    try {
        if (!ds_->editing()) {
            if (!table) throw store::StoreError(QStringLiteral("Cannot modify a read-only dataset"));
            table->edit();
        }
        return true;
    } catch (const store::StoreError& e) {
        reportError(e.message());
        return false;
    }
}

bool FieldLink::write(const QVariant& value) {
    rejected_ = false;
    if (!startEdit()) return false;
    try {
        field().setValue(value);
        return true;
    } catch (const store::StoreError& e) {
        // A value a typed field cannot take is the user's typing, not a fault:
        // said in the words of the control's caption.
        auto* control = qobject_cast<QWidget*>(parent());
        const QString said = control ? mustBeMessage(field().def(), controlCaption(control)) : QString();
        if (said.isEmpty()) {
            reportError(e.message());
            return false;
        }
        rejected_ = true;
        reportError(said);
        return false;
    }
}

QString mustBeMessage(const store::FieldDef& field, const QString& caption) {
    QString what;
    switch (field.type) {
    case store::FieldType::Integer: what = QStringLiteral("a whole number"); break;
    case store::FieldType::Number: what = QStringLiteral("a number"); break;
    case store::FieldType::Date: what = QStringLiteral("a date (dd/mm/yyyy)"); break;
    case store::FieldType::Logical: what = QStringLiteral("yes or no"); break;
    default: return {};
    }
    return QStringLiteral("%1 must be %2").arg(caption, what);
}

QString controlCaption(const QWidget* control) {
    for (const QWidget* w = control->parentWidget(); w; w = w->parentWidget()) {
        for (const QLabel* label : w->findChildren<QLabel*>()) {
            if (label->buddy() != control) continue;
            QString text = label->text();
            text.remove(QLatin1Char('&'));
            text = text.trimmed();
            if (text.endsWith(QLatin1Char(':'))) text.chop(1);
            return text.trimmed();
        }
    }
    return control->accessibleName().isEmpty() ? QStringLiteral("The value") : control->accessibleName();
}

DBEdit::DBEdit(QWidget* parent) : QLineEdit(parent) {
    connect(&link_, &FieldLink::refreshNeeded, this, &DBEdit::refresh);
    connect(&link_, &FieldLink::writePending, this, [this] { commit(); });
    connect(this, &QLineEdit::textEdited, this, [this] {
        if (pending_) return;
        // Pending before the edit starts: starting it refreshes the controls.
        pending_ = true;
        if (!link_.startEdit()) {
            pending_ = false;
            refresh();
        }
    });
    connect(this, &QLineEdit::returnPressed, this, [this] { commit(); });
}

void DBEdit::setDataField(store::DataSet* dataSet, const QString& field) { link_.bind(dataSet, field); }

void DBEdit::refresh() {
    // Typing waits for its write while the row is being edited; a cancelled
    // edit takes the typing with it.
    if (pending_ && link_.dataSet() && link_.dataSet()->editing()) return;
    pending_ = false;
    // Away from the focus a box shows the field's display format, in it the value to edit.
    const QString text = !link_.bound() ? QString() : hasFocus() ? link_.field().asString() : link_.field().displayText();
    if (text != this->text()) setText(text);
    // Enabled or not is the page's rule, never the binding's.
}

bool DBEdit::commit() {
    if (!pending_) return true;
    pending_ = false;
    if (!link_.write(text())) {
        // Typing the field cannot hold was said once and gives way to the
        // stored value; anything else (a lock) keeps the typing for a retry.
        pending_ = !link_.valueRejected();
        if (!pending_) refresh();
        return false;
    }
    refresh();
    return true;
}

void DBEdit::mouseReleaseEvent(QMouseEvent* event) {
    QLineEdit::mouseReleaseEvent(event);
    // A drag keeps the part it selected.
    if (selectAllOnClick_ && !hasSelectedText()) selectAll();
}

void DBEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    refresh();
}

void DBEdit::focusOutEvent(QFocusEvent* event) {
    commit();
    QLineEdit::focusOutEvent(event);
    refresh();
}

DBComboBox::DBComboBox(QWidget* parent) : QComboBox(parent) {
    connect(&link_, &FieldLink::refreshNeeded, this, &DBComboBox::refresh);
    connect(&link_, &FieldLink::writePending, this, [this] { commit(); });
    connect(this, &QComboBox::activated, this, [this](int) {
        if (refreshing_) return;
        pending_ = true;
        commit();
    });
    connect(this, &QComboBox::editTextChanged, this, [this] {
        if (refreshing_ || !isEditable() || pending_) return;
        pending_ = true;
        if (!link_.startEdit()) pending_ = false;
    });
}

void DBComboBox::setDataField(store::DataSet* dataSet, const QString& field) { link_.bind(dataSet, field); }

void DBComboBox::refresh() {
    if (pending_ && link_.dataSet() && link_.dataSet()->editing()) return;
    pending_ = false;
    refreshing_ = true;
    const QString text = link_.bound() ? link_.field().asString() : QString();
    const int i = findText(text);
    if (isEditable())
        setEditText(text);
    else
        setCurrentIndex(i);
    refreshing_ = false;
}

bool DBComboBox::commit() {
    if (!pending_) return true;
    pending_ = false;
    if (beforeWrite) beforeWrite(currentText());
    if (!link_.write(currentText())) {
        pending_ = !link_.valueRejected();
        if (!pending_) refresh();
        return false;
    }
    refresh();
    return true;
}

void DBComboBox::focusOutEvent(QFocusEvent* event) {
    commit();
    QComboBox::focusOutEvent(event);
}

DBLookupComboBox::DBLookupComboBox(QWidget* parent) : QComboBox(parent) {
    connect(&link_, &FieldLink::refreshNeeded, this, &DBLookupComboBox::refresh);
    connect(this, &QComboBox::activated, this, [this](int i) {
        if (!refreshing_) link_.write(itemData(i));
    });
}

void DBLookupComboBox::setDataField(store::DataSet* dataSet, const QString& field) { link_.bind(dataSet, field); }

void DBLookupComboBox::setList(store::DataSet* list, const QString& keyField, const QString& displayField) {
    list_ = list;
    keyField_ = keyField;
    displayField_ = displayField;
    reloadList();
}

void DBLookupComboBox::reloadList() {
    refreshing_ = true;
    clear();
    if (list_ && list_->active()) {
        const int k = list_->fieldIndex(keyField_), d = list_->fieldIndex(displayField_);
        for (int r = 0; r < list_->recordCount(); ++r) {
            const std::vector<QVariant> row = list_->rowAt(r);
            addItem(row[size_t(d)].toString(), row[size_t(k)]);
        }
    }
    refreshing_ = false;
    refresh();
}

void DBLookupComboBox::refresh() {
    refreshing_ = true;
    const QVariant key = link_.bound() ? link_.field().value() : QVariant();
    int found = -1;
    for (int i = 0; i < count() && key.isValid(); ++i)
        if (itemData(i).toString() == key.toString()) found = i;
    setCurrentIndex(found);
    refreshing_ = false;
}

DBCheckBox::DBCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {
    connect(&link_, &FieldLink::refreshNeeded, this, &DBCheckBox::refresh);
    connect(this, &QCheckBox::clicked, this, [this](bool on) {
        if (!link_.write(on)) refresh();
    });
}

void DBCheckBox::setDataField(store::DataSet* dataSet, const QString& field) { link_.bind(dataSet, field); }

void DBCheckBox::refresh() { setChecked(link_.bound() && link_.field().asBoolean()); }

DBLabel::DBLabel(QWidget* parent) : QLabel(parent) {
    connect(&link_, &FieldLink::refreshNeeded, this, &DBLabel::refresh);
}

void DBLabel::setDataField(store::DataSet* dataSet, const QString& field) { link_.bind(dataSet, field); }

void DBLabel::refresh() { setText(link_.bound() ? link_.field().displayText() : QString()); }

}  // namespace widgets
