#pragma once

#include <QObject>
#include <QString>

class QLineEdit;

namespace widgets {

// Makes a box with a validator say so when it refuses input: a key or a
// paste the validator would not take is refused whole (never half taken,
// "1O50" does not become "150"), the box flashes and the status line and a
// tip beside the box show `hint`.
class RefusedInput : public QObject {
    Q_OBJECT
public:
    static RefusedInput* watch(QLineEdit* box, const QString& hint = QStringLiteral("Digits only"));
    // How many inputs the box refused (tests read it).
    int refusals() const { return refusals_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    RefusedInput(QLineEdit* box, const QString& hint);
    // Whether the box's validator takes its text with `typed` put in place of the selection.
    bool accepts(const QString& typed) const;
    void signal();

    QLineEdit* box_;
    QString hint_;
    int refusals_ = 0;
};

} // namespace widgets
