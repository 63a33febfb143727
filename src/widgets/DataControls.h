#pragma once

#include "store/DataSet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <functional>

namespace widgets {

// Where data-bound controls send the store's errors (the standard error box
// in the program, a recorder in tests).
void setErrorHandler(std::function<void(const QString&)> handler);
void reportError(const QString& text);

// The link between one control and one field of a data set's current row:
// the control shows the field as the cursor moves and writes the user's
// change into the edit buffer, putting the row into edit state.
class FieldLink : public QObject {
    Q_OBJECT
public:
    explicit FieldLink(QObject* parent) : QObject(parent) {}
    void bind(store::DataSet* dataSet, const QString& field);
    store::DataSet* dataSet() const { return ds_; }
    QString fieldName() const { return field_; }
    bool bound() const;
    store::Field field() const;
    // Puts the row into edit state; false (error reported) when it cannot.
    bool startEdit();
    // Writes a value; false (error reported) when the store refuses it. A
    // value the field cannot hold (a letter in a number) is reported once,
    // by the control's caption, and valueRejected() is then true.
    bool write(const QVariant& value);
    bool valueRejected() const { return rejected_; }

signals:
    void refreshNeeded();
    void writePending();

private:
    QPointer<store::DataSet> ds_;
    QString field_;
    QList<QMetaObject::Connection> connections_;
    bool rejected_ = false;
};

// "Qty must be a whole number": a typed field's refusal of what it cannot
// hold, in the words of the control's caption; empty for a text field.
QString mustBeMessage(const store::FieldDef& field, const QString& caption);

// What a message calls a control: the text of the label it is the buddy of
// ("Project W/L :" gives "Project W/L"), else its accessible name.
QString controlCaption(const QWidget* control);

class DBEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DBEdit(QWidget* parent = nullptr);
    void setDataField(store::DataSet* dataSet, const QString& field);
    FieldLink& link() { return link_; }
    // Writes what the user typed now; false when the store refused it.
    bool commit();
    // A click into the box selects its whole text, ready to be typed over.
    void setSelectAllOnClick(bool on) { selectAllOnClick_ = on; }

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void refresh();
    FieldLink link_{this};
    bool pending_ = false;
    bool selectAllOnClick_ = false;
};

// A drop-down bound to a text or number field; editable ones accept typed values.
class DBComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DBComboBox(QWidget* parent = nullptr);
    void setDataField(store::DataSet* dataSet, const QString& field);
    FieldLink& link() { return link_; }
    bool commit();
    // Shows the field again (after the items changed).
    void refresh();
    // Runs before a chosen value is written (e.g. to move a list's cursor).
    std::function<void(const QString&)> beforeWrite;

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    FieldLink link_{this};
    bool pending_ = false;
    bool refreshing_ = false;
};

// A drop-down that stores a key field and shows a description from a list data set.
class DBLookupComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DBLookupComboBox(QWidget* parent = nullptr);
    void setDataField(store::DataSet* dataSet, const QString& field);
    void setList(store::DataSet* list, const QString& keyField, const QString& displayField);
    void reloadList();

private:
    void refresh();
    FieldLink link_{this};
    QPointer<store::DataSet> list_;
    QString keyField_, displayField_;
    bool refreshing_ = false;
};

class DBCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit DBCheckBox(const QString& text, QWidget* parent = nullptr);
    void setDataField(store::DataSet* dataSet, const QString& field);

private:
    void refresh();
    FieldLink link_{this};
};

// Shows a field with its display format.
class DBLabel : public QLabel {
    Q_OBJECT
public:
    explicit DBLabel(QWidget* parent = nullptr);
    void setDataField(store::DataSet* dataSet, const QString& field);

private:
    void refresh();
    FieldLink link_{this};
};

}  // namespace widgets
