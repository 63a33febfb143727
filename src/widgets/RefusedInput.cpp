#include "RefusedInput.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolTip>
#include <QValidator>

namespace widgets {

RefusedInput::RefusedInput(QLineEdit* box, const QString& hint) : QObject(box), box_(box), hint_(hint) {
    box->installEventFilter(this);
}

RefusedInput* RefusedInput::watch(QLineEdit* box, const QString& hint) {
    return new RefusedInput(box, hint);
}

bool RefusedInput::accepts(const QString& typed) const {
    const QValidator* v = box_->validator();
    if (!v) return true;
    QString text = box_->text();
    int at = box_->cursorPosition();
    if (box_->hasSelectedText()) {
        at = box_->selectionStart();
        text.remove(at, box_->selectedText().size());
    }
    text.insert(at, typed);
    int pos = at + int(typed.size());
    return v->validate(text, pos) != QValidator::Invalid;
}

void RefusedInput::signal() {
    ++refusals_;
    // The box flashes where the user looks; the hint says why.
    const QString before = box_->styleSheet();
    box_->setStyleSheet(QStringLiteral("QLineEdit { background: #ffc8c8; }"));
    QPointer<QLineEdit> box(box_);
    QTimer::singleShot(400, box_, [box, before] {
        if (box) box->setStyleSheet(before);
    });
    QStatusTipEvent tip(hint_);
    QApplication::sendEvent(box_, &tip);
    QToolTip::showText(box_->mapToGlobal(QPoint(0, box_->height())), hint_, box_);
}

bool RefusedInput::eventFilter(QObject* watched, QEvent* event) {
    if (watched != box_ || event->type() != QEvent::KeyPress || box_->isReadOnly()) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    QString typed;
    if (key->matches(QKeySequence::Paste))
        typed = QApplication::clipboard()->text();
    else if (!key->text().isEmpty() && key->text().at(0).isPrint() &&
             !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        typed = key->text();
    if (typed.isEmpty() || accepts(typed)) return false;
    signal();
    return true; // refused whole
}

} // namespace widgets
