#include "Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QEvent>
#include <QLabel>
#include <QPixmap>
#include <QToolButton>

namespace ui::main {

namespace {

QPixmap draw(IconKind kind, bool disabled) {
    const int s = 64;
    QPixmap pix(s, s);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = disabled ? QColor(0xb0, 0xb0, 0xb0) : QColor(0x1f, 0x4e, 0x79);
    const QColor accent = disabled ? QColor(0xc8, 0xc8, 0xc8) : QColor(0xc0, 0x39, 0x2b);
    QPen pen(ink, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    switch (kind) {
    case IconKind::Previous:
    case IconKind::Next: {
        QPainterPath path;
        if (kind == IconKind::Previous) {
            path.moveTo(42, 12);
            path.lineTo(20, 32);
            path.lineTo(42, 52);
        } else {
            path.moveTo(22, 12);
            path.lineTo(44, 32);
            path.lineTo(22, 52);
        }
        p.setPen(QPen(ink, 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(path);
        break;
    }
    case IconKind::Add:
        p.setPen(QPen(ink, 8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(32, 12, 32, 52);
        p.drawLine(12, 32, 52, 32);
        break;
    case IconKind::Delete:
        p.setPen(QPen(accent, 8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(16, 16, 48, 48);
        p.drawLine(48, 16, 16, 48);
        break;
    case IconKind::Find:
        p.drawEllipse(QPointF(27, 27), 15, 15);
        p.setPen(QPen(ink, 8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(38, 38, 54, 54);
        break;
    case IconKind::Details:
        p.drawRoundedRect(QRectF(14, 8, 36, 48), 4, 4);
        p.setPen(QPen(ink, 4, Qt::SolidLine, Qt::RoundCap));
        for (int y : {20, 30, 40}) p.drawLine(22, y, 42, y);
        break;
    case IconKind::Browse:
        p.setBrush(ink);
        for (int x : {16, 32, 48}) p.drawEllipse(QPointF(x, 34), 3, 3);
        break;
    case IconKind::Print:
        p.drawRect(QRectF(18, 8, 28, 16));
        p.drawRoundedRect(QRectF(8, 24, 48, 22), 4, 4);
        p.drawRect(QRectF(18, 38, 28, 18));
        break;
    case IconKind::Calculate:
        p.drawRoundedRect(QRectF(12, 6, 40, 52), 5, 5);
        p.drawRect(QRectF(19, 13, 26, 10));
        p.setBrush(ink);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) p.drawEllipse(QPointF(22 + c * 10, 32 + r * 8), 2, 2);
        break;
    case IconKind::Save:
        p.drawRoundedRect(QRectF(10, 10, 44, 44), 4, 4);
        p.drawRect(QRectF(20, 10, 24, 14));
        p.drawRect(QRectF(18, 34, 28, 20));
        break;
    case IconKind::Copy:
        p.drawRoundedRect(QRectF(10, 10, 30, 36), 3, 3);
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(24, 20, 30, 36), 3, 3);
        break;
    case IconKind::Undo:
    case IconKind::Redo: {
        // A hooked arrow turning back (Undo) or forward (Redo).
        if (kind == IconKind::Redo) p.setTransform(QTransform(-1, 0, 0, 1, s, 0));
        QPainterPath hook;
        hook.moveTo(50, 50);
        hook.cubicTo(54, 28, 40, 20, 18, 24);
        p.drawPath(hook);
        QPainterPath head;
        head.moveTo(28, 12);
        head.lineTo(14, 24);
        head.lineTo(28, 36);
        p.drawPath(head);
        break;
    }
    }
    return pix;
}

}  // namespace

QToolButton* commandButton(IconKind kind, const QString& hint) {
    auto* b = new QToolButton;
    b->setIcon(commandIcon(kind));
    b->setIconSize(QSize(24, 24));
    b->setAutoRaise(true);
    b->setToolTip(hint);
    b->setStatusTip(hint);
    return b;
}

namespace {

// Greys a caption with its box: the label follows the box's enabled state.
class FollowEnabled : public QObject {
public:
    FollowEnabled(QLabel* label, QWidget* box) : QObject(label), label_(label) {
        box->installEventFilter(this);
        label_->setEnabled(box->isEnabled());
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::EnabledChange)
            label_->setEnabled(static_cast<QWidget*>(watched)->isEnabled());
        return false;
    }

private:
    QLabel* label_;
};

}  // namespace

QLabel* caption(const QString& text, QWidget* box) {
    auto* l = new QLabel(text);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (box) {
        l->setBuddy(box);
        new FollowEnabled(l, box);
    }
    return l;
}

QIcon commandIcon(IconKind kind) {
    QIcon icon;
    icon.addPixmap(draw(kind, false), QIcon::Normal);
    icon.addPixmap(draw(kind, true), QIcon::Disabled);
    return icon;
}

}  // namespace ui::main
